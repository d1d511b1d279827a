#pragma once
// What the host knows of an instrument: type, serial number, parameters and
// calibrations.
#include <memory>
#include <vector>

#include "host/instrument_info.h"

namespace kvdova {

// Raises host::Error on a bad index or argument (let pass).
class InstrumentInfo final : public host::InstrumentInfo {
  public:
    InstrumentInfo();

    std::string Type() const override { return type_; }
    void SetType(const std::string& type) override { type_ = type; }
    std::string Serial() const override { return serial_; }
    void SetSerial(const std::string& serial) override { serial_ = serial; }
    void Reset(std::int32_t option) override;
    void AddParam(const host::ParamDef& def, const host::Variant& value) override;
    // The live set: Reset empties this same object.
    std::shared_ptr<host::ParamSet> Params() const override { return params_; }
    std::int32_t CalibrationCount() const override;
    std::shared_ptr<host::CalibrationData> Calibration(std::int32_t i) const override;
    void AddCalibration(std::shared_ptr<host::CalibrationData> calibration);

  private:
    std::string type_;
    std::string serial_;
    std::shared_ptr<host::ParamSet> params_;
    std::vector<std::shared_ptr<host::CalibrationData>> calibrations_;
};

}  // namespace kvdova
