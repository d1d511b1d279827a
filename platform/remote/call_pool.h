#pragma once
// Threads for the calls that may block for the instrument's time (a
// synchronous command takes seconds): each call gets a thread at once, an
// idle one or a new one, so that a long command never holds up another's;
// beyond the limit, calls wait for a thread. The threads stay for later
// calls and end with the pool. Calls that must not wait (the end of a
// session, which stops its command) start a thread beyond the limit.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace remote {

class CallPool {
  public:
    explicit CallPool(int limit) : limit_(limit) {}
    // Waits for the calls under way and ends the threads.
    ~CallPool();
    CallPool(const CallPool&) = delete;
    CallPool& operator=(const CallPool&) = delete;

    // kInTurn waits for a thread beyond the limit; kAtOnce goes first and
    // starts a thread when none is idle, whatever the limit.
    enum Urgency { kInTurn, kAtOnce };
    // call must not raise.
    void Run(std::function<void()> call, Urgency urgency = kInTurn);

  private:
    void Work();

    const int limit_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> waiting_;
    std::vector<std::thread> threads_;
    int idle_ = 0;
    bool quit_ = false;
};

}  // namespace remote
