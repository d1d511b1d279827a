#include <gtest/gtest.h>

#include "controls_support.h"
#include "host/error.h"
#include "platform/controls/kv_entry.h"
#include "platform/controls/kv_pic_button.h"

using controls_test::Bench;
using host::ControlKind;

namespace {

std::shared_ptr<host::KVEntry> NumberEntry(Bench& b, const std::string& range) {
    return b.Make<host::KVEntry>(ControlKind::KVEntry, "KVEExSlit",
                                 {{"caption", "Ex. Slit"},
                                  {"range", range},
                                  {"unit", "nm"},
                                  {"outformat", "0.0"},
                                  {"datatype", 2},
                                  {"ctrltype", 1}});
}

}  // namespace

TEST(KVEntryValidity, NumberMustReadFiniteAndLieInRange) {
    Bench b;
    auto e = NumberEntry(b, "1..20");
    e->SetValue(10.0);
    EXPECT_TRUE(e->IsValid());
    e->SetValue("15");  // text that reads as a number
    EXPECT_TRUE(e->IsValid());
    e->SetValue(25.0);
    EXPECT_FALSE(e->IsValid());
    e->SetValue("ten");
    EXPECT_FALSE(e->IsValid());
    e->SetValue(std::numeric_limits<double>::infinity());
    EXPECT_FALSE(e->IsValid());
    e->SetValue(host::Variant());
    EXPECT_FALSE(e->IsValid()) << "an empty number field holds no number";
    e->SetValue(10.0);
    e->SetRange("1..x");
    EXPECT_FALSE(e->IsValid()) << "a malformed range makes the entry invalid";
    e->SetRange("");
    EXPECT_TRUE(e->IsValid());
}

TEST(KVEntryValidity, ListAndCheckBoxEntries) {
    Bench b;
    auto lamp = b.Make<host::KVEntry>(ControlKind::KVEntry, "KVEAutoLamp",
                                      {{"range", "{On;Off}"}, {"datatype", 4}, {"ctrltype", 5}});
    lamp->SetValue("off");
    EXPECT_EQ(lamp->Value(), host::Variant("Off")) << "a list entry reads back the item text";
    EXPECT_TRUE(lamp->IsValid());
    lamp->SetValue("");
    EXPECT_FALSE(lamp->IsValid());

    auto light =
        b.Make<host::KVEntry>(ControlKind::KVEntry, "KVELampOn",
                              {{"range", "{TRUE;FALSE}"}, {"datatype", 1}, {"ctrltype", 3}});
    light->SetValue(true);
    EXPECT_TRUE(light->IsValid());
    light->SetValue(std::int16_t{-1});
    EXPECT_TRUE(light->IsValid()) << "the module's boolean -1 reads as true";
    light->SetValue("maybe");
    EXPECT_FALSE(light->IsValid());
}

TEST(KVEntryDefinition, CarriesTheDesignedFields) {
    Bench b;
    auto e = NumberEntry(b, "0.5..20");
    e->SetId("ExSlit");
    const auto def = e->Definition();
    EXPECT_EQ(def.id, "ExSlit");
    EXPECT_EQ(def.dataType, host::kTypeNumber);
    EXPECT_EQ(def.caption, "Ex. Slit");
    EXPECT_EQ(def.unit, "nm");
    EXPECT_EQ(def.ctrlType, host::kCtrlEdit);
    EXPECT_EQ(def.format, "0.0");
    EXPECT_EQ(def.range, "0.5..20");
}

TEST(KVEntryNotifications, OnlyAPersonsEditRaisesValueChanged) {
    Bench b;
    auto e = NumberEntry(b, "");
    int changed = 0, repaints = 0;
    e->OnValueChanged([&] { ++changed; });
    e->OnStateChanged([&] { ++repaints; });
    e->SetValue(5.0);
    e->SetProperty("Value", 6.0);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(repaints, 2);
    e->UserSetValue("7.5");
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(e->Value(), host::Variant(7.5)) << "typed text is kept as a number";
}

TEST(KVEntryNotifications, LockedDisabledOrForcedEntriesRefuseAPerson) {
    Bench b;
    auto e = NumberEntry(b, "0..10");
    int changed = 0;
    e->OnValueChanged([&] { ++changed; });
    e->SetProperty("LOCKED", true);
    EXPECT_THROW(e->UserSetValue(1.0), host::Error);
    e->SetProperty("locked", false);
    e->SetEnabled(false);
    EXPECT_THROW(e->UserSetValue(1.0), host::Error);
    e->SetEnabled(true);
    e->SetProperty("forcevalid", true);
    try {
        e->UserSetValue(11.0);
        FAIL() << "an invalid value was taken";
    } catch (const host::Error& err) {
        EXPECT_NE(err.Text().find("outside the range '0..10'"), std::string::npos) << err.Text();
    }
    EXPECT_EQ(changed, 0);
    EXPECT_TRUE(e->Value().IsEmpty());
}

TEST(ControlProperties, ByNameIgnoringCaseAndUnknownNamesRaise) {
    Bench b;
    auto e = NumberEntry(b, "");
    e->SetProperty("Left", 150);
    e->SetProperty("WIDTH", "2070");
    e->SetProperty("Visible", false);
    EXPECT_EQ(e->Geometry(), (host::Rect{150, 0, 2070, 300}));
    EXPECT_FALSE(e->Visible());
    EXPECT_EQ(e->Property("Caption"), host::Variant("Ex. Slit"));
    EXPECT_EQ(e->Property("LabelWidth"), host::Variant(0));
    try {
        e->SetProperty("colour", 3);
        FAIL();
    } catch (const host::Error& err) {
        EXPECT_NE(err.Text().find("'colour'"), std::string::npos);
        EXPECT_NE(err.Text().find("KVEExSlit"), std::string::npos);
    }
    EXPECT_THROW(e->Property("colour"), host::Error);
    EXPECT_THROW(e->SetProperty("datatype", 3), host::Error);
    EXPECT_THROW(e->SetProperty("labelwidth", "wide"), host::Error);
    EXPECT_THROW(e->SetProperty("height", -1), host::Error);
    EXPECT_THROW(e->ArrayIndex(), host::Error);
}

TEST(ControlProperties, ReleaseExtenderLetsGoOfHandlers) {
    Bench b;
    auto e = NumberEntry(b, "");
    auto button = b.Make<host::KVPicButton>(ControlKind::KVPicButton, "KVPAlignWPR", {}, 2);
    int changed = 0, clicks = 0;
    e->OnValueChanged([&] { ++changed; });
    button->OnClick([&] { ++clicks; });
    EXPECT_TRUE(e->CallByName("releaseextender"));
    EXPECT_TRUE(button->CallByName("ReleaseExtender"));
    EXPECT_FALSE(e->CallByName("Refresh"));
    e->UserSetValue(1.0);
    button->UserClick();
    EXPECT_EQ(changed + clicks, 0);
    EXPECT_EQ(button->ArrayIndex(), 2);

    auto panel = b.Make<host::Panel>(ControlKind::Panel, "PnlSetup");
    EXPECT_FALSE(panel->CallByName("ReleaseExtender"));

    // A handler may release the control it is called from; the others still run.
    button->OnClick([&] { button->CallByName("ReleaseExtender"); });
    button->OnClick([&] { ++clicks; });
    button->UserClick();
    button->UserClick();
    EXPECT_EQ(clicks, 1);
}

TEST(KVPicButtonClicks, OnlyWhileEnabledAndVisible) {
    Bench b;
    auto button = b.Make<host::KVPicButton>(ControlKind::KVPicButton, "KVPAdjust",
                                            {{"caption", "Adjust Pos"}, {"picleft", 45}});
    int clicks = 0;
    button->OnClick([&] { ++clicks; });
    button->UserClick();
    button->SetEnabled(false);
    button->UserClick();
    button->SetEnabled(true);
    button->SetVisible(false);
    button->UserClick();
    EXPECT_EQ(clicks, 1);
}
