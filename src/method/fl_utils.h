#pragma once
// Helpers shared by the module's method and page code. The gain and range
// helpers are defined here in the header: the page code uses them, and the
// page's library is linked before this one.
#include <cstdint>
#include <string>

#include "host/param_set.h"

namespace method {

// Adds the five instrument-info parameters (name, ID, type, last validation,
// firmware revision) at their default values. Lets a failure pass to the caller.
void DefineInstInfoParams(host::ParamSet& params);

struct GainStep {
    std::int32_t position;
    double voltage;
};
inline constexpr GainStep kGainSteps[] = {{1, 775.0}, {2, 650.0}, {3, 900.0}};
inline constexpr std::int32_t kCustomGain = 4;

// Detector voltage of a gain list position (1 "Medium", 2 "Low", 3 "High");
// -1 for 4 ("Custom") and 0 for any other position: neither is a voltage.
inline double GainToVoltage(std::int32_t position) {
    for (const auto& step : kGainSteps)
        if (step.position == position) return step.voltage;
    return position == kCustomGain ? -1.0 : 0.0;
}

// Gain list position of a detector voltage: exact matches of the three
// voltages, 4 ("Custom") for anything else, NaN included.
inline std::int32_t VoltageToGain(double voltage) {
    for (const auto& step : kGainSteps)
        if (step.voltage == voltage) return step.position;
    return kCustomGain;
}

// The range text of the description item with that ID (ignoring case), or
// def when the item is absent or its range is empty. Lets a failure pass.
inline std::string SetupRangeOf(const host::ParamDefList& description, const std::string& name,
                                const std::string& def) {
    const std::int32_t index = description.IndexOf(name);
    if (index <= 0) return def;
    const std::string range = description.Item(index)->range;
    return range.empty() ? def : range;
}

}  // namespace method
