#include "ui/setup_page.h"

#include <gtest/gtest.h>

#include "host/error.h"
#include "method/method_entries.h"
#include "platform/kvdova/documents.h"
#include "ui/page_fixture.h"

namespace {

using pagetest::PageTest;

// Counts the notifications a person's edit sets off, to show that nothing bounces.
struct Echoes {
    int entryChanges = 0;
    int setupChanges = 0;
};

class SetupPageTest : public PageTest {
  protected:
    void Listen() {
        auto echoes = std::make_shared<Echoes>();
        for (auto& entry : {page_->kveExSlit, page_->kveEmSlit, page_->kveIntTime, page_->kveGain,
                            page_->kveAutoLamp})
            entry->OnValueChanged([echoes] { ++echoes->entryChanges; });
        page_->ucorve->OnSetupChanged([echoes] { ++echoes->setupChanges; });
        echoes_ = echoes;
    }
    std::shared_ptr<Echoes> echoes_;
};

class GermanPageTest : public PageTest {
  protected:
    loader::HostOptions Options() override {
        loader::HostOptions o;
        o.cataloguePath = std::string(ORVE_SOURCE_DIR) + "/examples/catalogue-de.json";
        return o;
    }
};

TEST_F(GermanPageTest, InitSetupEntries_RegistersTwoEntriesAndTheIntensityResult) {
    EXPECT_EQ(method::EntryCount(), 2);
    EXPECT_EQ(method::FindEntry("inttime"), 1);
    EXPECT_EQ(method::FindEntry("AUTOLAMP"), 2);
    EXPECT_EQ(method::FindEntry("ExSlit"), -1);

    page_->kveIntTime->SetValue(1.0);
    page_->kveAutoLamp->SetValue("On");
    auto m = host_->NewMethodObject();
    ASSERT_EQ(method::EntriesToMethod(*m), 0);
    auto params = m->Params();
    EXPECT_EQ(params->Def(params->IndexOf("IntTime"))->name, "Int.-Zeit");
    EXPECT_EQ(params->Def(params->IndexOf("AutoLamp"))->name, "Lampe automatisch aus");
    ASSERT_EQ(m->ResultDefCount(), 1);
    const host::ResultDef def = m->GetResultDef(1);
    EXPECT_EQ(def.id, "Int");
    EXPECT_EQ(def.valueType, host::kTypeNumber);
    EXPECT_EQ(def.caption, "Int");
    EXPECT_EQ(def.unit, "#");
    EXPECT_EQ(def.format, "0.000");
    EXPECT_EQ(def.flag, 1);
    EXPECT_EQ(def.text, "");
}

TEST_F(SetupPageTest, SlitsAndTime_PassTheEntryValueToTheDisplay) {
    page_->kveExSlit->UserSetValue(5.0);
    page_->kveEmSlit->UserSetValue("7.5");  // typed text arrives as a number
    page_->kveIntTime->UserSetValue(0.25);
    EXPECT_EQ(Shown("ExSlit"), host::Variant(5.0));
    EXPECT_EQ(Shown("EmSlit"), host::Variant(7.5));
    EXPECT_EQ(Shown("IntTime"), host::Variant(0.25));
}

TEST_F(SetupPageTest, Gain_SendsTheListVoltageAndNothingForCustomOrUnknown) {
    page_->kveGain->UserSetValue("Low");
    EXPECT_EQ(Shown("Voltage").ToDouble(), 650.0);
    page_->kveGain->UserSetValue("high");
    EXPECT_EQ(Shown("Voltage").ToDouble(), 900.0);
    page_->kveGain->UserSetValue("Custom");
    EXPECT_EQ(Shown("Voltage").ToDouble(), 900.0);
    page_->kveGain->UserSetValue("Ultra");
    EXPECT_EQ(Shown("Voltage").ToDouble(), 900.0);
    page_->kveGain->UserSetValue("Medium");
    EXPECT_EQ(Shown("Voltage").ToDouble(), 775.0);

    // A broken list ends the handler silently.
    page_->kveGain->SetRange("Medium;Low");
    EXPECT_NO_THROW(page_->kveGain->UserSetValue("Low"));
    EXPECT_EQ(Shown("Voltage").ToDouble(), 775.0);
}

TEST_F(SetupPageTest, DisplayEdit_CopiesTimeSlitsAndGainButNotLampOrWavelengths) {
    SetRows({{10, 10, 400, 500}});
    page_->kveAutoLamp->SetValue("Off");
    page_->ucorve->UserEditValue("Voltage", 700.0);
    EXPECT_EQ(page_->kveGain->Value(), host::Variant("Custom"));
    page_->ucorve->UserEditValue("Voltage", 900.0);
    EXPECT_EQ(page_->kveGain->Value(), host::Variant("High"));

    page_->ucorve->UserEditValue("EmSlit", 4.0);
    EXPECT_EQ(page_->kveEmSlit->Value(), host::Variant(4.0));
    EXPECT_EQ(page_->kveExSlit->Value(), host::Variant(10.0));
    EXPECT_EQ(page_->kveIntTime->Value(), host::Variant(1.0));

    page_->ucorve->UserEditValue("Lamp", "On");
    page_->ucorve->UserEditValue("ExWl", 450.0);
    EXPECT_EQ(page_->kveAutoLamp->Value(), host::Variant("Off"));
    EXPECT_EQ(Row(1), (std::vector<double>{10, 10, 400, 500}));
}

TEST_F(SetupPageTest, DisplayEdit_WithAMissingItemKeepsWhatWasCopiedBeforeIt) {
    auto desc = host_->NewParamDefList();
    for (const char* id : {"IntTime", "ExSlit"})
        desc->Add(*description_->Item(description_->IndexOf(id)));
    page_->ucorve->SetSetupDescription(desc);
    page_->ucorve->Reset();
    page_->kveGain->SetValue("Low");

    EXPECT_NO_THROW(page_->ucorve->UserEditValue("IntTime", 2.0));
    EXPECT_EQ(page_->kveIntTime->Value(), host::Variant(2.0));
    EXPECT_EQ(page_->kveExSlit->Value(), host::Variant(10.0));
    EXPECT_EQ(page_->kveGain->Value(), host::Variant("Low"));
}

TEST_F(SetupPageTest, NoBounce_CustomGainSurvivesASlitEditAndNothingLoops) {
    Listen();
    page_->kveGain->UserSetValue("Custom");
    page_->kveExSlit->UserSetValue(5.0);
    EXPECT_EQ(Shown("ExSlit"), host::Variant(5.0));
    EXPECT_EQ(Shown("Voltage").ToDouble(), 775.0);
    EXPECT_EQ(page_->kveGain->Value(), host::Variant("Custom"));
    EXPECT_EQ(echoes_->setupChanges, 0);
    EXPECT_EQ(echoes_->entryChanges, 2);

    // The other way: the display's edit lands in the entries and goes no further.
    page_->ucorve->UserEditValue("EmSlit", 3.0);
    EXPECT_EQ(echoes_->setupChanges, 1);
    EXPECT_EQ(echoes_->entryChanges, 2);
    EXPECT_EQ(page_->kveEmSlit->Value(), host::Variant(3.0));
    EXPECT_EQ(page_->kveGain->Value(), host::Variant("Medium"));
}

TEST_F(SetupPageTest, AutoLamp_SetsTheFlagAndTouchesNothingElse) {
    const auto before = page_->ucorve->CurrentSetup();
    page_->kveAutoLamp->UserSetValue("On");
    EXPECT_TRUE(page_->autoLampOn);
    page_->kveAutoLamp->UserSetValue("off");
    EXPECT_FALSE(page_->autoLampOn);
    page_->kveAutoLamp->UserSetValue("Maybe");
    EXPECT_FALSE(page_->autoLampOn);
    const auto after = page_->ucorve->CurrentSetup();
    ASSERT_EQ(after->Count(), before->Count());
    for (std::int32_t i = 1; i <= after->Count(); ++i) EXPECT_EQ(after->Value(i), before->Value(i));

    // No trap: a broken list reaches whoever raised the change.
    page_->kveAutoLamp->SetRange("On;Off");
    EXPECT_THROW(page_->kveAutoLamp->UserSetValue("On"), host::Error);
}

TEST_F(SetupPageTest, Reset_DisplayDefaultsAreThePageDefaults) {
    // A display edit copies the reset setup into the entries.
    page_->ucorve->UserEditValue("Lamp", "On");
    EXPECT_EQ(page_->kveIntTime->Value(), host::Variant(1.0));
    EXPECT_EQ(page_->kveExSlit->Value(), host::Variant(10.0));
    EXPECT_EQ(page_->kveEmSlit->Value(), host::Variant(10.0));
    EXPECT_EQ(page_->kveGain->Value(), host::Variant("Medium"));
    EXPECT_EQ(Shown("ExWl").ToDouble(), 400.0);
    EXPECT_EQ(Shown("EmWl").ToDouble(), 500.0);

    // A loaded key the instrument does not describe stays in the display's setup.
    auto loaded = host_->NewParamSet();
    host::ParamDef extra;
    extra.id = "Scan.Mode";
    loaded->Add(extra, "Fast");
    page_->ucorve->LoadSetup(*loaded);
    EXPECT_EQ(Shown("Scan.Mode"), host::Variant("Fast"));
}

TEST_F(SetupPageTest, ApplySetupRanges_FollowTheDescriptionAndClearWhatIsMissing) {
    page_->ApplySetupRanges(*description_);
    EXPECT_EQ(page_->kveIntTime->Range(), "0.001..10");
    EXPECT_EQ(page_->kveExSlit->Range(), "1..20");
    EXPECT_EQ(page_->kveEmSlit->Range(), "1..20");
    EXPECT_EQ(page_->kvsScan->ColumnDef(3).range, "200..900");
    EXPECT_EQ(page_->kvsScan->ColumnDef(4).range, "250..900");
    EXPECT_EQ(page_->kvsScan->ColumnDef(1).range, "");
    EXPECT_EQ(page_->kveGain->Range(), "{Medium;Low;High;Custom}");
    EXPECT_EQ(page_->kveAutoLamp->Range(), "{On;Off}");

    auto desc = host_->NewParamDefList();
    for (std::int32_t i = 1; i <= description_->Count(); ++i) {
        auto def = *description_->Item(i);
        if (host::IEquals(def.id, "ExWl")) continue;
        if (host::IEquals(def.id, "EmSlit")) def.range.clear();
        desc->Add(def);
    }
    page_->ApplySetupRanges(*desc);
    EXPECT_EQ(page_->kvsScan->ColumnDef(3).range, "");
    EXPECT_EQ(page_->kvsScan->ColumnDef(4).range, "250..900");
    EXPECT_EQ(page_->kveEmSlit->Range(), "");
    EXPECT_EQ(page_->kveExSlit->Range(), "1..20");
}

TEST_F(SetupPageTest, Details_ShowGrowsTheAreaAndHideDropsThePanelBelowTheEdge) {
    form_->UserResize(ui::kControlWidth, 9000);
    page_->setupAreaHeight = 1620;
    page_->kvpShowDetails->UserClick();
    EXPECT_TRUE(page_->detailsShown);
    EXPECT_FALSE(page_->kvpShowDetails->Visible());
    EXPECT_TRUE(page_->kvpHideDetails->Visible());
    EXPECT_TRUE(page_->pnlInst->Visible());
    EXPECT_EQ(page_->setupAreaHeight, 1620 + 3585);
    EXPECT_EQ(Height(page_->kvsResult), 9000 - 1620 - 3585);

    page_->kvpHideDetails->UserClick();
    EXPECT_FALSE(page_->detailsShown);
    EXPECT_TRUE(page_->kvpShowDetails->Visible());
    EXPECT_FALSE(page_->kvpHideDetails->Visible());
    EXPECT_TRUE(page_->pnlInst->Visible());
    EXPECT_EQ(page_->setupAreaHeight, 1590 + 30);
    EXPECT_EQ(Top(page_->pnlSetup) + Height(page_->pnlSetup), 9000 - 15);
    EXPECT_EQ(Top(page_->pnlInst), 9000);
}

TEST_F(SetupPageTest, Layout_FollowsEveryResizeAndSkipsAFailingStepAlone) {
    page_->setupAreaHeight = 1620;
    form_->UserResize(12000, 8000);
    EXPECT_EQ(page_->pgSetup->Geometry().width, 12015);
    EXPECT_EQ(Height(page_->pgSetup), 8000);
    EXPECT_EQ(Height(page_->pnlResult), 8000 - 1620 + 45);
    EXPECT_EQ(Height(page_->kvsResult), 8000 - 1620);
    EXPECT_EQ(Top(page_->pnlSetup), 8000 - 1620 + 15);
    EXPECT_EQ(page_->pnlSetup->Geometry().width, 12015);
    EXPECT_EQ(Top(page_->pnlInst), Top(page_->pnlSetup) + 1590 + 15);
    EXPECT_EQ(page_->ucorve->Geometry().width, 12015 - 180);
    EXPECT_EQ(Top(page_->kvpShowDetails), 8000 - 450);
    EXPECT_EQ(Top(page_->kvpHideDetails), 8000 - 450);

    // Too small for the setup area: the result heights would be negative and
    // are skipped, every other step still runs.
    form_->UserResize(10000, 1000);
    EXPECT_EQ(Height(page_->pgSetup), 1000);
    EXPECT_EQ(Height(page_->pnlResult), 8000 - 1620 + 45);
    EXPECT_EQ(Height(page_->kvsResult), 8000 - 1620);
    EXPECT_EQ(page_->ucorve->Geometry().width, 10015 - 180);
    EXPECT_EQ(Top(page_->kvpShowDetails), 1000 - 450);
}

TEST_F(SetupPageTest, ContextMenu_OpensOnTheRightButtonOnly) {
    auto panel = host::As<host::Panel>(page_->pnlSetup);
    ASSERT_TRUE(panel);
    panel->UserMouseDown(1, 100, 200);
    panel->UserMouseDown(4, 100, 200);
    EXPECT_EQ(page_->mnuPopUp->PopupCount(), 0);
    panel->UserMouseDown(2, 300, 400);
    EXPECT_EQ(page_->mnuPopUp->PopupCount(), 1);
    EXPECT_EQ(popups_, (std::vector<std::pair<std::int32_t, std::int32_t>>{{300, 400}}));
    ASSERT_EQ(page_->mnuPopUp->Items().size(), 1u);

    page_->mnuCopyMethod->UserClick();  // no action yet: nothing happens
    int copies = 0;
    page_->SetCopyMethodAction([&] { ++copies; });
    page_->mnuCopyMethod->UserClick();
    EXPECT_EQ(copies, 1);
}

}  // namespace
