#pragma once
// The class factory of the control class "UCVIZari".
#include <atomic>
#include <memory>

#include "host/acq_module.h"

namespace module {

inline constexpr const char* kClassName = "UCVIZari";

class ClassFactory final : public host::ClassFactory {
  public:
    // Hands the host to the thread, registers the module's errors on the first
    // control of the thread, then creates the control. Raises on failure.
    std::shared_ptr<host::IUCVIZari> CreateInstance(std::shared_ptr<host::Host> host) override;
    void LockServer(bool lock) override;
    std::int32_t Locks() const { return locks_.load(); }

  private:
    std::atomic<std::int32_t> locks_{0};
};

ClassFactory& TheClassFactory();

// True when no control and no factory lock is alive.
bool CanUnloadNow();

}  // namespace module
