#include "dialogs/tflp.hpp"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "util/number_text.hpp"

namespace kalidos::app {

TFLP::TFLP(Workspace& workspace, Messages& messages, QWidget* parent)
    : QDialog(parent), workspace_(workspace), messages_(messages)
{
    setObjectName("FLP");
    setWindowTitle("X ray source");
    auto* column = new QVBoxLayout(this);
    auto* formula = new QLabel("P=1- p + p.cos(2theta)^^2");
    formula->setFrameShape(QFrame::Panel);
    formula->setAlignment(Qt::AlignCenter);
    auto* group = new QGroupBox;
    group->setObjectName("RadioGroup2");
    auto* items = new QVBoxLayout(group);
    sources_ = new QButtonGroup(this);
    const char* captions[2] = {"X Rays tube (p=0.5)", "Synchrotron source"};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QRadioButton(captions[i]);
        button->setObjectName(QString("RadioGroup2Item%1").arg(i));
        sources_->addButton(button, i);
        items->addWidget(button);
    }
    panel1_ = new QFrame;
    panel1_->setObjectName("Panel1");
    panel1_->setStyleSheet("#Panel1 { background: #80ff80; }");
    auto* pRow = new QHBoxLayout(panel1_);
    pRow->addWidget(new QLabel("p ="));
    edit1_ = new QLineEdit;
    edit1_->setObjectName("Edit1");
    pRow->addWidget(edit1_);
    auto* ok = new QPushButton("OK");
    ok->setObjectName("BitBtn1");
    column->addWidget(formula);
    column->addWidget(group);
    column->addWidget(panel1_);
    column->addWidget(ok, 0, Qt::AlignHCenter);
    connect(sources_, &QButtonGroup::idClicked, this, &TFLP::onclick_event);
    connect(ok, &QPushButton::clicked, this, [this] { sortie_lp(); });
    initialise();
}

void TFLP::showEvent(QShowEvent* event)
{
    initialise();
    QDialog::showEvent(event);
}

void TFLP::initialise()
{
    sources_->setExclusive(false);
    for (QAbstractButton* button : sources_->buttons())
        button->setChecked(false);
    sources_->setExclusive(true);
    panel1_->hide();
    edit1_->clear();
}

void TFLP::onclick_event(int item)
{
    if (item != kSynchrotronSource)
        return;
    panel1_->show();
    edit1_->setFocus();
}

bool TFLP::sortie_lp()
{
    const int source = sources_->checkedId();
    if (source < 0)
        return false;  // a source must be chosen: the calculation knows no other
    StructureModel& model = workspace_.model;
    model.xraySource = source;
    model.polarisation = 0.5;
    if (source == kSynchrotronSource) {
        const auto p = parse_real(normalise_number(edit1_->text().toStdString()));
        if (p)
            model.polarisation = *p;
        if (!p || *p > 1 || !(*p >= 0)) {
            beep_and_warn(messages_, "Erreur de frappe!");
            return false;
        }
    }
    model.recalculatePending = true;
    accept();
    return true;
}

}  // namespace kalidos::app
