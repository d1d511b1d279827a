#pragma once
// The rights a user holds: (object, right) pairs, compared ignoring case.
#include <string>
#include <utility>
#include <vector>

#include "host/session.h"

namespace kvdova {

class UserRights final : public host::UserRights {
  public:
    using Right = std::pair<std::string, std::string>;  // (object, right)

    UserRights() = default;
    explicit UserRights(std::vector<Right> rights) : rights_(std::move(rights)) {}

    void Grant(const std::string& object, const std::string& right);
    // kVTrue when the pair is held, else kVFalse; never raises.
    host::VBool HasRight(const std::string& object, const std::string& right) const override;

  private:
    std::vector<Right> rights_;
};

}  // namespace kvdova
