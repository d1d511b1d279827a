#include "platform/kvdova/doc_error.h"

#include <fmt/format.h>

namespace kvdova {

void Fail(const std::string& text) {
    throw host::Error(kErrDocument, text);
}

void CheckIndex(std::string_view what, std::int32_t i, std::size_t count) {
    if (i >= 1 && static_cast<std::size_t>(i) <= count) return;
    if (count == 0) Fail(fmt::format("{} {} does not exist (there are none)", what, i));
    Fail(fmt::format("{} {} does not exist (valid are 1 to {})", what, i, count));
}

void CheckCount(std::string_view what, std::int32_t n) {
    if (n < 0) Fail(fmt::format("{} count {} is negative", what, n));
    if (n > kMaxCount) Fail(fmt::format("{} count {} exceeds the limit of {}", what, n, kMaxCount));
}

}  // namespace kvdova
