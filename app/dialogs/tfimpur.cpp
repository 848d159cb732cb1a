#include "dialogs/tfimpur.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "wavelengths/composition.hpp"

namespace kalidos::app {

Tfimpur::Tfimpur(Workspace& workspace, Messages& messages, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), workspace_(workspace), messages_(messages)
{
    setObjectName("fimpur");
    setWindowTitle("Multiple wavelengths");
    auto* column = new QVBoxLayout(this);
    auto* title = new QLabel("Spectral composition");
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet("QLabel { font-weight: bold; }");
    column->addWidget(title);

    auto* body = new QHBoxLayout;
    auto* anode = new QVBoxLayout;
    anode->addWidget(new QLabel("Anode material"));
    listBox1_ = new QListWidget;
    listBox1_->setObjectName("ListBox1");
    for (const auto& line : composition_line_table())
        listBox1_->addItem(line.item);
    listBox1_->setFixedWidth(80);
    anode->addWidget(listBox1_);
    body->addLayout(anode);
    body->addWidget(new QLabel("or"));
    auto* rows = new QGridLayout;
    rows->addWidget(new QLabel(QString::fromUtf8("\u03bb")), 0, 0, Qt::AlignCenter);
    rows->addWidget(new QLabel("Intensity"), 0, 1, Qt::AlignCenter);
    for (int i = 0; i < 8; ++i) {
        edits_[i] = new QLineEdit;
        edits_[i]->setObjectName(QString("Edit%1").arg(i + 1));
        edits_[i]->setFixedWidth(80);
        rows->addWidget(edits_[i], 1 + i % 4, i / 4);
    }
    body->addLayout(rows);
    column->addLayout(body);

    auto* buttons = new QHBoxLayout;
    auto* cancel = new QPushButton("Cancel");
    cancel->setObjectName("BitBtn2");
    auto* harmonics = new QPushButton(QString::fromUtf8("\u03bb/2, \u03bb/3"));
    harmonics->setObjectName("BitBtn3");
    harmonics->setToolTip("Set lambda/2, Lambda/3 of the primary wavelength");
    auto* ok = new QPushButton("OK");
    ok->setObjectName("BitBtn1");
    for (QPushButton* button : {cancel, harmonics, ok})
        buttons->addWidget(button);
    column->addLayout(buttons);
    connect(listBox1_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { set_lambda(listBox1_->row(item)); });
    connect(cancel, &QPushButton::clicked, this, &Tfimpur::annule);
    connect(harmonics, &QPushButton::clicked, this, &Tfimpur::BitBtn3Click);
    connect(ok, &QPushButton::clicked, this, &Tfimpur::lit_composition);
}

void Tfimpur::read_edits(std::array<std::string, 4>& wavelengths, std::array<std::string, 4>& intensities) const
{
    for (std::size_t i = 0; i < 4; ++i) {
        wavelengths[i] = edits_[i]->text().toStdString();
        intensities[i] = edits_[i + 4]->text().toStdString();
    }
}

void Tfimpur::write_edits(const std::array<std::string, 4>& wavelengths,
                          const std::array<std::string, 4>& intensities)
{
    for (std::size_t i = 0; i < 4; ++i) {
        edits_[i]->setText(QString::fromStdString(wavelengths[i]));
        edits_[i + 4]->setText(QString::fromStdString(intensities[i]));
    }
}

void Tfimpur::focus_edit(const std::string& name)
{
    if (name.empty())
        return;
    if (auto* edit = findChild<QLineEdit*>(QString::fromStdString(name)))
        edit->setFocus();
}

void Tfimpur::set_lambda(int item)
{
    CompositionForm form;
    read_edits(form.wavelength, form.intensity);
    fill_composition_from_anode(form, workspace_.model, item);
    write_edits(form.wavelength, form.intensity);
}

void Tfimpur::BitBtn3Click()
{
    CompositionForm form;
    read_edits(form.wavelength, form.intensity);
    const CompositionOutcome outcome = apply_harmonics(form, messages_);
    write_edits(form.wavelength, form.intensity);
    focus_edit(outcome.focusEdit);
}

void Tfimpur::lit_composition()
{
    CompositionForm form;
    read_edits(form.wavelength, form.intensity);
    const CompositionOutcome outcome = kalidos::lit_composition(form, workspace_, messages_);
    write_edits(form.wavelength, form.intensity);
    focus_edit(outcome.focusEdit);
    if (!outcome.accepted)
        return;
    hide();
    if (on_accepted)
        on_accepted();
}

}  // namespace kalidos::app
