#include "platform/qnserver/instrument.h"

#include <iterator>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/range_syntax.h"
#include "platform/qnserver/document_packets.h"
#include "platform/qnserver/error_table.h"

namespace qnserver {

Instrument::Instrument(host::Clock& clock, InstrumentOptions options)
    : clock_(clock),
      hardware_(options.noiseSeed),
      state_(options.startReady ? State::Ready : State::Offline) {}

void Instrument::PowerOn() {
    if (state_ != State::Offline) return;
    state_ = State::Initialising;
    readyAt_ = clock_.Now() + kInitTime;
}

void Instrument::PowerOff() {
    StopAll(ErrorReply(key::kOffline));
    state_ = State::Offline;
}

Instrument::State Instrument::CurrentState() const {
    if (state_ == State::Initialising && clock_.Now() >= readyAt_ - kTimeEpsilon)
        return State::Ready;
    return state_;
}

Instrument::ClientId Instrument::Connect() {
    return nextClient_++;
}

void Instrument::Disconnect(ClientId client) noexcept {
    if (lockOwner_ == client) lockOwner_ = 0;
    try {
        // Halted where it is, as an emergency stop leaves it.
        if (auto it = running_.find(client); it != running_.end())
            Stop(it->second, ErrorReply(key::kStopped));
        for (auto& [id, r] : synchronous_)
            if (id == client) Stop(r, ErrorReply(key::kStopped));
    } catch (...) {  // a halt that fails leaves the command to end by itself
    }
    running_.erase(client);
}

std::string Instrument::Lock(ClientId client, bool lock) {
    transcript_.Note(lock ? "Lock 1" : "Lock 0");
    if (!lock) {
        if (lockOwner_ == client) lockOwner_ = 0;
        return "";
    }
    if (lockOwner_ != 0 && lockOwner_ != client) return ErrorReply(key::kLocked);
    lockOwner_ = client;
    return "";
}

void Instrument::EmergencyStop(ClientId client) {
    transcript_.Note("EmergencyStop");
    if (lockOwner_ != 0 && lockOwner_ != client) return;
    StopAll(ErrorReply(key::kStopped));
}

void Instrument::Reset(ClientId client) {
    if (lockOwner_ != 0 && lockOwner_ != client) {
        throw host::Error(kErrServerCall,
                          "Reset refused: the instrument is locked by another client");
    }
    transcript_.Note("Reset");
    StopAll(ErrorReply(key::kStopped, "reset"));
    hardware_.ResetToDefaults();
    if (state_ != State::Offline) {
        state_ = State::Initialising;
        readyAt_ = clock_.Now() + kInitTime;
    }
}

std::string Instrument::Admit(ClientId client) const {
    switch (CurrentState()) {
        case State::Offline:
            return ErrorReply(key::kOffline);
        case State::Initialising:
            return ErrorReply(key::kNotReady);
        case State::Ready:
            break;
    }
    if (lockOwner_ != 0 && lockOwner_ != client) return ErrorReply(key::kLocked);
    return "";
}

bool Instrument::Unfinished(const Running& r) const {
    bool endless = r.fault && (r.fault->action == FaultRule::Action::Busy ||
                               r.fault->action == FaultRule::Action::Hold);
    return !r.stopReply && (endless || clock_.Now() < r.end - kTimeEpsilon);
}

void Instrument::Stop(Running& r, const std::string& reply) {
    if (!Unfinished(r)) return;
    if (r.action.halt && !r.fault) {
        double span = r.end - r.start;
        r.action.halt(span > 0.0 ? (clock_.Now() - r.start) / span : 1.0);
    }
    r.stopReply = reply;
}

void Instrument::StopAll(const std::string& reply) {
    for (auto& [id, r] : running_) Stop(r, reply);
    for (auto& [id, r] : synchronous_) Stop(r, reply);
}

std::string Instrument::Replied(const std::string& reply, const std::string& answer) {
    transcript_.Reply(reply);
    transcript_.Answer(answer);
    return reply;
}

void Instrument::Fail(const std::string& call, const std::string& command) {
    transcript_.Note(fmt::format("{} failed", call));
    throw host::Error(kErrServerCall,
                      fmt::format("the instrument server's {} of '{}' failed", call, command));
}

std::string Instrument::ExecSynch(ClientId client, const std::string& command,
                                  std::string& answer) {
    answer.clear();
    transcript_.Sent(command);
    if (auto fault = faults_.Match(command)) {
        switch (fault->action) {
            case FaultRule::Action::Throw:
            case FaultRule::Action::StartThrow:
                Fail("ExecSynch", command);
            case FaultRule::Action::Busy:
            case FaultRule::Action::Stall:
            case FaultRule::Action::Hold: {
                // Registered like a running command: an emergency stop (or
                // the end of its client) ends the stall with its reply.
                const double limit =
                    fault->action == FaultRule::Action::Hold ? kHoldTime : kStallTime;
                Running& r = synchronous_.emplace_back(client, Running{}).second;
                const auto it = std::prev(synchronous_.end());
                r.command = command;
                r.start = clock_.Now();
                r.end = r.start + limit;
                r.fault = fault;
                r.fault->action = FaultRule::Action::Stall;
                struct Unregister {
                    std::list<std::pair<ClientId, Running>>& list;
                    std::list<std::pair<ClientId, Running>>::iterator it;
                    ~Unregister() { list.erase(it); }
                } unregister{synchronous_, it};
                SleepOut(r, limit);
                if (r.stopReply) return Replied(*r.stopReply);
                return Replied(
                    ErrorReply(key::kStalled, fmt::format("no progress for {} s", limit)));
            }
            case FaultRule::Action::Reply:
            case FaultRule::Action::StartReply:
                return Replied(fault->reply);
        }
    }
    std::string reply = Admit(client);
    if (!reply.empty()) return Replied(reply);
    ParsedCommand parsed = ParseCommand(command);
    if (!parsed.error.empty()) return Replied(parsed.error);
    Planned planned = hardware_.Plan(parsed.command);
    if (!planned.error.empty()) return Replied(planned.error);
    if (planned.action.duration <= 0.0) {
        planned.action.finish(answer);
        return Replied("", answer);
    }
    // Registered while it sleeps, so that a stop from another thread ends it.
    const double duration = planned.action.duration;
    Running& r = synchronous_.emplace_back(client, Running{}).second;
    const auto it = std::prev(synchronous_.end());
    r.command = command;
    r.start = clock_.Now();
    r.end = r.start + duration;
    r.action = std::move(planned.action);
    struct Unregister {
        std::list<std::pair<ClientId, Running>>& list;
        std::list<std::pair<ClientId, Running>>::iterator it;
        ~Unregister() { list.erase(it); }
    } unregister{synchronous_, it};
    SleepOut(r, duration);
    if (r.stopReply) return Replied(*r.stopReply);
    r.action.finish(answer);
    return Replied("", answer);
}

void Instrument::SleepOut(const Running& r, double duration) {
    clock_.Sleep(duration);
    // A sleep may end early (a stop from another thread wakes it) and the
    // clock moves on between readings: the time left is read once per round,
    // so that it is never below 0 when slept.
    while (!r.stopReply) {
        const double left = r.end - clock_.Now();
        if (left <= kTimeEpsilon) return;
        clock_.Sleep(left);
    }
}

std::string Instrument::StartAsynch(ClientId client, const std::string& command) {
    transcript_.Sent(command);
    std::optional<FaultRule> fault = faults_.Match(command);
    if (fault && fault->action == FaultRule::Action::StartThrow) Fail("StartAsynch", command);
    if (fault && fault->action == FaultRule::Action::StartReply) {
        if (!fault->reply.empty()) return Replied(fault->reply);
        fault.reset();
    }
    std::string reply = Admit(client);
    if (!reply.empty()) return Replied(reply);
    ParsedCommand parsed = ParseCommand(command);
    if (!parsed.error.empty()) return Replied(parsed.error);
    Planned planned = hardware_.Plan(parsed.command);
    if (!planned.error.empty()) return Replied(planned.error);
    for (const auto& [id, r] : running_) {
        if (Unfinished(r))
            return Replied(ErrorReply(key::kCmdRunning, fmt::format("'{}'", r.command)));
    }
    Running r;
    r.command = command;
    r.start = clock_.Now();
    bool stall = fault && fault->action == FaultRule::Action::Stall;
    r.end = r.start + (stall ? kStallTime : planned.action.duration);
    r.action = std::move(planned.action);
    r.fault = std::move(fault);
    running_[client] = std::move(r);
    return "";
}

std::string Instrument::PollAsynch(ClientId client, std::string& answer) {
    answer.clear();
    auto it = running_.find(client);
    if (it == running_.end()) return ErrorReply(key::kNoCommand);
    if (Unfinished(it->second)) return BusyReply();
    Running done = std::move(it->second);
    running_.erase(it);
    if (done.stopReply) return Replied(*done.stopReply);
    if (done.fault) {
        switch (done.fault->action) {
            case FaultRule::Action::Throw:
                Fail("PollAsynch", done.command);
            case FaultRule::Action::Stall:
                return Replied(
                    ErrorReply(key::kStalled, fmt::format("no progress for {} s", kStallTime)));
            case FaultRule::Action::Reply:
                if (!done.fault->reply.empty()) return Replied(done.fault->reply);
                break;
            default:
                break;
        }
    }
    done.action.finish(answer);
    return Replied("", answer);
}

void Instrument::GetStatus(std::int32_t& status, double& intensity, double& temperature) const {
    switch (CurrentState()) {
        case State::Offline:
            status = 0;
            break;
        case State::Initialising:
            status = 1;
            break;
        case State::Ready:
            status = 2;
            break;
    }
    intensity = hardware_.LampIntensity();
    temperature = kTemperature;
}

std::string Instrument::BusyReply() {
    return ErrorReply(key::kBusy);
}
std::string Instrument::EODReply() {
    return ErrorReply(key::kEOD);
}

void Instrument::WriteErrorList(host::DataPacket& packet) const {
    packet.Clear();
    WriteErrorTable(packet);
}

void Instrument::WriteSetupDesc(host::DataPacket& packet) const {
    WriteParamDefList(packet, PropertyTable::SetupDescription());
}

void Instrument::WriteCurrSetup(host::DataPacket& packet) const {
    packet.Clear();
    for (const auto& def : PropertyTable::SetupDescription()) {
        packet.WriteValue(host::Variant(hardware_.Properties().Get(def.id)), def.dataType);
    }
}

void Instrument::WriteInstInfo(host::DataPacket& packet) const {
    auto text = [](const char* id, const char* name) {
        host::ParamDef d;
        d.id = id;
        d.name = d.caption = name;
        d.dataType = host::kTypeText;
        return d;
    };
    host::ParamDef wells = text("Wells", "Plate Wells");
    wells.dataType = host::kTypeNumber;
    // The stage travel in mm, in the setup description's range syntax, as the
    // value and as the item's range, so that a host can check positions
    // before anything moves.
    auto travel = [](const char* id, const char* name, double from, double to) {
        host::ParamDef d;
        d.id = id;
        d.name = d.caption = name;
        d.dataType = host::kTypeText;
        d.unit = "mm";
        d.range = kvbase::FormatNumericRange(from, to);
        return std::pair{d, host::Variant(d.range)};
    };
    WriteParamSet(packet, {
                              {text("InstType", "Instrument Type"), host::Variant("ORVE")},
                              {text("InstSerial", "Serial Number"), host::Variant("QN-SIM-0001")},
                              {text("Firmware", "Firmware Version"), host::Variant("1.0.0")},
                              {wells, host::Variant(hardware_.Plate().Wells())},
                              travel("StageX", "Stage travel X", kStageMinX, kStageMaxX),
                              travel("StageY", "Stage travel Y", kStageMinY, kStageMaxY),
                          });
}

void Instrument::TakeInstInfo(host::DataPacket&) {
    ++instInfoReceived_;
}
void Instrument::TakeCalibration(host::DataPacket&) {
    ++calibrationsReceived_;
}

}  // namespace qnserver
