// The simulator as the server program serves it: a client ended while its
// session goes holds nothing and starts nothing afterwards.
#include <gtest/gtest.h>

#include <sstream>

#include "host/error.h"
#include "platform/qnserver/server_factory.h"
#include "platform/remote/errors.h"
#include "platform/remote/instrument_service.h"
#include "platform/remote/serial_instruments.h"

namespace {

TEST(SerialInstruments, AnEndedClientHoldsNothingAndACallOnItsWayStartsNothing) {
    remote::SerialInstruments serial(1000.0);
    qnserver::ServerFactory simulator(serial.Clock());
    serial.Serve(simulator);
    std::ostringstream transcript;
    simulator.GetInstrument().GetTranscript().SetStream(&transcript);
    auto first = serial.CreateServer();
    auto second = serial.CreateServer();
    ASSERT_EQ(first->Lock(true), "");
    ASSERT_EQ(first->StartAsynch("SetM WL=300;400"), "");

    dynamic_cast<remote::ClientEnd&>(*first).EndClient();
    EXPECT_FALSE(second->IsLocked());
    EXPECT_EQ(second->StartAsynch("SetM WL=350;450"), "");  // nothing of the first one runs
    const std::string before = transcript.str();
    std::string answer;
    try {
        first->ExecSynch("Park WPR", answer);
        ADD_FAILURE() << "an ended client's command went through";
    } catch (const host::Error& e) {
        EXPECT_EQ(e.Number(), remote::kErrRemoteCall) << e.Text();
    }
    EXPECT_THROW(first->Lock(true), host::Error);
    EXPECT_EQ(transcript.str(), before);
    simulator.GetInstrument().GetTranscript().SetStream(nullptr);
}

}  // namespace
