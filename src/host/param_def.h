#pragma once
// Parameter and result definitions: small value records that documents, grids
// and entries copy. A holder that must share one definition holds a
// std::shared_ptr<ParamDef>; a grid's added column keeps its own copy.
#include <cstdint>
#include <string>

#include "host/types.h"

namespace host {

// How a value is formatted: its value type and its format pattern.
struct FormatDescriptor {
    std::int32_t dataType = kTypeText;
    std::string pattern;
    bool operator==(const FormatDescriptor&) const = default;
};

struct ParamDef {
    std::string id;
    std::int32_t dataType = kTypeText;
    std::string name;  // display name written into methods
    std::string caption;
    std::string unit;
    std::int32_t ctrlType = kCtrlEdit;
    std::string format;  // format pattern: "", "0", "0.0", ...
    std::string text1;
    std::string text2;
    bool locked = false;
    bool flag1 = false;
    bool flag2 = false;
    std::string range;  // numeric range or list text "{a;b}"
    bool flag = false;  // the definition flag cleared by the setup merge

    FormatDescriptor Format() const { return {dataType, format}; }
    bool operator==(const ParamDef&) const = default;
};

struct ResultDef {
    std::string id;
    std::int32_t valueType = kTypeNumber;
    std::string caption;
    std::string unit;
    std::string format;
    std::int32_t flag = 0;
    std::string text;
    bool operator==(const ResultDef&) const = default;
};

}  // namespace host
