// Setup operations against a recording server: command order, what is sent
// and skipped, scan starts and the setup description's localisation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fake_server.h"
#include "proxy/corve_proxy.h"
#include "proxy_fixture.h"

namespace {

using proxytest::FakeServer;
using Strings = std::vector<std::string>;

host::ParamDef Def(const char* id, std::int32_t type = host::kTypeText, const char* format = "") {
    host::ParamDef d;
    d.id = id;
    d.name = id;
    d.dataType = type;
    d.format = format;
    return d;
}

class Setup : public proxytest::FakeServerFixture {
  protected:
    void SetUp() override {
        FakeServerFixture::SetUp();
        for (auto d : {Def("ExWl", host::kTypeNumber, "0.0"), Def("EmWl", host::kTypeNumber, "0.0"),
                       Def("ExSlit", host::kTypeNumber, "0.0"), Def("Lamp"), Def("EmMirror")}) {
            desc->Add(d);
        }
        // The method stores the slit with other types and formats than the instrument describes.
        state->Add(Def("ExWl", host::kTypeNumber), 350.0);
        state->Add(Def("EmWl", host::kTypeNumber), 450.0);
        state->Add(Def("Gain"), "High");
        state->Add(Def("ExSlit", host::kTypeText), "5");
        state->Add(Def("Lamp"), "On");
        state->Add(Def("EmMirror"), "Out");
    }
    std::shared_ptr<host::ParamDefList> desc = host->NewParamDefList();
    std::shared_ptr<host::ParamSet> state = host->NewParamSet();
};

TEST_F(Setup, StatusTakesTheMirrorOutBeforeTheMoveAndSkipsWhatItHandled) {
    EXPECT_EQ(proxy->SetupStatus(*state, false, *desc), 0);
    EXPECT_EQ(server->Commands(), (Strings{"Set EmMirror=Out", "SetM Wl=350.0;450.0",
                                           "Set ExSlit=5.0", "Set Lamp=On", "Enable Phos"}));
}

TEST_F(Setup, StatusPutsTheMirrorInAfterTheMoveAndLampOffUnderAutoLamp) {
    state->SetValueOf("EmMirror", "in");
    EXPECT_EQ(proxy->SetupStatus(*state, true, *desc), 0);
    EXPECT_EQ(server->Commands(), (Strings{"SetM Wl=350.0;450.0", "Set EmMirror=In",
                                           "Set ExSlit=5.0", "Set Lamp=Off", "Enable Phos"}));
    server->calls.clear();
    state->SetValueOf("EmMirror", "Half");
    EXPECT_EQ(proxy->SetupStatus(*state, false, *desc), 0);
    EXPECT_EQ(server->Commands().front(), "SetM Wl=350.0;450.0");
    EXPECT_EQ(server->Commands().size(), 4u);  // no mirror command
}

TEST_F(Setup, StatusStopsAtTheFirstFailureAndKeepsWhatWasDone) {
    server->polls = {{"Mono:jammed", ""}};
    ExpectStatusOfKey(proxy->SetupStatus(*state, false, *desc), "Mono");
    EXPECT_EQ(server->Commands(), (Strings{"Set EmMirror=Out", "SetM Wl=350.0;450.0"}));
    auto noWl = host->NewParamSet();
    noWl->Add(Def("Lamp"), "On");
    EXPECT_NE(proxy->SetupStatus(*noWl, false, *desc), 0);
}

TEST_F(Setup, ScanStartsFollowTheScanType) {
    EXPECT_EQ(proxy->SetScanStartWL(3, 300, 20), 0);
    EXPECT_EQ(proxy->ScanStartEx(), 300);
    EXPECT_EQ(proxy->ScanStartEm(), 320);
    EXPECT_EQ(proxy->SetScanStartWL(4, 400, 0), 0);
    EXPECT_EQ(proxy->ScanStartEm(), 400);
    EXPECT_EQ(proxy->SetScanStartWL(4, 500, 2000), 0);
    EXPECT_NEAR(proxy->ScanStartEm(), 500 / 1.1, 1e-9);
    EXPECT_EQ(proxy->SetScanStartWL(7, 1, 2), 0);
    EXPECT_NEAR(proxy->ScanStartEm(), 500 / 1.1, 1e-9);
    EXPECT_EQ(proxy->SetScanStartWL(2, 600, 310), 0);
    EXPECT_EQ(proxy->ScanStartEx(), 310);
    EXPECT_EQ(proxy->ScanStartEm(), 600);
    EXPECT_TRUE(server->calls.empty());
    // A wavenumber shift that divides by zero is refused, not sent as a number,
    // and the last good start stays.
    EXPECT_EQ(proxy->SetScanStartWL(4, 500, -20000), proxy::kErrNotFinite);
    EXPECT_EQ(proxy->ScanStartEx(), 310);
    EXPECT_EQ(proxy->ScanStartEm(), 600);
    EXPECT_EQ(proxy->SetupScan(4, 500, 600, 1, 100, -20000), proxy::kErrNotFinite);
    EXPECT_TRUE(server->calls.empty());
}

// Nothing that is not a finite number, and no time-drive type outside the
// list, reaches the instrument: each is refused before the first command.
TEST_F(Setup, ValuesThatAreNoNumbersAreRefusedBeforeAnythingIsSent) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(proxy->SetupScan(1, 300, inf, 0.5, 1200, 450), proxy::kErrNotFinite);
    EXPECT_EQ(proxy->SetupScan(1, 300, 400, nan, 1200, 450), proxy::kErrNotFinite);
    EXPECT_EQ(proxy->SetupTimedrive(2, 0, nan, 0.125, 1), proxy::kErrNotFinite);
    EXPECT_EQ(proxy->SetupTimedrive(3, 0, 60, 0.125, 1), proxy::kErrBadTimedriveType);
    EXPECT_EQ(proxy->SetupTimedrive(0, 0, 60, 0.125, 1), proxy::kErrBadTimedriveType);
    state->SetValueOf("EmWl", nan);
    EXPECT_EQ(proxy->SetupStatus(*state, false, *desc), proxy::kErrNotFinite);
    state->SetValueOf("EmWl", 450.0);
    // The slit is stored as text; the instrument reads it as a number.
    state->SetValueOf("ExSlit", "NaN");
    EXPECT_EQ(proxy->SetupStatus(*state, false, *desc), proxy::kErrNotFinite);
    EXPECT_NE(host->errors.MessageText(proxy::kErrNotFinite).find("ExSlit"), std::string::npos);
    EXPECT_TRUE(server->calls.empty());
    // A value the instrument does not describe is never sent, so never refused.
    state->SetValueOf("ExSlit", "5");
    state->Add(Def("Unsent", host::kTypeNumber), inf);
    EXPECT_EQ(proxy->SetupStatus(*state, false, *desc), 0);
}

TEST_F(Setup, ScanAndTimeDriveSendTheirParametersInOrder) {
    EXPECT_EQ(proxy->SetupScan(1, 300, 400, 0.5, 1200, 450), 0);
    EXPECT_EQ(server->Commands(),
              (Strings{"SetM Wl=300.0;450.0", "Set Scan.Type=1", "Set Scan.Start=300.0",
                       "Set Scan.End=400.0", "Set Scan.Interval=0.5", "Set Scan.Speed=1200",
                       "Enable Scan"}));
    server->calls.clear();
    EXPECT_EQ(proxy->SetupTimedrive(2, 0, 60, 0.125, 1), 0);
    EXPECT_EQ(server->Commands(),
              (Strings{"Set TD.Type=ShortPhos", "Set TD.Start=0.0", "Set TD.End=60.0",
                       "Set TD.Interval=" + host->numbers.DoubleToText(0.125, "0.00", 0),
                       "Set TD.Resp=1.0", "Enable TD"}));

    server->calls.clear();
    server->synch["Set Scan.End=400.0"] = {"Scan:bad end", ""};
    ExpectStatusOfKey(proxy->SetupScan(1, 300, 400, 0.5, 1200, 450), "Scan");
    EXPECT_EQ(server->Commands().back(), "Set Scan.End=400.0");
}

TEST_F(Setup, ScanStartMoveWaitsNowOrLater) {
    proxy->SetScanStartWL(1, 300, 450);
    EXPECT_EQ(proxy->GotoScanStartWLAsynch(), 0);
    EXPECT_EQ(server->CallsStartingWith("PollAsynch").size(), 0u);
    server->polls = {{"Busy:running", ""}, {"Busy:running", ""}, {"", ""}};
    EXPECT_EQ(proxy->WaitScanStartWL(), 0);
    EXPECT_EQ(host->progress.waits, (std::vector<double>{0.2, 0.2}));
    server->polls = {{"Mono:jammed", ""}};
    ExpectStatusOfKey(proxy->GotoScanStartWL(), "Mono");
    EXPECT_EQ(server->Commands(), (Strings{"SetM Wl=300.0;450.0", "SetM Wl=300.0;450.0"}));
}

TEST_F(Setup, SetupDescriptionNamesAreLocalised) {
    server->setupDesc = {Def("ExWl", host::kTypeNumber), Def("Lamp"), Def("Unknown")};
    auto loaded = host->NewParamDefList();
    proxy->GetInstSetupDesc(*loaded);
    ASSERT_EQ(loaded->Count(), 3);
    EXPECT_EQ(loaded->Item(1)->name, "Excitation wavelength");
    EXPECT_EQ(loaded->Item(2)->name, "Lampe");
    EXPECT_EQ(loaded->Item(3)->name, "Unknown");  // kept, never blanked
    server->failing = {"GetSetupDesc"};
    EXPECT_NO_THROW(proxy->GetInstSetupDesc(*loaded));
}

}  // namespace
