#pragma once
// One node of the localisation catalogue: the root holds sections, a section
// holds control entries, a control entry holds properties (name and text).
// Sections are found by key and control entries by name, ignoring case; a
// control entry's index text ("" outside a control array, else the index as
// digits) compares exactly. Sections and properties count from 1.
//
// A node is filled while its catalogue is read and never changes afterwards,
// so handing it out shared is safe.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/services.h"

namespace kvbase {

class CatalogNode : public host::LocaleNode {
  public:
    enum class Kind { Root, Section, Control };

    explicit CatalogNode(Kind kind, std::string key = "", std::string indexText = "");

    // -1 when absent, and on nodes that hold no sections.
    std::int32_t SectionIndex(const std::string& key) const override;
    // Raises host::Error outside 1..section count.
    std::shared_ptr<host::LocaleNode> Section(std::int32_t index) const override;
    // nullptr when absent, and on nodes that hold no control entries.
    std::shared_ptr<host::LocaleNode> ControlEntry(const std::string& name,
                                                   const std::string& indexText) const override;
    std::int32_t PropertyCount() const override { return static_cast<std::int32_t>(props_.size()); }
    // Raise host::Error outside 1..PropertyCount.
    std::string PropertyName(std::int32_t i) const override;
    std::string PropertyText(std::int32_t i) const override;

    Kind NodeKind() const { return kind_; }
    const std::string& Key() const { return key_; }
    const std::string& IndexText() const { return index_; }
    std::int32_t ChildCount() const { return static_cast<std::int32_t>(children_.size()); }
    // Sections of the root, control entries of a section; from 1, raises outside.
    const CatalogNode& Child(std::int32_t i) const;

    // Builders; each raises host::Error for a duplicate (ignoring case) or for a
    // child that does not belong under this kind of node.
    CatalogNode& AddSection(const std::string& key);
    CatalogNode& AddControl(const std::string& name, const std::string& indexText);
    void AddProperty(const std::string& name, const std::string& text);

  private:
    const std::pair<std::string, std::string>& Property(std::int32_t i) const;

    Kind kind_;
    std::string key_;    // section key or control name
    std::string index_;  // control index text
    std::vector<std::shared_ptr<CatalogNode>> children_;
    std::vector<std::pair<std::string, std::string>> props_;
};

}  // namespace kvbase
