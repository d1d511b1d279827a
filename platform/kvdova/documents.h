#pragma once
// New host documents of this library, as the interfaces the module sees.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/acq_data.h"
#include "host/instrument_info.h"
#include "host/method_object.h"
#include "host/param_set.h"
#include "host/session.h"

namespace kvdova {

std::shared_ptr<host::ParamSet> NewParamSet();
std::shared_ptr<host::ParamDefList> NewParamDefList();
std::shared_ptr<host::ResultDefList> NewResultDefList();
std::shared_ptr<host::MethodObject> NewMethodObject();
std::shared_ptr<host::ResultRecord> NewResultRecord();
std::shared_ptr<host::InstrumentInfo> NewInstrumentInfo();
std::shared_ptr<host::AcqData> NewAcqData();
std::shared_ptr<host::PageList> NewPageList();
// With an empty set of settings.
std::shared_ptr<host::UserConfig> NewUserConfig();
// Holding the given (object, right) pairs.
std::shared_ptr<host::UserRights> NewUserRights(
    std::vector<std::pair<std::string, std::string>> rights = {});

}  // namespace kvdova
