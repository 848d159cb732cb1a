// Heap-held tables of fixed capacity with a count of entries in use, indexed from 1.
#pragma once

#include <cassert>
#include <vector>

namespace kalidos {

// The result tables are too large for the stack (40000 records of 48 bytes), so their
// slots live on the heap; the capacity never changes after construction.
//
// The whole capacity is reserved at once (so slots never move and references stay valid), but
// slots are only value-initialised when first written: a calculation of a few hundred
// reflections does not pay for clearing megabytes, which would dominate runs over many small
// structures. A slot never written reads as a value-initialised T.
template <class T>
class CountedTable {
public:
    explicit CountedTable(int capacity) : capacity_(capacity) { slots_.reserve(static_cast<std::size_t>(capacity)); }
    CountedTable(const CountedTable& other) : count(other.count), capacity_(other.capacity_)
    {
        slots_.reserve(static_cast<std::size_t>(capacity_));
        slots_ = other.slots_;
    }
    CountedTable& operator=(const CountedTable& other)
    {
        if (this != &other) {
            capacity_ = other.capacity_;
            slots_.reserve(static_cast<std::size_t>(capacity_));
            slots_ = other.slots_;  // within the reserved capacity: no reallocation
            count = other.count;
        }
        return *this;
    }
    CountedTable(CountedTable&&) noexcept = default;
    CountedTable& operator=(CountedTable&&) noexcept = default;

    int capacity() const { return capacity_; }
    int count = 0;

    T& operator[](int i)
    {
        assert(i >= 1 && i <= capacity());
        touch(i);
        return slots_[static_cast<std::size_t>(i - 1)];
    }
    const T& operator[](int i) const
    {
        assert(i >= 1 && i <= capacity());
        if (static_cast<std::size_t>(i) > slots_.size())
            return kUnwritten;
        return slots_[static_cast<std::size_t>(i - 1)];
    }
    T* begin() { return slots_.data(); }
    T* end()
    {
        touch(count);
        return slots_.data() + count;
    }
    const T* begin() const { return slots_.data(); }
    const T* end() const
    {
        assert(static_cast<std::size_t>(count) <= slots_.size());  // counted slots were written
        return slots_.data() + count;
    }

private:
    void touch(int i)
    {
        if (static_cast<std::size_t>(i) > slots_.size())
            slots_.resize(static_cast<std::size_t>(i));  // within the reservation
    }

    static inline const T kUnwritten{};
    int capacity_ = 0;
    std::vector<T> slots_;
};

}  // namespace kalidos
