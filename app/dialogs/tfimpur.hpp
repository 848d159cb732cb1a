// The "Multiple wavelengths" dialog: up to four wavelengths with their intensities.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "model/workspace.hpp"
#include "ui/messages.hpp"

class QLineEdit;
class QListWidget;

namespace kalidos::app {

class Tfimpur : public QDialog {
    Q_OBJECT
public:
    Tfimpur(Workspace& workspace, Messages& messages, QWidget* parent = nullptr);

    void set_lambda(int item);
    void BitBtn3Click();
    void lit_composition();
    void annule() { hide(); }

    // Called after OK built a new wavelength set and hid the dialog.
    std::function<void()> on_accepted;

private:
    void read_edits(std::array<std::string, 4>& wavelengths, std::array<std::string, 4>& intensities) const;
    void write_edits(const std::array<std::string, 4>& wavelengths, const std::array<std::string, 4>& intensities);
    void focus_edit(const std::string& name);

    Workspace& workspace_;
    Messages& messages_;
    QLineEdit* edits_[8] = {};
    QListWidget* listBox1_ = nullptr;
};

}  // namespace kalidos::app
