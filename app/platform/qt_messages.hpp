// The user-facing Messages of the running program: Qt message boxes, the system beep.
#pragma once

#include "ui/messages.hpp"

class QWidget;

namespace kalidos::app {

// Warnings are modal boxes with the warning icon and one OK button; the overwrite question offers
// Yes, No and Cancel (Escape or closing the box answers Cancel).
class QtMessages : public Messages {
public:
    explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    void warning(const std::string& text) override;
    void beep() override;
    Answer ask(const std::string& text) override;

private:
    QWidget* parent_;
};

}  // namespace kalidos::app
