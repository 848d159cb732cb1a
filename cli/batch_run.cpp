#include "batch_run.hpp"

namespace kalidos::batch {

int run_batch(const BatchOptions& options, StreamMessages& messages, std::ostream& standardOutput)
{
    (void)options;
    (void)standardOutput;
    messages.note("not wired yet");
    return kExitRefused;
}

}  // namespace kalidos::batch
