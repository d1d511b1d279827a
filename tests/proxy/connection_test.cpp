// The proxy's connection to the server: replies to statuses, error table,
// instrument information, initialisation wait, lock and simulation factor.
#include <gtest/gtest.h>

#include "fake_server.h"
#include "platform/kvdova/calibration_data.h"
#include "platform/kvdova/instrument_info.h"
#include "proxy/corve_proxy.h"
#include "proxy_fixture.h"

namespace {

using proxytest::FakeServer;

class Connection : public proxytest::FakeServerFixture {};

TEST_F(Connection, ConstructionAsksTheFactoryAndSendsNothing) {
    EXPECT_TRUE(server->calls.empty());
    EXPECT_EQ(proxy->Server(), server);
    factory.unreachable = true;
    try {
        proxy::CORVEProxy second;
        FAIL() << "constructed without a server";
    } catch (const host::Error& e) {
        EXPECT_EQ(e.Number(), proxytest::kServerFailure);
    }
}

TEST_F(Connection, DestructionAlwaysReleasesTheLockAndNeverRaises) {
    proxy.reset();
    EXPECT_EQ(server->calls, std::vector<std::string>{"Lock 0"});
    server->failing = {"Lock"};
    EXPECT_NO_THROW({ proxy::CORVEProxy another; });
}

TEST_F(Connection, RepliesBecomeStatusesOfTheirKeys) {
    std::size_t registered = host->errors.Entries().size();
    EXPECT_EQ(proxy->SetLock(true), 0);  // "" needs no registry
    EXPECT_EQ(host->errors.Entries().size(), registered);

    server->lockReply = "Locked:held by another host";
    host::Status locked = proxy->SetLock(true);
    EXPECT_NE(locked, 0);
    ExpectStatusOfKey(locked, "Locked");
    EXPECT_EQ(host->errors.MessageText(locked), "held by another host");

    server->lockReply = "no separator at all";  // still a failure, never 0
    EXPECT_NE(proxy->SetLock(true), 0);
    ExpectStatusOfKey(proxy->ErrCodeEOD(), "EOD");

    server->lockReply = ":empty key";
    EXPECT_NE(proxy->SetLock(true), 0);
    server->failing = {"Lock"};
    EXPECT_THROW(proxy->SetLock(false), host::Error);
}

TEST_F(Connection, InitializeRegistersTheErrorTableThenSendsParametersAndCalibrations) {
    server->errorList = {{"QN", "Hot", "Lamp too hot"}, {"QN", "Cold", "Lamp too cold"}};
    auto info = std::make_shared<kvdova::InstrumentInfo>();
    host::ParamDef name;
    name.id = "InstName";
    info->AddParam(name, host::Variant("Reader 1"));
    info->AddCalibration(std::make_shared<kvdova::CalibrationData>("wl"));
    info->AddCalibration(std::make_shared<kvdova::CalibrationData>("int"));
    proxy->Initialize(*info);
    EXPECT_NE(StatusOfKey("Hot"), 0);
    EXPECT_NE(StatusOfKey("Cold"), 0);
    EXPECT_EQ(server->CallsStartingWith("Set"),
              (std::vector<std::string>{"SetInstInfo", "SetCalibration", "SetCalibration"}));
    // Each packet holds only its own document, not the error table before it.
    EXPECT_EQ(server->receivedPacketSizes[0], 1u + 14u + 1u);
}

TEST_F(Connection, InitializeWhoseErrorTableBreaksAfterTwoEntriesSendsNothingMore) {
    server->errorList = {{"QN", "Hot", "Lamp too hot"}, {"QN", "Cold", "Lamp too cold"}};
    server->errorCount = 3;
    auto info = std::make_shared<kvdova::InstrumentInfo>();
    info->AddCalibration(std::make_shared<kvdova::CalibrationData>("wl"));
    EXPECT_NO_THROW(proxy->Initialize(*info));
    EXPECT_NE(StatusOfKey("Hot"), 0);
    EXPECT_NE(StatusOfKey("Cold"), 0);
    EXPECT_TRUE(server->CallsStartingWith("Set").empty());
}

TEST_F(Connection, GetInstInfoReplacesTypeSerialAndParameters) {
    auto def = [](const char* id) {
        host::ParamDef d;
        d.id = id;
        return d;
    };
    server->instInfo = {{def("InstType"), "ORVE"}, {def("InstSerial"), "S-7"}, {def("Lamp"), "Xe"}};
    kvdova::InstrumentInfo info;
    info.SetType("old");
    info.AddParam(def("Stale"), "x");
    proxy->GetInstInfo(info);
    EXPECT_EQ(info.Type(), "ORVE");
    EXPECT_EQ(info.Serial(), "S-7");
    ASSERT_EQ(info.Params()->Count(), 3);
    EXPECT_EQ(info.Params()->ValueOf("Lamp").ToString(), "Xe");

    server->instInfo = {{def("InstType"), "ORVE"}};  // no serial: ends silently
    EXPECT_NO_THROW(proxy->GetInstInfo(info));
    server->failing = {"GetInstInfo", "SetCalibration"};
    EXPECT_NO_THROW(proxy->GetInstInfo(info));
    EXPECT_NO_THROW(proxy->UpdateCalibration(kvdova::CalibrationData("x")));
}

TEST_F(Connection, WaitInitializedPollsEverySecondWhileInitialising) {
    server->statuses = {1, 1, 1, 2};
    EXPECT_EQ(proxy->WaitInitialized(), 0);
    EXPECT_EQ(host->progress.waits, (std::vector<double>{1.0, 1.0, 1.0}));
    EXPECT_EQ(server->CallsStartingWith("GetStatus").size(), 4u);
}

TEST_F(Connection, WaitInitializedFailsOfflineAtOnceWithTheModulesCode) {
    server->statuses = {0};
    host::Status st = proxy->WaitInitialized();
    EXPECT_EQ(st, host->errors.StatusOf(host::CurrentModuleErrors().instOffline));
    EXPECT_TRUE(host->progress.waits.empty());
}

TEST_F(Connection, WaitInitializedEndsOnAbortEvenWhileStillInitialising) {
    server->statuses = {1};
    host->progress.abortAfterWaits = 2;
    host::Status st = proxy->WaitInitialized();
    EXPECT_EQ(st, host->errors.StatusOf(host->progress.AbortErrorCode()));
    EXPECT_EQ(host->progress.waits.size(), 2u);
    server->failing = {"GetStatus"};
    EXPECT_EQ(proxy->WaitInitialized(), proxytest::kServerFailure);
}

TEST_F(Connection, SimulationFactorFromConcentrationDefaultOrSeededRandom) {
    auto sample = host->NewParamSet();
    host::ParamDef conc;
    conc.id = host->environment.ConcentrationKey();
    conc.dataType = host::kTypeNumber;
    sample->Add(conc, host::Variant(50.0));
    proxy->SetSimConc(1, *sample);
    proxy->SetSimConc(1, *host->NewParamSet());
    proxy->SetSimVal(9, 2.25);
    EXPECT_EQ(server->Commands(), (std::vector<std::string>{"Set SimFactor=0.5", "Set SimFactor=5",
                                                            "Set SimFactor=2.25"}));

    auto randomFactors = [&] {
        server->calls.clear();
        proxy->SeedSimulation(7);
        for (int i = 0; i < 20; ++i) proxy->SetSimConc(2, *sample);
        std::vector<std::string> out = server->Commands();
        for (const auto& c : out) {
            double f = std::stod(c.substr(c.find('=') + 1));
            EXPECT_GE(f, 0.1);
            EXPECT_LT(f, 0.9);
        }
        return out;
    };
    EXPECT_EQ(randomFactors(), randomFactors());

    server->calls.clear();
    server->simulation = false;
    proxy->SetSimConc(1, *sample);
    proxy->SetSimVal(1, 1.0);
    EXPECT_TRUE(server->Commands().empty());
}

}  // namespace
