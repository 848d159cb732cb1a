// A grid of text cells, as a window's string grid holds them (row 0 and 1 may be headers).
#pragma once

#include <string>
#include <vector>

namespace kalidos {

// The core writes and reads grids as text so that what the user typed reaches the
// calculation exactly as a window shows it; the window mirrors the cells.
class TextGrid {
public:
    TextGrid(int rows, int columns) { resize(rows, columns); }

    int rows() const { return rows_; }
    int columns() const { return columns_; }
    void resize(int rows, int columns)
    {
        rows_ = rows;
        columns_ = columns;
        cells_.resize(static_cast<std::size_t>(rows));
        for (auto& row : cells_)
            row.resize(static_cast<std::size_t>(columns));
    }
    // Cells outside the grid read as empty and ignore writes, as an absent cell would.
    std::string cell(int row, int column) const
    {
        return inside(row, column) ? cells_[idx(row)][idx(column)] : std::string();
    }
    void set_cell(int row, int column, const std::string& text)
    {
        if (inside(row, column))
            cells_[idx(row)][idx(column)] = text;
    }
    void clear()
    {
        for (auto& row : cells_)
            for (auto& text : row)
                text.clear();
    }

private:
    static std::size_t idx(int i) { return static_cast<std::size_t>(i); }
    bool inside(int row, int column) const
    {
        return row >= 0 && row < rows_ && column >= 0 && column < columns_;
    }
    int rows_ = 0;
    int columns_ = 0;
    std::vector<std::vector<std::string>> cells_;
};

}  // namespace kalidos
