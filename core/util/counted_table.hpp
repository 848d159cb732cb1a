// Heap-held tables of fixed capacity with a count of entries in use, indexed from 1.
#pragma once

#include <cassert>
#include <vector>

namespace kalidos {

// The result tables are too large for the stack (40000 records of 48 bytes), so their
// slots live on the heap; the capacity never changes after construction.
template <class T>
class CountedTable {
public:
    explicit CountedTable(int capacity) : slots_(static_cast<std::size_t>(capacity)) {}

    int capacity() const { return static_cast<int>(slots_.size()); }
    int count = 0;

    T& operator[](int i)
    {
        assert(i >= 1 && i <= capacity());
        return slots_[static_cast<std::size_t>(i - 1)];
    }
    const T& operator[](int i) const
    {
        assert(i >= 1 && i <= capacity());
        return slots_[static_cast<std::size_t>(i - 1)];
    }
    T* begin() { return slots_.data(); }
    T* end() { return slots_.data() + count; }
    const T* begin() const { return slots_.data(); }
    const T* end() const { return slots_.data() + count; }

private:
    std::vector<T> slots_;
};

}  // namespace kalidos
