#include "platform/kvdova/instrument_info.h"

#include "platform/kvdova/doc_error.h"
#include "platform/kvdova/param_set.h"

namespace kvdova {

InstrumentInfo::InstrumentInfo() : params_(std::make_shared<ParamSet>()) {}

void InstrumentInfo::Reset(std::int32_t /*option*/) {
    type_.clear();
    serial_.clear();
    params_->SetCount(0);
    calibrations_.clear();
}

void InstrumentInfo::AddParam(const host::ParamDef& def, const host::Variant& value) {
    params_->Add(def, value);
}

std::int32_t InstrumentInfo::CalibrationCount() const {
    return static_cast<std::int32_t>(calibrations_.size());
}

std::shared_ptr<host::CalibrationData> InstrumentInfo::Calibration(std::int32_t i) const {
    CheckIndex("calibration", i, calibrations_.size());
    return calibrations_[At(i)];
}

void InstrumentInfo::AddCalibration(std::shared_ptr<host::CalibrationData> calibration) {
    if (!calibration) Fail("no calibration given");
    CheckCount("calibration", CalibrationCount() + 1);
    calibrations_.push_back(std::move(calibration));
}

}  // namespace kvdova
