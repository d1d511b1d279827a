#pragma once
// The one simulated instrument that every client of the server program
// shares: its lock, stage, wavelengths, lamp, properties, status, injected
// faults and transcript, and the clock it reads time from.
//
// Time: a synchronous command sleeps its physical duration on the clock before
// it returns; an asynchronous one answers the busy reply to PollAsynch until
// the clock reaches its end. Polling never advances the clock; only waits do.
// A clock's sleep may end early (a served instrument's clock does when another
// thread stops a command): the instrument then sleeps again for what remains,
// unless its synchronous command was stopped meanwhile.
//
// Lock: it belongs to the client that took it. While a client holds it, every
// command of another client answers the "Locked" error reply, its Lock(true)
// too, its Lock(false) releases nothing, its EmergencyStop stops nothing and
// its Reset fails. IsLocked is true while any client holds the lock.
//
// At most one asynchronous command runs on the instrument at a time; a start
// while one runs answers the "CmdRunning" error reply. Synchronous commands run
// beside it (a host has one thread, so its own never overlap each other). A
// stop (emergency stop, reset, power off, the client's disconnection) ends a
// running synchronous command too, with the reply the stop gives; only a
// server calling from several threads can stop one while it sleeps.
//
// Failures: a command never raises; anything wrong with it is an error reply.
// Only an injected "throw" fault and a refused Reset raise host::Error.
#include <cstdint>
#include <list>
#include <map>
#include <optional>
#include <string>

#include "host/data_packet.h"
#include "host/services.h"
#include "platform/qnserver/fault_rules.h"
#include "platform/qnserver/hardware.h"
#include "platform/qnserver/physics.h"
#include "platform/qnserver/transcript.h"

namespace qnserver {

// Error number of a failing server call (an injected "throw", a refused Reset).
inline constexpr host::Status kErrServerCall = 0x7FFF0B01;

struct InstrumentOptions {
    bool startReady = true;  // the host has brought the instrument program to ready
    std::uint32_t noiseSeed = kNoiseSeed;
};

class Instrument {
  public:
    using ClientId = std::int32_t;
    enum class State { Offline, Initialising, Ready };

    // The clock must outlive the instrument.
    explicit Instrument(host::Clock& clock, InstrumentOptions options = {});
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;

    // The host's side of the program.
    void PowerOn();   // offline -> initialising for kInitTime
    void PowerOff();  // ends a running command with the "Offline" reply
    State CurrentState() const;
    void AddFaultRule(const std::string& rule) { faults_.Add(rule); }  // raises when malformed
    void ClearFaultRules() { faults_.Clear(); }
    Transcript& GetTranscript() { return transcript_; }
    Hardware& GetHardware() { return hardware_; }
    const Hardware& GetHardware() const { return hardware_; }
    host::Clock& GetClock() { return clock_; }
    ClientId LockOwner() const { return lockOwner_; }
    // Instrument parameters and calibrations are kept as received, not interpreted.
    std::int32_t InstInfoReceived() const { return instInfoReceived_; }
    std::int32_t CalibrationsReceived() const { return calibrationsReceived_; }

    // The clients' side; Client forwards its InstrumentServer calls here.
    ClientId Connect();
    // Releases the client's lock and drops its command.
    void Disconnect(ClientId client) noexcept;
    std::string Lock(ClientId client, bool lock);
    bool IsLocked() const { return lockOwner_ != 0; }
    // Ends the running command with the "Stopped" reply; harmless when nothing runs.
    void EmergencyStop(ClientId client);
    // Stops what runs, restores the defaults and initialises again.
    void Reset(ClientId client);
    std::string ExecSynch(ClientId client, const std::string& command, std::string& answer);
    std::string StartAsynch(ClientId client, const std::string& command);
    std::string PollAsynch(ClientId client, std::string& answer);
    void GetStatus(std::int32_t& status, double& intensity, double& temperature) const;

    static std::string BusyReply();
    static std::string EODReply();
    void WriteErrorList(host::DataPacket& packet) const;
    void WriteSetupDesc(host::DataPacket& packet) const;
    // The current value of every setup description entry, in its order and type.
    void WriteCurrSetup(host::DataPacket& packet) const;
    // A parameter set holding "InstType" and "InstSerial" among others, and
    // "StageX" and "StageY", whose ranges are the stage travel in mm.
    void WriteInstInfo(host::DataPacket& packet) const;
    void TakeInstInfo(host::DataPacket& packet);
    void TakeCalibration(host::DataPacket& packet);

  private:
    struct Running {
        std::string command;
        double start = 0.0, end = 0.0;
        Action action;
        std::optional<FaultRule> fault;  // Reply, Busy, Stall, Hold or Throw
        std::optional<std::string> stopReply;
    };
    std::string Admit(ClientId client) const;
    bool Unfinished(const Running& r) const;
    // Sleeps duration, then what is left of r's time unless r is stopped.
    void SleepOut(const Running& r, double duration);
    void Stop(Running& r, const std::string& reply);
    void StopAll(const std::string& reply);
    std::string Replied(const std::string& reply, const std::string& answer = {});
    [[noreturn]] void Fail(const std::string& call, const std::string& command);

    host::Clock& clock_;
    Hardware hardware_;
    Transcript transcript_;
    FaultRules faults_;
    State state_;
    double readyAt_ = 0.0;
    ClientId nextClient_ = 1;
    ClientId lockOwner_ = 0;
    std::map<ClientId, Running> running_;                  // asynchronous, one per client
    std::list<std::pair<ClientId, Running>> synchronous_;  // sleeping ExecSynch calls
    std::int32_t instInfoReceived_ = 0;
    std::int32_t calibrationsReceived_ = 0;
};

}  // namespace qnserver
