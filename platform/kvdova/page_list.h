#pragma once
// The page descriptors a module offers the host.
#include <vector>

#include "host/session.h"

namespace kvdova {

// Raises host::Error on a bad index or count (let pass).
class PageList final : public host::PageList {
  public:
    std::int32_t Count() const override;
    // Grows with empty descriptors.
    void SetCount(std::int32_t n) override;
    void SetDescriptor(std::int32_t i, const std::string& text) override;
    std::string Descriptor(std::int32_t i) const override;

  private:
    std::vector<std::string> descriptors_;
};

}  // namespace kvdova
