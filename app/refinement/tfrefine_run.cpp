// The refinement window's runs: the worker thread, the report of each cycle, Stop and Undo.
#include "comparison/agreement_report.hpp"  // for agreement_legend
#include "refinement/parameter_tree.hpp"
#include "refinement/tfrefine.hpp"

#include <QLineEdit>
#include <QMetaObject>
#include <QTableWidget>
#include <QThread>

namespace kalidos::app {
namespace {

QString percent(double r)
{
    return QString::number(100 * r, 'f', 2);
}

drawing::FitLegend refinement_legend(const RefinementResult& r, int stageOffset, const std::string& fileName,
                                     const std::vector<RefinementPhase>& phases)
{
    Agreement figures;
    figures.rp = r.rp, figures.rwp = r.rwp, figures.rexp = r.rexp, figures.chi2 = r.chi2;
    QString bragg = "R_Bragg:";
    for (std::size_t p = 0; p < r.phases.size() && p < phases.size(); ++p)
        bragg += QString("  %1 %2%").arg(QString::fromStdString(phases[p].name), percent(r.phases[p].rBragg));
    const QString where = QString("Stage %1, cycle %2  Points=%3  Parameters=%4")
                              .arg(stageOffset + r.stage)
                              .arg(r.cycle)
                              .arg(r.points)
                              .arg(r.refinedCount);
    return {QString::fromStdString("Refinement against " + fileName),
            {QString::fromStdString(agreement_legend(figures)), bragg, where}};
}

}  // namespace

void Tfrefine::refine_checked()
{
    const std::set<std::string> checked = tree_->checked();
    if (checked.empty()) {
        note("Check the parameters to refine first");
        return;
    }
    record_stage(checked);
    run({stage_names(parameters_, checked)});
}

// The stages refined since the start, as kalidos-batch would refine them: each adds what was
// checked since the one before; a press that unchecks something starts the list again.
void Tfrefine::record_stage(const std::set<std::string>& checked)
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
    if (!added.empty())
        stages_.push_back(stage_names(parameters_, added));
    stagesEdit_->setText(QString::fromStdString(stages_text(stages_)));
}

void Tfrefine::refine_stages()
{
    std::vector<std::vector<std::string>> stages;
    const std::string why = parse_refinement_stages(stagesEdit_->text().toStdString(), stages);
    if (!why.empty() || stages.empty()) {
        note(QString::fromStdString("No refinement: " + (why.empty() ? std::string("no stage given") : why)));
        return;
    }
    std::set<std::string> released;
    for (const std::vector<std::string>& stage : stages)
        for (const std::string& name : released_names(parameters_, stage))
            released.insert(name);
    tree_->set_checked(released);
    stages_ = stages;
    run(std::move(stages));
}

void Tfrefine::run(std::vector<std::vector<std::string>> stages)
{
    if (running() || current_.empty())
        return;
    undo_.push_back({current_, result_, stages_});
    stageOffset_ = figures_->rowCount() > 0 ? figures_->item(figures_->rowCount() - 1, 0)->text().toInt() : 0;
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
    const QString cells[] = {QString::number(stageOffset_ + progress.stage), QString::number(f.cycle),
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
        note(QString::fromStdString("No refinement: " + workerRefusal_));
        stages_ = undo_.back().stages;
        undo_.pop_back();
        stagesEdit_->setText(QString::fromStdString(stages_text(stages_)));
        set_running(false);
        return;
    }
    result_ = std::move(workerResult_);
    workerResult_ = {};
    for (std::size_t p = 0; p < current_.size() && p < result_->phases.size(); ++p)
        current_[p].model = result_->phases[p].refined;
    note_outcome(*result_);
    show_result();
    set_running(false);
}

void Tfrefine::note_outcome(const RefinementResult& r)
{
    for (std::size_t s = 0; s < r.stages.size(); ++s) {
        const RefinementStage& stage = r.stages[s];
        const QString head = QString("Stage %1: ").arg(stageOffset_ + static_cast<int>(s) + 1);
        for (const std::string& text : stage.notes)
            note(head + QString::fromStdString(text));
        if (stage.stopped)
            note(head + QString("stopped; the values of cycle %1 kept").arg(stage.cycles));
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
    const drawing::FitLegend legend = refinement_legend(*result, stageOffset_, start_.observedName, current_);
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
    current_ = std::move(last.phases);
    result_ = std::move(last.result);
    stages_ = std::move(last.stages);
    stagesEdit_->setText(QString::fromStdString(stages_text(stages_)));
    note("Undone: the values before the last Refine");
    rebuild_tree();  // a loaded instrument may have changed the profile's parameters
    show_result();
    remember_settings();
    set_running(false);
}

}  // namespace kalidos::app
