// Inputs the parser fuzzing found faults with, kept so they stay fixed.
#include <gtest/gtest.h>

#include <limits>

#include "host/error.h"
#include "platform/kvbase/range_syntax.h"

namespace {

// A NaN bound compared false with every value and so let everything through.
TEST(RangeSyntaxFuzzRegressions, NaNBoundIsRefusedNotIgnored) {
    for (const char* text : {"nan..10", "0..NaN", "-nan..", "..nan"}) {
        EXPECT_THROW(kvbase::ParseRange(text), host::Error) << text;
        EXPECT_THROW(kvbase::InRange(text, host::Variant(5.0)), host::Error) << text;
    }
    // Infinite bounds still mean what they say.
    auto open = kvbase::ParseRange("-inf..inf");
    EXPECT_TRUE(kvbase::InRange(open, host::Variant(1e300)));
    EXPECT_FALSE(kvbase::InRange(open, host::Variant(std::numeric_limits<double>::quiet_NaN())));
}

}  // namespace
