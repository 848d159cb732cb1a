// Fixed-capacity tables indexed from 1 whose storage is allocated when first written.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <memory>

namespace kalidos {

// A Table whose slots are allocated when first written. The workspace holds ten observed
// diagrams of 1015 points (240 kB) that most calculations never touch: clearing them for every
// structure, and faulting their pages in for every thread, showed in runs over many small
// structures. A table never written reads as value-initialised slots, as a Table does.
template <class T, std::size_t N>
class LazyTable {
public:
    static constexpr int capacity = static_cast<int>(N);

    LazyTable() = default;
    LazyTable(const LazyTable& other) : items_(other.items_ ? std::make_unique<Items>(*other.items_) : nullptr) {}
    LazyTable& operator=(const LazyTable& other)
    {
        if (this != &other)
            items_ = other.items_ ? std::make_unique<Items>(*other.items_) : nullptr;
        return *this;
    }
    LazyTable(LazyTable&&) noexcept = default;
    LazyTable& operator=(LazyTable&&) noexcept = default;

    T& operator[](int i)
    {
        assert(i >= 1 && i <= capacity);
        return written()[static_cast<std::size_t>(i - 1)];
    }
    const T& operator[](int i) const
    {
        assert(i >= 1 && i <= capacity);
        return read()[static_cast<std::size_t>(i - 1)];
    }
    void fill(const T& value) { written().fill(value); }
    T* data() { return written().data(); }
    const T* data() const { return read().data(); }

private:
    using Items = std::array<T, N>;
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
