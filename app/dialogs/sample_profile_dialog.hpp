// The "Sample and profile" dialog: profile function, crystallite size and strain, axial divergence,
// zero shift and sample displacement, the intensity corrections, with their units and ranges.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "entry/profile_entry.hpp"
#include "entry/sample_entry.hpp"
#include "model/structure_model.hpp"
#include "ui/messages.hpp"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;

namespace kalidos::app {

class SampleProfileDialog : public QDialog {
    Q_OBJECT
public:
    SampleProfileDialog(StructureModel& model, Messages& messages, QWidget* parent = nullptr);

    // Shows the model's settings in the fields, then the dialog (not modal).
    void start();
    // OK: reads every field; a refused one keeps the dialog open with the field focused.
    bool accept_entries();

    std::function<void()> on_accepted;  // the settings changed: the results are out of date
    std::function<void()> on_help;      // F1 and the Help button

    QLineEdit* field(int index) { return edits_[static_cast<std::size_t>(index)]; }
    QComboBox* function_box() { return function_; }
    QComboBox* strain_box() { return strain_; }
    QComboBox* monochromator_place_box() { return monochromatorPlace_; }
    QLineEdit* sample_field(int index) { return sampleEdits_[static_cast<std::size_t>(index)]; }
    QCheckBox* isotropic_box() { return isotropic_; }

private:
    void add_field(QGridLayout* grid, int row, int column, int field, const char* label = nullptr);
    QWidget* build_profile_group();
    QWidget* build_sample_group();
    QWidget* build_instrument_group();
    QWidget* build_orientation_group();
    QWidget* build_corrections_group();

    StructureModel& model_;
    Messages& messages_;
    std::array<QLineEdit*, kProfileFieldCount> edits_{};
    QComboBox* function_ = nullptr;
    QComboBox* strain_ = nullptr;
    QComboBox* monochromatorPlace_ = nullptr;
    std::array<QLineEdit*, kSampleFieldCount> sampleEdits_{};
    QCheckBox* isotropic_ = nullptr;
};

}  // namespace kalidos::app
