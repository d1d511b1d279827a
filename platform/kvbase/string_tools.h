#pragma once
// Tokens, splitting and list texts "{a;b;c}".
//
// A list text starts with "{" and ends with "}"; items are separated by ";",
// counted from 1 and taken as written (no blanks trimmed). "{}" is the empty
// list. Items are found ignoring case, as the entries accept list values
// ("{On;Off}" holds "off" at position 2); the first match counts.
// A separator must not be empty: it would find nothing to split at.
#include <cstdint>
#include <string>
#include <vector>

#include "host/services.h"

namespace kvbase {

class Strings : public host::StringTools {
  public:
    std::string NextToken(std::string& text, const std::string& separator) const override;
    std::int32_t ItemIndex(const std::string& item, const std::string& list) const override;
    std::string ItemAt(std::int32_t position, const std::string& list) const override;
    // No items for the empty text; otherwise every piece, empty ones included.
    std::vector<std::string> Split(const std::string& text,
                                   const std::string& separator) const override;
    std::string ListOpening() const override { return "{"; }
    // Replaces a trailing ";" by "}" or appends "}"; raises for a text that does
    // not start with the list opening.
    std::string CloseList(const std::string& text) const override;

    // The items of a list text; raises host::Error (kErrListText) without braces.
    static std::vector<std::string> ListItems(const std::string& list);
};

}  // namespace kvbase
