// How the core speaks to the user: warnings, beeps and the overwrite question.
#pragma once

#include <string>
#include <vector>

namespace kalidos {

enum class Answer { Yes, No, Cancel };

// The application implements this with message boxes; the tests with a recorder.
class Messages {
public:
    virtual ~Messages() = default;
    // The modal warning box with one OK button used for every message.
    virtual void warning(const std::string& text) = 0;
    virtual void beep() = 0;
    // The only question the program asks: Yes, No or Cancel (overwrite confirmations).
    virtual Answer ask(const std::string& text) = 0;
};

// For work done on the caller's behalf that reports its own refusals: nothing is shown, the last
// warning is kept, and every question is answered No.
class SilentMessages : public Messages {
public:
    void warning(const std::string& text) override { last = text; }
    void beep() override {}
    Answer ask(const std::string&) override { return Answer::No; }
    std::string last;
};

// Holds back the warnings of an attempt that may be superseded by a better one; questions go
// through at once.
class DeferredMessages : public Messages {
public:
    explicit DeferredMessages(Messages& target) : target_(target) {}
    void warning(const std::string& text) override { warnings_.push_back(text); }
    void beep() override { ++beeps_; }
    Answer ask(const std::string& text) override { return target_.ask(text); }
    void replay()
    {
        for (int i = 0; i < beeps_; ++i)
            target_.beep();
        for (const std::string& text : warnings_)
            target_.warning(text);
    }

private:
    Messages& target_;
    std::vector<std::string> warnings_;
    int beeps_ = 0;
};

// Beep, then the warning box: the usual way a refusal is reported.
inline void beep_and_warn(Messages& messages, const std::string& text)
{
    messages.beep();
    messages.warning(text);
}

}  // namespace kalidos
