#pragma once
// The texts the desktop host shows, from the text catalogue. The English text
// is the key; a translation holds the same {} places as its key. A catalogue
// that lacks a text, or whose text does not take the arguments, gives the
// English one, so a person always reads a whole sentence. Nothing here raises.
#include <string>

#include <fmt/format.h>

#include "host/services.h"

namespace qtview {

inline std::string Text(const host::TextCatalog* texts, const std::string& key) noexcept {
    try {
        return texts != nullptr ? texts->Text(key, key) : key;
    } catch (...) {
        return key;
    }
}

template <class... Args>
std::string Say(const host::TextCatalog* texts, const std::string& key, const Args&... args) {
    try {
        return fmt::format(fmt::runtime(Text(texts, key)), args...);
    } catch (const fmt::format_error&) {
    }
    try {
        return fmt::format(fmt::runtime(key), args...);
    } catch (const fmt::format_error&) {
        return key;
    }
}

}  // namespace qtview
