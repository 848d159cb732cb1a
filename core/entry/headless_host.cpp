#include "entry/headless_host.hpp"

#include "entry/model_entries.hpp"

namespace kalidos {

bool HeadlessCalculationHost::read_entries() { return prepare_model_entries(model_, messages_); }

}  // namespace kalidos
