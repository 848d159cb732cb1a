#include "dialogs/sample_profile_dialog.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace kalidos::app {

SampleProfileDialog::SampleProfileDialog(StructureModel& model, Messages& messages, QWidget* parent)
    : QDialog(parent), model_(model), messages_(messages)
{
    setObjectName("SampleProfile");
    setWindowTitle("Sample and profile");
    auto* column = new QVBoxLayout(this);
    column->addWidget(build_profile_group());
    column->addWidget(build_sample_group());
    column->addWidget(build_orientation_group());
    column->addWidget(build_instrument_group());
    column->addWidget(build_corrections_group());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (accept_entries())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto help = [this] {
        if (on_help)
            on_help();
    };
    connect(buttons, &QDialogButtonBox::helpRequested, this, help);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, help);
}

void SampleProfileDialog::add_field(QGridLayout* grid, int row, int column, int field, const char* label)
{
    const ProfileLimit& limit = profile_field_limit(field);
    auto* edit = new QLineEdit;
    edit->setObjectName(QString("ProfileField%1").arg(field));
    edit->setFixedWidth(80);
    edit->setToolTip(QString::fromUtf8("%1 to %2 %3").arg(limit.low).arg(limit.high).arg(QString::fromUtf8(limit.unit)));
    edits_[static_cast<std::size_t>(field)] = edit;
    grid->addWidget(new QLabel(QString::fromUtf8(label ? label : limit.name)), row, column);
    grid->addWidget(edit, row, column + 1);
    grid->addWidget(new QLabel(QString::fromUtf8(limit.unit)), row, column + 2);
}

QWidget* SampleProfileDialog::build_profile_group()
{
    auto* group = new QGroupBox("Profile function");
    auto* grid = new QGridLayout(group);
    function_ = new QComboBox;
    function_->setObjectName("ProfileFunction");
    function_->addItem("Pseudo-Voigt 50/50, half width from the main window's U, V, W");
    function_->addItem(QString::fromUtf8("Thompson\u2013Cox\u2013Hastings pseudo-Voigt (full widths below)"));
    grid->addWidget(function_, 0, 0, 1, 6);
    add_field(grid, 1, 0, kFieldGaussU);
    add_field(grid, 1, 3, kFieldGaussV);
    add_field(grid, 2, 0, kFieldGaussW);
    add_field(grid, 2, 3, kFieldGaussP);
    add_field(grid, 3, 0, kFieldLorentzX);
    add_field(grid, 3, 3, kFieldLorentzY);
    // Broken by hand: a word-wrapped label's height is not given room in a grid of a fixed dialog,
    // and its lines were drawn over each other.
    auto* note = new QLabel(QString::fromUtf8(
        "Gaussian FWHM\u00b2 = U tan\u00b2\u03b8 + V tan\u03b8 + W + P/cos\u00b2\u03b8,\n"
        "Lorentzian FWHM = X tan\u03b8 + Y/cos\u03b8.\n"
        "The main window's U, V, W give a half width: the same Gaussian width\n"
        "has U, V, W four times larger here."));
    grid->addWidget(note, 4, 0, 1, 6);
    return group;
}

QWidget* SampleProfileDialog::build_sample_group()
{
    auto* group = new QGroupBox("Sample broadening");
    auto* grid = new QGridLayout(group);
    add_field(grid, 0, 0, kFieldSize);
    add_field(grid, 0, 3, kFieldScherrer);
    add_field(grid, 1, 0, kFieldStrain);
    strain_ = new QComboBox;
    strain_->setObjectName("StrainShape");
    strain_->addItems({"Gaussian strain", "Lorentzian strain"});
    grid->addWidget(strain_, 1, 3, 1, 3);
    grid->addWidget(new QLabel("Size 0: no size broadening."), 2, 0, 1, 6);
    return group;
}

QWidget* SampleProfileDialog::build_instrument_group()
{
    auto* group = new QGroupBox("Axial divergence, transparency and peak shifts");
    auto* grid = new QGridLayout(group);
    add_field(grid, 0, 0, kFieldAxialSL, "S/L");
    add_field(grid, 0, 3, kFieldAxialHL, "H/L");
    add_field(grid, 1, 0, kFieldZero);
    add_field(grid, 2, 0, kFieldDisplacement);
    add_field(grid, 2, 3, kFieldRadius);
    add_field(grid, 3, 0, kFieldTransparency, "Transparency 1/(2μR)");
    return group;
}

QWidget* SampleProfileDialog::build_corrections_group()
{
    auto* group = new QGroupBox("Intensity corrections (0: none)");
    auto* grid = new QGridLayout(group);
    add_field(grid, 0, 0, kFieldMonochromator, "Monochromator 2θ");
    monochromatorPlace_ = new QComboBox;
    monochromatorPlace_->setObjectName("MonochromatorPlace");
    monochromatorPlace_->addItems({"in the diffracted beam", "in the incident beam"});
    grid->addWidget(monochromatorPlace_, 0, 3, 1, 3);
    add_field(grid, 1, 0, kFieldCylinder, "Capillary μR");
    add_field(grid, 1, 3, kFieldPlate, "Thin plate μt");
    add_field(grid, 2, 0, kFieldRoughnessP, "Roughness p");
    add_field(grid, 2, 3, kFieldRoughnessQ, "Roughness q");
    add_field(grid, 3, 0, kFieldSlit, "Divergence slit");
    add_field(grid, 3, 3, kFieldSampleLength);
    auto* note = new QLabel(QString::fromUtf8(
        "Graphite 002 for Cu Kα: 26.6°. Roughness (Suortti): [p + (1 − p) exp(−q/sinθ)]\n"
        "/ [p + (1 − p) exp(−q)]. A fixed slit spills the beam past a short sample at low angles."));
    grid->addWidget(note, 4, 0, 1, 6);
    return group;
}

QWidget* SampleProfileDialog::build_orientation_group()
{
    auto* group = new QGroupBox(QString::fromUtf8("Preferred orientation (March\u2013Dollase) and displacement"));
    auto* grid = new QGridLayout(group);
    const char* labels[kSampleFieldCount] = {"h", "k", "l", "Ratio r", "Fraction f"};
    const char* tips[kSampleFieldCount] = {"whole number", "whole number", "whole number",
                                           "above 0, at most 100: < 1 platelets, > 1 needles, 1 none", "0 to 1"};
    for (int f = 0; f < kSampleFieldCount; ++f) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QString("SampleField%1").arg(f));
        edit->setFixedWidth(f <= kFieldPreferredL ? 40 : 80);
        edit->setToolTip(tips[f]);
        sampleEdits_[static_cast<std::size_t>(f)] = edit;
        grid->addWidget(new QLabel(labels[f]), f <= kFieldPreferredL ? 0 : 1, f <= kFieldPreferredL ? 2 * f : 3 * (f - 3));
        grid->addWidget(edit, f <= kFieldPreferredL ? 0 : 1, f <= kFieldPreferredL ? 2 * f + 1 : 3 * (f - 3) + 1);
    }
    isotropic_ = new QCheckBox(QString::fromUtf8("Isotropic displacement: every atom with its B (B_eq for anisotropic atoms)"));
    isotropic_->setObjectName("IsotropicSwitch");
    grid->addWidget(isotropic_, 2, 0, 1, 6);
    return group;
}

void SampleProfileDialog::start()
{
    const ProfileEntry entry = profile_entry_from(model_.profile);
    function_->setCurrentIndex(entry.function == ProfileFunction::Tch ? 1 : 0);
    strain_->setCurrentIndex(entry.strainShape == StrainShape::Lorentzian ? 1 : 0);
    monochromatorPlace_->setCurrentIndex(entry.monochromatorPlace == MonochromatorPlace::Incident ? 1 : 0);
    for (int f = 0; f < kProfileFieldCount; ++f)
        edits_[static_cast<std::size_t>(f)]->setText(QString::fromStdString(entry.texts[static_cast<std::size_t>(f)]));
    const SampleEntry sample = sample_entry_from(model_.sample);
    for (int f = 0; f < kSampleFieldCount; ++f)
        sampleEdits_[static_cast<std::size_t>(f)]->setText(QString::fromStdString(sample.texts[static_cast<std::size_t>(f)]));
    isotropic_->setChecked(sample.isotropic);
    show();
    raise();
}

bool SampleProfileDialog::accept_entries()
{
    ProfileEntry entry;
    entry.function = function_->currentIndex() == 1 ? ProfileFunction::Tch : ProfileFunction::Seed;
    entry.strainShape = strain_->currentIndex() == 1 ? StrainShape::Lorentzian : StrainShape::Gaussian;
    entry.monochromatorPlace =
        monochromatorPlace_->currentIndex() == 1 ? MonochromatorPlace::Incident : MonochromatorPlace::Diffracted;
    for (int f = 0; f < kProfileFieldCount; ++f)
        entry.texts[static_cast<std::size_t>(f)] = edits_[static_cast<std::size_t>(f)]->text().toStdString();
    SampleEntry sample;
    for (int f = 0; f < kSampleFieldCount; ++f)
        sample.texts[static_cast<std::size_t>(f)] = sampleEdits_[static_cast<std::size_t>(f)]->text().toStdString();
    sample.isotropic = isotropic_->isChecked();
    ProfileSettings profile = model_.profile;
    SampleSettings sampleSettings = model_.sample;
    int refused = read_profile_entry(entry, profile, messages_);
    QLineEdit* refusedEdit = refused >= 0 ? edits_[static_cast<std::size_t>(refused)] : nullptr;
    if (!refusedEdit) {
        refused = read_sample_entry(sample, sampleSettings, messages_);
        refusedEdit = refused >= 0 ? sampleEdits_[static_cast<std::size_t>(refused)] : nullptr;
    }
    if (refusedEdit) {
        refusedEdit->setFocus();
        refusedEdit->selectAll();
        return false;
    }
    const bool changed = !(profile == model_.profile) || !same_sample_settings(sampleSettings, model_.sample);
    model_.profile = profile;
    model_.sample = sampleSettings;
    if (changed && on_accepted)
        on_accepted();
    return true;
}

}  // namespace kalidos::app
