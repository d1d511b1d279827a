#pragma once
// Result views that a method stores, built by AcqEnvironment.
#include <string>
#include <vector>

#include "host/param_def.h"

namespace host {

struct DataSelection {
    std::string name;
    std::string source;  // "Acq"
    std::string kind;    // "Any"
    std::string ids;     // list text of the selected result IDs
    bool operator==(const DataSelection&) const = default;
};

struct TableLayout {
    std::vector<ParamDef> columns;
    bool operator==(const TableLayout&) const = default;
};

struct ResultView {
    std::string caption;
    DataSelection selection;
    TableLayout layout;
    std::string text;
    bool operator==(const ResultView&) const = default;
};

}  // namespace host
