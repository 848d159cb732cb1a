#include "platform/qt_messages.hpp"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace kalidos::app {

void QtMessages::warning(const std::string& text)
{
    QMessageBox::warning(parent_, QApplication::applicationName(), QString::fromStdString(text),
                         QMessageBox::Ok);
}

void QtMessages::beep() { QApplication::beep(); }

Answer QtMessages::ask(const std::string& text)
{
    const auto button =
        QMessageBox::question(parent_, QApplication::applicationName(), QString::fromStdString(text),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                              QMessageBox::Cancel);
    if (button == QMessageBox::Yes)
        return Answer::Yes;
    if (button == QMessageBox::No)
        return Answer::No;
    return Answer::Cancel;
}

}  // namespace kalidos::app
