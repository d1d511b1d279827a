// The proxy against the simulated instrument on the virtual clock.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/kvdova/instrument_info.h"
#include "platform/qnserver/physics.h"
#include "platform/qnserver/server_factory.h"
#include "proxy/corve_proxy.h"
#include "proxy_fixture.h"

namespace {

class OnSimulator : public proxytest::ProxyFixture {
  protected:
    void SetUp() override {
        ProxyFixture::SetUp();
        StartProxy(factory);
        proxy->Initialize(kvdova::InstrumentInfo());
    }

    qnserver::ServerFactory factory{host->clock};
    std::string answer;
};

TEST_F(OnSimulator, AMoveWaitsItsLengthInTenthsOfASecond) {
    // 400 -> 537 nm at 200 nm/s is 0.685 s: seven waits of 0.1 s.
    EXPECT_EQ(proxy->ExecCommandAsynch("SetM WL=537.0;520.0", answer), 0);
    double moveTime = (537.0 - 400.0) / qnserver::kSlewRate;
    EXPECT_EQ(host->progress.waits.size(), static_cast<std::size_t>(std::ceil(moveTime / 0.1)));
    EXPECT_NEAR(host->clock.Now(), 0.7, 1e-9);

    host->progress.waits.clear();
    EXPECT_EQ(proxy->ExecCommandSynch("SetM WPR.POS=23.4;11.2", answer),
              0);  // synchronous: no polls
    EXPECT_TRUE(host->progress.waits.empty());
    EXPECT_NEAR(host->clock.Now(), 0.7 + 23.4 / qnserver::kStageSpeed, 1e-9);
}

TEST_F(OnSimulator, AbortStopsTheMoveAndReturnsTheStopReply) {
    host->progress.abortAfterWaits = 3;
    host::Status st = proxy->ExecCommandAsynch("SetM WL=800.0;520.0", answer);  // 2 s
    ExpectStatusOfKey(st, "Stopped");
    EXPECT_EQ(host->errors.MessageText(st),
              "Stopped by emergency stop");  // the server's registered text
    EXPECT_EQ(host->progress.waits.size(), 3u);
    EXPECT_EQ(proxy->ReadProperty("ExWl", answer), 0);
    EXPECT_EQ(answer, "460.0");  // stopped after 0.3 s
}

TEST_F(OnSimulator, WaitInitializedFollowsTheInstrumentsStartUp) {
    factory.GetInstrument().PowerOff();
    EXPECT_EQ(proxy->WaitInitialized(),
              host->errors.StatusOf(host::CurrentModuleErrors().instOffline));
    factory.GetInstrument().PowerOn();
    EXPECT_EQ(proxy->WaitInitialized(), 0);
    EXPECT_EQ(host->progress.waits.size(), static_cast<std::size_t>(qnserver::kInitTime));
}

TEST_F(OnSimulator, ARefusedHostCannotSwitchAnythingUnderTheLockHolder) {
    ASSERT_EQ(proxy->SetLock(true), 0);
    auto other = std::make_unique<proxy::CORVEProxy>();
    ExpectStatusOfKey(other->SetLock(true), "Locked");
    ExpectStatusOfKey(other->ExecCommandSynch("Park WPR", answer), "Locked");
    other.reset();  // its release at destruction leaves the holder's lock alone
    EXPECT_TRUE(proxy->Locked());
    proxy.reset();
    EXPECT_FALSE(factory.GetInstrument().IsLocked());
}

TEST_F(OnSimulator, SetupDescriptionAndCurrentSetupRoundTrip) {
    auto desc = host->NewParamDefList();
    proxy->GetInstSetupDesc(*desc);
    ASSERT_EQ(desc->Count(), 9);
    EXPECT_EQ(desc->Item(1)->name, "Excitation wavelength");
    EXPECT_EQ(desc->Item(7)->name, "Lampe");
    EXPECT_EQ(desc->Item(3)->name, "ExSlit");  // not in the test catalogue

    auto state = host->NewParamSet();
    for (std::int32_t i = 1; i <= desc->Count(); ++i)
        state->Add(*desc->Item(i), host::Variant(desc->Item(i)->text1));
    state->SetValueOf("ExWl", 485.0);
    state->SetValueOf("Voltage", 700.0);
    EXPECT_EQ(proxy->SetupStatus(*state, true, *desc), 0);
    EXPECT_EQ(proxy->UpdateCurrSetup(*state), 0);
    EXPECT_EQ(state->ValueOf("ExWl").ToDouble(), 485.0);
    EXPECT_EQ(state->ValueOf("Voltage").ToDouble(), 700.0);
    EXPECT_EQ(state->ValueOf("Lamp").ToString(), "Off");
    EXPECT_EQ(factory.GetInstrument().GetHardware().EnabledMode(), "Phos");
}

}  // namespace
