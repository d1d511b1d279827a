#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "method/fl_utils.h"
#include "method/method_layout.h"
#include "module_fixture.h"
#include "platform/kvbase/progress.h"
#include "platform/kvdova/method_file.h"
#include "platform/loader/host_session.h"

namespace {

struct Pos {
    double x, y, ex, em;
};

// A control with the simulated instrument set and its configuration refreshed,
// as a host has it before it handles methods.
class MethodPersistence : public ModuleTest {
  protected:
    void SetUp() override {
        ModuleTest::SetUp();
        info_ = loader::SimulatedInstrumentInfo(*host_);
        Configure(*control_);
    }
    void Configure(host::IUCVIZari& c) {
        ASSERT_EQ(c.SetInstrument(1, info_), 0);
        ASSERT_EQ(c.UpdateConfigDisplay(), 0);
        c.ClearMethod();
    }

    host::Form& Page() { return control_->Surface(); }
    std::shared_ptr<host::KVEntry> Entry(const char* name) {
        return host::As<host::KVEntry>(Page().Find(name));
    }
    host::KVSpread& Scan() { return *uc_->Page().kvsScan; }
    host::KVSpread& Result() { return *uc_->Page().kvsResult; }

    // A method as a host would hand it over: setup values and positions.
    std::shared_ptr<host::MethodObject> Stored(const std::vector<Pos>& positions,
                                               const std::string& autoLamp = "On") {
        auto m = host_->NewMethodObject();
        auto add = [&](const char* id, const host::Variant& v) {
            host::ParamDef d;
            d.id = id;
            d.dataType = v.IsNumeric() ? host::kTypeNumber : host::kTypeText;
            m->Params()->Add(d, v);
        };
        add("IntTime", 0.5);
        add("ExSlit", 5.0);
        add("EmSlit", 7.5);
        add("Voltage", 650.0);
        add("AutoLamp", host::Variant(autoLamp));
        add("LumMode", "Fluor");
        m->SetName("Stored");
        m->SetMethodType("FLVIZari");
        m->SetTableCount(1);
        m->SetColumnCount(1, 4);
        m->SetRowCount(1, static_cast<std::int32_t>(positions.size()));
        for (std::size_t r = 0; r < positions.size(); ++r) {
            const double cells[] = {positions[r].x, positions[r].y, positions[r].ex,
                                    positions[r].em};
            for (int c = 0; c < 4; ++c)
                m->SetCell(1, c + 1, static_cast<std::int32_t>(r + 1), cells[c]);
        }
        return m;
    }

    std::vector<std::string> ResultIds() {
        std::vector<std::string> ids;
        for (std::int32_t c = 1; c <= Result().ColumnCount(); ++c)
            ids.push_back(Result().ColumnDef(c).id);
        return ids;
    }

    host::Status InvalidEntryStatus() {
        for (const auto& e : host_->Errors().Entries())
            if (e.key == "InvalidEntry") return e.status;
        return 0;
    }

    std::shared_ptr<host::InstrumentInfo> info_;
};

const std::vector<Pos> kThree = {{12.5, 4, 485, 520}, {21.5, 4, 490, 525}, {30.5, 13, 495, 530}};

TEST_F(MethodPersistence, ClearedPageWritesTheDefaultLayout) {
    auto m = host_->NewMethodObject();
    ASSERT_EQ(control_->UpdateMethod(m), 0);

    EXPECT_EQ(m->MethodType(), "FLVIZari");
    EXPECT_EQ(m->VersionTag(), "ORVEVIZari:1.00.00");
    EXPECT_EQ(m->Name(), "NewVIZari");
    ASSERT_EQ(m->TableCount(), 1);
    ASSERT_EQ(m->ColumnCount(1), 4);
    ASSERT_EQ(m->RowCount(1), 1);
    const double defaults[] = {10, 10, 400, 500};
    const char* ids[] = {"ExPos", "EmPos", "ExWL", "EmWL"};
    for (int c = 1; c <= 4; ++c) {
        EXPECT_EQ(m->Cell(1, c, 1).ToDouble(), defaults[c - 1]);
        EXPECT_EQ(m->ColumnDef(1, c).id, ids[c - 1]);
    }

    auto params = m->Params();
    EXPECT_EQ(params->ValueOf("AutoLamp").ToString(), "On");
    EXPECT_EQ(params->Def(params->IndexOf("AutoLamp"))->range, "{On;Off}");
    // The setup is merged after the entries: "IntTime" is the display's, flag cleared.
    auto setup = uc_->Page().ucorve->CurrentSetup();
    const auto intTime = params->IndexOf("IntTime");
    EXPECT_EQ(params->Value(intTime), setup->ValueOf("IntTime"));
    EXPECT_EQ(params->Def(intTime)->id, setup->Def(setup->IndexOf("IntTime"))->id);
    EXPECT_FALSE(params->Def(intTime)->flag);
    for (const char* key : {"ExWl", "EmWl", "ExSlit", "EmSlit", "Voltage", "EmMirror", "LumMode"})
        EXPECT_GT(params->IndexOf(key), 0) << key;

    ASSERT_EQ(m->ResultDefCount(), 1);
    EXPECT_EQ(m->GetResultDef(1).id, "Int");
    ASSERT_EQ(m->InstrumentCount(), 1);
    EXPECT_EQ(m->Instrument(1)->Count(), uc_->InstInfoParams()->Count());
    EXPECT_NE(m->Instrument(1), uc_->InstInfoParams());  // a copy, not the control's own set
}

TEST_F(MethodPersistence, OnlineViewListsTheResultGridsColumns) {
    ASSERT_EQ(control_->LoadMethod(Stored(kThree)), 0);
    auto m = host_->NewMethodObject();
    ASSERT_EQ(control_->UpdateMethod(m), 0);
    ASSERT_EQ(m->ResultViewCount(), 1);
    const auto view = m->GetResultView(1);
    EXPECT_EQ(view.caption, "Online Result");
    EXPECT_EQ(view.selection.source, "Acq");
    EXPECT_EQ(view.selection.kind, "Any");
    EXPECT_EQ(view.selection.ids,
              "{" + host_->Environment().SampleIdKey() + ";Int[1];Int[2];Int[3]}");
    EXPECT_EQ(view.selection.ids, method::ResultColumnIDs(*Result().ColumnDefs()));
    ASSERT_EQ(view.layout.columns.size(), 4u);
    EXPECT_EQ(view.layout.columns[3].id, "Int[3]");
}

TEST_F(MethodPersistence, InvalidEntryStopsUpdateBeforeAnythingIsWritten) {
    Entry("KVEIntTime")->UserSetValue("20");  // beyond the instrument's 10 s
    auto m = host_->NewMethodObject();
    EXPECT_EQ(control_->UpdateMethod(m), InvalidEntryStatus());
    EXPECT_EQ(m->Params()->Count(), 0);
    EXPECT_EQ(m->TableCount(), 0);
    EXPECT_EQ(m->ResultViewCount(), 0);
    EXPECT_EQ(m->Name(), "");
}

TEST_F(MethodPersistence, LoadingPositionsRebuildsTheResultColumns) {
    ASSERT_EQ(ResultIds().size(), 2u);  // the cleared page: one position
    Entry("KVEExSlit")->UserSetValue("15");
    ASSERT_EQ(control_->LoadMethod(Stored(kThree)), 0);

    EXPECT_EQ(uc_->MethodName(), "Stored");
    ASSERT_EQ(Scan().RowCount(), 3);
    EXPECT_EQ(Scan().Cell(3, 2).ToDouble(), 490);
    EXPECT_EQ(Scan().RowCaption(3), "3");
    const std::vector<std::string> expected = {host_->Environment().SampleIdKey(), "Int[1]",
                                               "Int[2]", "Int[3]"};
    EXPECT_EQ(ResultIds(), expected);
    EXPECT_EQ(Result().ColumnDef(4).caption, "Int(3)");
    // The page shows the loaded setup, not the previous method's.
    EXPECT_EQ(Entry("KVEIntTime")->Value().ToDouble(), 0.5);
    EXPECT_EQ(Entry("KVEExSlit")->Value().ToDouble(), 5);
    EXPECT_EQ(Entry("KVEEmSlit")->Value().ToDouble(), 7.5);
    EXPECT_EQ(Entry("KVEGain")->Value().ToString(), "Low");

    // An empty position table leaves no positions and only the sample-ID column.
    ASSERT_EQ(control_->LoadMethod(Stored({})), 0);
    EXPECT_EQ(Scan().RowCount(), 0);
    EXPECT_EQ(Result().ColumnCount(), 1);
}

TEST_F(MethodPersistence, LoadAndUpdateRefuseToWorkWithoutAMethod) {
    EXPECT_NE(control_->LoadMethod(nullptr), 0);
    EXPECT_NE(control_->UpdateMethod(nullptr), 0);
}

TEST_F(MethodPersistence, AutoLampFollowsTheStoredItemAndThePersonsLaterChoice) {
    ASSERT_EQ(control_->LoadMethod(Stored(kThree, "Off")), 0);
    EXPECT_FALSE(uc_->Page().autoLampOn);
    ASSERT_EQ(control_->LoadMethod(Stored(kThree, "Bright")), 0);
    EXPECT_FALSE(uc_->Page().autoLampOn);
    ASSERT_EQ(control_->LoadMethod(Stored(kThree, "On")), 0);
    EXPECT_TRUE(uc_->Page().autoLampOn);

    // The display was handed "AutoLamp" with the method; the page's edit must still win.
    Entry("KVEAutoLamp")->UserSetValue("Off");
    auto m = host_->NewMethodObject();
    ASSERT_EQ(control_->UpdateMethod(m), 0);
    EXPECT_EQ(m->Params()->ValueOf("AutoLamp").ToString(), "Off");

    control_->ClearMethod();
    EXPECT_TRUE(uc_->Page().autoLampOn);
    EXPECT_EQ(Entry("KVEAutoLamp")->Value().ToString(), "On");
    EXPECT_EQ(Scan().RowCount(), 1);
    EXPECT_EQ(Result().ColumnCount(), 2);
}

TEST_F(MethodPersistence, WrittenLoadedIntoAFreshControlAndWrittenAgainIsTheSame) {
    ASSERT_EQ(control_->LoadMethod(Stored(kThree)), 0);
    Entry("KVEIntTime")->UserSetValue("0.25");
    Entry("KVEExSlit")->UserSetValue("5");
    Entry("KVEAutoLamp")->UserSetValue("Off");
    Scan().UserEditCell(4, 1, host::Variant("540"));
    auto first = host_->NewMethodObject();
    ASSERT_EQ(control_->UpdateMethod(first), 0);

    auto fresh = module::TheClassFactory().CreateInstance(host_);
    Configure(*fresh);
    ASSERT_EQ(fresh->LoadMethod(first), 0);
    auto second = host_->NewMethodObject();
    ASSERT_EQ(fresh->UpdateMethod(second), 0);

    // Elements 1 to 12: everything but the result view.
    first->SetResultViewCount(0);
    second->SetResultViewCount(0);
    EXPECT_EQ(kvdova::MethodToJson(*second), kvdova::MethodToJson(*first));
    EXPECT_EQ(second->Params()->ValueOf("EmWl").ToDouble(), 540);
}

TEST_F(MethodPersistence, CopyMethodCopiesUnvalidatedAndKeepsTheClipboardOnFailure) {
    auto& clipboard = host_->GetClipboard();
    auto copy = host::As<host::MenuItem>(Page().Find("mnuCopyMethod"));

    Entry("KVEIntTime")->UserSetValue("20");  // invalid, yet copied
    Scan().UserEditCell(1, 1, host::Variant("77.7"));
    copy->UserClick();
    const std::string text = clipboard.Text();
    auto m = host_->NewMethodObject();
    ASSERT_EQ(control_->UpdateMethod(m), InvalidEntryStatus());
    EXPECT_NE(text.find("\t20.000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\tOn\n"), std::string::npos) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.find("77.7"), std::string::npos);  // positions are not part of it
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
              std::count(text.begin(), text.end(), '\t'));

    // A value its definition cannot format fails before the clipboard is touched.
    clipboard.SetText("kept");
    Entry("KVEIntTime")->UserSetValue("soon");
    copy->UserClick();
    EXPECT_EQ(clipboard.Text(), "kept");
    EXPECT_FALSE(host_->Console().LastMessage().empty());
}

}  // namespace

// Two controls on one thread: each page's entries go to its own method, and
// releasing one control leaves the other able to write whole methods.
TEST_F(MethodPersistence, TwoControlsOnOneThreadKeepTheirOwnEntries) {
    auto second = module::TheClassFactory().CreateInstance(host_);
    Configure(*second);
    auto lampOf = [](host::IUCVIZari& c) {
        return host::As<host::KVEntry>(c.Surface().Find("KVEAutoLamp"))->Value().ToString();
    };
    ASSERT_EQ(second->LoadMethod(Stored(kThree, "Off")), 0);
    ASSERT_EQ(control_->LoadMethod(Stored(kThree, "On")), 0);
    EXPECT_EQ(lampOf(*control_), "On");
    EXPECT_EQ(lampOf(*second), "Off");

    auto first = host_->NewMethodObject();
    ASSERT_EQ(control_->UpdateMethod(first), 0);
    EXPECT_EQ(first->Params()->ValueOf("AutoLamp").ToString(), "On");
    auto other = host_->NewMethodObject();
    ASSERT_EQ(second->UpdateMethod(other), 0);
    EXPECT_EQ(other->Params()->ValueOf("AutoLamp").ToString(), "Off");

    second->ReleaseExtender();
    second.reset();
    auto after = host_->NewMethodObject();
    ASSERT_EQ(control_->UpdateMethod(after), 0);
    EXPECT_EQ(after->Params()->ValueOf("AutoLamp").ToString(), "On");
    ASSERT_EQ(after->ResultDefCount(), 1);
    EXPECT_EQ(after->GetResultDef(1).id, "Int");
}

// A new method's page is what the display shows and the method stores, even
// on an instrument whose own defaults differ from the page's.
TEST_F(MethodPersistence, ClearMethodShowsThePageDefaultsInTheDisplay) {
    auto desc = host_->NewParamDefList();
    for (const auto& [id, text] :
         std::vector<std::pair<const char*, const char*>>{{"ExWl", "350"},
                                                          {"EmWl", "450"},
                                                          {"ExSlit", "5"},
                                                          {"EmSlit", "2.5"},
                                                          {"IntTime", "0.25"},
                                                          {"Voltage", "900"}}) {
        host::ParamDef d;
        d.id = id;
        d.name = id;
        d.dataType = host::kTypeNumber;
        d.text1 = text;
        desc->Add(d);
    }
    uc_->Page().ucorve->SetSetupDescription(desc);
    control_->ClearMethod();
    const auto shown = uc_->Page().ucorve->CurrentSetup();
    EXPECT_EQ(shown->ValueOf("ExSlit").ToDouble(), 10);
    EXPECT_EQ(shown->ValueOf("EmSlit").ToDouble(), 10);
    EXPECT_EQ(shown->ValueOf("IntTime").ToDouble(), 1);
    EXPECT_EQ(shown->ValueOf("Voltage").ToDouble(), method::GainToVoltage(1));
    EXPECT_EQ(shown->ValueOf("ExWl").ToDouble(), 400);
    EXPECT_EQ(shown->ValueOf("EmWl").ToDouble(), 500);
    EXPECT_EQ(Scan().RowCaption(1), "1");
    auto m = host_->NewMethodObject();
    ASSERT_EQ(control_->UpdateMethod(m), 0);
    EXPECT_EQ(m->Params()->ValueOf("ExSlit").ToDouble(), 10);
    EXPECT_EQ(m->Params()->ValueOf("ExWl").ToDouble(), 400);
}

// A method whose positions cannot be read is refused and changes nothing:
// no earlier positions are left to be stored under its name.
TEST_F(MethodPersistence, MethodsWithoutAReadablePositionTableAreRefusedWholly) {
    ASSERT_EQ(control_->LoadMethod(Stored(kThree)), 0);
    auto noTable = Stored(kThree);
    noTable->SetName("No table");
    noTable->SetTableCount(0);
    auto narrow = Stored(kThree);
    narrow->SetName("Narrow");
    narrow->SetColumnCount(1, 3);
    for (const auto& m : {noTable, narrow}) {
        SCOPED_TRACE(m->Name());
        EXPECT_NE(control_->LoadMethod(m), 0);
        EXPECT_EQ(uc_->MethodName(), "Stored");
        EXPECT_EQ(Scan().RowCount(), 3);
    }
}
