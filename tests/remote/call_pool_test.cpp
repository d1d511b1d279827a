// The pool the server runs its waiting calls on: a call that must not wait
// (the end of a session, which stops a command) starts a thread beyond the
// limit.
#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "platform/remote/call_pool.h"

namespace {

constexpr auto kLong = std::chrono::seconds(20);  // never reached when it works

TEST(CallPool, AnUrgentCallRunsWhileEveryThreadIsTaken) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> firstRuns, inTurnRan, atOnceRan;
    {
        remote::CallPool pool(1);
        pool.Run([&] {
            firstRuns.set_value();
            released.wait();
        });
        ASSERT_EQ(firstRuns.get_future().wait_for(kLong), std::future_status::ready);
        auto inTurn = inTurnRan.get_future();
        pool.Run([&] { inTurnRan.set_value(); });
        auto atOnce = atOnceRan.get_future();
        pool.Run([&] { atOnceRan.set_value(); }, remote::CallPool::kAtOnce);

        // The urgent call ran while the only regular thread is still taken;
        // the call in turn runs too (on the thread the urgent one started,
        // once free, or on the first), and the pool ends with its calls.
        EXPECT_EQ(atOnce.wait_for(kLong), std::future_status::ready);
        release.set_value();
        EXPECT_EQ(inTurn.wait_for(kLong), std::future_status::ready);
    }
}

}  // namespace
