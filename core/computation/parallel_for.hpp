// Splits a loop over independent items between threads in fixed contiguous blocks.
#pragma once

#include <functional>

namespace kalidos {

// Threads used by the calculation; 0 (the default) means one per hardware core, at most 8.
// Every item is computed whole by one thread in a fixed order, so the results do not depend
// on this number.
void set_computation_threads(int threads);
int computation_threads();

// Calls body(begin, end) over [0, count) split into one block per thread; returns when all are done.
void parallel_for(int count, const std::function<void(int begin, int end)>& body);

// Calls body(item) for every item of [0, count), each item worth a thread of its own (a block of a
// large product): they are shared between the threads in contiguous runs, whatever their number.
void parallel_items(int count, const std::function<void(int item)>& body);

}  // namespace kalidos
