// The Qt message boxes and file dialogs: what the user sees and what each button answers.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/qt_file_dialogs.hpp"
#include "platform/qt_messages.hpp"

namespace kalidos::app {
namespace {

// Acts on the next modal box once the event loop shows it.
template <typename Widget, typename Action>
void when_shown(Action action)
{
    QTimer::singleShot(0, [action] {
        auto* widget = qobject_cast<Widget*>(QApplication::activeModalWidget());
        ASSERT_NE(widget, nullptr);
        action(widget);
    });
}

TEST(QtMessages, WarningHasWarningIconAndOneOkButton)
{
    QtMessages messages;
    QString shownText;
    int buttons = 0;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    when_shown<QMessageBox>([&](QMessageBox* box) {
        shownText = box->text();
        buttons = static_cast<int>(box->buttons().size());
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    messages.warning("Typing error!");
    EXPECT_EQ(shownText, "Typing error!");
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(QtMessages, QuestionAnswersTheButtonPressed)
{
    QtMessages messages;
    const std::pair<QMessageBox::StandardButton, Answer> cases[] = {
        {QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}, {QMessageBox::Cancel, Answer::Cancel}};
    for (const auto& [button, expected] : cases) {
        int buttons = 0;
        when_shown<QMessageBox>([&, b = button](QMessageBox* box) {
            buttons = static_cast<int>(box->buttons().size());
            box->button(b)->click();
        });
        EXPECT_EQ(messages.ask("Overwrite?"), expected);
        EXPECT_EQ(buttons, 3);
    }
}

TEST(QtFileDialogs, FilterTextAndCancel)
{
    EXPECT_EQ(qt_filter_text({{"Structure", "*.cry"}, {"All", "*.*"}}), "Structure (*.cry);;All (*.*)");
    QtFileDialogs dialogs;
    QStringList shownFilters;
    QString selected;
    when_shown<QFileDialog>([&](QFileDialog* dialog) {
        shownFilters = dialog->nameFilters();
        selected = dialog->selectedNameFilter();
        dialog->reject();
    });
    FileRequest request;
    request.filters = {{"Structure", "*.cry"}, {"CIF", "*.cif"}};
    request.filterIndex = 1;
    EXPECT_FALSE(dialogs.open_file(request).has_value());
    EXPECT_EQ(shownFilters, QStringList({"Structure (*.cry)", "CIF (*.cif)"}));
    EXPECT_EQ(selected, "CIF (*.cif)");
}

}  // namespace
}  // namespace kalidos::app
