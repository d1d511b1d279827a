#include "host/context.h"

#include "host/error.h"

namespace host {
namespace {
thread_local std::shared_ptr<Host> tHost;
thread_local ModuleErrors tErrors;
}  // namespace

Host& CurrentHost() {
    if (!tHost) throw Error(kErrUnexpected, "no host was handed to the module on this thread");
    return *tHost;
}
bool HasCurrentHost() {
    return tHost != nullptr;
}
void SetCurrentHost(std::shared_ptr<Host> host) {
    if (tHost != host) tErrors = ModuleErrors{};
    tHost = std::move(host);
}
ModuleErrors& CurrentModuleErrors() {
    return tErrors;
}

}  // namespace host
