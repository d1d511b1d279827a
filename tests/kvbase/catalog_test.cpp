#include "platform/kvbase/catalog.h"

#include <gtest/gtest.h>

#include "host/error.h"

namespace {

const std::string kExamples = std::string(ORVE_SOURCE_DIR) + "/examples/";
const char* kSection = "ORVEVIZari#UCVIZari";

std::string RefusalOf(const std::string& json) {
    try {
        kvbase::Catalog::FromJson(json, "bad.json");
    } catch (const host::Error& e) {
        return e.Text();
    }
    return "accepted";
}

}  // namespace

TEST(Catalog, EmptyCatalogueGivesDefaultsAndNoSections) {
    kvbase::Catalog empty;
    EXPECT_EQ(empty.Text("Setup", ""), "");
    EXPECT_EQ(empty.Text("CapFLIntens", "Int"), "Int");
    EXPECT_LT(empty.LocaleCatalog()->SectionIndex(kSection), 0);
    EXPECT_THROW(empty.LocaleCatalog()->Section(1), host::Error);
}

TEST(Catalog, EnglishCatalogueHoldsEveryKeyTheModuleLooksUp) {
    auto cat = kvbase::Catalog::Load(kExamples + "catalogue-en.json");
    EXPECT_EQ(cat.Language(), "en");
    for (const char* key :
         {"Setup", "Online", "Name", "ID", "Type", "Last validated", "FirmRev", "Int.Time",
          "AutoLampOff", "Sample ID", "Save File", "Online Result", "New", "VIZari",
          "Setting up instrument...", "Measure dark current", "Measure sample:"}) {
        EXPECT_EQ(cat.Text(key, "<absent>"), key);
    }
    EXPECT_EQ(cat.Text("CapFLIntens", ""), "Int");
    EXPECT_EQ(cat.Text("UnitFLIntens", ""), "#");
    EXPECT_EQ(cat.Text("exwl", ""), "Excitation wavelength");
    EXPECT_EQ(cat.Text("SETUP", ""), "Setup");
    EXPECT_EQ(cat.Text("Unknown key", "fallback"), "fallback");
    for (const char* id : {"ExWl", "EmWl", "ExSlit", "EmSlit", "IntTime", "Voltage", "Lamp",
                           "EmMirror", "LumMode"}) {
        EXPECT_NE(cat.Text(id, "<absent>"), "<absent>") << id;
    }
}

TEST(Catalog, GermanCatalogueHasTheSameKeysAndEntries) {
    auto en = kvbase::Catalog::Load(kExamples + "catalogue-en.json");
    auto de = kvbase::Catalog::Load(kExamples + "catalogue-de.json");
    EXPECT_EQ(de.Keys(), en.Keys());
    EXPECT_EQ(de.Text("Measure sample:", ""), "Probe messen:");
    ASSERT_EQ(en.Root().ChildCount(), de.Root().ChildCount());
    for (std::int32_t s = 1; s <= en.Root().ChildCount(); ++s) {
        const auto& enSection = en.Root().Child(s);
        auto deSection = de.Root().Section(de.Root().SectionIndex(enSection.Key()));
        ASSERT_EQ(enSection.ChildCount(), de.Root().Child(s).ChildCount());
        for (std::int32_t c = 1; c <= enSection.ChildCount(); ++c) {
            const auto& e = enSection.Child(c);
            auto d = deSection->ControlEntry(e.Key(), e.IndexText());
            ASSERT_TRUE(d) << e.Key() << e.IndexText();
            ASSERT_EQ(e.PropertyCount(), d->PropertyCount()) << e.Key();
            for (std::int32_t i = 1; i <= e.PropertyCount(); ++i)
                EXPECT_EQ(e.PropertyName(i), d->PropertyName(i));
        }
    }
    auto deSection = de.Root().Section(de.Root().SectionIndex(kSection));
    EXPECT_EQ(deSection->ControlEntry("OptStep", "1")->PropertyText(1), "0,2 mm");
}

TEST(Catalog, LocaleTreeFindsSectionsControlsAndPropertiesInOrder) {
    auto cat = kvbase::Catalog::Load(kExamples + "catalogue-en.json");
    auto root = cat.LocaleCatalog();
    auto index = root->SectionIndex("orvevizari#ucvizari");
    ASSERT_GT(index, 0);
    EXPECT_LT(root->SectionIndex("ORVEVIZari#DlgOther"), 0);
    auto section = root->Section(index);
    auto slit = section->ControlEntry("kveexslit", "");
    ASSERT_TRUE(slit);
    EXPECT_EQ(slit->PropertyCount(), 1);
    EXPECT_EQ(slit->PropertyName(1), "caption");
    EXPECT_EQ(slit->PropertyText(1), "Ex. Slit");
    EXPECT_THROW(slit->PropertyName(0), host::Error);
    EXPECT_THROW(slit->PropertyText(2), host::Error);
    EXPECT_EQ(section->ControlEntry("mnuCopyMethod", "")->PropertyText(1), "Copy Method");
    EXPECT_EQ(section->ControlEntry("KVPAddPos", "")->PropertyText(1), "Insert Pos");

    auto grid = section->ControlEntry("KVSScan", "");
    ASSERT_EQ(grid->PropertyCount(), 4);
    EXPECT_EQ(grid->PropertyName(1), "col(1).name");
    EXPECT_EQ(grid->PropertyText(4), "Em.Wl");

    EXPECT_EQ(section->ControlEntry("OptStep", "3")->PropertyText(1), "5 mm");
    EXPECT_EQ(section->ControlEntry("OptStep", ""), nullptr);
    EXPECT_EQ(section->ControlEntry("KVEExSlit", "1"), nullptr);
    EXPECT_EQ(section->ControlEntry("NoSuchControl", ""), nullptr);
    EXPECT_EQ(root->ControlEntry("KVEExSlit", ""), nullptr);
    EXPECT_EQ(section->PropertyCount(), 0);
}

TEST(Catalog, MalformedFilesAreRefusedNamingFileAndPlace) {
    EXPECT_EQ(RefusalOf(R"j({"texts": {"A": "a",}})j").substr(0, 38),
              "catalogue 'bad.json' is not valid JSON");
    EXPECT_NE(RefusalOf("{\"texts\": {\n\"A\": }").find("line 2"), std::string::npos);
    EXPECT_NE(RefusalOf("").find("bad.json"), std::string::npos);
    EXPECT_EQ(
        RefusalOf(R"j(["Setup"])j"),
        "catalogue 'bad.json', at the top level: expected an object of \"version\", \"language\", "
        "\"texts\" and \"sections\"");
    EXPECT_EQ(RefusalOf(R"j({"texts": ["Setup"]})j"),
              "catalogue 'bad.json', at /texts: expected an object of texts by key");
    EXPECT_EQ(RefusalOf(R"j({"texts": {"Setup": 1}})j"),
              "catalogue 'bad.json', at /texts/Setup: expected a text, found number");
    EXPECT_EQ(RefusalOf(R"j({"text": {}})j"),
              "catalogue 'bad.json', at /text: unknown key: expected \"version\", \"language\", "
              "\"texts\" or "
              "\"sections\"");
    EXPECT_EQ(RefusalOf(R"j({"version": 2})j"),
              "catalogue 'bad.json', at /version: only version 1 is known");
    EXPECT_EQ(RefusalOf(R"j({"sections": {"S": {"KVEExSlit": "Ex. Slit"}}})j"),
              "catalogue 'bad.json', at /sections/S/KVEExSlit: expected an object of property "
              "texts by property name");
    EXPECT_EQ(RefusalOf(R"j({"sections": {"S": {"Opt(x)": {}}}})j"),
              "catalogue 'bad.json', at /sections/S/Opt(x): a control of an array is written as "
              "Name(index), the "
              "index in digits");
    EXPECT_EQ(RefusalOf(R"j({"sections": {"a/b": {"C": {"caption": true}}}})j"),
              "catalogue 'bad.json', at /sections/a~1b/C/caption: expected a text, found boolean");
}

TEST(Catalog, DuplicateKeysAreRefusedRatherThanLost) {
    EXPECT_EQ(RefusalOf(R"j({"texts": {"Setup": "a", "Setup": "b"}})j"),
              "catalogue 'bad.json', at /texts/Setup: the key appears twice");
    EXPECT_EQ(RefusalOf(R"j({"texts": {"Setup": "a", "SETUP": "b"}})j"),
              "catalogue 'bad.json', at /texts/SETUP: text key 'SETUP' appears twice");
    EXPECT_EQ(RefusalOf(R"j({"sections": {"S": {"C": {"caption": "a", "Caption": "b"}}}})j"),
              "catalogue 'bad.json', at /sections/S/C/Caption: property 'Caption' appears twice");
    EXPECT_EQ(RefusalOf(R"j({"sections": {"S": {"Opt(1)": {}, "opt(1)": {}}}})j"),
              "catalogue 'bad.json', at /sections/S/opt(1): control 'opt(1)' appears twice");
    EXPECT_EQ(RefusalOf(R"j({"sections": {"S": {}, "s": {}}})j"),
              "catalogue 'bad.json', at /sections/s: section 's' appears twice");
    EXPECT_EQ(RefusalOf(R"j({"sections": {"S": {"Opt(1)": {}, "Opt": {}, "Opt(2)": {}}}})j"),
              "accepted");
}

TEST(Catalog, MissingFileOrSectionIsClear) {
    try {
        kvbase::Catalog::Load("/no/such/catalogue.json");
        FAIL();
    } catch (const host::Error& e) {
        EXPECT_NE(e.Text().find("/no/such/catalogue.json"), std::string::npos);
    }
    auto cat = kvbase::Catalog::FromJson(R"j({"texts": {"Setup": "Einstellungen"}})j", "mem");
    EXPECT_EQ(cat.Text("Setup", ""), "Einstellungen");
    EXPECT_LT(cat.LocaleCatalog()->SectionIndex(kSection), 0);
    auto noControls =
        kvbase::Catalog::FromJson(R"j({"sections": {"ORVEVIZari#UCVIZari": {}}})j", "mem");
    auto root = noControls.LocaleCatalog();
    EXPECT_EQ(root->Section(root->SectionIndex(kSection))->ControlEntry("KVEExSlit", ""), nullptr);
}
