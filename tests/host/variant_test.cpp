#include "host/variant.h"

#include <gtest/gtest.h>

#include "host/error.h"

using host::Variant;

TEST(Variant, EmptyConvertsToZeroTextAndFalse) {
    Variant v;
    EXPECT_EQ(v.ToDouble(), 0.0);
    EXPECT_EQ(v.ToString(), "");
    EXPECT_FALSE(v.ToBool());
}

TEST(Variant, TextToNumberIsStrict) {
    EXPECT_EQ(Variant("12.5").ToDouble(), 12.5);
    EXPECT_EQ(Variant("-3").ToDouble(), -3.0);
    EXPECT_THROW(Variant("12.5x").ToDouble(), host::Error);
    EXPECT_THROW(Variant("").ToDouble(), host::Error);
    EXPECT_THROW(Variant(" 1").ToDouble(), host::Error);
    EXPECT_THROW(Variant("1,5").ToDouble(), host::Error);
}

TEST(Variant, BooleanConversions) {
    EXPECT_TRUE(Variant("TRUE").ToBool());
    EXPECT_FALSE(Variant("false").ToBool());
    EXPECT_TRUE(Variant("-1").ToBool());
    EXPECT_FALSE(Variant("0").ToBool());
    EXPECT_TRUE(Variant(2.5).ToBool());
    EXPECT_THROW(Variant("maybe").ToBool(), host::Error);
    EXPECT_EQ(Variant(true).ToDouble(), -1.0);
}

TEST(Variant, DoubleTextReadsBack) {
    for (double d : {0.1, 1.0 / 3.0, 1e-300, 123456789.125, -0.0}) {
        EXPECT_EQ(Variant(Variant(d).ToString()).ToDouble(), d);
    }
}

TEST(Variant, Int32RoundsHalfToEvenAndRejectsOverflow) {
    EXPECT_EQ(Variant(2.5).ToInt32(), 2);
    EXPECT_EQ(Variant(3.5).ToInt32(), 4);
    EXPECT_THROW(Variant(1e12).ToInt32(), host::Error);
}
