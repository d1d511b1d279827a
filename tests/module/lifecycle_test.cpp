#include <gtest/gtest.h>

#include "method/method_entries.h"
#include "module/module_errors.h"
#include "module_fixture.h"
#include "platform/loader/host_session.h"

using LifecycleTest = ModuleTest;

TEST_F(LifecycleTest, PagesAreSetupAndOnlineOnEveryCall) {
    for (int i = 0; i < 2; ++i) {
        auto pages = control_->AvailPages();
        ASSERT_EQ(pages->Count(), 2);
        EXPECT_EQ(pages->Descriptor(1), "1;Setup;Setup");
        EXPECT_EQ(pages->Descriptor(2), "2;Online;Online");
    }
}

TEST_F(LifecycleTest, FixedAnswers) {
    EXPECT_EQ(control_->NrUsedInstruments(), 1);
    for (int i : {-1, 0, 1, 2}) EXPECT_EQ(control_->UsedInstType(i), "ORVE");
    EXPECT_EQ(control_->CorrectionRequired(nullptr, nullptr), host::kVFalse);
    EXPECT_EQ(control_->MeasureCorrection(nullptr, nullptr), 0);
    EXPECT_EQ(control_->Terminate(), 0);
    EXPECT_EQ(control_->ExitMeasurement(nullptr), 0);
}

TEST_F(LifecycleTest, MeasureSetupRefusesWithTheSameStatusAndLeavesTheIndex) {
    std::int32_t idx = 7;
    auto s1 = control_->MeasureSetup(1, 1, nullptr, idx);
    auto s2 = control_->MeasureSetup(3, 2, nullptr, idx);
    EXPECT_NE(s1, 0);
    EXPECT_EQ(s1, s2);
    EXPECT_EQ(idx, 7);
    EXPECT_EQ(host_->Errors().MessageText(s1),
              "Acquisition module does not support parallel sample measurements");
}

TEST_F(LifecycleTest, AutoClearSettingGivesTheNegatedFlag) {
    EXPECT_EQ(control_->SetupModule(Config(true), Rights(true)), 0);
    EXPECT_FALSE(uc_->NoAutoClear());
    EXPECT_TRUE(uc_->CreateRight());
    EXPECT_EQ(control_->SetupModule(Config(false), Rights(false)), 0);
    EXPECT_TRUE(uc_->NoAutoClear());
    EXPECT_FALSE(uc_->CreateRight());
}

TEST_F(LifecycleTest, SetupModuleWithoutTheSettingFailsAndKeepsTheRight) {
    auto cfg = kvdova::NewUserConfig();
    EXPECT_NE(control_->SetupModule(cfg, Rights(true)), 0);
    EXPECT_TRUE(uc_->CreateRight());
}

TEST_F(LifecycleTest, DisplayPageAppliesLockAndRights) {
    ASSERT_EQ(control_->SetupModule(Config(true), Rights(true)), 0);
    const auto& p = uc_->Page();
    for (int page : {1, 2, 99}) {
        control_->DisplayPage(page, host::kVTrue);
        EXPECT_FALSE(p.pnlSetup->Enabled());
        EXPECT_FALSE(p.pnlInst->Enabled());
        EXPECT_FALSE(p.kvsResult->Enabled());
    }
    control_->DisplayPage(1, host::kVFalse);
    EXPECT_TRUE(p.pnlSetup->Enabled());
    EXPECT_TRUE(p.pnlSetup->Visible());
    EXPECT_FALSE(p.pnlInst->Visible());
    EXPECT_TRUE(p.kvpShowDetails->Visible());
    EXPECT_FALSE(p.kvpHideDetails->Visible());
    EXPECT_EQ(p.pnlSetup->Geometry().height, 1590);
    EXPECT_EQ(p.setupAreaHeight, 1620);
}

TEST_F(LifecycleTest, WithoutCreateRightTheSetupIsHidden) {
    ASSERT_EQ(control_->SetupModule(Config(true), Rights(false)), 0);
    control_->DisplayPage(1, host::kVFalse);
    const auto& p = uc_->Page();
    EXPECT_FALSE(p.pnlSetup->Visible());
    EXPECT_FALSE(p.pnlInst->Visible());
    EXPECT_FALSE(p.kvpShowDetails->Visible());
    EXPECT_FALSE(p.kvpHideDetails->Visible());
    EXPECT_EQ(p.setupAreaHeight, 0);
}

TEST_F(LifecycleTest, DisplayPageRaisesSpreadSelectedWithZero) {
    struct Sink : host::IUCVIZariEvents {
        std::vector<int> spread;
        void GraphSelected(std::int32_t) override {}
        void SpreadSelected(std::int32_t code) override { spread.push_back(code); }
        void NewDataAvail() override {}
    } sink;
    control_->Advise(&sink);
    control_->DisplayPage(2, host::kVFalse);
    EXPECT_EQ(sink.spread, std::vector<int>{0});
    control_->Advise(nullptr);
}

TEST_F(LifecycleTest, SetInstrumentOnlyForIndexOne) {
    auto info = host_->NewInstrumentInfo();
    auto before = uc_->InstInfo();
    EXPECT_EQ(control_->SetInstrument(2, info), 0);
    EXPECT_EQ(uc_->InstInfo(), before);
    EXPECT_FALSE(uc_->HasProxy());
    EXPECT_EQ(control_->SetInstrument(1, info), 0);
    EXPECT_EQ(uc_->InstInfo(), info);
    EXPECT_TRUE(uc_->HasProxy());
}

TEST_F(LifecycleTest, UpdateConfigDisplayBeforeSetInstrumentFails) {
    auto widthBefore = uc_->Page().ucorve->Geometry();
    EXPECT_NE(control_->UpdateConfigDisplay(), 0);
    EXPECT_EQ(uc_->Page().ucorve->Geometry(), widthBefore);
}

TEST_F(LifecycleTest, InstrumentInfoParametersAreDefined) {
    auto params = uc_->InstInfoParams();
    ASSERT_EQ(params->Count(), 5);
    EXPECT_EQ(params->Def(5)->id, "InstFirmRev");
    EXPECT_EQ(params->Def(4)->dataType, host::kTypeDate);
    EXPECT_TRUE(params->Def(1)->locked);
}

// Controls without the operation (panels, frame, menus) are skipped; those
// with it let go of their handlers, and the entry table is released, so no
// method is written from a released page.
TEST_F(LifecycleTest, ReleaseExtenderReleasesHandlersAndTheEntryTable) {
    ASSERT_EQ(control_->SetInstrument(1, loader::SimulatedInstrumentInfo(*host_)), 0);
    ASSERT_EQ(control_->UpdateConfigDisplay(), 0);
    control_->ClearMethod();
    auto& page = uc_->Page();
    control_->ReleaseExtender();
    page.kveExSlit->UserSetValue(5.0);
    EXPECT_EQ(page.ucorve->CurrentSetup()->ValueOf("ExSlit").ToDouble(), 10.0);
    auto m = host_->NewMethodObject();
    EXPECT_EQ(control_->UpdateMethod(m), method::kErrEntriesNotReady);
    EXPECT_EQ(m->Params()->Count(), 0);
}

TEST_F(LifecycleTest, TwoControlsOnOneThreadShareTheModuleCodes) {
    auto codes = host::CurrentModuleErrors();
    auto second = module::TheClassFactory().CreateInstance(host_);
    EXPECT_EQ(host::CurrentModuleErrors().invMode, codes.invMode);
    std::int32_t idx = 0;
    EXPECT_EQ(second->MeasureSetup(1, 1, nullptr, idx), control_->MeasureSetup(1, 1, nullptr, idx));
    std::size_t acqModule = 0;
    for (const auto& e : host_->Errors().Entries())
        acqModule += host::IEquals(e.section, "AcqModule");
    EXPECT_EQ(acqModule, 3u);
}

TEST_F(LifecycleTest, LayoutFollowsResize) {
    auto& form = control_->Surface();
    form.UserResize(12000, 9000);
    const auto& p = uc_->Page();
    EXPECT_EQ(p.pgSetup->Geometry().width, 12015);
    EXPECT_EQ(p.kvpShowDetails->Geometry().top, 9000 - 450);
}
