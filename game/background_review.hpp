#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

#include "engine/threads.hpp"
#include "game/review.hpp"

namespace orvanta {

// Reviews the positions of a game while it is played, on a thread of its own, so that the review
// is ready when the game ends: the game hands it each position as it arises, and the review of
// the finished game takes from `cache()` what it has found. Its results are those the review
// would find itself (see ReviewCache), so a game's review does not depend on how far this got.
class BackgroundReview {
  public:
    // Reviews at `level`, its search's table sized as a review of `hashBytes` sizes each.
    BackgroundReview(int level, std::size_t hashBytes);
    // Stops the search under way and waits for the thread.
    ~BackgroundReview();
    BackgroundReview(const BackgroundReview&) = delete;
    BackgroundReview& operator=(const BackgroundReview&) = delete;

    // Reviews `job` after those handed over before it (at once when it is in the cache).
    void add(const ReviewJob& job);
    // Abandons the work not yet done: the review of the game does the rest itself.
    void stop();
    const ReviewCache& cache() const { return cache_; }
    // Keeps a position's review found elsewhere (a hint), so that it is not searched again.
    void keep(const ReviewJob& job, std::vector<MoveScore> scores) {
        cache_.keep(job, std::move(scores));
    }

  private:
    void work();

    const engine::SearchLimits limits_;
    const std::size_t hashBytes_;
    ReviewCache cache_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<ReviewJob> jobs_;  // guarded by mutex_
    bool stopping_ = false;       // guarded by mutex_
    std::atomic<bool> abandon_{false};
    // Last: started once everything above is ready. No worker (the system gave none): the review
    // of the game does all the work when it ends.
    engine::ThreadPool pool_{1};
    std::optional<engine::ThreadPool::Batch> work_;
};

}  // namespace orvanta
