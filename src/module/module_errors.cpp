#include "module/module_errors.h"

#include "host/context.h"

namespace module {

void RegisterModuleErrors() {
    auto& errors = host::CurrentHost().Errors();
    auto& codes = host::CurrentModuleErrors();
    codes.instOffline =
        errors.RegisterError("AcqModule", "InstOffline", "Instrument is offline", false);
    codes.invGF = errors.RegisterError("AcqModule", "InvGF",
                                       "GFactor could not be calculated: Ihh=0 or Ihv=0", false);
    codes.invMode = errors.RegisterError(
        "AcqModule", "InvMode", "Acquisition module does not support parallel sample measurements",
        false);
    codes.registered = true;
}

}  // namespace module
