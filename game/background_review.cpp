#include "game/background_review.hpp"

namespace orvanta {

BackgroundReview::BackgroundReview(int level, std::size_t hashBytes)
    : limits_([&] {
          engine::SearchLimits limits = reviewLimits(level);
          limits.stop = [this] { return abandon_.load(std::memory_order_relaxed); };
          return limits;
      }()),
      hashBytes_(hashBytes) {
    work_.emplace(pool_.run([this] { work(); }, 1));
}

BackgroundReview::~BackgroundReview() {
    stop();
    work_.reset();
}

void BackgroundReview::add(const ReviewJob& job) {
    {
        const std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        jobs_.push_back(job);
    }
    wake_.notify_one();
}

void BackgroundReview::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    abandon_ = true;
    wake_.notify_one();
}

void BackgroundReview::work() {
    try {
        engine::Search search(reviewTableBytes(hashBytes_));
        for (;;) {
            ReviewJob job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
                if (stopping_) {
                    return;
                }
                job = jobs_.front();
                jobs_.pop_front();
            }
            if (cache_.find(job)) {
                continue;
            }
            std::vector<MoveScore> scores = reviewPosition(search, job, limits_);
            // A search cut short by stop() found less than a review would: it is not kept.
            if (!abandon_) {
                cache_.keep(job, std::move(scores));
            }
        }
    } catch (...) {
        // Out of memory, say: the review of the game does the work itself.
    }
}

}  // namespace orvanta
