#include "computation/parallel_for.hpp"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace kalidos {
namespace {

std::atomic<int> requestedThreads{0};

// Below this many items a second thread costs more than it saves: each loop wakes the pool's
// threads through the kernel and waits for them, some 10 to 50 µs on a shared machine, while the
// loops of a refinement's trial step over a small structure's reflections or a few thousand points
// take about as long. With 16 a cell check of the indexing spent more time in the kernel than in
// its own work (10.4 s against 9.3 s); with 512 it took 4.9 s where it took 24.7.
constexpr int kMinItemsPerThread = 512;

// Threads kept waiting for the next loop: starting a thread for every loop of every structure
// cost more than the loops themselves on small structures. One loop runs on the pool at a time;
// a loop started meanwhile (calculations in several threads of the caller's) runs in its caller
// alone, which gives the same results.
class WorkerPool {
public:
    // Runs block(1) .. block(blocks - 1) on the pool and block(0) in the caller, returning when all
    // are done; false (nothing run) when the pool is busy or belongs to the parent of a fork.
    bool run(int blocks, const std::function<void(int)>& block)
    {
        std::unique_lock call(callMutex_, std::try_to_lock);
        if (!call.owns_lock() || getpid() != owner_)
            return false;
        {
            std::lock_guard lock(mutex_);
            while (workers_ < blocks - 1)
                start_worker(++workers_);
            job_ = &block;
            jobBlocks_ = blocks;
            pending_ = blocks - 1;
            ++generation_;
        }
        wake_.notify_all();
        std::exception_ptr failure;
        try {
            block(0);
        } catch (...) {
            failure = std::current_exception();  // the workers still use `block`: wait for them first
        }
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return pending_ == 0; });
        job_ = nullptr;
        if (failure)
            std::rethrow_exception(failure);
        return true;
    }

private:
    // Called with mutex_ held. Workers are detached and live as long as the process: the pool is
    // never destroyed, so no exit waits for them.
    void start_worker(int index)
    {
        std::thread([this, index, seen = generation_]() mutable {
            std::unique_lock lock(mutex_);
            for (;;) {
                wake_.wait(lock, [&] { return generation_ != seen; });
                seen = generation_;
                if (index >= jobBlocks_)
                    continue;
                const std::function<void(int)>* job = job_;
                lock.unlock();
                (*job)(index);
                lock.lock();
                if (--pending_ == 0)
                    done_.notify_one();
            }
        }).detach();
    }

    std::mutex callMutex_;  // held for a whole loop
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const std::function<void(int)>* job_ = nullptr;
    int jobBlocks_ = 0;
    int pending_ = 0;
    long long generation_ = 0;
    int workers_ = 0;
    const pid_t owner_ = getpid();
};

WorkerPool& worker_pool()
{
    static WorkerPool* pool = new WorkerPool;  // never destroyed: see start_worker
    return *pool;
}

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
    const auto block_start = [&](int t) {
        return static_cast<int>(static_cast<long long>(count) * t / threads);
    };
    if (threads == 1 || !worker_pool().run(threads, [&](int t) { body(block_start(t), block_start(t + 1)); }))
        body(0, count);
}

void parallel_items(int count, const std::function<void(int item)>& body)
{
    if (count <= 0)
        return;
    const int threads = std::clamp(count, 1, computation_threads());
    const auto run = [&](int begin, int end) {
        for (int i = begin; i < end; ++i)
            body(i);
    };
    const auto block_start = [&](int t) { return count * t / threads; };
    if (threads == 1 || !worker_pool().run(threads, [&](int t) { run(block_start(t), block_start(t + 1)); }))
        run(0, count);
}

}  // namespace kalidos
