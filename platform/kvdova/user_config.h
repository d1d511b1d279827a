#pragma once
// The user's configuration: a parameter set of settings such as "AutoClearResults".
#include <memory>

#include "host/session.h"

namespace kvdova {

class UserConfig final : public host::UserConfig {
  public:
    // Starts with an empty set of settings.
    UserConfig();
    explicit UserConfig(std::shared_ptr<host::ParamSet> settings);

    // The live set, never null.
    std::shared_ptr<host::ParamSet> Settings() const override { return settings_; }

  private:
    std::shared_ptr<host::ParamSet> settings_;
};

}  // namespace kvdova
