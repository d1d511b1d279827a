#include "platform/controls/kv_spread.h"

#include "platform/controls/table_export.h"
#include "platform/controls/value_check.h"
#include "platform/kvbase/atomic_file.h"
#include "platform/kvdova/documents.h"

namespace controls {
namespace {

// Bounds that keep a mistaken count from exhausting memory.
constexpr std::int64_t kMaxRows = 1'000'000;
constexpr std::int64_t kMaxColumns = 10'000;
constexpr std::int64_t kMaxCells = 5'000'000;

std::vector<PropSpec> SpreadSpecs() {
    using T = PropType;
    return {
        {"borderstyle", T::Int, 0},
        {"appearance", T::Int, 0},
        {"enablepopup", T::Bool, false},
        {"popupcode", T::Int, 0},
        {"allowselectcols", T::Bool, false},
        {"allowselectrows", T::Bool, false},
        {"allowselectmultirows", T::Bool, false},
        {"displayrowcaption", T::Bool, false},
        {"validate", T::Bool, false},
        {"font", T::Any, {}},
        {"captionbold", T::Bool, false},
        {"captioncolor", T::Any, {}},
        {"backcolorbg", T::Any, {}},
        {"extendedcol", T::Int, 0},
    };
}

}  // namespace

KVSpread::KVSpread(std::string name, std::int32_t index, std::string parent,
                   const host::NumberFormat& numbers)
    : ControlBase(host::ControlKind::KVSpread, std::move(name), index, std::move(parent),
                  SpreadSpecs()),
      numbers_(numbers) {}

void KVSpread::CheckColumn(std::int32_t col) const {
    if (col < 1 || col > ColumnCount()) {
        Raise(kErrOutsideGrid, "{}: column {} is outside the grid of {} columns", Label(), col,
              ColumnCount());
    }
}

void KVSpread::CheckRow(std::int32_t row) const {
    if (row < 1 || row > RowCount()) {
        Raise(kErrOutsideGrid, "{}: row {} is outside the grid of {} rows", Label(), row,
              RowCount());
    }
}

void KVSpread::CheckCell(std::int32_t col, std::int32_t row) const {
    if (col < 1 || col > ColumnCount() || row < 1 || row > RowCount()) {
        Raise(kErrOutsideGrid, "{}: cell ({}, {}) is outside the grid of {} columns and {} rows",
              Label(), col, row, ColumnCount(), RowCount());
    }
}

void KVSpread::CheckSize(std::int32_t rows, std::int32_t cols) const {
    if (rows < 0 || rows > kMaxRows) {
        Raise(kErrArgument, "{}: row count {} is not between 0 and {}", Label(), rows, kMaxRows);
    }
    if (cols < 0 || cols > kMaxColumns) {
        Raise(kErrArgument, "{}: column count {} is not between 0 and {}", Label(), cols,
              kMaxColumns);
    }
    if (static_cast<std::int64_t>(rows) * cols > kMaxCells) {
        Raise(kErrArgument, "{}: {} rows of {} columns exceed the grid's {} cells", Label(), rows,
              cols, kMaxCells);
    }
}

SpreadRow KVSpread::BlankRow() const {
    return {std::string(), std::vector<host::Variant>(columns_.size())};
}

std::int32_t KVSpread::RowCount() const {
    return static_cast<std::int32_t>(rows_.size());
}

void KVSpread::SetRowCount(std::int32_t n) {
    CheckSize(n, ColumnCount());
    rows_.resize(static_cast<std::size_t>(n), BlankRow());
    const std::int32_t before = activeRow_;
    if (activeRow_ > n) activeRow_ = 0;
    Changed();
    ReportLostSelection(before);
}

void KVSpread::ReportLostSelection(std::int32_t before) {
    if (before > 0 && activeRow_ == 0) rowSelected_.Raise(0);
}

std::int32_t KVSpread::ColumnCount() const {
    return static_cast<std::int32_t>(columns_.size());
}

void KVSpread::SetColumnCount(std::int32_t n) {
    CheckSize(RowCount(), n);
    columns_.resize(static_cast<std::size_t>(n));
    for (auto& row : rows_) row.cells.resize(columns_.size());
    Changed();
}

host::Variant KVSpread::Cell(std::int32_t col, std::int32_t row) const {
    CheckCell(col, row);
    return rows_[static_cast<std::size_t>(row - 1)].cells[static_cast<std::size_t>(col - 1)];
}

void KVSpread::SetCell(std::int32_t col, std::int32_t row, const host::Variant& v) {
    CheckCell(col, row);
    rows_[static_cast<std::size_t>(row - 1)].cells[static_cast<std::size_t>(col - 1)] = v;
    Changed();
}

std::string KVSpread::RowCaption(std::int32_t row) const {
    CheckRow(row);
    return rows_[static_cast<std::size_t>(row - 1)].caption;
}

void KVSpread::SetRowCaption(std::int32_t row, const std::string& caption) {
    CheckRow(row);
    rows_[static_cast<std::size_t>(row - 1)].caption = caption;
    Changed();
}

void KVSpread::InsertRow(std::int32_t row) {
    if (row < 1 || row > RowCount() + 1) {
        Raise(kErrOutsideGrid, "{}: a row cannot be inserted at {} in a grid of {} rows", Label(),
              row, RowCount());
    }
    CheckSize(RowCount() + 1, ColumnCount());
    rows_.insert(rows_.begin() + (row - 1), BlankRow());
    if (activeRow_ >= row) ++activeRow_;
    Changed();
}

void KVSpread::DeleteRow(std::int32_t row) {
    CheckRow(row);
    rows_.erase(rows_.begin() + (row - 1));
    const std::int32_t before = activeRow_;
    if (activeRow_ == row) {
        activeRow_ = 0;
    } else if (activeRow_ > row) {
        --activeRow_;
    }
    Changed();
    ReportLostSelection(before);
}

void KVSpread::SetColumnRange(std::int32_t col, const std::string& range) {
    CheckColumn(col);
    columns_[static_cast<std::size_t>(col - 1)].def.range = range;
    Changed();
}

host::ParamDef KVSpread::ColumnDef(std::int32_t col) const {
    CheckColumn(col);
    return columns_[static_cast<std::size_t>(col - 1)].def;
}

std::shared_ptr<host::ParamDefList> KVSpread::ColumnDefs() const {
    auto list = kvdova::NewParamDefList();
    for (const auto& c : columns_) list->Add(c.def);
    return list;
}

std::int32_t KVSpread::ColumnWidth(std::int32_t col) const {
    CheckColumn(col);
    return columns_[static_cast<std::size_t>(col - 1)].width;
}

void KVSpread::Reset() {
    columns_.clear();
    rows_.clear();
    const std::int32_t before = activeRow_;
    activeRow_ = 0;
    Changed();
    ReportLostSelection(before);
}

void KVSpread::AddColumn(const host::ParamDef& def, std::int32_t width) {
    if (width < 0) Raise(kErrArgument, "{}: column width {} is negative", Label(), width);
    CheckSize(RowCount(), ColumnCount() + 1);
    SpreadColumn column;
    column.def = def;
    column.width = width;
    columns_.push_back(std::move(column));
    for (auto& row : rows_) row.cells.emplace_back();
    Changed();
}

void KVSpread::MenuCommand(const std::string& command) {
    commandLog_.push_back("MenuCommand " + command);
}

void KVSpread::Command() {
    commandLog_.push_back("Command");
}

std::string KVSpread::ExportText() const {
    return ExportTable(columns_, rows_, numbers_);
}

host::Status KVSpread::SaveToFile(const std::string& path) {
    // Failure policy: trap and return. The text is complete before the file is
    // touched, so a failure leaves no file behind.
    try {
        if (path.empty()) Raise(kErrArgument, "{}: no file name to save the table to", Label());
        kvbase::WriteFileAtomic(path, ExportText());
        return 0;
    } catch (const host::Error& e) {
        return e.Number() != 0 ? e.Number() : host::kErrUnexpected;
    } catch (...) {
        return host::kErrUnexpected;
    }
}

std::string KVSpread::Refusal(std::int32_t col, const host::Variant& v) const {
    CheckColumn(col);
    if (!props_.Bool("validate")) return {};
    return controls::Refusal(columns_[static_cast<std::size_t>(col - 1)].def, v);
}

bool KVSpread::Accepts(std::int32_t col, const host::Variant& v) const {
    return Refusal(col, v).empty();
}

void KVSpread::OnRowSelected(std::function<void(std::int32_t)> handler) {
    rowSelected_.Connect(std::move(handler));
}
void KVSpread::OnCellChanged(std::function<void(std::int32_t, std::int32_t)> handler) {
    cellChanged_.Connect(std::move(handler));
}
void KVSpread::OnCommand(std::function<void()> handler) {
    command_.Connect(std::move(handler));
}
void KVSpread::OnSaveRequest(std::function<void()> handler) {
    saveRequest_.Connect(std::move(handler));
}

void KVSpread::UserSelectRow(std::int32_t row) {
    RequireInteractive("selection");
    if (row > 0) CheckRow(row);
    activeRow_ = row > 0 ? row : 0;
    Changed();
    rowSelected_.Raise(activeRow_);
}

void KVSpread::UserEditCell(std::int32_t col, std::int32_t row, const host::Variant& v) {
    RequireInteractive("input");
    CheckCell(col, row);
    const auto& column = columns_[static_cast<std::size_t>(col - 1)];
    if (column.def.locked) {
        Raise(kErrInputRefused, "{}: column {} ('{}') is locked", Label(), col, column.def.caption);
    }
    const auto why = Refusal(col, v);
    if (!why.empty()) {
        Raise(kErrInputRefused, "{}: column {} ('{}') does not take the value: {}", Label(), col,
              column.def.caption, why);
    }
    rows_[static_cast<std::size_t>(row - 1)].cells[static_cast<std::size_t>(col - 1)] =
        AsType(column.def, v);
    Changed();
    cellChanged_.Raise(col, row);
}

void KVSpread::UserCommand() {
    RequireInteractive("commands");
    command_.Raise();
}

void KVSpread::UserSaveRequest() {
    RequireInteractive("commands");
    saveRequest_.Raise();
}

bool KVSpread::ReadSpecial(const std::string& name, host::Variant& out) const {
    if (host::IEquals(name, "nrcols")) {
        out = ColumnCount();
        return true;
    }
    std::int32_t col = 0;
    std::string attribute;
    if (!ParseColumnProperty(name, col, attribute)) return false;
    CheckColumn(col);
    out = ColumnAttribute(columns_[static_cast<std::size_t>(col - 1)], attribute, name, Label());
    return true;
}

bool KVSpread::WriteSpecial(const std::string& name, const host::Variant& v) {
    if (host::IEquals(name, "nrcols")) {
        SetColumnCount(Int(name, v));
        return true;
    }
    std::int32_t col = 0;
    std::string attribute;
    if (!ParseColumnProperty(name, col, attribute)) return false;
    CheckColumn(col);
    SetColumnAttribute(columns_[static_cast<std::size_t>(col - 1)], attribute, v, name, Label());
    return true;
}

bool KVSpread::ReleaseExtender() {
    rowSelected_.Clear();
    cellChanged_.Clear();
    command_.Clear();
    saveRequest_.Clear();
    DropStateListeners();
    return true;
}

}  // namespace controls
