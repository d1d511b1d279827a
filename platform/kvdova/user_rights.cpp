#include "platform/kvdova/user_rights.h"

namespace kvdova {

void UserRights::Grant(const std::string& object, const std::string& right) {
    if (HasRight(object, right) == host::kVFalse) rights_.emplace_back(object, right);
}

host::VBool UserRights::HasRight(const std::string& object, const std::string& right) const {
    for (const auto& [o, r] : rights_) {
        if (host::IEquals(o, object) && host::IEquals(r, right)) return host::kVTrue;
    }
    return host::kVFalse;
}

}  // namespace kvdova
