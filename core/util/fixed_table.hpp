// Fixed-capacity tables indexed from 1, as the model and the result tables are described.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>

namespace kalidos {

// A table of N slots numbered 1..N. Capacities are part of the program's contract
// (400 atoms, 192 operators ...), so the storage is fixed and an index outside
// 1..N is a programming error caught by the assertion.
template <class T, std::size_t N>
class Table {
public:
    static constexpr int capacity = static_cast<int>(N);

    T& operator[](int i)
    {
        assert(i >= 1 && i <= capacity);
        return items_[static_cast<std::size_t>(i - 1)];
    }
    const T& operator[](int i) const
    {
        assert(i >= 1 && i <= capacity);
        return items_[static_cast<std::size_t>(i - 1)];
    }
    void fill(const T& value) { items_.fill(value); }
    T* data() { return items_.data(); }
    const T* data() const { return items_.data(); }

private:
    std::array<T, N> items_{};
};

}  // namespace kalidos
