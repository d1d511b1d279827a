#include "ui/setup_page.h"

#include <gtest/gtest.h>

#include "host/error.h"
#include "method/method_entries.h"
#include "ui/page_fixture.h"

namespace {

using host::Variant;

class SetupPageTest : public pagetest::PageTest {};

class GermanPageTest : public pagetest::PageTest {
  protected:
    loader::HostOptions Options() override {
        loader::HostOptions o;
        o.cataloguePath = std::string(ORVE_SOURCE_DIR) + "/examples/catalogue-de.json";
        return o;
    }
};

TEST_F(GermanPageTest, InitSetupEntries_RegistersTwoEntriesAndTheIntensityResult) {
    EXPECT_EQ(entries_.EntryCount(), 2);
    EXPECT_EQ(entries_.FindEntry("inttime"), 1);
    EXPECT_EQ(entries_.FindEntry("AUTOLAMP"), 2);
    page_->kveIntTime->SetValue(1.0);
    page_->kveAutoLamp->SetValue("On");
    auto m = host_->NewMethodObject();
    ASSERT_EQ(entries_.EntriesToMethod(*m), 0);
    auto params = m->Params();
    EXPECT_EQ(params->Def(params->IndexOf("IntTime"))->name, "Int.-Zeit");
    EXPECT_EQ(params->Def(params->IndexOf("AutoLamp"))->name, "Lampe automatisch aus");
    ASSERT_EQ(m->ResultDefCount(), 1);
    EXPECT_EQ(m->GetResultDef(1),
              (host::ResultDef{"Int", host::kTypeNumber, "Int", "#", "0.000", 1, ""}));
}

TEST_F(SetupPageTest, EntryEdits_ReachTheDisplayAndGainOnlyAsAListVoltage) {
    page_->kveExSlit->UserSetValue(5.0);
    page_->kveEmSlit->UserSetValue("7.5");  // typed text arrives as a number
    page_->kveIntTime->UserSetValue(0.25);
    EXPECT_EQ(Shown("ExSlit"), Variant(5.0));
    EXPECT_EQ(Shown("EmSlit"), Variant(7.5));
    EXPECT_EQ(Shown("IntTime"), Variant(0.25));

    page_->kveGain->UserSetValue("Low");
    EXPECT_EQ(Shown("Voltage").ToDouble(), 650.0);
    page_->kveGain->UserSetValue("high");
    EXPECT_EQ(Shown("Voltage").ToDouble(), 900.0);
    page_->kveGain->UserSetValue("Medium");
    EXPECT_EQ(Shown("Voltage").ToDouble(), 775.0);
    page_->kveGain->UserSetValue("high");
    for (const char* unsent : {"Custom", "Ultra"}) {
        page_->kveGain->UserSetValue(unsent);
        EXPECT_EQ(Shown("Voltage").ToDouble(), 900.0) << unsent;
    }
    // A broken list ends the handler silently.
    page_->kveGain->SetRange("Medium;Low");
    EXPECT_NO_THROW(page_->kveGain->UserSetValue("Medium"));
    EXPECT_EQ(Shown("Voltage").ToDouble(), 900.0);
}

TEST_F(SetupPageTest, DisplayEdit_CopiesTimeSlitsAndGainButNotLampOrWavelengths) {
    SetRows({{10, 10, 400, 500}});
    page_->kveAutoLamp->SetValue("Off");
    page_->ucorve->UserEditValue("Voltage", 700.0);
    EXPECT_EQ(page_->kveGain->Value(), Variant("Custom"));
    page_->ucorve->UserEditValue("Voltage", 900.0);
    EXPECT_EQ(page_->kveGain->Value(), Variant("High"));
    page_->ucorve->UserEditValue("Voltage", 775.0);
    EXPECT_EQ(page_->kveGain->Value(), Variant("Medium"));
    page_->ucorve->UserEditValue("EmSlit", 4.0);
    // The reset display holds the page's own defaults.
    EXPECT_EQ(page_->kveEmSlit->Value(), Variant(4.0));
    EXPECT_EQ(page_->kveExSlit->Value(), Variant(10.0));
    EXPECT_EQ(page_->kveIntTime->Value(), Variant(1.0));
    EXPECT_EQ(Shown("ExWl").ToDouble(), 400.0);
    EXPECT_EQ(Shown("EmWl").ToDouble(), 500.0);

    page_->ucorve->UserEditValue("Lamp", "On");
    page_->ucorve->UserEditValue("ExWl", 450.0);
    EXPECT_EQ(page_->kveAutoLamp->Value(), Variant("Off"));
    EXPECT_EQ(Row(1), (std::vector<double>{10, 10, 400, 500}));
}

TEST_F(SetupPageTest, DisplayEdit_AMissingItemEndsTheCopySilently) {
    auto desc = host_->NewParamDefList();
    for (const char* id : {"IntTime", "ExSlit"})
        desc->Add(*description_->Item(description_->IndexOf(id)));
    page_->ucorve->SetSetupDescription(desc);
    page_->ucorve->Reset();
    page_->kveGain->SetValue("Low");
    EXPECT_NO_THROW(page_->ucorve->UserEditValue("IntTime", 2.0));
    EXPECT_EQ(page_->kveIntTime->Value(), Variant(2.0));
    EXPECT_EQ(page_->kveExSlit->Value(), Variant(10.0));
    EXPECT_EQ(page_->kveGain->Value(), Variant("Low"));
}

TEST_F(SetupPageTest, NoBounce_CustomGainSurvivesASlitEditAndNothingLoops) {
    int entryChanges = 0, setupChanges = 0;
    for (auto& entry : {page_->kveExSlit, page_->kveEmSlit, page_->kveIntTime, page_->kveGain})
        entry->OnValueChanged([&] { ++entryChanges; });
    page_->ucorve->OnSetupChanged([&] { ++setupChanges; });

    page_->kveGain->UserSetValue("Custom");
    page_->kveExSlit->UserSetValue(5.0);
    EXPECT_EQ(Shown("ExSlit"), Variant(5.0));
    EXPECT_EQ(Shown("Voltage").ToDouble(), 775.0);
    EXPECT_EQ(page_->kveGain->Value(), Variant("Custom"));
    EXPECT_EQ(entryChanges, 2);
    EXPECT_EQ(setupChanges, 0);

    // The other way: the display's edit lands in the entries and goes no further.
    page_->ucorve->UserEditValue("EmSlit", 3.0);
    EXPECT_EQ(page_->kveEmSlit->Value(), Variant(3.0));
    EXPECT_EQ(entryChanges, 2);
    EXPECT_EQ(setupChanges, 1);
}

TEST_F(SetupPageTest, AutoLamp_SetsTheFlagOnlyAndLetsAFailurePass) {
    const auto before = page_->ucorve->CurrentSetup();
    page_->kveAutoLamp->UserSetValue("On");
    EXPECT_TRUE(page_->autoLampOn);
    page_->kveAutoLamp->UserSetValue("off");
    EXPECT_FALSE(page_->autoLampOn);
    for (std::int32_t i = 1; i <= before->Count(); ++i)
        EXPECT_EQ(Shown(before->Def(i)->id), before->Value(i));

    page_->kveAutoLamp->SetRange("On;Off");
    EXPECT_THROW(page_->kveAutoLamp->UserSetValue("On"), host::Error);
}

TEST_F(SetupPageTest, ApplySetupRanges_FollowTheDescriptionAndClearWhatIsMissing) {
    page_->ApplySetupRanges(*description_);
    EXPECT_EQ(page_->kveIntTime->Range(), "0.001..10");
    EXPECT_EQ(page_->kveEmSlit->Range(), "1..20");
    EXPECT_EQ(page_->kvsScan->ColumnDef(3).range, "200..900");
    EXPECT_EQ(page_->kvsScan->ColumnDef(4).range, "250..900");
    EXPECT_EQ(page_->kvsScan->ColumnDef(1).range, "");
    EXPECT_EQ(page_->kveGain->Range(), "{Medium;Low;High;Custom}");

    auto desc = host_->NewParamDefList();
    for (std::int32_t i = 1; i <= description_->Count(); ++i) {
        auto def = *description_->Item(i);
        if (def.id == "EmSlit") def.range.clear();
        if (def.id != "ExWl") desc->Add(def);
    }
    page_->ApplySetupRanges(*desc);
    EXPECT_EQ(page_->kvsScan->ColumnDef(3).range, "");
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
    EXPECT_EQ(Height(page_->kvsResult), 9000 - 1620 - 3585);

    page_->kvpHideDetails->UserClick();
    EXPECT_FALSE(page_->detailsShown);
    EXPECT_TRUE(page_->kvpShowDetails->Visible());
    EXPECT_FALSE(page_->kvpHideDetails->Visible());
    EXPECT_TRUE(page_->pnlInst->Visible());
    EXPECT_EQ(Top(page_->pnlSetup) + Height(page_->pnlSetup), 9000 - 15);
    EXPECT_EQ(Top(page_->pnlInst), 9000);
}

TEST_F(SetupPageTest, Layout_FollowsEveryResizeAndSkipsAFailingStepAlone) {
    page_->setupAreaHeight = 1620;
    form_->UserResize(12000, 8000);
    EXPECT_EQ(page_->pgSetup->Geometry(), (host::Rect{0, 0, 12015, 8000}));
    EXPECT_EQ(Height(page_->pnlResult), 8000 - 1620 + 45);
    EXPECT_EQ(Top(page_->pnlSetup), 8000 - 1620 + 15);
    EXPECT_EQ(Top(page_->pnlInst), Top(page_->pnlSetup) + 1590 + 15);
    EXPECT_EQ(page_->ucorve->Geometry().width, 12015 - 180);
    EXPECT_EQ(Top(page_->kvpHideDetails), 8000 - 450);

    // Too small for the setup area: the result heights would be negative and
    // are skipped; every other step still runs.
    form_->UserResize(10000, 1000);
    EXPECT_EQ(Height(page_->kvsResult), 8000 - 1620);
    EXPECT_EQ(page_->ucorve->Geometry().width, 10015 - 180);
    EXPECT_EQ(Top(page_->kvpShowDetails), 1000 - 450);
}

TEST_F(SetupPageTest, ContextMenu_OpensOnTheRightButtonAndRunsCopyMethod) {
    auto panel = host::As<host::Panel>(page_->pnlSetup);
    panel->UserMouseDown(1, 100, 200);
    panel->UserMouseDown(4, 100, 200);
    EXPECT_EQ(page_->mnuPopUp->PopupCount(), 0);
    panel->UserMouseDown(2, 300, 400);
    EXPECT_EQ(popups_, (std::vector<std::pair<std::int32_t, std::int32_t>>{{300, 400}}));

    int copies = 0;
    page_->mnuCopyMethod->UserClick();  // no action yet
    page_->SetCopyMethodAction([&] { ++copies; });
    page_->mnuCopyMethod->UserClick();
    EXPECT_EQ(copies, 1);
}

}  // namespace
