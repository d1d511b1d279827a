#pragma once
// The frame: a plain container with a caption and nothing to report.
#include <cstdint>
#include <string>

#include "platform/controls/control_base.h"

namespace controls {

class Frame final : public ControlBase<host::Control> {
  public:
    explicit Frame(std::string name, std::int32_t index = -1, std::string parent = {});
};

}  // namespace controls
