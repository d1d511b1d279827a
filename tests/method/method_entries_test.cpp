#include "method/method_entries.h"

#include <gtest/gtest.h>

#include <map>

#include "host/error.h"
#include "ui/page_fixture.h"

namespace {

// The page has registered "IntTime" (entry 1) and "AutoLamp" (entry 2).
class MethodEntriesTest : public pagetest::PageTest {
  protected:
    std::shared_ptr<host::KVEntry> NewEntry(const std::string& name, const std::string& id = "") {
        host::ControlDesc d;
        d.name = name;
        d.kind = host::ControlKind::KVEntry;
        d.props = {{"datatype", host::kTypeNumber}, {"id", id}};
        return host::As<host::KVEntry>(host_->Controls().Create(d));
    }
    host::Status StatusOf(const std::string& key) const {
        for (const auto& e : host_->Errors().Entries())
            if (e.section == "Method" && e.key == key) return e.status;
        ADD_FAILURE() << "no error Method/" << key;
        return 0;
    }
    std::shared_ptr<host::MethodObject> MethodWith(
        const std::vector<std::pair<std::string, host::Variant>>& values) {
        auto m = host_->NewMethodObject();
        for (const auto& [id, value] : values) {
            host::ParamDef def;
            def.id = id;
            m->Params()->Add(def, value);
        }
        return m;
    }
    void Localise() { page_->kveAutoLamp->SetRange("{Ein;Aus}"); }
};

TEST_F(MethodEntriesTest, InitEntries_RegistersTheMethodErrorsOnceAndEmptiesTheTable) {
    const host::Status dup = StatusOf("DupID");
    entries_.InitEntries();
    EXPECT_EQ(entries_.EntryCount(), 0);
    EXPECT_EQ(entries_.FindEntry("IntTime"), -1);

    const std::map<std::string, std::pair<std::string, bool>> expected{
        {"DupID", {"Duplicate ID detected", true}},
        {"EmptyID", {"Empty ID detected", true}},
        {"InvalidEntry", {"Invalid entry detected", false}}};
    int methodErrors = 0;
    for (const auto& e : host_->Errors().Entries()) {
        if (e.section != "Method") continue;
        ++methodErrors;
        ASSERT_EQ(expected.count(e.key), 1u) << e.key;
        EXPECT_EQ(e.message, expected.at(e.key).first);
        EXPECT_EQ(e.flag, expected.at(e.key).second) << e.key;
    }
    EXPECT_EQ(methodErrors, 3);
    EXPECT_EQ(StatusOf("DupID"), dup);

    // The table now serves whoever registers next.
    EXPECT_EQ(entries_.AddEntry(page_->kveIntTime, "IntTime", ""), 0);
    EXPECT_EQ(entries_.FindEntry("INTTIME"), 1);
}

TEST_F(MethodEntriesTest, AddEntry_RefusesEmptyAndDuplicateIdsAndRegistersNothing) {
    auto blank = NewEntry("KVEBlank");
    EXPECT_EQ(entries_.AddEntry(blank, "", "Blank"), StatusOf("EmptyID"));
    EXPECT_EQ(entries_.EntryCount(), 2);

    auto preset = NewEntry("KVEPreset", "Preset");
    EXPECT_EQ(entries_.AddEntry(preset, "", "Preset"), 0);
    EXPECT_EQ(entries_.FindEntry("preset"), 3);

    EXPECT_EQ(entries_.AddEntry(blank, "INTTIME", "Twin"), StatusOf("DupID"));
    EXPECT_EQ(blank->Id(), "");
    // The same control again, under a new ID: refused, and it keeps its ID.
    EXPECT_EQ(entries_.AddEntry(page_->kveIntTime, "Other", ""), StatusOf("DupID"));
    EXPECT_EQ(page_->kveIntTime->Id(), "IntTime");
    EXPECT_EQ(entries_.FindEntry("IntTime"), 1);
    EXPECT_EQ(entries_.AddEntry(nullptr, "Nothing", ""), method::kErrNoEntryControl);
    EXPECT_EQ(entries_.EntryCount(), 3);
}

TEST_F(MethodEntriesTest, EntriesToMethod_StoresListValuesAtTheirRegisteredPosition) {
    Localise();
    page_->kveAutoLamp->SetValue("Aus");
    page_->kveIntTime->SetValue(0.5);
    auto m = MethodWith({{"Other", 1.0}, {"autolamp", "On"}});
    ASSERT_EQ(entries_.EntriesToMethod(*m), 0);

    auto params = m->Params();
    ASSERT_EQ(params->Count(), 3);
    EXPECT_EQ(params->IndexOf("AutoLamp"), 2);  // updated where it was
    EXPECT_EQ(params->Value(2), host::Variant("Off"));
    EXPECT_EQ(params->Def(2)->range, "{On;Off}");
    EXPECT_EQ(params->Def(2)->name, "AutoLampOff");
    EXPECT_EQ(params->Def(3)->id, "IntTime");
    EXPECT_EQ(params->Def(3)->dataType, host::kTypeNumber);
    EXPECT_EQ(params->Value(3), host::Variant(0.5));
    EXPECT_EQ(params->Def(3)->name, "Int.Time");

    page_->kveAutoLamp->SetValue("Ein");
    ASSERT_EQ(entries_.EntriesToMethod(*m), 0);
    EXPECT_EQ(params->Count(), 3);
    EXPECT_EQ(params->Value(2), host::Variant("On"));
    page_->kveAutoLamp->SetValue("On");  // no item of the control's list now
    EXPECT_EQ(entries_.EntriesToMethod(*m), StatusOf("InvalidEntry"));
}

TEST_F(MethodEntriesTest, EntriesFromMethod_MapsListItemsToTheControlsCurrentList) {
    Localise();
    auto m = MethodWith({{"Unknown", 3.0}, {"AUTOLAMP", "Off"}, {"IntTime", 2.5}});
    EXPECT_EQ(entries_.EntriesFromMethod(*m), 0);
    EXPECT_EQ(page_->kveAutoLamp->Value(), host::Variant("Aus"));
    EXPECT_EQ(page_->kveIntTime->Value(), host::Variant(2.5));
}

TEST_F(MethodEntriesTest, EntriesFromMethod_GoesOnPastAStoredValueOffTheList) {
    page_->kveAutoLamp->SetValue("On");
    auto m = MethodWith({{"AutoLamp", "Maybe"}, {"IntTime", 0.1}});
    EXPECT_EQ(entries_.EntriesFromMethod(*m), StatusOf("InvalidEntry"));
    EXPECT_EQ(page_->kveAutoLamp->Value(), host::Variant(""));
    EXPECT_EQ(page_->kveIntTime->Value(), host::Variant(0.1));
}

TEST_F(MethodEntriesTest, ValidateEntries_ChecksEveryEntry) {
    page_->ApplySetupRanges(*description_);
    page_->kveIntTime->SetValue(1.0);
    page_->kveAutoLamp->SetValue("Off");
    EXPECT_EQ(entries_.ValidateEntries(), 0);
    page_->kveIntTime->SetValue(20.0);  // beyond the instrument's 10 s
    EXPECT_EQ(entries_.ValidateEntries(), StatusOf("InvalidEntry"));
    page_->kveIntTime->SetValue(1.0);
    page_->kveAutoLamp->SetValue(host::Variant());
    EXPECT_EQ(entries_.ValidateEntries(), StatusOf("InvalidEntry"));
}

TEST_F(MethodEntriesTest, ClearEntries_ReleasesTheControlsAndTheResultDefinitions) {
    const long held = page_->kveIntTime.use_count();
    entries_.ClearEntries();
    EXPECT_EQ(entries_.EntryCount(), 0);
    EXPECT_EQ(page_->kveIntTime.use_count(), held - 1);
    auto m = host_->NewMethodObject();
    EXPECT_EQ(entries_.EntriesToMethod(*m), method::kErrEntriesNotReady);
    EXPECT_THROW(entries_.AddResultDef(host::ResultDef{}, "", 1), host::Error);
}

TEST_F(MethodEntriesTest, Table_IsKeptPerOwner) {
    method::MethodEntries other;
    EXPECT_EQ(other.AddEntry(NewEntry("KVEOther"), "Other", ""), method::kErrEntriesNotReady);
    other.InitEntries();
    EXPECT_EQ(other.AddEntry(NewEntry("KVEOther"), "IntTime", ""), 0);
    other.ClearEntries();
    // The page's own table neither saw the registration nor the release.
    EXPECT_EQ(entries_.EntryCount(), 2);
    EXPECT_EQ(entries_.FindEntry("Other"), -1);
    auto m = host_->NewMethodObject();
    entries_.EntriesToMethod(*m);  // the empty lamp entry is refused after the definitions
    EXPECT_EQ(m->ResultDefCount(), 1);
}

}  // namespace
