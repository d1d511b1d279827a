#include "platform/remote/call_pool.h"

namespace remote {

CallPool::~CallPool() {
    {
        std::lock_guard<std::mutex> held(lock_);
        quit_ = true;
    }
    wake_.notify_all();
    for (auto& t : threads_) t.join();
}

void CallPool::Run(std::function<void()> call, Urgency urgency) {
    std::lock_guard<std::mutex> held(lock_);
    if (urgency == kAtOnce) {
        waiting_.push_front(std::move(call));
    } else {
        waiting_.push_back(std::move(call));
    }
    // Calls not yet taken by a thread against the threads free to take them.
    if (static_cast<int>(waiting_.size()) <= idle_ ||
        (urgency == kInTurn && static_cast<int>(threads_.size()) >= limit_)) {
        wake_.notify_one();
        return;
    }
    threads_.emplace_back([this] { Work(); });
}

void CallPool::Work() {
    std::unique_lock<std::mutex> held(lock_);
    while (true) {
        ++idle_;
        wake_.wait(held, [this] { return quit_ || !waiting_.empty(); });
        --idle_;
        if (waiting_.empty()) return;  // quitting
        auto call = std::move(waiting_.front());
        waiting_.pop_front();
        held.unlock();
        call();
        held.lock();
    }
}

}  // namespace remote
