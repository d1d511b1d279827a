#include "platform/kvbase/range_syntax.h"

#include <gtest/gtest.h>

#include "host/error.h"

using kvbase::InRange;

TEST(RangeSyntax, NumericBoundsAreInclusiveAndOptional) {
    EXPECT_TRUE(InRange("200..900", host::Variant(200.0)));
    EXPECT_TRUE(InRange("200..900", host::Variant("900")));
    EXPECT_FALSE(InRange("200..900", host::Variant(900.5)));
    EXPECT_TRUE(InRange("0..", host::Variant(1e9)));
    EXPECT_FALSE(InRange("..100", host::Variant(101)));
    EXPECT_TRUE(InRange("-10..-1", host::Variant(-5)));
}

TEST(RangeSyntax, NumericRangeRefusesTextAndNaN) {
    EXPECT_FALSE(InRange("200..900", host::Variant("abc")));
    EXPECT_FALSE(InRange("200..900", host::Variant(std::numeric_limits<double>::quiet_NaN())));
}

TEST(RangeSyntax, ListMatchesItemsIgnoringCase) {
    EXPECT_TRUE(InRange("{On;Off}", host::Variant("off")));
    EXPECT_FALSE(InRange("{On;Off}", host::Variant("Auto")));
    EXPECT_TRUE(InRange("", host::Variant("anything")));
}

TEST(RangeSyntax, MalformedTextsRaise) {
    for (const char* bad : {"{On;Off", "200-900", "a..b", "9..1", "1..2..3"}) {
        EXPECT_THROW(kvbase::ParseRange(bad), host::Error) << bad;
    }
}
