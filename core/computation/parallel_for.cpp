#include "computation/parallel_for.hpp"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace kalidos {
namespace {

std::atomic<int> requestedThreads{0};

// Below this many items a second thread costs more than it saves.
constexpr int kMinItemsPerThread = 16;

}  // namespace

void set_computation_threads(int threads)
{
    requestedThreads = std::max(threads, 0);
}

int computation_threads()
{
    const int requested = requestedThreads;
    if (requested > 0)
        return requested;
    // Asked once: the library reads it from the system's files on every call.
    static const int cores = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
    return cores;
}

void parallel_for(int count, const std::function<void(int begin, int end)>& body)
{
    if (count <= 0)
        return;
    const int threads = std::clamp(count / kMinItemsPerThread, 1, computation_threads());
    if (threads == 1) {
        body(0, count);
        return;
    }
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(threads - 1));
    const auto block_start = [&](int t) {
        return static_cast<int>(static_cast<long long>(count) * t / threads);
    };
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(body, block_start(t), block_start(t + 1));
    body(0, block_start(1));
    for (auto& worker : workers)
        worker.join();
}

}  // namespace kalidos
