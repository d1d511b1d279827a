#include "platform/controls/value_check.h"

#include <cmath>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/range_syntax.h"

namespace controls {

std::string Refusal(const host::ParamDef& def, const host::Variant& v) {
    host::Variant typed = v;
    try {
        switch (def.dataType) {
            case host::kTypeNumber: {
                if (v.IsEmpty()) return "an empty value is not a number";
                const double x = v.ToDouble();
                if (!std::isfinite(x))
                    return fmt::format("'{}' is not a finite number", v.ToString());
                typed = x;
                break;
            }
            case host::kTypeBoolean:
                if (v.IsEmpty()) return "an empty value is not a boolean";
                typed = v.ToBool();
                break;
            case host::kTypeDate:
                if (v.IsEmpty()) return "an empty value is not a date";
                typed = v.ToDate();
                break;
            default:
                break;
        }
    } catch (const host::Error&) {
        const char* kind = def.dataType == host::kTypeNumber    ? "a number"
                           : def.dataType == host::kTypeBoolean ? "a boolean"
                                                                : "a date";
        return fmt::format("'{}' is not {}", v.ToString(), kind);
    }
    kvbase::Range range;
    try {
        range = kvbase::ParseRange(def.range);
    } catch (const host::Error& e) {
        return e.Text();
    }
    if (!kvbase::InRange(range, typed)) {
        return fmt::format("'{}' is outside the range '{}'", v.ToString(), def.range);
    }
    return {};
}

host::Variant AsType(const host::ParamDef& def, const host::Variant& v) {
    if (v.IsEmpty()) return v;
    try {
        switch (def.dataType) {
            case host::kTypeNumber: {
                const double x = v.ToDouble();
                return std::isfinite(x) ? host::Variant(x) : v;
            }
            case host::kTypeBoolean:
                return v.ToBool();
            case host::kTypeDate:
                return v.ToDate();
            default:
                return v;
        }
    } catch (const host::Error&) {
        return v;
    }
}

}  // namespace controls
