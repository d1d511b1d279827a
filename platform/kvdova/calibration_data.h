#pragma once
// One calibration of the instrument: a name and a few named values.
#include <string>
#include <utility>
#include <vector>

#include "host/instrument_info.h"

namespace kvdova {

// Raises host::Error on a bad index, an absent key or a malformed packet and
// changes nothing then (let pass).
class CalibrationData final : public host::CalibrationData {
  public:
    CalibrationData() = default;
    explicit CalibrationData(std::string name) : name_(std::move(name)) {}

    std::string Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    std::int32_t Count() const;
    std::string Key(std::int32_t i) const;
    // Keys compare ignoring case: setting a held key replaces its value.
    void SetValue(const std::string& key, double value);
    double Value(const std::string& key) const;

    // Packet layout: name, count, then per value its key and the value as a
    // number. Saving replaces what the packet held; loading reads from its start.
    void SaveTo(host::DataPacket& packet, std::int32_t option) const override;
    void LoadFrom(host::DataPacket& packet, std::int32_t option);

  private:
    std::string name_;
    std::vector<std::pair<std::string, double>> values_;
};

}  // namespace kvdova
