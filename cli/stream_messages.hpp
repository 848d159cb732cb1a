// Messages of a headless run: printed one per line and kept for the JSON document.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "ui/messages.hpp"

namespace kalidos::batch {

// The window shows a warning box; here the text goes to the stream (standard error),
// one line per message, multi-line texts joined with blanks. The only question the
// program asks is whether to overwrite a file: it is answered Yes when the user said
// --overwrite, No otherwise, and the question is printed with its answer.
class StreamMessages : public Messages {
public:
    StreamMessages(std::ostream& out, bool overwrite) : out_(out), overwrite_(overwrite) {}

    void warning(const std::string& text) override;
    void beep() override { ++beeps_; }
    Answer ask(const std::string& text) override;

    // Notes of the runner itself (a file it cannot open, a refused option value).
    void note(const std::string& text) { warning(text); }

    const std::vector<std::string>& texts() const { return texts_; }
    int warning_count() const { return static_cast<int>(texts_.size()); }
    int beeps() const { return beeps_; }

private:
    std::ostream& out_;
    bool overwrite_;
    std::vector<std::string> texts_;
    int beeps_ = 0;
};

// One line: line breaks become blanks, surrounding blanks go.
std::string one_line(const std::string& text);

// A report written to the file `target`, or to `standardOutput` when it is "-". False (told) when
// it cannot be written.
bool write_to(const std::string& target, const std::string& text, StreamMessages& messages, std::ostream& standardOutput);

}  // namespace kalidos::batch
