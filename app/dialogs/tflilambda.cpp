#include "dialogs/tflilambda.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "wavelengths/rietveld_lambda.hpp"

namespace kalidos::app {

Tflilambda::Tflilambda(Messages& messages, QWidget* parent) : QDialog(parent), messages_(messages)
{
    setObjectName("flilambda");
    setWindowTitle("Lambda missing");
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel("The wavelenth was not found  in the file! "));
    auto* grid = new QGridLayout;
    listBox3_ = new QListWidget;
    listBox3_->setObjectName("ListBox3");
    for (const auto& anode : rietveld_anode_table())
        listBox3_->addItem(anode.anode);
    listBox3_->setFixedWidth(60);
    const auto make_edit = [](const char* name, bool readOnly) {
        auto* edit = new QLineEdit;
        edit->setObjectName(name);
        edit->setReadOnly(readOnly);
        edit->setFixedWidth(90);
        if (readOnly)
            edit->setStyleSheet("QLineEdit { background: #c0c0c0; }");
        return edit;
    };
    edit51_ = make_edit("Edit51", true);
    edit54_ = make_edit("Edit54", true);
    edit57_ = make_edit("Edit57", false);
    grid->addWidget(listBox3_, 0, 0, 3, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("\u03bb1")), 0, 1);
    grid->addWidget(edit51_, 0, 2);
    grid->addWidget(new QLabel(QString::fromUtf8("\u03bb2")), 1, 1);
    grid->addWidget(edit54_, 1, 2);
    grid->addWidget(new QLabel(QString::fromUtf8("\u03bb")), 2, 1);
    grid->addWidget(edit57_, 2, 2);
    column->addLayout(grid);
    auto* ok = new QPushButton("OK");
    ok->setObjectName("BitBtn8");
    column->addWidget(ok, 0, Qt::AlignHCenter);
    connect(listBox3_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { clicklistbox(listBox3_->row(item)); });
    connect(ok, &QPushButton::clicked, this, &Tflilambda::lit_lambda);
}

void Tflilambda::start(LambdaRequest request)
{
    request_ = std::move(request);
    anodeItem_ = -1;
    listBox3_->clearSelection();
    for (QLineEdit* edit : {edit51_, edit54_, edit57_})
        edit->clear();
    show();
    raise();
}

void Tflilambda::clicklistbox(int item)
{
    RietveldLambdaForm form;
    kalidos::clicklistbox(form, item);
    if (form.anodeItem < 0)
        return;
    anodeItem_ = form.anodeItem;
    edit51_->setText(QString::fromStdString(form.edit51));
    edit54_->setText(QString::fromStdString(form.edit54));
    edit57_->setText(QString::fromStdString(form.edit57));
}

void Tflilambda::lit_lambda()
{
    if (!request_.scan || !request_.rereadFile)
        return;
    RietveldLambdaForm form{edit51_->text().toStdString(), edit54_->text().toStdString(),
                            edit57_->text().toStdString(), anodeItem_};
    const auto outcome = kalidos::lit_lambda(form, request_.rereadFile, *request_.scan, messages_);
    if (outcome == RietveldLambdaOutcome::Stay)
        return;
    hide();
    if (outcome == RietveldLambdaOutcome::Accepted && request_.completeImport)
        request_.completeImport();
}

}  // namespace kalidos::app
