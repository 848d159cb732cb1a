// The "Refinement" window of the diagram window: the parameters of the calculated phases against the
// first observed diagram in a tree, refined in a worker thread stage after stage. After each cycle
// the diagram window draws observed, calculated, background and difference with the figures; the
// window lists the figures per cycle and the engine's notes. Undo goes back through the Refine
// presses; Keep writes the refined values into the main window and the Phases window.
#pragma once

#include <QWidget>
#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "diagram/diagram_services.hpp"
#include "drawing/comparison_render.hpp"
#include "refinement/refinement_sources.hpp"

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QThread;

namespace kalidos::app {

class ParameterTree;
class PhaseMixture;

struct RefineHooks {
    // Draws the refined curves with their legend in the diagram window; null: the calculation again.
    std::function<void(const AgreementCurves* curves, const drawing::FitLegend* legend)> draw;
    // Keep wrote the refined values into the workspace and the mixture: the windows show them.
    std::function<void()> kept;
};

class Tfrefine : public QWidget {
    Q_OBJECT
  public:
    Tfrefine(Workspace& workspace, PhaseMixture& mixture, DiagramServices services, RefineHooks hooks,
             QWidget* parent = nullptr);
    ~Tfrefine() override;

    // Takes the calculated phases and the first observed diagram, fills the tree (the settings
    // remembered with the structure checked; scale and background when none are) and shows the
    // window. False, with the reason in the notes, when there is nothing to refine.
    bool start();
    // A new calculation: the window, when shown and idle, starts again from it.
    void calculation_changed();

    // Refine: the checked parameters refined together in a worker thread.
    void refine_checked();
    // Refine stages: the stages of the Stages field, one after the other, from the values shown.
    void refine_stages();
    // Stop: the refinement ends after the cycle under way, keeping the last finished cycle.
    void stop();
    // Undo: everything as before the last Refine, Refine stages or change of the background order
    // (values, checks, stages, the cycles listed, the order and the drawing).
    void undo();
    // Keep: the refined cell, atoms, profile and fractions into the main window and the Phases window.
    void keep();
    // Save refined CIF...: the refined structure of each phase, one file each.
    void save_refined_cif();

    bool running() const { return worker_ != nullptr; }
    int undo_levels() const { return static_cast<int>(undo_.size()); }
    const std::optional<RefinementResult>& result() const { return result_; }
    const std::vector<RefinementPhase>& phases() const { return current_; }
    ParameterTree& tree() { return *tree_; }
    QString notes() const;
    // The line under the buttons: what the last press could not do, or what runs.
    QString status() const;

  private:
    // How a refinement's stages are numbered in the cycle table and the legend: after the stages
    // listed before (offset); a press that refines again what the stages before released, as a
    // stage of its own ahead of the new one (prefix 1), shows both under the new one's number.
    struct StageNumbering {
        int offset = 0, prefix = 0;
        int shown(int stage) const { return offset + std::max(1, stage - prefix); }
    };
    struct Snapshot {
        std::vector<RefinementPhase> phases;
        std::optional<RefinementResult> result;
        StageNumbering resultNumbering;
        std::vector<std::vector<std::string>> stages;
        std::set<std::string> checked;
        int backgroundOrder = 0;
        int figureRows = 0;
    };
    Snapshot snapshot() const;
    void restore(Snapshot state);

    void build_layout();
    QWidget* build_settings();
    QWidget* build_buttons();
    void rebuild_tree();
    void background_order_changed();
    void tell(const QString& text);
    RefinementRequest request(std::vector<std::vector<std::string>> stages) const;
    void run(std::vector<std::vector<std::string>> stages, int prefix = 0);
    std::vector<std::vector<std::string>> record_stage(const std::set<std::string>& checked);
    void cycle_finished(const RefinementResult& progress);
    void refinement_finished();
    void show_result();
    void note(const QString& text);
    void note_outcome(const RefinementResult& result);
    void remember_settings();
    void set_running(bool running);
    void draw(const RefinementResult* result);

    Workspace& workspace_;
    PhaseMixture& mixture_;
    DiagramServices services_;
    RefineHooks hooks_;

    RefinementStart start_;
    std::vector<RefinementPhase> current_;  // the values shown: the start, or the last refinement's
    std::vector<RefinementParameter> parameters_;
    std::optional<RefinementResult> result_;
    std::vector<std::vector<std::string>> stages_;  // the stages refined since the start, as kalidos-batch names them
    std::vector<Snapshot> undo_;
    StageNumbering running_;          // of the refinement under way
    StageNumbering resultNumbering_;  // of result_ stage

    QThread* worker_ = nullptr;
    std::atomic<bool> stop_{false};
    RefinementResult workerResult_;
    std::string workerRefusal_;

    ParameterTree* tree_ = nullptr;
    QSpinBox* cycles_ = nullptr;
    QDoubleSpinBox* damping_ = nullptr;
    QSpinBox* background_ = nullptr;
    QLineEdit* stagesEdit_ = nullptr;
    QTableWidget* figures_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    QLabel* status_ = nullptr;
    int shownBackgroundOrder_ = 0;  // the order of the tree and of result_
    QPushButton* refine_ = nullptr;
    QPushButton* refineStages_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* undoButton_ = nullptr;
    QPushButton* keep_ = nullptr;
    QPushButton* saveCif_ = nullptr;
};

}  // namespace kalidos::app
