// The Phases window's particle size and internal standard: the Brindley column and the amorphous content.
#include "diagram/tfphases.hpp"
#include "util/pascal_format.hpp"

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

namespace kalidos::app {
namespace {

// "" (none) or a diameter above 0 and at most 1000 µm; false for anything else.
bool read_diameter(const QString& text, double& diameter)
{
    diameter = 0;
    if (text.trimmed().isEmpty())
        return true;
    bool ok = false;
    diameter = text.trimmed().toDouble(&ok);
    return ok && diameter > 0 && diameter <= 1000;
}

// "" (none) or "N:percent" with N a phase from 1 and 0 < percent < 100.
bool read_standard(const QString& text, std::size_t phases, QuantitySettings& settings)
{
    settings.standard = -1;
    if (text.trimmed().isEmpty())
        return true;
    const QStringList parts = text.trimmed().split(':');
    bool phaseOk = false, percentOk = false;
    const int phase = parts.size() == 2 ? parts[0].trimmed().toInt(&phaseOk) : 0;
    const double percent = parts.size() == 2 ? parts[1].trimmed().toDouble(&percentOk) : 0;
    if (!phaseOk || !percentOk || phase < 1 || static_cast<std::size_t>(phase) > phases || !(percent > 0) ||
        !(percent < 100))
        return false;
    settings.standard = phase - 1;
    settings.standardWeight = percent / 100;
    return true;
}

}  // namespace

void Tfphases::update_quantities()
{
    QuantitySettings settings;
    const std::size_t phases = mixture_.entries().size();
    std::string problem;
    if (!read_diameter(particle_->text(), settings.particleDiameter))
        problem = "The particles' diameter is a number above 0 and at most 1000 micrometres";
    else if (!read_standard(standard_->text(), phases, settings))
        problem = "The standard is N:percent, N a phase of the table and the percent between 0 and 100";
    table_->setColumnHidden(Brindley, !(settings.particleDiameter > 0));
    PhaseQuantities q;
    if (problem.empty() && settings.active())
        problem = mixture_.quantities(settings, q);
    if (!problem.empty() || !settings.active()) {
        quantities_->setText(QString::fromStdString(problem));
        return;
    }
    filling_ = true;
    for (int row = 0; row < table_->rowCount() && !q.brindley.empty(); ++row) {
        const auto p = static_cast<std::size_t>(row);
        QTableWidgetItem* item = set_cell(row, Brindley, QString::fromStdString(fmt_fixed(q.brindley[p], 0, 4)), false);
        item->setToolTip(QString::fromStdString("mu " + fmt_fixed(q.absorption[p].mu, 0, 1) + " 1/cm, density " +
                                                fmt_fixed(q.absorption[p].density, 0, 3) + " g/cm3, tau " +
                                                fmt_fixed(q.tau[p], 0, 4)));
    }
    filling_ = false;
    std::string text;
    if (!q.brindley.empty())
        text = "Brindley: mean absorption " + fmt_fixed(q.meanMu, 0, 1) + " 1/cm";
    if (!q.absolute.empty())
        text += (text.empty() ? "" : ";  ") + std::string("Amorphous ") + fmt_fixed(100 * q.amorphous, 0, 2) + " %";
    for (const std::string& note : q.notes)
        text += "\n" + note;
    quantities_->setText(QString::fromStdString(text));
}

}  // namespace kalidos::app
