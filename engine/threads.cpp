#include "engine/threads.hpp"

#include <mutex>
#include <system_error>

namespace orvanta::engine {

ThreadPool::ThreadPool(int workers) {
    threads_.reserve(static_cast<std::size_t>(std::max(workers, 0)));
    for (int i = 0; i < workers; ++i) {
        try {
            threads_.emplace_back([this] { serve(); });
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the search goes on with those started
        }
    }
}

ThreadPool::~ThreadPool() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    threads_.clear();
}

ThreadPool::Batch ThreadPool::run(std::function<void()> job, int count) {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return wanted_ == 0 && running_ == 0; });
        job_ = std::move(job);
        wanted_ = std::clamp(count, 0, workers());
    }
    changed_.notify_all();
    return Batch(this);
}

void ThreadPool::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return wanted_ == 0 && running_ == 0; });
    job_ = nullptr;
}

void ThreadPool::serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || wanted_ > 0; });
        if (stopping_) {
            return;
        }
        --wanted_;
        ++running_;
        const std::function<void()> job = job_;
        lock.unlock();
        try {
            job();
        } catch (...) {
            // A job's failure is its own to report (its search's result); the worker stays.
        }
        lock.lock();
        --running_;
        changed_.notify_all();
    }
}

void shareWork(int threads, int count, const std::function<void(int, int)>& work) {
    std::atomic<int> next{0};
    std::atomic<int> workers{0};
    std::mutex failed;
    std::exception_ptr failure;  // guarded by `failed`
    const auto share = [&] {
        const int worker = workers++;
        try {
            for (int item; (item = next++) < count;) {
                work(item, worker);
            }
        } catch (...) {
            const std::lock_guard lock(failed);
            if (!failure) {
                failure = std::current_exception();
            }
            next = count;
        }
    };
    {
        ThreadPool pool(std::max(threads, 1) - 1);
        const ThreadPool::Batch helpers = pool.run(share, pool.workers());
        share();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace orvanta::engine
