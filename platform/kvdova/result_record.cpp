#include "platform/kvdova/result_record.h"

#include "platform/kvdova/doc_error.h"

namespace kvdova {

void ResultRecord::Init(std::int32_t n) {
    CheckCount("result value", n);
    values_.assign(static_cast<std::size_t>(n), 0.0);
}

std::int32_t ResultRecord::Count() const {
    return static_cast<std::int32_t>(values_.size());
}

void ResultRecord::SetValue(std::int32_t i, double v) {
    CheckIndex("result value", i, values_.size());
    values_[At(i)] = v;
}

double ResultRecord::Value(std::int32_t i) const {
    CheckIndex("result value", i, values_.size());
    return values_[At(i)];
}

}  // namespace kvdova
