// A main window over its own workspace, with recorded messages and scripted file dialogs.
#pragma once

#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "main_window/tfmain.hpp"
#include "platform/scripted_file_dialogs.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"
#include "util/data_files.hpp"

namespace kalidos::app::testing {

// The program's data files, or empty stand-ins where the data folder does not have them yet.
inline void provide_data_files(const std::filesystem::path& dir)
{
    const auto data = kalidos::testing::program_data_dir();
    for (const char* name : {"spgr2.dat", "brcow.an", "Sasaki.an", "csp.lst", "C.pos", "H.pos", "M.pos", "O.pos",
                             "R.pos", "T.pos", "Q.POS"}) {
        const auto source = find_file_ignoring_case(data, name);
        if (std::filesystem::exists(source))
            std::filesystem::copy_file(source, dir / source.filename(),
                                       std::filesystem::copy_options::overwrite_existing);
        else if (!data_file_exists(dir, name))
            std::ofstream(dir / name) << "";
    }
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = kalidos::testing::make_scratch_dir(std::string("mw-") + info->test_suite_name() + "-" + info->name());
        previous = QDir::currentPath();
        provide_data_files(dir);
        QDir::setCurrent(QString::fromStdString(dir.string()));
        ws = make_workspace(dir.string());
        window = std::make_unique<Tfmain>(*ws, MainServices{&messages, &dialogs});
        ASSERT_TRUE(window->init_creation());
    }
    void TearDown() override
    {
        window.reset();
        QDir::setCurrent(previous);
    }

    template <typename T>
    T* child(const char* name)
    {
        T* widget = window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(name); }
    QTableWidget* grid(const char* name) { return child<QTableWidget>(name); }
    QString cell(const char* gridName, int row, int column)
    {
        const QTableWidgetItem* item = grid(gridName)->item(row, column);
        return item ? item->text() : QString();
    }
    void set_cell(const char* gridName, int row, int column, const QString& text)
    {
        QTableWidget* table = grid(gridName);
        if (!table->item(row, column))
            table->setItem(row, column, new QTableWidgetItem);
        table->item(row, column)->setText(text);
    }
    // Types into an edit as the user does: entering it, replacing its text, leaving it.
    void type_into(const char* name, const QString& text)
    {
        QLineEdit* e = edit(name);
        window->numero_case(field_number(name));
        e->setText(text);
        window->verif_frappe_edit();
    }
    static int field_number(const char* name)
    {
        const char* names[] = {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "edit7",
                               "Edit11", "Edit14", "Edit17", "Edit19", "Edit21", "Edit25"};
        for (int i = 0; i < 12; ++i)
            if (QString(name) == names[i])
                return i + 1;
        return 0;
    }
    void click_list_row(const char* name, int row)
    {
        QListWidget* list = child<QListWidget>(name);
        QListWidgetItem* item = list->item(row);
        list->setCurrentItem(item);
        Q_EMIT list->itemClicked(item);
    }
    void click_unit(int item)
    {
        auto* button = window->findChild<QRadioButton*>(QString("RadioGroup1Item%1").arg(item));
        ASSERT_NE(button, nullptr);
        button->click();
    }
    int checked_unit()
    {
        for (int i = 0; i < 3; ++i)
            if (window->findChild<QRadioButton*>(QString("RadioGroup1Item%1").arg(i))->isChecked())
                return i;
        return -1;
    }

    std::filesystem::path dir;
    QString previous;
    std::unique_ptr<Workspace> ws;
    kalidos::testing::RecordingMessages messages;
    ScriptedFileDialogs dialogs;
    std::unique_ptr<Tfmain> window;
};

}  // namespace kalidos::app::testing
