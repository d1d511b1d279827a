#include "module/class_factory.h"

#include "host/context.h"
#include "host/error.h"
#include "module/module_errors.h"
#include "module/ucvizari.h"

namespace module {

std::shared_ptr<host::IUCVIZari> ClassFactory::CreateInstance(std::shared_ptr<host::Host> host) {
    if (!host) throw host::Error(host::kErrUnexpected, "a control needs the host's services");
    host::SetCurrentHost(std::move(host));
    if (!host::CurrentModuleErrors().registered) RegisterModuleErrors();
    return std::make_shared<UCVIZari>();
}

void ClassFactory::LockServer(bool lock) {
    if (lock)
        ++locks_;
    else if (locks_ > 0)
        --locks_;
}

ClassFactory& TheClassFactory() {
    static ClassFactory factory;
    return factory;
}

bool CanUnloadNow() {
    return UCVIZari::LiveCount() == 0 && TheClassFactory().Locks() == 0;
}

}  // namespace module
