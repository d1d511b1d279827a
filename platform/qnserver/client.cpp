#include "platform/qnserver/client.h"

namespace qnserver {

Client::Client(std::shared_ptr<Instrument> instrument)
    : instrument_(std::move(instrument)), id_(instrument_->Connect()) {}

Client::~Client() {
    Disconnect();
}

}  // namespace qnserver
