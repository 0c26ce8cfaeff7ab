// A ring of slots under one lock: one thread fills them in turn, the other empties them.
#include "frame_queue.h"

FrameQueue::FrameQueue(int slots, size_t samples) : slots_(size_t(slots)) {
    for (QueuedFrame& slot : slots_) slot.samples.resize(samples);
}

QueuedFrame* FrameQueue::claim() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return abandoned_ || filled_ < slots_.size(); });
    if (abandoned_) return nullptr;
    // Only this thread adds to filled_, so the slot stays free until publish().
    return &slots_[(oldest_ + filled_) % slots_.size()];
}

void FrameQueue::publish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++filled_;
    }
    changed_.notify_all();
}

void FrameQueue::close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

QueuedFrame* FrameQueue::next() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return closed_ || filled_ > 0; });
    return filled_ > 0 ? &slots_[oldest_] : nullptr;
}

void FrameQueue::release() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        oldest_ = (oldest_ + 1) % slots_.size();
        --filled_;
    }
    changed_.notify_all();
}

void FrameQueue::abandon() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        abandoned_ = true;
    }
    changed_.notify_all();
}
