#include "platform/kvdova/page_list.h"

#include "platform/kvdova/doc_error.h"

namespace kvdova {

std::int32_t PageList::Count() const {
    return static_cast<std::int32_t>(descriptors_.size());
}

void PageList::SetCount(std::int32_t n) {
    CheckCount("page", n);
    descriptors_.resize(static_cast<std::size_t>(n));
}

void PageList::SetDescriptor(std::int32_t i, const std::string& text) {
    CheckIndex("page", i, descriptors_.size());
    descriptors_[At(i)] = text;
}

std::string PageList::Descriptor(std::int32_t i) const {
    CheckIndex("page", i, descriptors_.size());
    return descriptors_[At(i)];
}

}  // namespace kvdova
