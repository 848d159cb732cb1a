// A Messages implementation for tests: records what the user would have been told.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/messages.hpp"

namespace kalidos::testing {

class RecordingMessages : public Messages {
public:
    void warning(const std::string& text) override { warnings.push_back(text); events.push_back("warning: " + text); }
    void beep() override { ++beeps; events.push_back("beep"); }
    Answer ask(const std::string& text) override
    {
        questions.push_back(text);
        events.push_back("ask: " + text);
        if (answers.empty())
            return Answer::Cancel;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<std::string> warnings;
    std::vector<std::string> questions;
    std::vector<std::string> events;  // every call in order
    std::deque<Answer> answers;       // answers to give, in order; Cancel when none are left
    int beeps = 0;
};

}  // namespace kalidos::testing
