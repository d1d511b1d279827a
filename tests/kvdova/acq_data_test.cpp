#include "platform/kvdova/acq_data.h"

#include "doc_samples.h"
#include "platform/kvdova/result_record.h"

namespace kvdova {
namespace {

using host::ItemGroup;
using test::Def;
using test::ExpectError;

TEST(AcqData, AddResultKeepsTheValuesAsTheyWereAtTheCall) {
    AcqData d;
    ResultRecord rec;
    rec.Init(3);
    for (int pos = 1; pos <= 3; ++pos) {
        rec.SetValue(1, 100.0 * pos);
        rec.SetValue(3, pos == 2 ? -1.0 : 0.0);
        d.AddResult(7, pos, 1, rec, 0);
    }
    rec.Init(1);  // the caller reuses its record
    ASSERT_EQ(d.ResultCount(), 3);
    for (int k = 1; k <= 3; ++k) {
        auto r = d.Result(k);
        EXPECT_EQ(r.item, 7);
        EXPECT_EQ(r.position, k);
        ASSERT_EQ(r.record->Count(), 3);
        EXPECT_EQ(r.record->Value(1), 100.0 * k);
        EXPECT_EQ(r.record->Value(3), k == 2 ? -1.0 : 0.0);
    }
    d.Result(1).record->SetValue(1, 0.0);  // a read-out copy changes nothing stored
    EXPECT_EQ(d.Result(1).record->Value(1), 100.0);
    ExpectError([&] { d.Result(4); }, {"result 4"});
    ExpectError([&] { d.AddResult(1, 0, 1, rec, 0); }, {"position 0"});
}

TEST(AcqData, ItemGroupsAreNumberedFromOneWithoutGaps) {
    AcqData d;
    d.AddItem(ItemGroup::Type1, 1, "A1");
    d.AddItem(ItemGroup::Type1, 2, "A2");
    d.AddItem(ItemGroup::Other, 1, "Blank");
    EXPECT_EQ(d.ItemCount(ItemGroup::Type1), 2);
    EXPECT_EQ(d.ItemCount(ItemGroup::Other), 1);
    EXPECT_EQ(d.ItemId(ItemGroup::Other, 1), "Blank");

    d.SetItemFlag(ItemGroup::Type1, 2, true);
    d.AddItem(ItemGroup::Type1, 2, "A2 again");  // re-registering replaces the ID only
    EXPECT_EQ(d.ItemId(ItemGroup::Type1, 2), "A2 again");
    EXPECT_TRUE(d.ItemFlag(ItemGroup::Type1, 2));
    EXPECT_FALSE(d.ItemFlag(ItemGroup::Type1, 1));

    ExpectError([&] { d.ItemId(ItemGroup::Other, 2); }, {"other item 2", "1 to 1"});
    ExpectError([&] { d.SetItemFlag(ItemGroup::Type1, 3, true); }, {"type-1 item 3"});
    ExpectError([&] { d.AddItem(ItemGroup::Type1, 4, "gap"); }, {"the next is 3"});
    ExpectError([&] { d.AddItem(ItemGroup::Other, 0, "zero"); }, {"other item 0"});
}

TEST(AcqData, InstrumentInformationIsACopyPerIndex) {
    AcqData d;
    ParamSet info;
    info.Add(Def("InstName", host::kTypeText), "ORVE 1");
    d.SetInstrumentInfo(1, info);
    info.SetValue(1, "changed later");
    EXPECT_EQ(d.InstrumentInfo(1)->Value(1), host::Variant("ORVE 1"));
    ExpectError([&] { d.InstrumentInfo(2); }, {"instrument 2"});
    ExpectError([&] { d.SetInstrumentInfo(0, info); }, {"instrument index 0"});
}

TEST(AcqData, RunInfoKeysIgnoreCaseAndKeepTheFirstSpelling) {
    AcqData d;
    d.SetRunInfo("Start", "10:00");
    d.SetRunInfo("START", "10:05");
    d.SetRunInfo("Outcome", "ok");
    const std::map<std::string, std::string> expected{{"Outcome", "ok"}, {"Start", "10:05"}};
    EXPECT_EQ(d.RunInfo(), expected);
    ExpectError([&] { d.SetRunInfo("", "x"); }, {"needs a key"});
}

}  // namespace
}  // namespace kvdova
