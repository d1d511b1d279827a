#include "platform/kvbase/host_texts.h"

namespace kvbase {

std::string HostTextOf(const host::TextCatalog* texts, std::string_view key) {
    std::string english(key);
    if (texts == nullptr) return english;
    try {
        return texts->Text(english, english);
    } catch (...) {
        return english;
    }
}

}  // namespace kvbase
