#include "method/fl_utils.h"

#include "host/context.h"

namespace method {
namespace {

struct GainStep {
    std::int32_t position;
    double voltage;
};
constexpr GainStep kGainSteps[] = {{1, 775.0}, {2, 650.0}, {3, 900.0}};
constexpr std::int32_t kCustomGain = 4;

}  // namespace

void DefineInstInfoParams(host::ParamSet& params) {
    auto& h = host::CurrentHost();
    auto& env = h.Environment();
    struct Item {
        std::string key;
        const char* captionKey;
        std::int32_t type;
    };
    const Item items[] = {
        {env.InstNameKey(), "Name", host::kTypeText},
        {env.InstIdKey(), "ID", host::kTypeText},
        {env.InstTypeKey(), "Type", host::kTypeText},
        {env.LastValidationKey(), "Last validated", host::kTypeDate},
        {"InstFirmRev", "FirmRev", host::kTypeText},
    };
    for (const auto& item : items) {
        auto def =
            h.Progress().CreateParamDef(item.key, item.type, h.Texts().Text(item.captionKey, ""),
                                        "", host::kCtrlEdit, "", "", "", true, false, false);
        params.Add(*def, h.Numbers().DefaultValue(item.type));
    }
}

double GainToVoltage(std::int32_t position) {
    for (const auto& step : kGainSteps)
        if (step.position == position) return step.voltage;
    return position == kCustomGain ? -1.0 : 0.0;
}

std::int32_t VoltageToGain(double voltage) {
    for (const auto& step : kGainSteps)
        if (step.voltage == voltage) return step.position;
    return kCustomGain;
}

std::string SetupRangeOf(const host::ParamDefList& description, const std::string& name,
                         const std::string& def) {
    const std::int32_t index = description.IndexOf(name);
    if (index <= 0) return def;
    const std::string range = description.Item(index)->range;
    return range.empty() ? def : range;
}

}  // namespace method
