// Method persistence of UCVIZari: ClearMethod, LoadMethod, UpdateMethod and
// the page <-> method transfer.
#include "host/error.h"
#include "module/ucvizari.h"
#include "proxy/trap.h"

namespace module {
namespace {
constexpr host::Status kErrNotAvailable = 0x7FFF0901;
}

void UCVIZari::ClearMethod() {}
host::Status UCVIZari::LoadMethod(std::shared_ptr<host::MethodObject>) {
    return proxy::Trap([] { throw host::Error(kErrNotAvailable, "LoadMethod is not available in this build"); });
}
host::Status UCVIZari::UpdateMethod(std::shared_ptr<host::MethodObject>) {
    return proxy::Trap([] { throw host::Error(kErrNotAvailable, "UpdateMethod is not available in this build"); });
}
void UCVIZari::ResetMethodPage() {}
host::Status UCVIZari::MethodToPage(host::MethodObject&) { return kErrNotAvailable; }
host::Status UCVIZari::ValidatePage() { return kErrNotAvailable; }
host::Status UCVIZari::PageToMethod(host::MethodObject&) { return kErrNotAvailable; }
void UCVIZari::SetOnlineResultView(host::MethodObject&) {}
void UCVIZari::CopyMethod() {}

}  // namespace module
