#pragma once
// Small value types shared by the module and every host implementation.
#include <cstdint>
#include <string>
#include <string_view>

#define ORVE_API __attribute__((visibility("default")))

namespace host {

// 0 is success; any other value is an error number.
using Status = std::int32_t;

// The module interface's 16-bit boolean: true is -1, false is 0.
using VBool = std::int16_t;
inline constexpr VBool kVTrue = -1;
inline constexpr VBool kVFalse = 0;
inline constexpr VBool ToVBool(bool b) {
    return b ? kVTrue : kVFalse;
}

// A result type; 1 is the first result group of the acquisition data.
using ResultType = std::int32_t;

// Value type codes of parameters, entries and grid columns.
enum ValueType : std::int32_t {
    kTypeBoolean = 1,
    kTypeNumber = 2,
    kTypeText = 4,
    kTypeDate = 5,
};

// Control type codes of entries and grid columns.
enum CtrlType : std::int32_t {
    kCtrlEdit = 1,
    kCtrlCheck = 3,
    kCtrlList = 5,
};

// Geometry of controls, in twips (15 twips = 1 pixel at 96 dpi).
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const Rect&) const = default;
};
inline constexpr std::int32_t kTwipsPerPixel = 15;

// Names, keys, IDs, command words and replies compare ignoring (ASCII) case.
inline bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}
inline bool IStartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && IEquals(text.substr(0, prefix.size()), prefix);
}

}  // namespace host
