// The file dialogs of the running program, through QFileDialog.
#pragma once

#include "platform/file_dialogs.hpp"

class QWidget;

namespace kalidos::app {

class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    std::optional<ChosenFile> open_file(const FileRequest& request) override;
    std::optional<ChosenFile> save_file(const FileRequest& request) override;
    std::optional<ChosenFile> open_folder(const FileRequest& request) override;

private:
    std::optional<ChosenFile> run(const FileRequest& request, bool saving);
    QWidget* parent_;
};

}  // namespace kalidos::app
