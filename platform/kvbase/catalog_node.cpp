#include "platform/kvbase/catalog_node.h"

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/error_numbers.h"

namespace kvbase {
namespace {

std::string ControlLabel(const std::string& name, const std::string& indexText) {
    return indexText.empty() ? name : fmt::format("{}({})", name, indexText);
}

}  // namespace

CatalogNode::CatalogNode(Kind kind, std::string key, std::string indexText)
    : kind_(kind), key_(std::move(key)), index_(std::move(indexText)) {}

std::int32_t CatalogNode::SectionIndex(const std::string& key) const {
    if (kind_ != Kind::Root) return -1;
    for (std::size_t i = 0; i < children_.size(); ++i)
        if (host::IEquals(children_[i]->key_, key)) return static_cast<std::int32_t>(i + 1);
    return -1;
}

std::shared_ptr<host::LocaleNode> CatalogNode::Section(std::int32_t index) const {
    if (kind_ != Kind::Root || index < 1 || index > ChildCount()) {
        throw host::Error(kErrArgument, fmt::format("the catalogue has no section {} (it has {})",
                                                    index, kind_ == Kind::Root ? ChildCount() : 0));
    }
    return children_[static_cast<std::size_t>(index - 1)];
}

std::shared_ptr<host::LocaleNode> CatalogNode::ControlEntry(const std::string& name,
                                                            const std::string& indexText) const {
    if (kind_ != Kind::Section) return nullptr;
    for (const auto& c : children_)
        if (host::IEquals(c->key_, name) && c->index_ == indexText) return c;
    return nullptr;
}

const std::pair<std::string, std::string>& CatalogNode::Property(std::int32_t i) const {
    if (i < 1 || i > PropertyCount()) {
        throw host::Error(kErrArgument,
                          fmt::format("catalogue entry '{}' has no property {} (it has {})",
                                      ControlLabel(key_, index_), i, PropertyCount()));
    }
    return props_[static_cast<std::size_t>(i - 1)];
}

const CatalogNode& CatalogNode::Child(std::int32_t i) const {
    if (i < 1 || i > ChildCount()) {
        throw host::Error(kErrArgument,
                          fmt::format("catalogue node '{}' has no entry {} (it has {})",
                                      ControlLabel(key_, index_), i, ChildCount()));
    }
    return *children_[static_cast<std::size_t>(i - 1)];
}

std::string CatalogNode::PropertyName(std::int32_t i) const {
    return Property(i).first;
}

std::string CatalogNode::PropertyText(std::int32_t i) const {
    return Property(i).second;
}

CatalogNode& CatalogNode::AddSection(const std::string& key) {
    if (kind_ != Kind::Root)
        throw host::Error(kErrCatalogue, "sections belong to the catalogue's root");
    if (key.empty()) throw host::Error(kErrCatalogue, "a section key must not be empty");
    if (SectionIndex(key) > 0)
        throw host::Error(kErrCatalogue, fmt::format("section '{}' appears twice", key));
    children_.push_back(std::make_shared<CatalogNode>(Kind::Section, key));
    return *children_.back();
}

CatalogNode& CatalogNode::AddControl(const std::string& name, const std::string& indexText) {
    if (kind_ != Kind::Section)
        throw host::Error(kErrCatalogue, "control entries belong to a section");
    if (name.empty()) throw host::Error(kErrCatalogue, "a control name must not be empty");
    if (ControlEntry(name, indexText)) {
        throw host::Error(kErrCatalogue,
                          fmt::format("control '{}' appears twice", ControlLabel(name, indexText)));
    }
    children_.push_back(std::make_shared<CatalogNode>(Kind::Control, name, indexText));
    return *children_.back();
}

void CatalogNode::AddProperty(const std::string& name, const std::string& text) {
    if (kind_ != Kind::Control)
        throw host::Error(kErrCatalogue, "properties belong to a control entry");
    if (name.empty()) throw host::Error(kErrCatalogue, "a property name must not be empty");
    for (const auto& p : props_)
        if (host::IEquals(p.first, name)) {
            throw host::Error(kErrCatalogue, fmt::format("property '{}' appears twice", name));
        }
    props_.emplace_back(name, text);
}

}  // namespace kvbase
