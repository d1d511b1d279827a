#include "platform/kvbase/host_texts.h"

#include <gtest/gtest.h>

#include <regex>
#include <vector>

#include "platform/kvbase/catalog.h"

namespace {

const std::string kExamples = std::string(ORVE_SOURCE_DIR) + "/examples/";

// The {} places of a text in order, "{{" and "}}" being no places.
std::vector<std::string> Places(const std::string& text) {
    static const std::regex place(R"(\{\{|\}\}|\{[^{}]*\})");
    std::vector<std::string> out;
    for (std::sregex_iterator it(text.begin(), text.end(), place), end; it != end; ++it)
        if (it->str() != "{{" && it->str() != "}}") out.push_back(it->str());
    return out;
}

}  // namespace

// Every text a host says (the list is the compiler's check of each use) has
// a German translation that takes the same arguments in the same order, and
// the English catalogue gives it back unchanged.
TEST(HostTexts, EveryTextHasAGermanTranslationWithTheSamePlaces) {
    const auto de = kvbase::Catalog::Load(kExamples + "catalogue-de.json");
    const auto en = kvbase::Catalog::Load(kExamples + "catalogue-en.json");
    for (const std::string_view view : kvbase::kHostTexts) {
        const std::string key(view);
        SCOPED_TRACE(key);
        EXPECT_EQ(en.Text(key, "<absent>"), key);
        const std::string german = de.Text(key, "<absent>");
        ASSERT_NE(german, "<absent>");
        EXPECT_EQ(Places(german), Places(key)) << german;
    }
}

TEST(HostTexts, ATranslationThatDoesNotTakeTheArgumentsGivesTheEnglishText) {
    const auto de = kvbase::Catalog::Load(kExamples + "catalogue-de.json");
    EXPECT_EQ(kvbase::Say(&de, "{} of {} samples measured; instrument time {:.1f} s", 2, 3, 4.34),
              "2 von 3 Proben gemessen; Gerätezeit 4.3 s");
    EXPECT_EQ(kvbase::Say(nullptr, "result table: {}", "t.txt"), "result table: t.txt");
    const auto broken = kvbase::Catalog::FromJson(
        R"j({"texts": {"result table: {}": "Tabelle: {:d}", "pages:": "Seiten {}"}})j", "mem");
    EXPECT_EQ(kvbase::Say(&broken, "result table: {}", "t.txt"), "result table: t.txt");
    EXPECT_EQ(kvbase::Say(&broken, "pages:"), "pages:");
    EXPECT_EQ(kvbase::Say(&broken, "warning: {}", "x"), "warning: x");
}
