#include "fuzz/base_host.h"

#include <string>

#include "host/context.h"
#include "host/error.h"

namespace fuzz {
namespace {

[[noreturn]] void NotOffered(const char* what) {
    throw host::Error(host::kErrUnexpected, std::string("the base host offers no ") + what);
}

}  // namespace

BaseHost::BaseHost() : progress_(clock_, progressOut_, errors_) {
    progress_.SetVerbose(false);
}

host::ControlFactory& BaseHost::Controls() {
    NotOffered("controls");
}
host::Clipboard& BaseHost::GetClipboard() {
    NotOffered("clipboard");
}
host::FileDialogs& BaseHost::Dialogs() {
    NotOffered("file dialogs");
}

host::InstrumentServerFactory& BaseHost::Instruments() {
    if (!instruments_) NotOffered("instrument server");
    return *instruments_;
}

std::shared_ptr<host::PageList> BaseHost::NewPageList() {
    NotOffered("page list");
}
std::shared_ptr<host::ParamSet> BaseHost::NewParamSet() {
    NotOffered("parameter set");
}
std::shared_ptr<host::ParamDefList> BaseHost::NewParamDefList() {
    NotOffered("definition list");
}
std::shared_ptr<host::ResultDefList> BaseHost::NewResultDefList() {
    NotOffered("result list");
}
std::shared_ptr<host::MethodObject> BaseHost::NewMethodObject() {
    NotOffered("method");
}
std::shared_ptr<host::ResultRecord> BaseHost::NewResultRecord() {
    NotOffered("result record");
}
std::shared_ptr<host::InstrumentInfo> BaseHost::NewInstrumentInfo() {
    NotOffered("instrument information");
}
std::shared_ptr<host::AcqData> BaseHost::NewAcqData() {
    NotOffered("acquisition data");
}

HostScope::HostScope() : host_(std::make_shared<BaseHost>()) {
    host::SetCurrentHost(host_);
}

HostScope::~HostScope() {
    host::SetCurrentHost(nullptr);
}

}  // namespace fuzz
