#pragma once
// Module-level state, kept once per thread and shared by every control created
// on that thread: the host handed over by the class factory and the module's
// registered error codes.
#include <cstdint>
#include <memory>

#include "host/host.h"

namespace host {

struct ModuleErrors {
    bool registered = false;
    std::int32_t instOffline = 0;
    std::int32_t invGF = 0;
    std::int32_t invMode = 0;
};

// The thread's host; raises host::Error when none was handed over yet.
ORVE_API Host& CurrentHost();
ORVE_API bool HasCurrentHost();
ORVE_API void SetCurrentHost(std::shared_ptr<Host> host);
ORVE_API ModuleErrors& CurrentModuleErrors();

}  // namespace host
