#pragma once
// The grid's data: its columns (a definition plus the grid's own column
// attributes) and its rows, and what a column accepts from a person.
#include <cstdint>
#include <string>
#include <vector>

#include "host/param_def.h"
#include "host/variant.h"

namespace controls {

inline constexpr std::int32_t kDefaultColumnWidth = 1200;  // twips

struct SpreadColumn {
    host::ParamDef def;  // def.caption is the column's name, shown as its header
    std::int32_t width = kDefaultColumnWidth;
    std::string description;
    bool removable = false;
    bool allowSort = false;
    bool visible = true;
};

struct SpreadRow {
    std::string caption;
    std::vector<host::Variant> cells;  // one per column
};

// "col(c).attr" split into c and attr; false for any other name.
bool ParseColumnProperty(const std::string& name, std::int32_t& column, std::string& attribute);

// A column attribute by its designed name ("id", "vartype", "ctltype", "width",
// "name", "unit", "range", "outformat", "description", "locked", "removable",
// "allowsort", "visible"). Both raise host::Error naming the property for an
// unknown attribute or a value that does not fit (owner names the grid).
host::Variant ColumnAttribute(const SpreadColumn& column, const std::string& attribute,
                              const std::string& property, const std::string& owner);
void SetColumnAttribute(SpreadColumn& column, const std::string& attribute, const host::Variant& v,
                        const std::string& property, const std::string& owner);

}  // namespace controls
