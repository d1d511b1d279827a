#pragma once
// Reading the save dialog's request as the platform's dialog reads it; shared
// by the headless dialog and the Qt one.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace controls::request {

inline constexpr std::uint32_t kOverwritePrompt = 0x2;
inline constexpr std::uint32_t kPathMustExist = 0x800;
inline constexpr std::uint32_t kEnableHook = 0x20;
inline constexpr std::uint32_t kShortRequestSize = 76;
inline constexpr std::uint32_t kLongRequestSize = 88;

inline bool KnownSize(std::uint32_t size) {
    return size == kShortRequestSize || size == kLongRequestSize;
}

// The text up to its first NUL.
std::string UpToNul(const std::string& text);
// The description/pattern pairs; nullopt when the filter does not end in two
// NULs. A description left without a pattern takes the closing NUL as its
// empty pattern.
std::optional<std::vector<std::pair<std::string, std::string>>> FilterPairs(
    const std::string& filter);
// An offset as the request's 16-bit field holds it (clamped).
std::uint16_t Offset16(std::size_t v);

}  // namespace controls::request
