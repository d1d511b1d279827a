#include <gtest/gtest.h>

#include "platform/qnserver/property_table.h"

TEST(SimulatorProperties, ExcitationAtZeroIsWhiteLightOtherwiseTheRangeHolds) {
    std::string canonical;
    const auto* exwl = qnserver::PropertyTable::Find("ExWl");
    ASSERT_NE(exwl, nullptr);
    EXPECT_EQ(qnserver::PropertyTable::Validate(*exwl, "0", canonical), "");
    EXPECT_NE(qnserver::PropertyTable::Validate(*exwl, "100", canonical), "");
    const auto* emwl = qnserver::PropertyTable::Find("EmWl");
    EXPECT_NE(qnserver::PropertyTable::Validate(*emwl, "0", canonical), "");
}
