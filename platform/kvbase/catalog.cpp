#include "platform/kvbase/catalog.h"

#include <fmt/format.h>

#include "host/control.h"
#include "host/error.h"
#include "platform/kvbase/error_numbers.h"

namespace kvbase {
namespace {

std::string Lower(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

Catalog::Catalog() : root_(std::make_shared<CatalogNode>(CatalogNode::Kind::Root)) {}

std::string Catalog::Text(const std::string& key, const std::string& def) const {
    auto it = byKey_.find(Lower(key));
    return it == byKey_.end() ? def : texts_[it->second].second;
}

void Catalog::ApplyText(host::Control& control, const std::string& property,
                        const std::string& text) const {
    control.SetProperty(property, host::Variant(text));
}

std::vector<std::string> Catalog::Keys() const {
    std::vector<std::string> keys;
    keys.reserve(texts_.size());
    for (const auto& t : texts_) keys.push_back(t.first);
    return keys;
}

void Catalog::AddText(const std::string& key, const std::string& text) {
    if (key.empty()) throw host::Error(kErrCatalogue, "a text key must not be empty");
    if (!byKey_.emplace(Lower(key), texts_.size()).second) {
        throw host::Error(kErrCatalogue, fmt::format("text key '{}' appears twice", key));
    }
    texts_.emplace_back(key, text);
}

}  // namespace kvbase
