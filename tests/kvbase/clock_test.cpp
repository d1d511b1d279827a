#include "platform/kvbase/clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/error.h"

TEST(Clock, VirtualClockAdvancesAtOnceAndRefusesBadDurations) {
    kvbase::VirtualClock clock;
    EXPECT_EQ(clock.Now(), 0.0);
    clock.Sleep(1.5);
    clock.Sleep(0.0);
    clock.Sleep(0.1);
    EXPECT_DOUBLE_EQ(clock.Now(), 1.6);
    for (double bad : {-0.1, std::nan(""), std::numeric_limits<double>::infinity()}) {
        EXPECT_THROW(clock.Sleep(bad), host::Error) << bad;
    }
    EXPECT_DOUBLE_EQ(clock.Now(), 1.6);
}

TEST(Clock, RealClockRefusesBadDurationsWithoutSleeping) {
    kvbase::RealClock clock;
    EXPECT_THROW(clock.Sleep(-1.0), host::Error);
    EXPECT_THROW(clock.Sleep(std::nan("")), host::Error);
    EXPECT_GE(clock.Now(), 0.0);
}
