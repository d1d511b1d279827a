#include "platform/kvdova/user_config.h"

#include "platform/kvdova/doc_error.h"
#include "platform/kvdova/param_set.h"

namespace kvdova {

UserConfig::UserConfig() : settings_(std::make_shared<ParamSet>()) {}

UserConfig::UserConfig(std::shared_ptr<host::ParamSet> settings) : settings_(std::move(settings)) {
    if (!settings_) Fail("a user configuration needs a set of settings");
}

}  // namespace kvdova
