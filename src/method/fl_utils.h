#pragma once
// Helpers shared by the module's method and page code.
#include <cstdint>
#include <string>

#include "host/param_set.h"

namespace method {

// Adds the five instrument-info parameters (name, ID, type, last validation,
// firmware revision) at their default values. Lets a failure pass to the caller.
void DefineInstInfoParams(host::ParamSet& params);

// Detector voltage of a gain list position (1 "Medium", 2 "Low", 3 "High");
// -1 for 4 ("Custom") and 0 for any other position: neither is a voltage.
double GainToVoltage(std::int32_t position);

// Gain list position of a detector voltage: exact matches of the three
// voltages, 4 ("Custom") for anything else, NaN included.
std::int32_t VoltageToGain(double voltage);

// The range text of the description item with that ID (ignoring case), or
// def when the item is absent or its range is empty. Lets a failure pass.
std::string SetupRangeOf(const host::ParamDefList& description, const std::string& name,
                         const std::string& def);

}  // namespace method
