// The refinement window's runs: the worker thread, the report of each cycle, Stop and Undo.
#include "comparison/agreement_report.hpp"  // for agreement_legend
#include "refinement/parameter_tree.hpp"
#include "refinement/tfrefine.hpp"

#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QSpinBox>
#include <QTableWidget>
#include <QThread>

namespace kalidos::app {
namespace {

QString percent(double r)
{
    return QString::number(100 * r, 'f', 2);
}

drawing::FitLegend refinement_legend(const RefinementResult& r, int shownStage, const std::string& fileName,
                                     const std::vector<RefinementPhase>& phases)
{
    Agreement figures;
    figures.rp = r.rp, figures.rwp = r.rwp, figures.rexp = r.rexp, figures.chi2 = r.chi2;
    QString bragg = "R_Bragg:";
    for (std::size_t p = 0; p < r.phases.size() && p < phases.size(); ++p)
        bragg += QString("  %1 %2%").arg(QString::fromStdString(phases[p].name), percent(r.phases[p].rBragg));
    const QString where = QString("Stage %1, cycle %2  Points=%3  Parameters=%4")
                              .arg(shownStage)
                              .arg(r.cycle)
                              .arg(r.points)
                              .arg(r.refinedCount);
    return {QString::fromStdString("Refinement against " + fileName),
            {QString::fromStdString(agreement_legend(figures)), bragg, where}};
}

}  // namespace

void Tfrefine::refine_checked()
{
    if (running() || current_.empty())
        return;
    const std::set<std::string> checked = tree_->checked();
    const std::vector<std::string> stage = stage_names(parameters_, checked);
    if (stage.empty()) {
        tell("Check the parameters to refine first");
        return;
    }
    undo_.push_back(snapshot());
    std::vector<std::vector<std::string>> stages = record_stage(checked);
    const int prefix = stages.size() > 1 ? 1 : 0;
    run(stages.empty() ? std::vector<std::vector<std::string>>{stage} : std::move(stages), prefix);
}

// The stages refined since the start, as kalidos-batch would refine them: each adds what was
// checked since the one before; a press that unchecks something starts the list again. Returns
// what the press refines when it adds a stage to others: what they released, then the new stage,
// so that the new groups are brought in as one kalidos-batch run brings them in; else nothing.
std::vector<std::vector<std::string>> Tfrefine::record_stage(const std::set<std::string>& checked)
{
    std::set<std::string> before;
    for (const std::vector<std::string>& stage : stages_)
        for (const std::string& name : released_names(parameters_, stage))
            before.insert(name);
    std::set<std::string> added;
    bool superset = true;
    for (const std::string& name : before)
        superset = superset && checked.count(name) > 0;
    for (const std::string& name : checked)
        if (!before.count(name))
            added.insert(name);
    if (!superset)
        stages_.clear(), added = checked;
    std::vector<std::vector<std::string>> press;
    // A press that releases nothing new refines again what the stages released: no stage of its own.
    if (std::vector<std::string> stage = stage_names(parameters_, added); !stage.empty()) {
        if (superset && !before.empty())
            press = {stage_names(parameters_, before), stage};
        stages_.push_back(std::move(stage));
    }
    stagesEdit_->setText(QString::fromStdString(stages_text(stages_)));
    return press;
}

void Tfrefine::refine_stages()
{
    if (running() || current_.empty())
        return;
    std::vector<std::vector<std::string>> stages;
    const std::string why = parse_refinement_stages(stagesEdit_->text().toStdString(), stages);
    if (!why.empty() || stages.empty()) {
        tell(QString::fromStdString("No refinement: " + (why.empty() ? std::string("no stage given") : why)));
        return;
    }
    undo_.push_back(snapshot());
    std::set<std::string> released;
    for (const std::vector<std::string>& stage : stages)
        for (const std::string& name : released_names(parameters_, stage))
            released.insert(name);
    tree_->set_checked(released);
    stages_ = stages;
    run(std::move(stages));
}

// The stages recorded run again from the start's values with the new order, as kalidos-batch
// --background N --refine STAGES runs them: the recorded stages and the order stay one refinement.
void Tfrefine::background_order_changed()
{
    if (running() || current_.empty() || background_->value() == shownBackgroundOrder_)
        return;
    Snapshot before = snapshot();
    before.backgroundOrder = shownBackgroundOrder_;
    undo_.push_back(std::move(before));
    shownBackgroundOrder_ = background_->value();
    if (stages_.empty()) {  // nothing refined: the tree takes the new terms
        result_.reset();
        rebuild_tree();
        show_result();
        return;
    }
    current_ = start_.phases;
    result_.reset();
    rebuild_tree();
    note(QString("Background order %1: the stages %2 refined again from the start")
             .arg(shownBackgroundOrder_)
             .arg(QString::fromStdString(stages_text(stages_))));
    run(stages_);
}

void Tfrefine::run(std::vector<std::vector<std::string>> stages, int prefix)
{
    if (running() || current_.empty())
        return;
    tell("Refining...");
    running_.offset = figures_->rowCount() > 0 ? figures_->item(figures_->rowCount() - 1, 0)->text().toInt() : 0;
    running_.prefix = prefix;
    remember_settings();
    stop_ = false;
    workerRefusal_.clear();
    RefinementRequest made = request(std::move(stages));
    worker_ = QThread::create([this, made = std::move(made)] {
        workerRefusal_ = kalidos::refine(
            made, workerResult_,
            [this](const RefinementResult& progress) {
                QMetaObject::invokeMethod(this, [this, progress] { cycle_finished(progress); }, Qt::QueuedConnection);
            },
            &stop_);
    });
    connect(worker_, &QThread::finished, this, &Tfrefine::refinement_finished, Qt::QueuedConnection);
    set_running(true);
    worker_->start();
}

void Tfrefine::cycle_finished(const RefinementResult& progress)
{
    tree_->show_values(progress.parameters, true);
    draw(&progress);
    const int row = figures_->rowCount();
    figures_->insertRow(row);
    const CycleFigures& f = progress.stages.empty() || progress.stages.back().figures.empty()
                                ? CycleFigures{progress.cycle, progress.rp, progress.rwp, progress.chi2}
                                : progress.stages.back().figures.back();
    const QString cells[] = {QString::number(running_.shown(progress.stage)), QString::number(f.cycle),
                             percent(f.rp), percent(f.rwp), QString::number(f.chi2, 'g', 5)};
    for (int c = 0; c < 5; ++c)
        figures_->setItem(row, c, new QTableWidgetItem(cells[c]));
    figures_->scrollToBottom();
}

void Tfrefine::refinement_finished()
{
    worker_->wait();
    worker_->deleteLater();
    worker_ = nullptr;
    if (!workerRefusal_.empty()) {
        restore(std::move(undo_.back()));
        undo_.pop_back();
        tell(QString::fromStdString("No refinement: " + workerRefusal_));
        return;
    }
    result_ = std::move(workerResult_);
    workerResult_ = {};
    resultNumbering_ = running_;
    for (std::size_t p = 0; p < current_.size() && p < result_->phases.size(); ++p)
        current_[p].model = result_->phases[p].refined;
    note_outcome(*result_);
    show_result();
    tell({});
    set_running(false);
}

void Tfrefine::note_outcome(const RefinementResult& r)
{
    for (const std::string& text : r.notes)
        note(QString::fromStdString(text));
    for (std::size_t s = 0; s < r.stages.size(); ++s) {
        const RefinementStage& stage = r.stages[s];
        const QString head = QString("Stage %1: ").arg(running_.shown(static_cast<int>(s) + 1));
        for (const std::string& text : stage.notes)
            note(head + QString::fromStdString(text));
        if (stage.stopped)
            note(head + QString("stopped; the values of cycle %1 kept").arg(stage.cycles));
        else
            note(head + QString("%1 after %2 cycles, Chi2 %3")
                            .arg(QString::fromUtf8(outcome_text(stage.outcome)))
                            .arg(stage.cycles)
                            .arg(stage.chi2, 0, 'g', 5));
    }
    for (const ParameterCorrelation& c : r.correlations)
        note(QString("Correlation %1 / %2: %3")
                 .arg(QString::fromStdString(c.first), QString::fromStdString(c.second))
                 .arg(c.coefficient, 0, 'f', 3));
    note(QString("Rp %1 %  Rwp %2 %  Rexp %3 %  Chi2 %4")
             .arg(percent(r.rp), percent(r.rwp), percent(r.rexp))
             .arg(r.chi2, 0, 'g', 5));
}

// The tree and the diagram window after a refinement, an Undo or a start.
void Tfrefine::show_result()
{
    if (result_) {
        parameters_ = result_->parameters;
        tree_->show_values(parameters_, true);
    } else {
        std::vector<RefinementParameter> parameters;
        if (refinement_parameters(request({}), parameters).empty())
            parameters_ = std::move(parameters);
        tree_->show_values(parameters_, false);
    }
    draw(result_ ? &*result_ : nullptr);
}

void Tfrefine::draw(const RefinementResult* result)
{
    if (!hooks_.draw)
        return;
    if (!result) {
        hooks_.draw(nullptr, nullptr);
        return;
    }
    const AgreementCurves curves = agreement_curves(result->curves);
    const StageNumbering& numbering = result_ && result == &*result_ ? resultNumbering_ : running_;  // a cycle's: the run's
    const drawing::FitLegend legend =
        refinement_legend(*result, numbering.shown(result->stage), start_.observedName, current_);
    hooks_.draw(&curves, &legend);
}

void Tfrefine::stop()
{
    stop_ = true;
}

void Tfrefine::undo()
{
    if (running() || undo_.empty())
        return;
    Snapshot last = std::move(undo_.back());
    undo_.pop_back();
    restore(std::move(last));
    note("Undone: everything as before the last press");
    remember_settings();
}

Tfrefine::Snapshot Tfrefine::snapshot() const
{
    return {current_, result_, resultNumbering_, stages_, tree_->checked(), shownBackgroundOrder_, figures_->rowCount()};
}

void Tfrefine::restore(Snapshot state)
{
    current_ = std::move(state.phases);
    result_ = std::move(state.result);
    resultNumbering_ = state.resultNumbering;
    stages_ = std::move(state.stages);
    stagesEdit_->setText(QString::fromStdString(stages_text(stages_)));
    figures_->setRowCount(std::min(figures_->rowCount(), state.figureRows));
    shownBackgroundOrder_ = state.backgroundOrder;
    {
        const QSignalBlocker quiet(background_);
        background_->setValue(state.backgroundOrder);
    }
    rebuild_tree();
    tree_->set_checked(state.checked);
    show_result();
    tell({});
    set_running(false);
}

}  // namespace kalidos::app
