#include "platform/kvdova/result_def_list.h"

#include "platform/kvdova/doc_error.h"

namespace kvdova {

std::int32_t ResultDefList::Count() const {
    return static_cast<std::int32_t>(items_.size());
}

std::shared_ptr<host::ResultDef> ResultDefList::Item(std::int32_t i) const {
    CheckIndex("result definition", i, items_.size());
    return items_[At(i)];
}

void ResultDefList::Add(const host::ResultDef& def) {
    CheckCount("result definition", Count() + 1);
    items_.push_back(std::make_shared<host::ResultDef>(def));
}

}  // namespace kvdova
