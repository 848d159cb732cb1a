#include "main_window/grid_bridge.hpp"

#include <QTableWidget>

namespace kalidos::app {

namespace {

constexpr int kExactValueRole = Qt::UserRole;
constexpr int kShownTextRole = Qt::UserRole + 1;
constexpr int kTensorRole = Qt::UserRole + 2;  // the six U^ij of an anisotropic atom's B cell
constexpr int kSiteLabelRole = Qt::UserRole + 3;  // a label cell's site label and the texts it holds for

QVariant tensor_data(const AnisotropicDisplacement& tensor)
{
    if (!tensor.present)
        return {};
    QVariantList values;
    for (double u : tensor.u)
        values.append(u);
    return values;
}

AnisotropicDisplacement tensor_of(const QVariant& data)
{
    AnisotropicDisplacement tensor;
    const QVariantList values = data.toList();
    if (values.size() != 6)
        return tensor;
    tensor.present = true;
    for (int i = 0; i < 6; ++i)
        tensor.u[i] = values[i].toDouble();
    return tensor;
}

QTableWidgetItem* item_at(QTableWidget& table, int row, int column)
{
    QTableWidgetItem* item = table.item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        table.setItem(row, column, item);
    }
    return item;
}

}  // namespace

void read_atom_table(const QTableWidget& table, AtomGrid& grid)
{
    const int rows = std::min(table.rowCount(), grid.rows() - 1);
    const int columns = std::min(table.columnCount(), grid.columns());
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QTableWidgetItem* item = table.item(r, c);
            AtomCell& cell = grid.at(r + 1, c);
            cell = AtomCell{};
            if (!item)
                continue;
            cell.text = item->text().toStdString();
            const QVariant value = item->data(kExactValueRole);
            if (value.isValid()) {
                cell.hasValue = true;
                cell.value = value.toDouble();
                cell.shown = item->data(kShownTextRole).toString().toStdString();
            }
            cell.tensor = tensor_of(item->data(kTensorRole));
            const QStringList site = item->data(kSiteLabelRole).toStringList();
            if (site.size() == 2) {
                cell.shown = site[0].toStdString();
                cell.siteLabel = site[1].toStdString();
            }
        }
    }
}

void write_atom_table(QTableWidget& table, const AtomGrid& grid)
{
    const int rows = std::min(table.rowCount(), grid.rows() - 1);
    const int columns = std::min(table.columnCount(), grid.columns());
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const AtomCell& cell = grid.at(r + 1, c);
            QTableWidgetItem* item = table.item(r, c);
            if (!item && cell.text.empty())
                continue;
            item = item_at(table, r, c);
            const QString text = QString::fromStdString(cell.text);
            if (item->text() != text)
                item->setText(text);
            item->setData(kExactValueRole, cell.hasValue ? QVariant(cell.value) : QVariant());
            item->setData(kShownTextRole, cell.hasValue ? QVariant(QString::fromStdString(cell.shown)) : QVariant());
            item->setData(kTensorRole, tensor_data(cell.tensor));
            item->setData(kSiteLabelRole, cell.siteLabel.empty() ? QVariant()
                                                                 : QVariant(QStringList{QString::fromStdString(cell.shown),
                                                                                        QString::fromStdString(cell.siteLabel)}));
        }
    }
}

void read_text_table(const QTableWidget& table, TextGrid& grid)
{
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.columns(); ++c) {
            const QTableWidgetItem* item = r < table.rowCount() && c < table.columnCount() ? table.item(r, c) : nullptr;
            grid.set_cell(r, c, item ? item->text().toStdString() : std::string());
        }
}

// Row 1 of the anomalous grid (the "Elem.", f' and f" headers) stands out: light green, red text.
void paint_anomalous_header(QTableWidget& table)
{
    if (table.rowCount() < 2)
        return;
    for (int c = 0; c < table.columnCount(); ++c) {
        QTableWidgetItem* item = item_at(table, 1, c);
        item->setBackground(kAnomalousHeaderColour);
        item->setForeground(QColor(Qt::red));
    }
}

void write_text_table(QTableWidget& table, const TextGrid& grid)
{
    table.setRowCount(grid.rows());
    table.setColumnCount(grid.columns());
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.columns(); ++c) {
            const QString text = QString::fromStdString(grid.cell(r, c));
            QTableWidgetItem* item = table.item(r, c);
            if (!item && text.isEmpty())
                continue;
            item = item_at(table, r, c);
            if (item->text() != text)
                item->setText(text);
        }
    paint_anomalous_header(table);
}

}  // namespace kalidos::app
