#include <gtest/gtest.h>

#include "controls_support.h"
#include "host/error.h"
#include "platform/controls/uc_orve.h"
#include "platform/kvdova/documents.h"

using controls_test::Bench;

namespace {

host::ParamDef Item(const std::string& id, std::int32_t type, const std::string& def,
                    const std::string& range = {}) {
    host::ParamDef d;
    d.id = id;
    d.name = id;
    d.dataType = type;
    d.text1 = def;
    d.range = range;
    return d;
}

struct UCORVEFixture : ::testing::Test {
    Bench b;
    std::shared_ptr<host::UCORVE> display =
        b.Make<host::UCORVE>(host::ControlKind::UCORVE, "UCORVE");
    std::shared_ptr<host::ParamDefList> desc = kvdova::NewParamDefList();
    int changes = 0;

    void SetUp() override {
        desc->Add(Item("ExSlit", host::kTypeNumber, "5", "1..20"));
        desc->Add(Item("Voltage", host::kTypeNumber, "775"));
        desc->Add(Item("Lamp", host::kTypeText, "On", "{On;Off}"));
        display->OnSetupChanged([&] { ++changes; });
        display->SetSetupDescription(desc);
    }
    host::Variant Shown(const std::string& key) const {
        return display->CurrentSetup()->ValueOf(key);
    }
};

}  // namespace

TEST_F(UCORVEFixture, DescriptionBuildsTheSetupAtItsDefaults) {
    auto setup = display->CurrentSetup();
    ASSERT_EQ(setup->Count(), 3);
    EXPECT_EQ(setup->Def(1)->id, "ExSlit");
    EXPECT_EQ(setup->Value(1), host::Variant(5.0));
    EXPECT_EQ(setup->ValueOf("lamp"), host::Variant("On"));
    setup->SetValueOf("ExSlit", 9.0);
    EXPECT_EQ(Shown("ExSlit"), host::Variant(5.0)) << "the current setup is a copy";
}

TEST_F(UCORVEFixture, LoadKeepsUnknownKeysAndCodeRaisesNothing) {
    auto method = kvdova::NewParamSet();
    method->Add(Item("exslit", host::kTypeNumber, ""), 2.5);
    method->Add(Item("EmWl", host::kTypeNumber, ""), 520.0);
    display->LoadSetup(*method);
    display->SetSetupValue("Voltage", 650.0);
    display->SetSetupValue("IntTime", 0.1);
    EXPECT_EQ(Shown("ExSlit"), host::Variant(2.5));
    EXPECT_EQ(Shown("EmWl"), host::Variant(520.0));
    EXPECT_EQ(Shown("Voltage"), host::Variant(650.0));
    EXPECT_EQ(Shown("IntTime"), host::Variant(0.1));
    EXPECT_EQ(display->CurrentSetup()->Count(), 5);

    // A configuration refresh keeps what was loaded.
    desc->Add(Item("EmSlit", host::kTypeNumber, "5"));
    display->Update();
    EXPECT_EQ(Shown("ExSlit"), host::Variant(2.5));
    EXPECT_EQ(Shown("EmWl"), host::Variant(520.0));
    EXPECT_EQ(Shown("EmSlit"), host::Variant(5.0));
    EXPECT_EQ(changes, 0);

    display->Reset();
    EXPECT_EQ(Shown("ExSlit"), host::Variant(5.0));
    EXPECT_EQ(display->CurrentSetup()->IndexOf("EmWl"), 0) << "reset shows the default setup";
    EXPECT_EQ(changes, 0);
}

TEST_F(UCORVEFixture, APersonsEditIsCheckedThenNotified) {
    display->UserEditValue("exslit", "7.5");
    EXPECT_EQ(Shown("ExSlit"), host::Variant(7.5));
    EXPECT_EQ(changes, 1);
    EXPECT_THROW(display->UserEditValue("ExSlit", 30.0), host::Error);
    EXPECT_THROW(display->UserEditValue("Lamp", "Dim"), host::Error);
    EXPECT_THROW(display->UserEditValue("Gain", 1.0), host::Error);
    display->SetEnabled(false);
    EXPECT_THROW(display->UserEditValue("ExSlit", 6.0), host::Error);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Shown("ExSlit"), host::Variant(7.5));
}

TEST_F(UCORVEFixture, BadDescriptionsAreRefusedWhole) {
    auto bad = kvdova::NewParamDefList();
    bad->Add(Item("ExSlit", host::kTypeNumber, "1"));
    bad->Add(Item("EmSlit", host::kTypeNumber, "wide"));
    EXPECT_THROW(display->SetSetupDescription(bad), host::Error);
    EXPECT_EQ(display->CurrentSetup()->Count(), 3);
    EXPECT_EQ(Shown("ExSlit"), host::Variant(5.0));
    auto twice = kvdova::NewParamDefList();
    twice->Add(Item("ExSlit", host::kTypeNumber, "1"));
    twice->Add(Item("EXSLIT", host::kTypeNumber, "1"));
    EXPECT_THROW(display->SetSetupDescription(twice), host::Error);
    EXPECT_THROW(display->SetSetupValue("", 1.0), host::Error);
}

TEST_F(UCORVEFixture, LocalizeNamesItemsFromTheCatalogue) {
    b.texts.texts["ExSlit"] = "Spalt Ex";
    display->SetInstrumentInfo(kvdova::NewInstrumentInfo());
    display->SetMode(2);
    display->Localize();
    auto setup = display->CurrentSetup();
    EXPECT_EQ(setup->Def(1)->name, "Spalt Ex");
    EXPECT_EQ(setup->Def(2)->name, "Voltage");
    display->Update();
    EXPECT_EQ(display->CurrentSetup()->Def(1)->name, "Spalt Ex") << "kept across a refresh";
    EXPECT_EQ(display->Mode(), 2);

    EXPECT_TRUE(display->CallByName("ReleaseExtender"));
    auto& concrete = dynamic_cast<controls::UCORVE&>(*display);
    EXPECT_EQ(concrete.InstrumentInfo(), nullptr);
    EXPECT_EQ(concrete.SetupDescription(), nullptr);
}
