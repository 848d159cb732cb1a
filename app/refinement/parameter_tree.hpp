// The refinement window's parameter tree: the diagram's parameters, each phase's and each atom's,
// grouped as users think of them, with a check box per parameter and per group, the value and,
// after a cycle, the shift and the standard uncertainty. A parameter that symmetry (or a
// constraint) fixes is shown greyed without a check box, the reason in its tooltip.
#pragma once

#include <QTreeWidget>
#include <set>
#include <string>
#include <vector>

#include "refinement/refinement.hpp"

namespace kalidos::app {

class ParameterTree : public QTreeWidget {
    Q_OBJECT
  public:
    enum Column { Name, Value, Shift, Su, ColumnCount };
    static constexpr int kNameRole = Qt::UserRole;  // a leaf's stable parameter name

    explicit ParameterTree(QWidget* parent = nullptr);

    // Rebuilds the tree over `parameters` (refinement_parameters), `phaseNames` naming the phases;
    // the parameters named in `checked` are checked.
    void build(const std::vector<RefinementParameter>& parameters, const std::vector<std::string>& phaseNames,
               const std::set<std::string>& checked);
    // Values, shifts and su of a result (or of refinement_parameters, without shifts and su).
    void show_values(const std::vector<RefinementParameter>& parameters, bool withShifts);

    std::set<std::string> checked() const;
    void set_checked(const std::set<std::string>& names);
    // The leaf of a parameter; null when the tree has none.
    QTreeWidgetItem* leaf(const std::string& name) const;
    // Every leaf, checkable or not.
    std::vector<QTreeWidgetItem*> leaves() const;
};

}  // namespace kalidos::app
