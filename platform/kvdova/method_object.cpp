#include "platform/kvdova/method_object.h"

#include <fmt/format.h>

#include "platform/kvdova/doc_error.h"
#include "platform/kvdova/param_set.h"

namespace kvdova {
namespace {

std::int32_t SizeOf(std::size_t n) {
    return static_cast<std::int32_t>(n);
}

// A table may not hold more cells than one dimension may count.
void CheckCells(std::int32_t t, std::int64_t rows, std::int64_t cols) {
    if (rows * cols > kMaxCount) {
        Fail(fmt::format("table {}: {} rows of {} columns exceed the limit of {} cells", t, rows,
                         cols, kMaxCount));
    }
}

}  // namespace

MethodObject::MethodObject() : params_(std::make_shared<ParamSet>()) {}

std::int32_t MethodObject::InstrumentCount() const {
    return SizeOf(instruments_.size());
}

void MethodObject::SetInstrumentCount(std::int32_t n) {
    CheckCount("instrument", n);
    const auto size = static_cast<std::size_t>(n);
    if (size < instruments_.size()) instruments_.resize(size);
    while (instruments_.size() < size) instruments_.push_back(std::make_shared<ParamSet>());
}

std::shared_ptr<host::ParamSet> MethodObject::Instrument(std::int32_t i) const {
    CheckIndex("instrument", i, instruments_.size());
    return instruments_[At(i)];
}

void MethodObject::SetInstrument(std::int32_t i, std::shared_ptr<host::ParamSet> params) {
    CheckIndex("instrument", i, instruments_.size());
    if (!params) Fail(fmt::format("instrument {}: no parameter set given", i));
    instruments_[At(i)] = std::move(params);
}

std::int32_t MethodObject::TableCount() const {
    return SizeOf(tables_.size());
}

void MethodObject::SetTableCount(std::int32_t n) {
    CheckCount("table", n);
    tables_.resize(static_cast<std::size_t>(n));
}

const MethodObject::Table& MethodObject::TableAt(std::int32_t t) const {
    CheckIndex("table", t, tables_.size());
    return tables_[At(t)];
}

MethodObject::Table& MethodObject::TableAt(std::int32_t t) {
    CheckIndex("table", t, tables_.size());
    return tables_[At(t)];
}

std::int32_t MethodObject::ColumnCount(std::int32_t table) const {
    return SizeOf(TableAt(table).columns.size());
}

void MethodObject::SetColumnCount(std::int32_t table, std::int32_t n) {
    Table& tab = TableAt(table);
    CheckCount(fmt::format("table {} column", table), n);
    CheckCells(table, static_cast<std::int64_t>(tab.rows.size()), n);
    const auto size = static_cast<std::size_t>(n);
    tab.columns.resize(size);
    for (auto& row : tab.rows) row.resize(size);
}

std::int32_t MethodObject::RowCount(std::int32_t table) const {
    return SizeOf(TableAt(table).rows.size());
}

void MethodObject::SetRowCount(std::int32_t table, std::int32_t n) {
    Table& tab = TableAt(table);
    CheckCount(fmt::format("table {} row", table), n);
    CheckCells(table, n, static_cast<std::int64_t>(tab.columns.size()));
    tab.rows.resize(static_cast<std::size_t>(n), std::vector<host::Variant>(tab.columns.size()));
}

host::ParamDef MethodObject::ColumnDef(std::int32_t table, std::int32_t col) const {
    const Table& tab = TableAt(table);
    CheckIndex(fmt::format("table {} column", table), col, tab.columns.size());
    return tab.columns[At(col)];
}

void MethodObject::SetColumnDef(std::int32_t table, std::int32_t col, const host::ParamDef& def) {
    Table& tab = TableAt(table);
    CheckIndex(fmt::format("table {} column", table), col, tab.columns.size());
    tab.columns[At(col)] = def;
}

void MethodObject::CheckCell(const Table& table, std::int32_t t, std::int32_t col,
                             std::int32_t row) {
    CheckIndex(fmt::format("table {} column", t), col, table.columns.size());
    CheckIndex(fmt::format("table {} row", t), row, table.rows.size());
}

host::Variant MethodObject::Cell(std::int32_t table, std::int32_t col, std::int32_t row) const {
    const Table& tab = TableAt(table);
    CheckCell(tab, table, col, row);
    return tab.rows[At(row)][At(col)];
}

void MethodObject::SetCell(std::int32_t table, std::int32_t col, std::int32_t row,
                           const host::Variant& v) {
    Table& tab = TableAt(table);
    CheckCell(tab, table, col, row);
    tab.rows[At(row)][At(col)] = v;
}

std::int32_t MethodObject::ResultDefCount() const {
    return SizeOf(resultDefs_.size());
}

void MethodObject::SetResultDefCount(std::int32_t n) {
    CheckCount("result definition", n);
    resultDefs_.resize(static_cast<std::size_t>(n));
}

host::ResultDef MethodObject::GetResultDef(std::int32_t i) const {
    CheckIndex("result definition", i, resultDefs_.size());
    return resultDefs_[At(i)];
}

void MethodObject::SetResultDef(std::int32_t i, const host::ResultDef& def) {
    CheckIndex("result definition", i, resultDefs_.size());
    resultDefs_[At(i)] = def;
}

std::int32_t MethodObject::ResultViewCount() const {
    return SizeOf(resultViews_.size());
}

void MethodObject::SetResultViewCount(std::int32_t n) {
    CheckCount("result view", n);
    resultViews_.resize(static_cast<std::size_t>(n));
}

host::ResultView MethodObject::GetResultView(std::int32_t i) const {
    CheckIndex("result view", i, resultViews_.size());
    return resultViews_[At(i)];
}

void MethodObject::SetResultView(std::int32_t i, const host::ResultView& view) {
    CheckIndex("result view", i, resultViews_.size());
    resultViews_[At(i)] = view;
}

}  // namespace kvdova
