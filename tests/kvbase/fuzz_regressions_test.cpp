// Inputs the parser fuzzing found faults with, kept so they stay fixed.
#include <gtest/gtest.h>

#include <limits>

#include "host/error.h"
#include "platform/kvbase/catalog.h"
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

// A number beyond the range of a double escaped as the JSON library's own
// exception instead of a refusal naming the catalogue.
TEST(CatalogueFuzzRegressions, NumberBeyondDoubleIsRefusedNamingTheFile) {
    try {
        (void)kvbase::Catalog::FromJson(R"({"texts": {"(CVIZari": {"KVSScan": 4E444}}})", "c.json");
        ADD_FAILURE() << "accepted";
    } catch (const host::Error& e) {
        EXPECT_NE(e.Text().find("c.json"), std::string::npos) << e.Text();
    }
}

}  // namespace
