#include "mirt.h"
#include "mirt_internal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <thread>
#include <utility>
#include <vector>

// How many items run at once.
//
// The main user submits one item per address of a range, each a login that
// may sit in a connect time-out of several seconds when nobody answers. A
// fixed handful of workers would let 254 silent addresses queue up for
// minutes, and one thread per item would mean hundreds of threads for a big
// batch. So the pool grows on demand: a submission starts another worker when
// no idle worker is left for it, up to a bound, and a worker idle for a few
// seconds retires (down to the number asked for at creation).
//
// Items marked blocking may grow the pool to kMaxBlockingWorkers: at 320, a
// /24 of silent addresses fed every 10 ms with a 3 s time-out never waits for
// a worker (3 s / 10 ms = 300 in flight), so it takes one time-out beyond the
// feed instead of 254 × 3 s, while 320 reserved stacks of 1 MiB are virtual
// memory that is only touched as used. Items not marked blocking only use CPU, so
// more workers than cores would buy nothing; they grow the pool up to the
// number of cores.
namespace {

constexpr unsigned int kMaxBlockingWorkers = MIRT_THREADPOOL_MAX_BLOCKING_WORKERS;
constexpr auto kIdleRetire = std::chrono::seconds(5);

struct WorkItem
{
    MIRT_WorkProc proc;
    void *arg;
};

} // namespace

struct MIRT_ThreadPoolRec
{
    std::mutex lock;
    std::condition_variable wake; // items queued or the pool is stopping
    std::condition_variable gone; // a worker has left
    std::deque<WorkItem> queue;
    std::vector<pthread_t> finished; // workers that left and wait to be joined
    unsigned int workers = 0;
    unsigned int idle = 0;
    unsigned int minWorkers = 0;
    unsigned int cpuWorkers = 1;
    bool stopping = false;
    MIRT_DropProc drop = nullptr;
};

namespace {

void *workerMain(void *arg)
{
    auto *pool = static_cast<MIRT_ThreadPoolRec *>(arg);
    std::unique_lock guard(pool->lock);
    for (;;) {
        while (pool->queue.empty() && !pool->stopping) {
            ++pool->idle;
            const bool woken
                = pool->wake.wait_for(guard, kIdleRetire) == std::cv_status::no_timeout;
            --pool->idle;
            if (!woken && pool->queue.empty() && pool->workers > pool->minWorkers) {
                break;
            }
        }
        if (pool->queue.empty()) {
            break; // stopping, or retiring after an idle spell
        }
        const WorkItem item = pool->queue.front();
        pool->queue.pop_front();
        guard.unlock();
        item.proc(item.arg);
        guard.lock();
    }
    // Leave our handle for whoever joins next; after this unlock the pool may
    // be freed, so nothing of it is touched again.
    --pool->workers;
    pool->finished.push_back(pthread_self());
    pool->gone.notify_all();
    return nullptr;
}

// Called with the lock held.
bool startWorker(MIRT_ThreadPoolRec *pool)
{
    pthread_t thread;
    if (mirt::startThread(&thread, workerMain, pool, 0) != 0) {
        return false;
    }
    ++pool->workers;
    return true;
}

void joinAll(std::vector<pthread_t> &threads)
{
    for (pthread_t thread : threads) {
        pthread_join(thread, nullptr);
    }
    threads.clear();
}

} // namespace

MIRT_ThreadPool MIRT_ThreadPool_Create(unsigned int initialThreads, unsigned int /*flags*/)
{
    auto *pool = new (std::nothrow) MIRT_ThreadPoolRec;
    if (pool == nullptr) {
        errno = ENOMEM;
        return nullptr;
    }
    pool->minWorkers = std::min(initialThreads, kMaxBlockingWorkers);
    pool->cpuWorkers
        = std::max(pool->minWorkers, std::max(1u, std::thread::hardware_concurrency()));
    std::unique_lock guard(pool->lock);
    while (pool->workers < pool->minWorkers) {
        if (!startWorker(pool)) {
            const int error = errno;
            guard.unlock();
            MIRT_ThreadPool_Destroy(pool);
            errno = error;
            return nullptr;
        }
    }
    return pool;
}

void MIRT_ThreadPool_SetDropProc(MIRT_ThreadPool pool, MIRT_DropProc drop)
{
    if (pool != nullptr) {
        std::lock_guard guard(pool->lock);
        pool->drop = drop;
    }
}

int MIRT_ThreadPool_WorkEx(MIRT_ThreadPool pool, MIRT_WorkProc proc, void *arg, int blocking)
{
    if (pool == nullptr || proc == nullptr) {
        errno = EINVAL;
        return -1;
    }
    std::vector<pthread_t> toJoin;
    {
        std::lock_guard guard(pool->lock);
        if (pool->stopping) {
            errno = ESHUTDOWN;
            return -1;
        }
        try {
            pool->queue.push_back({ proc, arg });
        } catch (const std::bad_alloc &) {
            errno = ENOMEM;
            return -1;
        }
        const unsigned int limit = blocking ? kMaxBlockingWorkers : pool->cpuWorkers;
        if (pool->queue.size() > pool->idle && pool->workers < limit && !startWorker(pool)
            && pool->workers == 0) {
            // Nobody would ever run it.
            const int error = errno;
            pool->queue.pop_back();
            errno = error;
            return -1;
        }
        pool->wake.notify_one();
        toJoin.swap(pool->finished);
    }
    joinAll(toJoin); // retired workers, already on their way out
    return 0;
}

void MIRT_ThreadPool_Destroy(MIRT_ThreadPool pool)
{
    if (pool == nullptr) {
        return;
    }
    std::deque<WorkItem> dropped;
    MIRT_DropProc drop = nullptr;
    {
        std::lock_guard guard(pool->lock);
        pool->stopping = true;
        dropped.swap(pool->queue);
        drop = pool->drop;
        pool->wake.notify_all();
    }
    if (drop != nullptr) {
        for (const WorkItem &item : dropped) {
            drop(item.arg);
        }
    }
    std::vector<pthread_t> toJoin;
    {
        std::unique_lock guard(pool->lock);
        pool->gone.wait(guard, [pool] { return pool->workers == 0; });
        toJoin.swap(pool->finished);
    }
    joinAll(toJoin);
    delete pool;
}
