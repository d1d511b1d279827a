// The simulator's text protocol: replies, answers, ranges and error keys.
#include <gtest/gtest.h>

#include "host/error.h"
#include "platform/kvbase/clock.h"
#include "platform/qnserver/client.h"
#include "platform/qnserver/error_table.h"
#include "platform/qnserver/server_factory.h"

namespace {

class Protocol : public ::testing::Test {
  protected:
    kvbase::VirtualClock clock;
    qnserver::ServerFactory factory{clock};
    std::shared_ptr<host::InstrumentServer> server = factory.CreateServer();
    std::string answer;

    std::string Exec(const std::string& cmd) { return server->ExecSynch(cmd, answer); }
    static std::string KeyOf(const std::string& reply) { return reply.substr(0, reply.find(':')); }
};

TEST_F(Protocol, SetThenGetAnswersTheCanonicalValue) {
    EXPECT_EQ(Exec("Set Lamp=off"), "");
    EXPECT_EQ(Exec("get LAMP"), "");
    EXPECT_EQ(answer, "Off");
    EXPECT_EQ(Exec("Set ExWl=485"), "");
    EXPECT_EQ(Exec("Get ExWl"), "");
    EXPECT_EQ(answer, "485.0");
    EXPECT_EQ(Exec("SetM Wl=350;450.25"), "");
    EXPECT_EQ(Exec("Get WL"), "");
    EXPECT_EQ(answer, "350.0;450.2");
    EXPECT_EQ(Exec("SetM WPR.POS=14.38;11.24"), "");
    EXPECT_EQ(Exec("Get WPR.POS"), "");
    EXPECT_EQ(answer, "14.38;11.24");
}

TEST_F(Protocol, BadCommandsAnswerKeysFromTheErrorTable) {
    struct Case {
        const char* command;
        std::string_view key;
    } cases[] = {
        {"Jump high", qnserver::key::kUnknownCmd},
        {"", qnserver::key::kUnknownCmd},
        {"Set Lamp", qnserver::key::kMissingArg},
        {"Set =On", qnserver::key::kMissingArg},
        {"Set Lamp=", qnserver::key::kMissingArg},
        {"Set Colour=red", qnserver::key::kUnknownKey},
        {"Set Int=5", qnserver::key::kReadOnly},
        {"Set Lamp=Dim", qnserver::key::kOutOfRange},
        {"Set ExWl=950", qnserver::key::kOutOfRange},
        {"Set ExWl=4x0", qnserver::key::kBadNumber},
        {"Set ExWl=nan", qnserver::key::kBadNumber},
        {"Get", qnserver::key::kMissingArg},
        {"Get Colour", qnserver::key::kUnknownKey},
        {"SetM WPR.POS=12.5", qnserver::key::kMissingArg},
        {"SetM WPR.POS=a;4", qnserver::key::kBadNumber},
        {"SetM WPR.POS=1;2;3", qnserver::key::kBadArg},
        {"SetM WPR.POS=130;4", qnserver::key::kOutOfRange},
        {"SetM WPR.POS=-0.1;4", qnserver::key::kOutOfRange},
        {"SetM WL=100;500", qnserver::key::kOutOfRange},
        {"SetM Arm=1;2", qnserver::key::kUnknownKey},
        {"Enable", qnserver::key::kMissingArg},
        {"Enable Turbo", qnserver::key::kUnknownKey},
        {"Run Away", qnserver::key::kUnknownKey},
        {"Park", qnserver::key::kMissingArg},
    };
    for (const auto& c : cases) {
        std::string reply = Exec(c.command);
        EXPECT_EQ(KeyOf(reply), c.key) << c.command << " -> " << reply;
        bool known = false;
        for (const auto& e : qnserver::ErrorTable()) known = known || e.key == KeyOf(reply);
        EXPECT_TRUE(known) << reply;
    }
    // A refused value changes nothing.
    EXPECT_EQ(Exec("Get ExWl"), "");
    EXPECT_EQ(answer, "400.0");
}

TEST_F(Protocol, IntensityAnswerHasThreeFieldsAndSaturates) {
    ASSERT_EQ(Exec("SetM WL=485;520"), "");
    ASSERT_EQ(Exec("SetM WPR.POS=14.38;11.24"), "");  // A1, the highest concentration
    ASSERT_EQ(Exec("Get Int"), "");
    double intensity = 0, reference = 0;
    char c1 = 0, c2 = 0;
    int flag = -1;
    ASSERT_EQ(std::sscanf(answer.c_str(), "%lf%c%lf%c%d", &intensity, &c1, &reference, &c2, &flag),
              5)
        << answer;
    EXPECT_EQ(c1, ',');
    EXPECT_EQ(flag, 0);
    EXPECT_GT(intensity, 50000.0);
    EXPECT_GT(reference, 0.0);

    ASSERT_EQ(Exec("Set Voltage=1000"), "");
    ASSERT_EQ(Exec("Set SimFactor=5"), "");
    ASSERT_EQ(Exec("Get Int"), "");
    EXPECT_EQ(answer.substr(0, answer.find(',')), "1000000.0");
    EXPECT_EQ(answer.substr(answer.rfind(',')), ",1");
}

TEST_F(Protocol, SignalFollowsTheWellUnderTheOptics) {
    ASSERT_EQ(Exec("SetM WL=485;520"), "");
    auto read = [&](const char* pos) {
        EXPECT_EQ(Exec(std::string("SetM WPR.POS=") + pos), "");
        EXPECT_EQ(Exec("Get Int"), "");
        return std::stod(answer);
    };
    double a1 = read("14.38;11.24");
    double a2 = read("23.38;11.24");
    double h1 = read("14.38;74.24");   // blank row
    double gap = read("18.88;11.24");  // between A1 and A2
    EXPECT_NEAR(a2 / a1, 0.5, 0.05);
    EXPECT_LT(h1, 200.0);
    EXPECT_LT(gap, 200.0);
}

TEST_F(Protocol, DarkCurrentSubtractionRemovesTheDarkLevel) {
    ASSERT_EQ(Exec("Set Lamp=Off"), "");
    ASSERT_EQ(Exec("Get Int"), "");
    double dark = std::stod(answer);
    EXPECT_NEAR(dark, 50.0, 40.0);
    ASSERT_EQ(Exec("Set SubDC=On"), "");
    ASSERT_EQ(Exec("Run SubDC"), "");
    ASSERT_EQ(Exec("Get Int"), "");
    EXPECT_NEAR(std::stod(answer), 0.0, 40.0);
}

TEST_F(Protocol, SetupDescriptionCurrentSetupAndErrorListPackets) {
    auto packet = factory.CreatePacket();
    server->GetErrorList(*packet);
    packet->Rewind();
    std::int32_t n = packet->ReadCount();
    ASSERT_EQ(n, static_cast<std::int32_t>(qnserver::ErrorTable().size()));
    EXPECT_EQ(packet->ReadString(), qnserver::kErrorSource);
    EXPECT_EQ(packet->ReadString(), qnserver::ErrorTable()[0].key);

    ASSERT_EQ(Exec("Set Lamp=Off"), "");
    server->GetCurrSetup(*packet);
    packet->Rewind();
    EXPECT_EQ(packet->ReadValue(host::kTypeNumber).ToDouble(), 400.0);  // ExWl
    EXPECT_EQ(packet->ReadValue(host::kTypeNumber).ToDouble(), 500.0);  // EmWl
    for (int i = 0; i < 4; ++i) packet->ReadValue(host::kTypeNumber);
    EXPECT_EQ(packet->ReadValue(host::kTypeText).ToString(), "Off");
    EXPECT_EQ(packet->ReadValue(host::kTypeText).ToString(), "In");
    EXPECT_EQ(packet->ReadValue(host::kTypeText).ToString(), "Fluor");
    EXPECT_THROW(packet->ReadValue(host::kTypeText), host::Error);

    EXPECT_EQ(server->BusyReply().find(':') != std::string::npos, true);
    EXPECT_EQ(KeyOf(server->EODReply()), qnserver::key::kEOD);
    EXPECT_TRUE(server->IsSimulation());
}

}  // namespace
