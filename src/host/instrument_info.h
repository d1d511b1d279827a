#pragma once
// Instrument information documents handed to the module by the host.
#include <cstdint>
#include <memory>
#include <string>

#include "host/data_packet.h"
#include "host/param_set.h"

namespace host {

class ORVE_API CalibrationData {
  public:
    virtual ~CalibrationData() = default;
    virtual void SaveTo(DataPacket& packet, std::int32_t option) const = 0;
};

class ORVE_API InstrumentInfo {
  public:
    virtual ~InstrumentInfo() = default;
    virtual std::string Type() const = 0;
    virtual void SetType(const std::string& type) = 0;
    virtual std::string Serial() const = 0;
    virtual void SetSerial(const std::string& serial) = 0;
    // Clears type, serial, parameters and calibrations.
    virtual void Reset(std::int32_t option) = 0;
    virtual void AddParam(const ParamDef& def, const Variant& value) = 0;
    virtual std::shared_ptr<ParamSet> Params() const = 0;
    virtual std::int32_t CalibrationCount() const = 0;
    virtual std::shared_ptr<CalibrationData> Calibration(std::int32_t i) const = 0;
};

}  // namespace host
