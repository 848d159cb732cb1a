#include "headless_host.hpp"

#include "model_entries.hpp"

namespace kalidos::batch {

bool HeadlessCalculationHost::read_entries() { return prepare_model_entries(model_, messages_); }

}  // namespace kalidos::batch
