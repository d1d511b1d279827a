#pragma once
// Errors raised by the host documents: one number for bad arguments (index,
// key, count) and one for a malformed document file or packet.
#include <cstdint>
#include <string>
#include <string_view>

#include "host/error.h"

namespace kvdova {

inline constexpr host::Status kErrDocument = 0x7FFF0E01;
inline constexpr host::Status kErrDocumentFile = 0x7FFF0E02;

// Largest count a document accepts for one dimension (entries, rows, columns,
// cells of a table); a larger one is refused instead of exhausting memory.
inline constexpr std::int32_t kMaxCount = 1'000'000;

[[noreturn]] void Fail(const std::string& text);

// Raises unless 1 <= i <= count; `what` names the thing indexed ("parameter").
void CheckIndex(std::string_view what, std::int32_t i, std::size_t count);

// Raises unless 0 <= n <= kMaxCount.
void CheckCount(std::string_view what, std::int32_t n);

// Index from 1 to a vector position, after CheckIndex.
inline std::size_t At(std::int32_t i) {
    return static_cast<std::size_t>(i - 1);
}

}  // namespace kvdova
