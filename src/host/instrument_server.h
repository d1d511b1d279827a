#pragma once
// The instrument server program's object and its creatable class. Every
// operation may raise host::Error when the server call itself fails.
#include <cstdint>
#include <memory>
#include <string>

#include "host/data_packet.h"

namespace host {

class ORVE_API InstrumentServer {
  public:
    virtual ~InstrumentServer() = default;
    // Fills the packet: entry count, then per entry source, key, message (strings) and a long flag.
    virtual void GetErrorList(DataPacket& packet) = 0;
    virtual std::string BusyReply() = 0;
    virtual std::string EODReply() = 0;
    virtual bool IsSimulation() = 0;
    virtual void SetInstInfo(DataPacket& packet) = 0;
    virtual void Reset() = 0;
    virtual void GetSetupDesc(DataPacket& packet) = 0;
    virtual void GetCurrSetup(DataPacket& packet) = 0;
    virtual void GetInstInfo(DataPacket& packet) = 0;
    virtual void SetCalibration(DataPacket& packet) = 0;
    virtual bool IsLocked() = 0;
    // status: 0 offline, 1 initialising, anything else ready.
    virtual void GetStatus(std::int32_t& status, double& intensity, double& temperature) = 0;
    // Reply text: "" on success, else "key:message".
    virtual std::string Lock(bool lock) = 0;
    virtual void EmergencyStop() = 0;
    virtual std::string ExecSynch(const std::string& command, std::string& answer) = 0;
    virtual std::string StartAsynch(const std::string& command) = 0;
    virtual std::string PollAsynch(std::string& answer) = 0;
};

class ORVE_API InstrumentServerFactory {
  public:
    virtual ~InstrumentServerFactory() = default;
    // A new client of the instrument; raises when the server program cannot be reached.
    virtual std::shared_ptr<InstrumentServer> CreateServer() = 0;
    virtual std::shared_ptr<DataPacket> CreatePacket() = 0;
};

}  // namespace host
