#include "platform/kvdova/calibration_data.h"

#include <fmt/format.h>

#include "platform/kvdova/doc_error.h"

namespace kvdova {

std::int32_t CalibrationData::Count() const {
    return static_cast<std::int32_t>(values_.size());
}

std::string CalibrationData::Key(std::int32_t i) const {
    CheckIndex("calibration value", i, values_.size());
    return values_[At(i)].first;
}

void CalibrationData::SetValue(const std::string& key, double value) {
    if (key.empty()) Fail("a calibration value needs a key");
    for (auto& [k, v] : values_) {
        if (host::IEquals(k, key)) {
            v = value;
            return;
        }
    }
    CheckCount("calibration value", Count() + 1);
    values_.emplace_back(key, value);
}

double CalibrationData::Value(const std::string& key) const {
    for (const auto& [k, v] : values_) {
        if (host::IEquals(k, key)) return v;
    }
    Fail(fmt::format("calibration value '{}' not found", key));
}

void CalibrationData::SaveTo(host::DataPacket& packet, std::int32_t /*option*/) const {
    packet.Clear();
    packet.WriteString(name_);
    packet.WriteCount(Count());
    for (const auto& [k, v] : values_) {
        packet.WriteString(k);
        packet.WriteValue(host::Variant(v), host::kTypeNumber);
    }
}

void CalibrationData::LoadFrom(host::DataPacket& packet, std::int32_t /*option*/) {
    CalibrationData loaded;
    try {
        packet.Rewind();
        loaded.name_ = packet.ReadString();
        std::int32_t n = packet.ReadCount();
        CheckCount("calibration value", n);
        for (std::int32_t i = 1; i <= n; ++i) {
            std::string key = packet.ReadString();
            loaded.SetValue(key, packet.ReadValue(host::kTypeNumber).ToDouble());
        }
    } catch (const host::Error& err) {
        throw host::Error(err.Number(), fmt::format("calibration packet: {}", err.what()));
    }
    *this = std::move(loaded);
}

}  // namespace kvdova
