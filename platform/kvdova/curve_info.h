#pragma once
// A curve descriptor. The module only passes these through; the label lets a
// host (or a test) tell its descriptors apart.
#include <string>
#include <utility>

#include "host/session.h"

namespace kvdova {

class CurveInfo final : public host::CurveInfo {
  public:
    CurveInfo() = default;
    explicit CurveInfo(std::string label) : label_(std::move(label)) {}
    const std::string& Label() const { return label_; }

  private:
    std::string label_;
};

}  // namespace kvdova
