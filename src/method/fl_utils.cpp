#include "method/fl_utils.h"

#include "host/context.h"
#include "proxy/trap.h"

namespace method {

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
        params.Add(proxy::Required(def, "parameter definition"),
                   h.Numbers().DefaultValue(item.type));
    }
}

}  // namespace method
