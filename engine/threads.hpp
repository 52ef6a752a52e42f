#pragma once

// The engine's threads: a pool started once and kept, and Young Brothers Wait, the way the
// mid-game search and the endgame solver share a node's moves among threads.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace orvanta::engine {

// Worker threads started once and kept until the pool goes: a search hands them a job rather
// than starting threads of its own. A thread the system refuses is done without.
class ThreadPool {
  public:
    explicit ThreadPool(int workers);
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;
    ~ThreadPool();

    // The workers that started.
    int workers() const { return static_cast<int>(threads_.size()); }

    // Runs `job` `count` times (at most workers()) on the workers, and waits until every run has
    // returned when the returned object goes. A worker quick to return may take the job again.
    // One batch at a time.
    class Batch {
      public:
        explicit Batch(ThreadPool* pool) : pool_(pool) {}
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        Batch(Batch&& other) noexcept : pool_(std::exchange(other.pool_, nullptr)) {}
        Batch& operator=(Batch&&) = delete;
        ~Batch() {
            if (pool_ != nullptr) {
                pool_->wait();
            }
        }

      private:
        ThreadPool* pool_;
    };
    [[nodiscard]] Batch run(std::function<void()> job, int count);

  private:
    void serve();
    void wait();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;  // guarded, as the rest
    int wanted_ = 0;             // workers still to take the job
    int running_ = 0;            // workers in it
    bool stopping_ = false;
    std::vector<std::jthread> threads_;  // last: joined before the rest goes
};

// Calls `work(item, worker)` once for every item from 0 to count - 1, the items shared among
// `threads` threads as each asks for the next: the calling thread and threads - 1 workers of a
// pool started for the call (fewer if the system refuses them), each numbered from 0 below
// `threads`. Returns once every call has; the first exception a call throws is thrown here
// then, the items no thread had taken left undone.
void shareWork(int threads, int count, const std::function<void(int item, int worker)>& work);

namespace detail {

// Young Brothers Wait. A node searches its first move alone; then, if a thread is idle, its
// remaining moves go to a split point, where whichever thread of the crew asks first takes the
// next one and searches it alone against the split point's bound, which every better result
// tightens. A result that settles the node cuts the split point: the threads still searching
// below it give up (CutAbove) and its owner returns. While its split point's last moves are
// searched, the owner helps only below it, so that it is free again as soon as they are done.
//
// A search type `Derived`, which holds a Brothers<Derived, Point> with its split point type
// `Point` deriving from SplitPointBase<Point>, provides:
//   Point::Task, Point::Result
//   bool Point::next(Task&)              under the crew's mutex: the next move, or false
//   void Point::merge(const Task&, const Result&)   under the mutex; sets `cut` when settled
//   Result Derived::searchTask(Point&, const Task&) without the mutex; may throw CutAbove
//   void Derived::served()               a helper leaves the crew

// Thrown through a thread's search when a split point above it is cut or the search abandoned.
struct CutAbove {};

template <class Point>
struct SplitPointBase {
    explicit SplitPointBase(Point* above) : parent(above) {}
    Point* parent;     // the split point its owner searches under, or nullptr
    int workers = 0;   // guarded: threads other than the owner searching one of its moves
    bool open = true;  // guarded: it may still hand out moves
    std::atomic<bool> cut{false};
};

// The split point of a node whose moves come from a move list (move_order.hpp), as both
// searches have: a thread takes the next move with the point's alpha of the moment; a better
// result becomes the point's best (`Best::take(move, result)`) and raises alpha, and one that
// reaches beta cuts the point. `Node` is what searching a move needs; `Result` has a `score`.
template <class Point, class List, class Node, class Best, class MoveResult>
struct MoveSplitPoint : SplitPointBase<Point> {
    MoveSplitPoint(Point* above, const Node& at, List* moves, int a, int b, const Best& first)
        : SplitPointBase<Point>(above), node(at), list(moves), alpha(a), beta(b), best(first) {}
    const Node node;
    // Guarded by the crew's mutex:
    List* list;  // the moves not yet taken
    int alpha;   // raised by every better result
    int beta;
    Best best;

    using Candidate = std::remove_cvref_t<decltype(*std::declval<List&>().next())>;
    struct Task {
        Candidate move;
        int alpha;  // the point's when the move was taken
    };
    using Result = MoveResult;
    bool next(Task& task) {
        const Candidate* c = list->next();
        if (c == nullptr) {
            return false;
        }
        task = {*c, alpha};
        return true;
    }
    void merge(const Task& task, const Result& result) {
        if (result.score <= best.score) {
            return;
        }
        best.take(task.move.square, result);
        alpha = std::max(alpha, result.score);
        if (alpha >= beta) {
            this->cut.store(true, std::memory_order_relaxed);
        }
    }
};

// What the threads of one search share.
template <class Point>
struct Crew {
    std::mutex mutex;
    std::condition_variable changed;  // a split point opened, a helper left one, or finished
    std::vector<Point*> open;         // guarded: split points that may still have moves
    bool finished = false;            // guarded: the helpers leave
    std::atomic<int> idle{0};         // changed under the mutex; read without it as a hint
    // The search was given up (budget, stop): every thread's search ends.
    std::atomic<bool> abandoned{false};
};

template <class Derived, class Point>
class Brothers {
  public:
    // `crew` nullptr: the search is alone.
    Brothers(Derived& search, Crew<Point>* crew) : search_(search), crew_(crew) {}
    Brothers(const Brothers&) = delete;
    Brothers& operator=(const Brothers&) = delete;

    // The split point this thread searches under (nullptr: none).
    Point* current() const { return current_; }

  private:
    // Whether a split point from `point` up is cut, or the search abandoned.
    bool cutFrom(const Point* point) const {
        if (crew_->abandoned.load(std::memory_order_relaxed)) {
            return true;
        }
        for (; point != nullptr; point = point->parent) {
            if (point->cut.load(std::memory_order_relaxed)) {
                return true;
            }
        }
        return false;
    }

  public:
    // Whether this thread's work is no longer wanted.
    bool cutNow() const { return crew_ != nullptr && cutFrom(current_); }
    // Throws CutAbove when it is not.
    void checkCut() const {
        if (cutNow()) {
            throw CutAbove{};
        }
    }
    // Whether a helper waits for work.
    bool helperIdle() const {
        return crew_ != nullptr && crew_->idle.load(std::memory_order_relaxed) > 0;
    }

    // The moves left of the node that `point` holds (its first already searched), shared with
    // idle helpers; returns once all are searched or the point is cut. Whatever this thread's
    // search throws (its budget, its stop) goes on up once the helpers have left the point.
    void split(Point& point) {
        std::unique_lock lock(crew_->mutex);
        crew_->open.push_back(&point);
        crew_->changed.notify_all();
        lock.unlock();
        std::exception_ptr failure;
        try {
            searchMoves(point);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        point.open = false;
        std::erase(crew_->open, &point);
        if (failure) {
            point.cut.store(true, std::memory_order_relaxed);
        }
        // Wait for the helpers, helping below this point meanwhile.
        ++crew_->idle;
        while (point.workers > 0) {
            if (Point* below = findOpen(&point)) {
                try {
                    join(*below, lock);
                } catch (...) {
                    failure = std::current_exception();
                    point.cut.store(true, std::memory_order_relaxed);
                }
            } else {
                crew_->changed.wait(lock);
            }
        }
        --crew_->idle;
        if (failure) {
            std::rethrow_exception(failure);
        }
        // A helper that gave up because of a cut above left its move unsearched.
        if (cutFrom(point.parent)) {
            throw CutAbove{};
        }
    }

    // A helper's life: joins split points until the crew is finished.
    void serve() {
        std::unique_lock lock(crew_->mutex);
        ++crew_->idle;
        while (!crew_->finished) {
            if (Point* point = findOpen(nullptr)) {
                join(*point, lock);
            } else {
                crew_->changed.wait(lock);
            }
        }
        --crew_->idle;
        lock.unlock();
        search_.served();
    }

  private:
    Derived& search_;
    Crew<Point>* crew_;
    Point* current_ = nullptr;

    // An open split point below `within` (any, if nullptr) that may have moves left; nullptr if
    // none. Under the crew's mutex.
    Point* findOpen(const Point* within) const {
        for (Point* point : crew_->open) {
            if (!point->open || point->cut.load(std::memory_order_relaxed)) {
                continue;
            }
            const Point* above = point->parent;
            while (within != nullptr && above != nullptr && above != within) {
                above = above->parent;
            }
            if (within == nullptr || above == within) {
                return point;
            }
        }
        return nullptr;
    }

    // Searches moves of `point` until none is left or it is cut. A cut of the point itself ends
    // this normally; a cut above it throws CutAbove.
    void searchMoves(Point& point) {
        Point* const outer = std::exchange(current_, &point);
        struct Restore {
            Brothers& search;
            Point* outer;
            ~Restore() { search.current_ = outer; }
        } restore{*this, outer};
        for (;;) {
            typename Point::Task task;
            {
                const std::lock_guard lock(crew_->mutex);
                if (point.cut.load(std::memory_order_relaxed) || !point.next(task)) {
                    point.open = false;
                    return;
                }
            }
            typename Point::Result result;
            try {
                result = search_.searchTask(point, task);
            } catch (const CutAbove&) {
                if (cutFrom(point.parent)) {
                    throw;
                }
                return;
            }
            const std::lock_guard lock(crew_->mutex);
            point.merge(task, result);
        }
    }

    // Searches moves of `point` as a helper; `lock` holds the crew's mutex, and this thread is
    // counted idle. A cut ends it quietly; the owner's giving up (budget, stop) goes on up.
    void join(Point& point, std::unique_lock<std::mutex>& lock) {
        ++point.workers;
        --crew_->idle;
        lock.unlock();
        std::exception_ptr failure;
        try {
            searchMoves(point);
        } catch (const CutAbove&) {
            // the work is no longer wanted
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        --point.workers;
        ++crew_->idle;
        crew_->changed.notify_all();
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
};

// Helpers of one search on a pool's workers, serving `crew` until this goes, however the search
// ends. `helper` is what each worker runs (it builds its search and calls serve()).
template <class Point>
class CrewHelpers {
  public:
    CrewHelpers(ThreadPool& pool, Crew<Point>& crew, int count, std::function<void()> helper)
        : crew_(crew), batch_(pool.run(std::move(helper), count)) {}
    CrewHelpers(const CrewHelpers&) = delete;
    CrewHelpers& operator=(const CrewHelpers&) = delete;
    ~CrewHelpers() {
        {
            const std::lock_guard lock(crew_.mutex);
            crew_.finished = true;
        }
        crew_.changed.notify_all();
        // batch_ then waits for the helpers to return.
    }

  private:
    Crew<Point>& crew_;
    ThreadPool::Batch batch_;
};

}  // namespace detail

}  // namespace orvanta::engine
