// A fixed-capacity table indexed from 1 whose storage is allocated when first written.
#pragma once

#include <cstddef>
#include <memory>

#include "util/fixed_table.hpp"

namespace kalidos {

// A Table allocated when first written. The workspace holds ten observed diagrams of 1015
// points (240 kB) that most calculations never touch: clearing them for every structure, and
// faulting their pages in for every thread, showed in runs over many small structures. A table
// never written reads as value-initialised slots, as a Table does.
template <class T, std::size_t N>
class LazyTable {
public:
    static constexpr int capacity = Table<T, N>::capacity;

    LazyTable() = default;
    LazyTable(const LazyTable& other) : items_(copy_of(other.items_)) {}
    LazyTable& operator=(const LazyTable& other)
    {
        if (this != &other)
            items_ = copy_of(other.items_);
        return *this;
    }
    LazyTable(LazyTable&&) noexcept = default;
    LazyTable& operator=(LazyTable&&) noexcept = default;

    T& operator[](int i) { return written()[i]; }
    const T& operator[](int i) const { return read()[i]; }
    void fill(const T& value) { written().fill(value); }
    T* data() { return written().data(); }
    const T* data() const { return read().data(); }

private:
    using Items = Table<T, N>;
    static std::unique_ptr<Items> copy_of(const std::unique_ptr<Items>& items)
    {
        return items ? std::make_unique<Items>(*items) : nullptr;
    }
    Items& written()
    {
        if (!items_)
            items_ = std::make_unique<Items>();
        return *items_;
    }
    const Items& read() const { return items_ ? *items_ : kUnwritten; }

    static inline const Items kUnwritten{};
    std::unique_ptr<Items> items_;
};

}  // namespace kalidos
