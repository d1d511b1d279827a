#pragma once
// Page list, user rights and configuration, curve descriptors.
#include <cstdint>
#include <memory>
#include <string>

#include "host/param_set.h"

namespace host {

class ORVE_API PageList {
  public:
    virtual ~PageList() = default;
    virtual std::int32_t Count() const = 0;
    virtual void SetCount(std::int32_t n) = 0;
    // Index from 1; raises outside 1..Count.
    virtual void SetDescriptor(std::int32_t i, const std::string& text) = 0;
    virtual std::string Descriptor(std::int32_t i) const = 0;
};

class ORVE_API UserRights {
  public:
    virtual ~UserRights() = default;
    virtual VBool HasRight(const std::string& object, const std::string& right) const = 0;
};

class ORVE_API UserConfig {
  public:
    virtual ~UserConfig() = default;
    virtual std::shared_ptr<ParamSet> Settings() const = 0;
};

// Curve descriptors are passed through by the module and never looked into.
class ORVE_API CurveInfo {
  public:
    virtual ~CurveInfo() = default;
};

}  // namespace host
