#include "platform/controls/spread_column.h"

#include <cctype>

#include "platform/controls/control_errors.h"
#include "platform/controls/property_store.h"

namespace controls {
namespace {

std::int32_t CheckedCode(std::int32_t code, bool valueType, const std::string& property,
                         const std::string& owner) {
    const bool ok = valueType ? (code == host::kTypeBoolean || code == host::kTypeNumber ||
                                 code == host::kTypeText || code == host::kTypeDate)
                              : (code == host::kCtrlEdit || code == host::kCtrlCheck ||
                                 code == host::kCtrlList);
    if (!ok) {
        Raise(kErrPropertyValue, "property '{}' of '{}': {} is not {}", property, owner, code,
              valueType ? "1 (boolean), 2 (number), 4 (text) or 5 (date)"
                        : "1 (edit field), 3 (check box) or 5 (list)");
    }
    return code;
}

}  // namespace

bool ParseColumnProperty(const std::string& name, std::int32_t& column, std::string& attribute) {
    constexpr std::string_view kOpen = "col(";
    if (!host::IStartsWith(name, kOpen)) return false;
    const auto close = name.find(')', kOpen.size());
    if (close == std::string::npos || close == kOpen.size() || close + 1 >= name.size() ||
        name[close + 1] != '.' || close - kOpen.size() > 6) {
        return false;
    }
    std::int32_t c = 0;
    for (std::size_t i = kOpen.size(); i < close; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
        c = c * 10 + (name[i] - '0');
    }
    column = c;
    attribute = name.substr(close + 2);
    return !attribute.empty();
}

host::Variant ColumnAttribute(const SpreadColumn& column, const std::string& attribute,
                              const std::string& property, const std::string& owner) {
    const auto& d = column.def;
    const auto is = [&](const char* a) { return host::IEquals(attribute, a); };
    if (is("id")) return d.id;
    if (is("vartype")) return d.dataType;
    if (is("ctltype")) return d.ctrlType;
    if (is("width")) return column.width;
    if (is("name")) return d.caption;
    if (is("unit")) return d.unit;
    if (is("range")) return d.range;
    if (is("outformat")) return d.format;
    if (is("description")) return column.description;
    if (is("locked")) return d.locked;
    if (is("removable")) return column.removable;
    if (is("allowsort")) return column.allowSort;
    if (is("visible")) return column.visible;
    Raise(kErrUnknownProperty, "'{}' has no property '{}'", owner, property);
}

void SetColumnAttribute(SpreadColumn& column, const std::string& attribute, const host::Variant& v,
                        const std::string& property, const std::string& owner) {
    auto& d = column.def;
    const auto is = [&](const char* a) { return host::IEquals(attribute, a); };
    const auto text = [&] {
        return PropertyStore::Convert(owner, property, PropType::Text, v).ToString();
    };
    const auto flag = [&] {
        return PropertyStore::Convert(owner, property, PropType::Bool, v).ToBool();
    };
    const auto number = [&] {
        return PropertyStore::Convert(owner, property, PropType::Int, v).ToInt32();
    };
    if (is("id")) {
        d.id = text();
    } else if (is("vartype")) {
        d.dataType = CheckedCode(number(), true, property, owner);
    } else if (is("ctltype")) {
        d.ctrlType = CheckedCode(number(), false, property, owner);
    } else if (is("width")) {
        const auto w = number();
        if (w < 0)
            Raise(kErrPropertyValue, "property '{}' of '{}': width {} is negative", property, owner,
                  w);
        column.width = w;
    } else if (is("name")) {
        d.caption = text();
    } else if (is("unit")) {
        d.unit = text();
    } else if (is("range")) {
        d.range = text();
    } else if (is("outformat")) {
        d.format = text();
    } else if (is("description")) {
        column.description = text();
    } else if (is("locked")) {
        d.locked = flag();
    } else if (is("removable")) {
        column.removable = flag();
    } else if (is("allowsort")) {
        column.allowSort = flag();
    } else if (is("visible")) {
        column.visible = flag();
    } else {
        Raise(kErrUnknownProperty, "'{}' has no property '{}'", owner, property);
    }
}

}  // namespace controls
