#pragma once
// The host's method document. Indexes count from 1; a bad index raises host::Error.
#include <cstdint>
#include <memory>
#include <string>

#include "host/param_def.h"
#include "host/param_set.h"
#include "host/result_view.h"
#include "host/variant.h"

namespace host {

class ORVE_API MethodObject {
  public:
    virtual ~MethodObject() = default;
    virtual std::string Name() const = 0;
    virtual void SetName(const std::string& name) = 0;
    virtual std::string MethodType() const = 0;
    virtual void SetMethodType(const std::string& type) = 0;
    virtual std::string VersionTag() const = 0;
    virtual void SetVersionTag(const std::string& tag) = 0;

    virtual std::int32_t InstrumentCount() const = 0;
    virtual void SetInstrumentCount(std::int32_t n) = 0;
    virtual std::shared_ptr<ParamSet> Instrument(std::int32_t i) const = 0;
    virtual void SetInstrument(std::int32_t i, std::shared_ptr<ParamSet> params) = 0;

    // The method's parameters (its instrument setup values and entries).
    virtual std::shared_ptr<ParamSet> Params() const = 0;

    virtual std::int32_t TableCount() const = 0;
    virtual void SetTableCount(std::int32_t n) = 0;
    virtual std::int32_t ColumnCount(std::int32_t table) const = 0;
    virtual void SetColumnCount(std::int32_t table, std::int32_t n) = 0;
    virtual std::int32_t RowCount(std::int32_t table) const = 0;
    virtual void SetRowCount(std::int32_t table, std::int32_t n) = 0;
    virtual ParamDef ColumnDef(std::int32_t table, std::int32_t col) const = 0;
    virtual void SetColumnDef(std::int32_t table, std::int32_t col, const ParamDef& def) = 0;
    virtual Variant Cell(std::int32_t table, std::int32_t col, std::int32_t row) const = 0;
    virtual void SetCell(std::int32_t table, std::int32_t col, std::int32_t row,
                         const Variant& v) = 0;

    virtual std::int32_t ResultDefCount() const = 0;
    virtual void SetResultDefCount(std::int32_t n) = 0;
    virtual ResultDef GetResultDef(std::int32_t i) const = 0;
    virtual void SetResultDef(std::int32_t i, const ResultDef& def) = 0;

    virtual std::int32_t ResultViewCount() const = 0;
    virtual void SetResultViewCount(std::int32_t n) = 0;
    virtual ResultView GetResultView(std::int32_t i) const = 0;
    virtual void SetResultView(std::int32_t i, const ResultView& view) = 0;
};

}  // namespace host
