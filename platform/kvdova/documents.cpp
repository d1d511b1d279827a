#include "platform/kvdova/documents.h"

#include "platform/kvdova/acq_data.h"
#include "platform/kvdova/instrument_info.h"
#include "platform/kvdova/method_object.h"
#include "platform/kvdova/page_list.h"
#include "platform/kvdova/param_def_list.h"
#include "platform/kvdova/param_set.h"
#include "platform/kvdova/result_def_list.h"
#include "platform/kvdova/result_record.h"
#include "platform/kvdova/user_config.h"
#include "platform/kvdova/user_rights.h"

namespace kvdova {

std::shared_ptr<host::ParamSet> NewParamSet() {
    return std::make_shared<ParamSet>();
}
std::shared_ptr<host::ParamDefList> NewParamDefList() {
    return std::make_shared<ParamDefList>();
}
std::shared_ptr<host::ResultDefList> NewResultDefList() {
    return std::make_shared<ResultDefList>();
}
std::shared_ptr<host::MethodObject> NewMethodObject() {
    return std::make_shared<MethodObject>();
}
std::shared_ptr<host::ResultRecord> NewResultRecord() {
    return std::make_shared<ResultRecord>();
}
std::shared_ptr<host::InstrumentInfo> NewInstrumentInfo() {
    return std::make_shared<InstrumentInfo>();
}
std::shared_ptr<host::AcqData> NewAcqData() {
    return std::make_shared<AcqData>();
}
std::shared_ptr<host::PageList> NewPageList() {
    return std::make_shared<PageList>();
}
std::shared_ptr<host::UserConfig> NewUserConfig() {
    return std::make_shared<UserConfig>();
}
std::shared_ptr<host::UserRights> NewUserRights(
    std::vector<std::pair<std::string, std::string>> rights) {
    return std::make_shared<UserRights>(std::move(rights));
}

}  // namespace kvdova
