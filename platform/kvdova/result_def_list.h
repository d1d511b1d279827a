#pragma once
// The result definitions a method holds.
#include <memory>
#include <vector>

#include "host/param_set.h"

namespace kvdova {

// Raises host::Error on a bad index (let pass).
class ResultDefList final : public host::ResultDefList {
  public:
    std::int32_t Count() const override;
    std::shared_ptr<host::ResultDef> Item(std::int32_t i) const override;
    void Add(const host::ResultDef& def) override;

  private:
    std::vector<std::shared_ptr<host::ResultDef>> items_;
};

}  // namespace kvdova
