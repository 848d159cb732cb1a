#include "dialogs/tform3.hpp"

#include <QApplication>
#include <QFrame>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalidos::app {

TForm3::TForm3(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form3");
    setWindowTitle("Form3");
    auto* column = new QVBoxLayout(this);
    panel1_ = new QFrame;
    panel1_->setObjectName("Panel1");
    auto* inside = new QVBoxLayout(panel1_);
    auto* memo = new QPlainTextEdit("The CIF file contains several data blocks\n                       Select a bloc");
    memo->setObjectName("Memo1");
    memo->setReadOnly(true);
    memo->setFixedHeight(48);
    listBox1_ = new QListWidget;
    listBox1_->setObjectName("ListBox1");
    auto* ok = new QPushButton("OK");
    ok->setObjectName("BitBtn1");
    inside->addWidget(memo);
    inside->addWidget(listBox1_);
    inside->addWidget(ok, 0, Qt::AlignHCenter);
    auto* close = new QPushButton("Close");
    close->setObjectName("BitBtn3");
    column->addWidget(panel1_);
    column->addWidget(close, 0, Qt::AlignRight);
    panel1_->hide();
    connect(ok, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
    connect(close, &QPushButton::clicked, this, &TForm3::BitBtn3Click);
    resize(340, 280);
}

int TForm3::choose_cif_block(const std::vector<CifBlock>& blocks)
{
    std::vector<std::string> names;
    for (const CifBlock& block : blocks)
        names.push_back(block.name);
    initialise(names);
    return exec();
}

void TForm3::initialise(const std::vector<std::string>& names)
{
    listBox1_->clear();
    panel1_->show();
    for (const std::string& name : names) {
        listBox1_->addItem(QString::fromStdString(name));
        QApplication::beep();
    }
}

void TForm3::BitBtn1Click()
{
    const int row = listBox1_->currentRow();
    if (row < 0 || listBox1_->selectedItems().isEmpty())
        return;
    done(row + 1);
}

void TForm3::BitBtn3Click() { done(0); }

}  // namespace kalidos::app
