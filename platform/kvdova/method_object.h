#pragma once
// The host's method document: name, type, version tag, instrument parameter
// sets, the method's parameters, tables, result definitions and result views.
#include <memory>
#include <vector>

#include "host/method_object.h"

namespace kvdova {

// Every operation raises host::Error on a bad index or count and changes
// nothing then (let pass). Cells of a new row or column are empty.
class MethodObject final : public host::MethodObject {
  public:
    MethodObject();

    std::string Name() const override { return name_; }
    void SetName(const std::string& name) override { name_ = name; }
    std::string MethodType() const override { return type_; }
    void SetMethodType(const std::string& type) override { type_ = type; }
    std::string VersionTag() const override { return versionTag_; }
    void SetVersionTag(const std::string& tag) override { versionTag_ = tag; }

    std::int32_t InstrumentCount() const override;
    // Grows with empty parameter sets.
    void SetInstrumentCount(std::int32_t n) override;
    std::shared_ptr<host::ParamSet> Instrument(std::int32_t i) const override;
    void SetInstrument(std::int32_t i, std::shared_ptr<host::ParamSet> params) override;

    std::shared_ptr<host::ParamSet> Params() const override { return params_; }

    std::int32_t TableCount() const override;
    void SetTableCount(std::int32_t n) override;
    std::int32_t ColumnCount(std::int32_t table) const override;
    void SetColumnCount(std::int32_t table, std::int32_t n) override;
    std::int32_t RowCount(std::int32_t table) const override;
    void SetRowCount(std::int32_t table, std::int32_t n) override;
    host::ParamDef ColumnDef(std::int32_t table, std::int32_t col) const override;
    void SetColumnDef(std::int32_t table, std::int32_t col, const host::ParamDef& def) override;
    host::Variant Cell(std::int32_t table, std::int32_t col, std::int32_t row) const override;
    void SetCell(std::int32_t table, std::int32_t col, std::int32_t row,
                 const host::Variant& v) override;

    std::int32_t ResultDefCount() const override;
    void SetResultDefCount(std::int32_t n) override;
    host::ResultDef GetResultDef(std::int32_t i) const override;
    void SetResultDef(std::int32_t i, const host::ResultDef& def) override;

    std::int32_t ResultViewCount() const override;
    void SetResultViewCount(std::int32_t n) override;
    host::ResultView GetResultView(std::int32_t i) const override;
    void SetResultView(std::int32_t i, const host::ResultView& view) override;

  private:
    struct Table {
        std::vector<host::ParamDef> columns;
        std::vector<std::vector<host::Variant>> rows;  // rows[r][c]
    };
    const Table& TableAt(std::int32_t t) const;
    Table& TableAt(std::int32_t t);
    static void CheckCell(const Table& table, std::int32_t t, std::int32_t col, std::int32_t row);

    std::string name_;
    std::string type_;
    std::string versionTag_;
    std::vector<std::shared_ptr<host::ParamSet>> instruments_;
    std::shared_ptr<host::ParamSet> params_;
    std::vector<Table> tables_;
    std::vector<host::ResultDef> resultDefs_;
    std::vector<host::ResultView> resultViews_;
};

}  // namespace kvdova
