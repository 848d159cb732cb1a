// One headless run: read a structure, apply its group, set the radiation, calculate, write.
#pragma once

#include <ostream>

#include "batch_calculation.hpp"
#include "batch_options.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

// Runs the steps the window runs for the same choices, in the window's order. Operator
// lists, block lists and JSON sent to "-" go to `standardOutput`; messages to `messages`.
int run_batch(const BatchOptions& options, StreamMessages& messages, std::ostream& standardOutput);

}  // namespace kalidos::batch
