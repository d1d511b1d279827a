// Inputs the parser fuzzing found faults with, kept so they stay fixed.
#include <gtest/gtest.h>

#include "host/error.h"
#include "host/variant.h"

namespace {

// "+-5" was read as -5: the plus was skipped and the rest read on its own.
TEST(VariantFuzzRegressions, NumberTextTakesOneSignOnly) {
    for (const char* text : {"+-5", "+-0", "+-inf", "++5", "-+5", "+"}) {
        EXPECT_THROW(host::Variant(text).ToDouble(), host::Error) << text;
    }
    EXPECT_EQ(host::Variant("+5").ToDouble(), 5.0);
    EXPECT_EQ(host::Variant("-5").ToDouble(), -5.0);
}

}  // namespace
