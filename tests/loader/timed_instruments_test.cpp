// The timing front of the instrument server: what an observer hears of each
// call, on the virtual clock the simulated instrument spends its time on.
#include <gtest/gtest.h>

#include <vector>

#include "host/error.h"
#include "platform/loader/reference_host.h"

namespace {

TEST(TimedInstruments, TellsEveryCallWithItsCommandAndTimeEvenWhenItRaises) {
    std::vector<loader::ServerCallTime> heard;
    loader::HostOptions options;
    options.simFaults = {"Run SubDC=throw"};
    options.serverCalls = [&](const loader::ServerCallTime& t) { heard.push_back(t); };
    loader::ReferenceHost host(options);
    host.GetClock().Sleep(10.0);  // the instrument is ready
    auto server = host.Instruments().CreateServer();

    ASSERT_EQ(server->Lock(true), "");
    std::string answer;
    ASSERT_EQ(server->ExecSynch("SetM WPR.POS=18.0;0.0", answer), "");
    EXPECT_THROW(server->ExecSynch("Run SubDC", answer), host::Error);

    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0].call, "Lock");
    EXPECT_EQ(heard[1].call, "ExecSynch");
    EXPECT_EQ(heard[1].command, "SetM WPR.POS=18.0;0.0");
    EXPECT_GT(heard[1].seconds, 0.0) << "the stage takes its time";
    EXPECT_EQ(heard[2].command, "Run SubDC");
}

TEST(TimedInstruments, AnObserverThatRaisesChangesNothing) {
    loader::HostOptions options;
    int told = 0;
    options.serverCalls = [&](const loader::ServerCallTime&) {
        ++told;
        throw host::Error(1, "observer");
    };
    loader::ReferenceHost host(options);
    host.GetClock().Sleep(10.0);
    auto server = host.Instruments().CreateServer();
    EXPECT_EQ(server->Lock(true), "");
    std::string answer;
    EXPECT_EQ(server->ExecSynch("Get Lamp", answer), "");
    EXPECT_FALSE(answer.empty());
    EXPECT_EQ(told, 2);
}

}  // namespace
