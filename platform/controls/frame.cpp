#include "platform/controls/frame.h"

namespace controls {

Frame::Frame(std::string name, std::int32_t index, std::string parent)
    : ControlBase(host::ControlKind::Frame, std::move(name), index, std::move(parent),
                  {{"backcolor", PropType::Any, {}},
                   {"borderstyle", PropType::Int, 0},
                   {"appearance", PropType::Int, 0},
                   {"font", PropType::Any, {}}}) {}

}  // namespace controls
