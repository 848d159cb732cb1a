#include "refinement/parameter_tree.hpp"

#include <QBrush>
#include <QHeaderView>
#include <map>

namespace kalidos::app {
namespace {

// How a group is captioned in the tree.
QString group_caption(const std::string& group)
{
    static const std::map<std::string, QString> captions = {
        {"scale", "Scale"},         {"background", "Background"}, {"zero", "Zero shift"},
        {"displacement", "Displacement"}, {"profile", "Profile"},   {"asymmetry", "Asymmetry"},
        {"cell", "Cell"},           {"size", "Crystallite size"},  {"strain", "Microstrain"},
        {"preferred", "Orientation r"}, {"overall", "Overall B"}};
    const auto found = captions.find(group);
    return found == captions.end() ? QString::fromStdString(group) : found->second;
}

QString leaf_caption(const RefinementParameter& p, const std::vector<std::string>& phaseNames)
{
    if (p.group == "scale" && p.phase >= 0 && static_cast<std::size_t>(p.phase) < phaseNames.size())
        return QString::fromStdString("scale " + phaseNames[static_cast<std::size_t>(p.phase)]);
    return QString::fromStdString(p.parameter);
}

QTreeWidgetItem* child_named(QTreeWidgetItem* parent, const QString& caption)
{
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(ParameterTree::Name) == caption)
            return parent->child(i);
    auto* item = new QTreeWidgetItem(parent, {caption});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
    item->setCheckState(ParameterTree::Name, Qt::Unchecked);
    return item;
}

void make_leaf(QTreeWidgetItem* leaf, const RefinementParameter& p, bool checked)
{
    leaf->setData(ParameterTree::Name, ParameterTree::kNameRole, QString::fromStdString(p.name));
    if (!p.constraint.empty()) {
        // No check state at all: the groups' tristate ignores it and a group's check passes it by.
        leaf->setFlags(leaf->flags() & ~Qt::ItemIsUserCheckable);
        leaf->setForeground(ParameterTree::Name, QBrush(Qt::gray));
        leaf->setForeground(ParameterTree::Value, QBrush(Qt::gray));
        leaf->setToolTip(ParameterTree::Name, QString::fromStdString(p.constraint));
        leaf->setToolTip(ParameterTree::Value, QString::fromStdString(p.constraint));
        return;
    }
    leaf->setFlags(leaf->flags() | Qt::ItemIsUserCheckable);
    leaf->setCheckState(ParameterTree::Name, checked ? Qt::Checked : Qt::Unchecked);
    leaf->setToolTip(ParameterTree::Name, QString::fromStdString(p.name));
}

// Groups with one parameter put it directly under their heading; the others gather under a group.
QTreeWidgetItem* parent_of(const RefinementParameter& p, QTreeWidgetItem* diagram,
                           const std::vector<QTreeWidgetItem*>& phases, const std::map<std::string, int>& sizes)
{
    if (p.phase < 0 || p.group == "scale")
        return sizes.at(p.group) > 1 ? child_named(diagram, group_caption(p.group)) : diagram;
    QTreeWidgetItem* phase = phases[static_cast<std::size_t>(p.phase)];
    if (!p.atom.empty())
        return child_named(phase, QString::fromStdString(p.atom));
    return p.group == "cell" ? child_named(phase, group_caption(p.group)) : phase;
}

}  // namespace

ParameterTree::ParameterTree(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName("ParameterTree");
    setColumnCount(ColumnCount);
    setHeaderLabels({"Parameter", "Value", "Shift", "su"});
    // Every column as wide as its texts: a value is never cut.
    header()->setStretchLastSection(false);
    for (int column = 0; column < ColumnCount; ++column)
        header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    setUniformRowHeights(true);
}

void ParameterTree::build(const std::vector<RefinementParameter>& parameters,
                          const std::vector<std::string>& phaseNames, const std::set<std::string>& checked)
{
    clear();
    auto* diagram = new QTreeWidgetItem(this, {"Diagram"});
    std::vector<QTreeWidgetItem*> phases;
    for (std::size_t p = 0; p < phaseNames.size(); ++p)
        phases.push_back(new QTreeWidgetItem(this, {QString("Phase %1: %2").arg(p + 1).arg(
                                                        QString::fromStdString(phaseNames[p]))}));
    std::map<std::string, int> groupSizes;  // of the diagram's groups (the scales of every phase among them)
    for (const RefinementParameter& p : parameters)
        if (p.phase < 0 || p.group == "scale")
            ++groupSizes[p.group];
    for (int t = 0; t < topLevelItemCount(); ++t) {
        topLevelItem(t)->setFlags(topLevelItem(t)->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
        topLevelItem(t)->setCheckState(Name, Qt::Unchecked);
    }
    for (const RefinementParameter& p : parameters) {
        if (p.phase >= static_cast<int>(phases.size()))
            continue;
        QTreeWidgetItem* parent = parent_of(p, diagram, phases, groupSizes);
        const bool direct = parent->parent() == nullptr;  // a group of one, under its heading
        auto* leaf = new QTreeWidgetItem(parent, {direct ? group_caption(p.group) : leaf_caption(p, phaseNames)});
        make_leaf(leaf, p, checked.count(p.name) > 0);
    }
    show_values(parameters, false);
    expandAll();
}

void ParameterTree::show_values(const std::vector<RefinementParameter>& parameters, bool withShifts)
{
    for (const RefinementParameter& p : parameters) {
        QTreeWidgetItem* item = leaf(p.name);
        if (!item)
            continue;
        item->setText(Value, QString::number(p.value, 'g', 8));
        const bool moved = withShifts && p.refined;
        item->setText(Shift, moved ? QString::number(p.shift, 'g', 3) : QString());
        item->setText(Su, moved && p.su > 0 ? QString::number(p.su, 'g', 3) : QString());
        const bool flagged = p.held || p.limit != 0;
        item->setForeground(Value, flagged ? QBrush(QColor(192, 96, 0)) : item->foreground(Name));
        if (p.held)
            item->setToolTip(Value, "held: the data do not determine it");
        else if (p.limit != 0)
            item->setToolTip(Value, p.limit < 0 ? "on its lower bound: no su" : "on its upper bound: no su");
        else
            item->setToolTip(Value, QString());
    }
}

std::vector<QTreeWidgetItem*> ParameterTree::leaves() const
{
    std::vector<QTreeWidgetItem*> found;
    QTreeWidgetItemIterator it(const_cast<ParameterTree*>(this));
    for (; *it; ++it)
        if ((*it)->data(Name, kNameRole).isValid())
            found.push_back(*it);
    return found;
}

QTreeWidgetItem* ParameterTree::leaf(const std::string& name) const
{
    const QString wanted = QString::fromStdString(name);
    for (QTreeWidgetItem* item : leaves())
        if (item->data(Name, kNameRole).toString() == wanted)
            return item;
    return nullptr;
}

std::set<std::string> ParameterTree::checked() const
{
    std::set<std::string> names;
    for (QTreeWidgetItem* item : leaves())
        if (item->data(Name, Qt::CheckStateRole).isValid() && item->checkState(Name) == Qt::Checked)
            names.insert(item->data(Name, kNameRole).toString().toStdString());
    return names;
}

void ParameterTree::set_checked(const std::set<std::string>& names)
{
    for (QTreeWidgetItem* item : leaves())
        if (item->data(Name, Qt::CheckStateRole).isValid())
            item->setCheckState(Name, names.count(item->data(Name, kNameRole).toString().toStdString())
                                          ? Qt::Checked
                                          : Qt::Unchecked);
}

}  // namespace kalidos::app
