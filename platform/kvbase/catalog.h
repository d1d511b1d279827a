#pragma once
// The host's text catalogue: display texts by key and the localisation
// catalogue of controls, read from a JSON file (format in examples/README.md).
//
// Keys compare ignoring case. A default-constructed catalogue is empty: every
// text is its default and the localisation catalogue has no sections.
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/services.h"
#include "platform/kvbase/catalog_node.h"

namespace kvbase {

class Catalog : public host::TextCatalog {
  public:
    Catalog();

    // Raise host::Error (kErrCatalogue) naming the file (source) and the place
    // when it cannot be read, is not JSON, or has the wrong shape; nothing of a
    // refused file is kept.
    static Catalog Load(const std::string& path);
    static Catalog FromJson(const std::string& json, const std::string& source);

    std::string Text(const std::string& key, const std::string& def) const override;
    std::shared_ptr<host::LocaleNode> LocaleCatalog() const override { return root_; }
    // control.SetProperty(property, text); the control raises for a property it lacks.
    void ApplyText(host::Control& control, const std::string& property,
                   const std::string& text) const override;

    const std::string& Language() const { return language_; }
    // Text keys in the order of the file.
    std::vector<std::string> Keys() const;
    const CatalogNode& Root() const { return *root_; }

  private:
    void AddText(const std::string& key, const std::string& text);

    std::string language_;
    std::vector<std::pair<std::string, std::string>> texts_;
    std::unordered_map<std::string, std::size_t> byKey_;  // lower-case key -> texts_ index
    std::shared_ptr<CatalogNode> root_;
};

}  // namespace kvbase
