// The simulator as several clients see it over time: clock, lock, status,
// emergency stop, injected faults and the transcript.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "host/error.h"
#include "platform/kvbase/catalog.h"
#include "platform/kvbase/clock.h"
#include "platform/kvdova/param_def_list.h"
#include "platform/kvdova/param_set.h"
#include "platform/qnserver/error_table.h"
#include "platform/qnserver/server_factory.h"

namespace {

using qnserver::Instrument;

class Session : public ::testing::Test {
  protected:
    kvbase::VirtualClock clock;
    qnserver::ServerFactory factory{clock};
    Instrument& instrument = factory.GetInstrument();
    std::shared_ptr<host::InstrumentServer> a = factory.CreateServer();
    std::shared_ptr<host::InstrumentServer> b = factory.CreateServer();
    std::string answer;

    static std::string KeyOf(const std::string& reply) { return reply.substr(0, reply.find(':')); }
    // Polls every 0.1 s like the host does; returns the number of waits.
    int PollToEnd(host::InstrumentServer& s, std::string& reply) {
        int waits = 0;
        while (host::IEquals(reply = s.PollAsynch(answer), s.BusyReply())) {
            clock.Sleep(0.1);
            ++waits;
        }
        return waits;
    }
};

TEST_F(Session, SynchronousCommandsLastTheirPhysicalTime) {
    ASSERT_EQ(a->ExecSynch("SetM WPR.POS=50;0", answer), "");  // 50 mm at 50 mm/s
    EXPECT_DOUBLE_EQ(clock.Now(), 1.0);
    ASSERT_EQ(a->ExecSynch("SetM WPR.POS=40;30", answer), "");  // the longer axis counts
    EXPECT_DOUBLE_EQ(clock.Now(), 1.6);
    ASSERT_EQ(a->ExecSynch("Set Lamp=Off", answer), "");
    ASSERT_EQ(a->ExecSynch("Set Lamp=On", answer), "");
    EXPECT_DOUBLE_EQ(clock.Now(), 1.6 + qnserver::kLampWarmUp);
    double before = clock.Now();
    ASSERT_EQ(a->ExecSynch("Set IntTime=0.5", answer), "");
    ASSERT_EQ(a->ExecSynch("Get Int", answer), "");
    EXPECT_DOUBLE_EQ(clock.Now(), before + 0.5);
}

TEST_F(Session, AsynchronousMoveIsBusyUntilItsEndAndPollingTakesNoTime) {
    ASSERT_EQ(a->StartAsynch("SetM WL=460;500"), "");  // 60 nm at 200 nm/s: 0.3 s
    for (int i = 0; i < 5; ++i) EXPECT_EQ(a->PollAsynch(answer), a->BusyReply());
    EXPECT_EQ(clock.Now(), 0.0);
    std::string reply;
    EXPECT_EQ(PollToEnd(*a, reply), 3);
    EXPECT_EQ(reply, "");
    EXPECT_EQ(a->ExecSynch("Get ExWl", answer), "");
    EXPECT_EQ(answer, "460.0");
    EXPECT_EQ(KeyOf(a->PollAsynch(answer)), qnserver::key::kNoCommand);
}

TEST_F(Session, OneAsynchronousCommandAtATime) {
    ASSERT_EQ(a->StartAsynch("SetM WL=600;700"), "");
    EXPECT_EQ(KeyOf(b->StartAsynch("Set ExWl=300")), qnserver::key::kCmdRunning);
    EXPECT_EQ(KeyOf(a->StartAsynch("Set ExWl=300")), qnserver::key::kCmdRunning);
    clock.Sleep(5.0);
    EXPECT_EQ(b->StartAsynch("Get Int"), "");
    std::string reply;
    PollToEnd(*a, reply);
    EXPECT_EQ(reply, "");
}

TEST_F(Session, LockBelongsToTheClientThatTookIt) {
    ASSERT_EQ(a->Lock(true), "");
    EXPECT_TRUE(b->IsLocked());
    EXPECT_EQ(KeyOf(b->Lock(true)), qnserver::key::kLocked);
    EXPECT_EQ(b->Lock(false), "");  // releases nothing
    EXPECT_TRUE(a->IsLocked());
    for (const char* cmd : {"SetM WPR.POS=1;1", "Park WPR", "Set Lamp=Off", "Get Lamp"}) {
        EXPECT_EQ(KeyOf(b->ExecSynch(cmd, answer)), qnserver::key::kLocked) << cmd;
    }
    EXPECT_EQ(KeyOf(b->StartAsynch("SetM WL=300;400")), qnserver::key::kLocked);
    EXPECT_THROW(b->Reset(), host::Error);
    EXPECT_EQ(a->Lock(true), "");  // the holder may lock again
    EXPECT_EQ(a->ExecSynch("Get Lamp", answer), "");
    EXPECT_EQ(a->Lock(false), "");
    EXPECT_FALSE(a->IsLocked());
    EXPECT_EQ(b->ExecSynch("Get Lamp", answer), "");
}

TEST_F(Session, ADisconnectedClientLeavesNoLockBehind) {
    ASSERT_EQ(a->Lock(true), "");
    a.reset();
    EXPECT_FALSE(b->IsLocked());
    EXPECT_EQ(b->Lock(true), "");
}

TEST_F(Session, EmergencyStopEndsTheRunningMoveWhereItIs) {
    ASSERT_EQ(a->Lock(true), "");
    ASSERT_EQ(a->StartAsynch("SetM WL=600;500"), "");  // 1.0 s
    clock.Sleep(0.5);
    b->EmergencyStop();  // a refused client stops nothing
    EXPECT_EQ(a->PollAsynch(answer), a->BusyReply());
    a->EmergencyStop();
    EXPECT_EQ(KeyOf(a->PollAsynch(answer)), qnserver::key::kStopped);
    a->ExecSynch("Get ExWl", answer);
    EXPECT_EQ(answer, "500.0");
    a->EmergencyStop();  // nothing runs: harmless
    EXPECT_EQ(KeyOf(a->PollAsynch(answer)), qnserver::key::kNoCommand);
}

TEST_F(Session, StatusGoesFromOfflineThroughInitialisingToReady) {
    kvbase::VirtualClock c;
    qnserver::ServerFactory cold{c, {.startReady = false}};
    auto s = cold.CreateServer();
    std::int32_t status = -1;
    double intensity = 0, temperature = 0;
    s->GetStatus(status, intensity, temperature);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(KeyOf(s->ExecSynch("Get Lamp", answer)), qnserver::key::kOffline);
    cold.GetInstrument().PowerOn();
    s->GetStatus(status, intensity, temperature);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(KeyOf(s->ExecSynch("Get Lamp", answer)), qnserver::key::kNotReady);
    c.Sleep(qnserver::kInitTime);
    s->GetStatus(status, intensity, temperature);
    EXPECT_EQ(status, 2);
    EXPECT_GT(intensity, 0.0);
    s->ExecSynch("Set Lamp=Off", answer);
    s->Reset();
    s->GetStatus(status, intensity, temperature);
    EXPECT_EQ(status, 1);
    c.Sleep(qnserver::kInitTime);
    EXPECT_EQ(s->ExecSynch("Get Lamp", answer), "");
    EXPECT_EQ(answer, "On");  // reset restored the default
}

TEST_F(Session, InjectedRepliesHitTheNthMatchingCommand) {
    instrument.AddFaultRule("get lamp#2=Lamp:burnt out");
    EXPECT_EQ(a->ExecSynch("Get Lamp", answer), "");
    EXPECT_EQ(a->ExecSynch("Get Lamp", answer), "Lamp:burnt out");
    EXPECT_EQ(a->ExecSynch("Get Lamp", answer), "");

    instrument.AddFaultRule("SetM WL=start:Mono:jammed");
    EXPECT_EQ(a->StartAsynch("SetM WL=300;400"), "Mono:jammed");
    instrument.ClearFaultRules();
    instrument.AddFaultRule("SetM WL=Mono:lost steps");
    ASSERT_EQ(a->StartAsynch("SetM WL=300;400"), "");
    std::string reply;
    EXPECT_EQ(PollToEnd(*a, reply), 5);  // the move still takes its time
    EXPECT_EQ(reply, "Mono:lost steps");
    a->ExecSynch("Get ExWl", answer);
    EXPECT_EQ(answer, "400.0");  // a failed move has no effect
}

TEST_F(Session, BusyStallAndThrowFaults) {
    instrument.AddFaultRule("Get Int=busy");
    ASSERT_EQ(a->StartAsynch("Get Int"), "");
    clock.Sleep(100.0);
    EXPECT_EQ(a->PollAsynch(answer), a->BusyReply());
    a->EmergencyStop();
    EXPECT_EQ(KeyOf(a->PollAsynch(answer)), qnserver::key::kStopped);

    instrument.AddFaultRule("Park=stall");
    double before = clock.Now();
    EXPECT_EQ(KeyOf(a->ExecSynch("Park WPR", answer)), qnserver::key::kStalled);
    EXPECT_DOUBLE_EQ(clock.Now() - before, qnserver::kStallTime);

    instrument.AddFaultRule("Run=throw");
    EXPECT_THROW(a->ExecSynch("Run SubDC", answer), host::Error);
    instrument.AddFaultRule("Set ExWl=throw");
    ASSERT_EQ(a->StartAsynch("Set ExWl=410"), "");
    clock.Sleep(1.0);
    EXPECT_THROW(a->PollAsynch(answer), host::Error);
    instrument.AddFaultRule("Set EmWl=start:throw");
    EXPECT_THROW(a->StartAsynch("Set EmWl=510"), host::Error);
}

// A held command runs until a stop ends it; a synchronous one that nothing
// can stop (one thread, a virtual clock) gives up after the hold time.
TEST_F(Session, HeldCommandsRunUntilAStop) {
    instrument.AddFaultRule("Set Lamp=On#1=hold");
    const double before = clock.Now();
    EXPECT_EQ(KeyOf(a->ExecSynch("Set Lamp=On", answer)), qnserver::key::kStalled);
    EXPECT_DOUBLE_EQ(clock.Now() - before, qnserver::kHoldTime);
    EXPECT_EQ(a->ExecSynch("Set Lamp=On", answer), "");  // the first one only

    instrument.AddFaultRule("SetM WL=hold");
    ASSERT_EQ(a->StartAsynch("SetM WL=300;400"), "");
    clock.Sleep(2 * qnserver::kHoldTime);
    EXPECT_EQ(a->PollAsynch(answer), a->BusyReply());
    a.reset();  // its client ends
    ASSERT_EQ(b->StartAsynch("SetM WL=300;400"), "");
    b->EmergencyStop();
    EXPECT_EQ(KeyOf(b->PollAsynch(answer)), qnserver::key::kStopped);
}

// A sleep that ends just before its end, on a clock that moves on with every
// reading (a served instrument's clock does both): the command ends as
// planned, never asking for a sleep below 0.
TEST(InstrumentClock, ACommandWokenNearItsEndEndsNormally) {
    struct Drifting final : host::Clock {
        mutable double now = 0.0;
        double Now() const override { return now += 0.004; }
        void Sleep(double seconds) override {
            if (!(seconds >= 0.0)) throw host::Error(1, "a sleep below 0");
            now += std::max(0.0, seconds - 0.005);
        }
    } clock;
    qnserver::ServerFactory factory(clock);
    auto server = factory.CreateServer();
    std::string answer;
    EXPECT_EQ(server->ExecSynch("SetM WPR.POS=50;0", answer), "");
    server->ExecSynch("Get WPR.POS", answer);
    EXPECT_EQ(answer, "50.00;0.00");
}

// A command holding "=" is hit as written when the rule gives its count.
TEST_F(Session, FaultRulesForCommandsThatHoldAnEqualsSign) {
    instrument.AddFaultRule("Set Lamp=Off#2=Error:stuck=for good");
    EXPECT_EQ(a->ExecSynch("Set Lamp=Off", answer), "");
    EXPECT_EQ(a->ExecSynch("Set Lamp=On", answer), "");
    EXPECT_EQ(a->ExecSynch("Set Lamp=Off", answer), "Error:stuck=for good");
    instrument.ClearFaultRules();
    instrument.AddFaultRule("Get Int#2=Overload:detector overload");  // the usual form still
    EXPECT_EQ(a->ExecSynch("Get Int", answer), "");
    EXPECT_EQ(a->ExecSynch("Get Int", answer), "Overload:detector overload");
}

TEST_F(Session, MalformedFaultRulesAreRefused) {
    for (const char* rule :
         {"no equals sign", "=Err:x", "Get#0=Err:x", "Get#x=Err:x", "Get#-1=E:x",
          // Would hit every "Set Lamp" command: a command with "=" needs its count.
          "Set Lamp=On=Error:nope"}) {
        EXPECT_THROW(instrument.AddFaultRule(rule), host::Error) << rule;
    }
}

TEST_F(Session, TranscriptShowsEveryExchange) {
    std::ostringstream out;
    instrument.GetTranscript().SetStream(&out);
    a->Lock(true);
    a->ExecSynch("Set Lamp=On", answer);
    a->ExecSynch("Get Lamp", answer);
    a->ExecSynch("Get Colour", answer);
    a->StartAsynch("SetM WL=420;500");
    std::string reply;
    PollToEnd(*a, reply);
    a->EmergencyStop();
    a->Lock(false);
    EXPECT_EQ(out.str(),
              "# Lock 1\n> Set Lamp=On\n<\n> Get Lamp\n<\n= On\n> Get Colour\n"
              "< UnknownKey:Unknown property: 'Colour'\n> SetM WL=420;500\n<\n"
              "# EmergencyStop\n# Lock 0\n");
}

TEST_F(Session, DocumentsLoadTheServersPackets) {
    auto packet = factory.CreatePacket();
    a->GetSetupDesc(*packet);
    kvdova::ParamDefList desc;
    desc.LoadFrom(*packet, 0);
    auto english = kvbase::Catalog::Load(ORVE_SOURCE_DIR "/examples/catalogue-en.json");
    const char* ids[] = {"ExWl",    "EmWl", "ExSlit",   "EmSlit", "IntTime",
                         "Voltage", "Lamp", "EmMirror", "LumMode"};
    ASSERT_EQ(desc.Count(), 9);
    for (int i = 0; i < 9; ++i) {
        auto def = desc.Item(i + 1);
        EXPECT_EQ(def->id, ids[i]);
        EXPECT_EQ(def->name, ids[i]);  // the text key of its display name
        EXPECT_EQ(english.Text(def->name, ""), def->caption);
        EXPECT_FALSE(def->range.empty());
    }
    EXPECT_EQ(desc.Item(1)->range, "200..900");
    EXPECT_EQ(desc.Item(1)->text1, "400");
    EXPECT_EQ(desc.Item(7)->range, "{On;Off}");

    a->GetInstInfo(*packet);
    kvdova::ParamSet info;
    info.LoadFrom(*packet, 0);
    EXPECT_EQ(info.ValueOf("InstType").ToString(), "ORVE");
    EXPECT_FALSE(info.ValueOf("InstSerial").ToString().empty());
}

}  // namespace
