#include "platform/kvdova/acq_data_file.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "doc_samples.h"
#include "platform/kvbase/atomic_file.h"

namespace kvdova {
namespace {

using host::ItemGroup;
using nlohmann::json;
using test::ExpectError;

TEST(AcqDataFile, RoundTripKeepsResultsItemGroupsAndRunInfo) {
    test::TempDir dir;
    auto original = test::SampleAcqData();
    const std::string path = dir.File("run.json");
    SaveAcqData(*original, path);
    auto d = LoadAcqData(path);

    EXPECT_EQ(d->Text(), "Run1");
    EXPECT_EQ(d->InstrumentIndexes(), (std::vector<std::int32_t>{1, 3}));
    EXPECT_EQ(d->InstrumentInfo(1)->ValueOf("InstName"), host::Variant("ORVE 1"));
    EXPECT_EQ(d->InstrumentInfo(3)->Count(), 0);

    ASSERT_EQ(d->ItemCount(ItemGroup::Type1), 2);
    ASSERT_EQ(d->ItemCount(ItemGroup::Other), 1);
    EXPECT_EQ(d->ItemId(ItemGroup::Type1, 2), "A2");
    EXPECT_TRUE(d->ItemFlag(ItemGroup::Type1, 2));
    EXPECT_FALSE(d->ItemFlag(ItemGroup::Type1, 1));
    EXPECT_EQ(d->ItemId(ItemGroup::Other, 1), "Std");

    ASSERT_EQ(d->ResultCount(), 2);
    auto r1 = d->Result(1);
    EXPECT_EQ(r1.record->Value(1), 1234.5);
    EXPECT_EQ(r1.record->Value(2), std::numeric_limits<double>::infinity());
    EXPECT_EQ(r1.record->Value(3), -1.0);
    auto r2 = d->Result(2);
    EXPECT_EQ(r2.position, 3);
    EXPECT_EQ(r2.type, 3);
    EXPECT_EQ(r2.extra, 7);
    EXPECT_TRUE(std::isnan(r2.record->Value(1)));

    EXPECT_EQ(d->RunInfo(), original->RunInfo());
    EXPECT_EQ(AcqDataToJson(*d, path), kvbase::ReadFile(path));  // identical bytes on rewrite
}

TEST(AcqDataFile, DamagedDocumentsAreRefusedNamingFileAndField) {
    const json good = json::parse(AcqDataToJson(*test::SampleAcqData()));
    struct Case {
        const char* what;
        std::function<void(json&)> change;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"flag as text", [](json& j) { j["items"]["type1"][0]["flag"] = "yes"; },
         "run.json: items.type1[0].flag: expected true or false"},
        {"value as bool", [](json& j) { j["results"][1]["values"][0] = true; },
         "run.json: results[1].values[0]: expected a number"},
        {"position 0", [](json& j) { j["results"][0]["position"] = 0; },
         "run.json: results[0].position: result position 0"},
        {"same instrument twice", [](json& j) { j["instruments"][1]["index"] = 1; },
         "run.json: instruments[1].index: instrument 1 appears twice"},
        {"keys differing in case", [](json& j) { j["runInfo"]["START"] = "x"; },
         "run.json: runInfo.Start: repeats the key 'START'"},
        {"run info value", [](json& j) { j["runInfo"]["Start"] = 5; },
         "run.json: runInfo.Start: expected a string"},
        {"missing group", [](json& j) { j["items"].erase("other"); },
         "run.json: items.other: missing"},
        {"method file", [](json& j) { j["format"] = "ORVEVIZari method"; },
         "run.json: format: expected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        json doc = good;
        c.change(doc);
        ExpectError([&] { AcqDataFromJson(doc.dump(), "run.json"); }, {c.expected});
    }
    const std::string text = good.dump(2);
    ExpectError([&] { AcqDataFromJson(text.substr(0, text.size() / 2), "run.json"); },
                {"run.json: not valid JSON"});
}

}  // namespace
}  // namespace kvdova
