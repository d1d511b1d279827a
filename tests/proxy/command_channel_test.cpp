// The command channel against a recording server: exact texts, synchronous
// or asynchronous routing, polling, abort, and which failures are reported.
#include <gtest/gtest.h>

#include "fake_server.h"
#include "proxy/corve_proxy.h"
#include "proxy_fixture.h"

namespace {

using proxytest::FakeServer;
using Strings = std::vector<std::string>;

class Channel : public proxytest::FakeServerFixture {
  protected:
    Strings Reported() const { return host->errors.FailedCommands(); }

    std::string answer;
};

TEST_F(Channel, PropertiesChooseTheChannelByKeyIgnoringCase) {
    EXPECT_EQ(proxy->SendProperty("exwl", "485.0"), 0);
    EXPECT_EQ(proxy->SendProperty("Lamp", "On"), 0);
    EXPECT_EQ(proxy->SendProperty("EMCUTFILTER", "2"), 0);
    EXPECT_EQ(proxy->ReadProperty("int", answer), 0);
    EXPECT_EQ(proxy->ReadProperty("Lamp", answer), 0);
    EXPECT_EQ(server->CallsStartingWith("StartAsynch"),
              (Strings{"StartAsynch Set exwl=485.0", "StartAsynch Set EMCUTFILTER=2",
                       "StartAsynch Get int"}));
    EXPECT_EQ(server->CallsStartingWith("ExecSynch"),
              (Strings{"ExecSynch Set Lamp=On", "ExecSynch Get Lamp"}));
}

TEST_F(Channel, SynchronousCommandAnswersOrFailsReported) {
    server->synch["Get Lamp"] = {"", "On"};
    EXPECT_EQ(proxy->ExecCommandSynch("Get Lamp", answer), 0);
    EXPECT_EQ(answer, "On");
    EXPECT_TRUE(Reported().empty());

    server->synch["Park WPR"] = {"Stage:blocked", ""};
    host::Status st = proxy->ExecCommandSynch("Park WPR", answer);
    ExpectStatusOfKey(st, "Stage");
    EXPECT_EQ(Reported(), Strings{"Park WPR"});

    server->failing = {"ExecSynch"};
    EXPECT_EQ(proxy->ExecCommandSynch("Run SubDC", answer), proxytest::kServerFailure);
    EXPECT_EQ(Reported(), (Strings{"Park WPR", "Run SubDC"}));
}

TEST_F(Channel, AsynchronousCommandWaitsOnlyAfterBusyReplies) {
    server->polls = {{"busy:RUNNING", ""}, {"Busy:running", ""}, {"Mono:jammed", ""}};
    host::Status st = proxy->ExecCommandAsynch("SetM WL=485.0;520.0", answer);
    ExpectStatusOfKey(st, "Mono");
    EXPECT_EQ(host->progress.waits, (std::vector<double>{0.1, 0.1}));
    EXPECT_TRUE(Reported().empty());                // an error final reply is not a failed command
    EXPECT_EQ(server->calls.front(), "BusyReply");  // taken before the start

    host->progress.waits.clear();
    server->polls = {{"", "1234.5,567.8,0"}};
    EXPECT_EQ(proxy->ReadProperty("Int", answer), 0);
    EXPECT_EQ(answer, "1234.5,567.8,0");
    EXPECT_TRUE(host->progress.waits.empty());
}

TEST_F(Channel, FailedStartsAndCallsAreReportedFinalRepliesNever) {
    server->startReplies = {"Mono:jammed"};
    ExpectStatusOfKey(proxy->ExecCommandAsynch("SetM WL=1;2", answer), "Mono");
    server->startReplies = {"Mono:jammed"};
    EXPECT_NE(proxy->StartCommandAsynch("SetM Wl=3;4"), 0);
    server->startReplies = {"Mono:jammed"};
    EXPECT_NE(proxy->ExecCommandAsynchGraceStop("SetM Wl=5;6", answer), 0);
    server->failing = {"PollAsynch"};
    EXPECT_EQ(proxy->ExecCommandAsynch("Get Int", answer), proxytest::kServerFailure);
    EXPECT_EQ(proxy->WaitCommandAsynch(""), proxytest::kServerFailure);
    EXPECT_EQ(Reported(), (Strings{"SetM WL=1;2", "SetM Wl=3;4", "SetM Wl=5;6", "Get Int"}));

    server->failing.clear();
    server->polls = {{"Busy:running", ""}, {"Mono:lost", ""}};
    ExpectStatusOfKey(proxy->WaitCommandAsynch(""), "Mono");
    EXPECT_EQ(host->progress.waits, std::vector<double>{0.2});
    EXPECT_EQ(Reported().size(), 4u);
}

TEST_F(Channel, AbortStopsTheInstrumentOnEveryPassUntilTheReplyChanges) {
    host->progress.RequestAbort();
    server->polls = {{"Busy:running", ""}, {"Busy:running", ""}, {"Stop:stopped", ""}};
    ExpectStatusOfKey(proxy->ExecCommandAsynch("SetM WL=485.0;520.0", answer), "Stop");
    EXPECT_EQ(server->calls, (Strings{"BusyReply", "StartAsynch SetM WL=485.0;520.0", "PollAsynch",
                                      "EmergencyStop", "PollAsynch", "EmergencyStop", "PollAsynch",
                                      "EmergencyStop"}));
}

TEST_F(Channel, GraceStopAlsoStopsOnTheAcquisitionsStopRequest) {
    host->environment.RequestStop(true);
    server->polls = {{"Busy:running", ""}, {"", ""}};
    EXPECT_EQ(proxy->ExecCommandAsynchGraceStop("Get Int", answer), 0);
    EXPECT_EQ(server->CallsStartingWith("EmergencyStop").size(), 2u);
    server->calls.clear();
    server->polls = {{"Busy:running", ""}, {"", ""}};
    EXPECT_EQ(proxy->ExecCommandAsynch("Get Int", answer), 0);  // the plain one ignores it
    EXPECT_TRUE(server->CallsStartingWith("EmergencyStop").empty());
}

TEST_F(Channel, AnEmptyBusyReplyIsRefusedInsteadOfPollingForever) {
    server->busy = "";
    EXPECT_EQ(proxy->ExecCommandAsynch("Get Int", answer), proxy::kErrEmptyBusyReply);
    EXPECT_EQ(proxy->WaitCommandAsynch(""), proxy::kErrEmptyBusyReply);
    EXPECT_TRUE(server->CallsStartingWith("StartAsynch").empty());
}

TEST_F(Channel, DescriptorPropertiesFormatAndConvertByDataType) {
    host::ParamDef wl;
    wl.id = "ExWl";
    wl.dataType = host::kTypeNumber;
    wl.format = "0.0";
    EXPECT_EQ(proxy->SendPropertyED(wl, host::Variant(485)), 0);
    EXPECT_EQ(server->Commands(), Strings{"Set ExWl=485.0"});

    host::ParamDef voltage;
    voltage.id = "Voltage";
    voltage.dataType = host::kTypeNumber;
    server->synch["Get Voltage"] = {"", "700"};
    host::Variant v;
    EXPECT_EQ(proxy->ReadPropertyED(voltage, v), 0);
    EXPECT_EQ(v.ToDouble(), 700.0);

    // A failing read still converts its answer; a failing conversion is the result.
    server->synch["Get Voltage"] = {"Det:cold", "650"};
    ExpectStatusOfKey(proxy->ReadPropertyED(voltage, v), "Det");
    EXPECT_EQ(v.ToDouble(), 650.0);
    server->synch["Get Voltage"] = {"Det:cold", "n/a"};
    host::Status st = proxy->ReadPropertyED(voltage, v);
    EXPECT_NE(st, 0);
    EXPECT_NE(st, StatusOfKey("Det"));
}

TEST_F(Channel, WholeSetupsStopAtTheFirstFailingEntry) {
    auto setup = host->NewParamSet();
    EXPECT_EQ(proxy->SendSetup(*setup), 0);
    EXPECT_TRUE(server->calls.empty());

    for (const char* id : {"Lamp", "EmMirror", "LumMode"}) {
        host::ParamDef d;
        d.id = id;
        setup->Add(d, host::Variant("x"));
    }
    server->synch["Set EmMirror=x"] = {"Mirror:stuck", ""};
    ExpectStatusOfKey(proxy->SendSetup(*setup), "Mirror");
    EXPECT_EQ(server->Commands(), (Strings{"Set Lamp=x", "Set EmMirror=x"}));

    server->calls.clear();
    server->synch = {{"Get Lamp", {"", "On"}}, {"Get EmMirror", {"Mirror:stuck", "In"}}};
    ExpectStatusOfKey(proxy->ReadSetup(*setup), "Mirror");
    EXPECT_EQ(setup->Value(1).ToString(), "On");
    EXPECT_EQ(setup->Value(2).ToString(), "x");  // not stored after its failing read
    EXPECT_EQ(server->Commands(), (Strings{"Get Lamp", "Get EmMirror"}));
}

}  // namespace
