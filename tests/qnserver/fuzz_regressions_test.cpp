// Inputs the parser fuzzing found faults with, kept so they stay fixed.
#include <gtest/gtest.h>

#include "platform/qnserver/command.h"
#include "platform/qnserver/property_table.h"

namespace {

// "SetM WL=+-9;0" moved the monochromator to -9: "+-9" was read as -9.
TEST(SimCommandFuzzRegressions, MoveValueTakesOneSignOnly) {
    const auto parsed = qnserver::ParseCommand("\t\t\tSetM WL=+-9;+000000000000000");
    EXPECT_EQ(parsed.error.rfind("BadNumber:", 0), 0u) << parsed.error;

    double v = 0.0;
    EXPECT_FALSE(qnserver::ParseNumber("+-1", v));
    EXPECT_TRUE(qnserver::ParseNumber("+1", v));
    EXPECT_EQ(v, 1.0);
    EXPECT_TRUE(qnserver::ParseNumber("-1", v));
    EXPECT_EQ(v, -1.0);
}

}  // namespace
