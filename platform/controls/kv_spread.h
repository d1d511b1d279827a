#pragma once
// The grid: designed or added columns, rows of cells addressed (column, row)
// from 1, row captions and an active row.
//
// - The grid never grows silently: a cell, row or column outside it raises
//   host::Error saying where the grid ends. Row and column counts change only
//   through SetRowCount, SetColumnCount, InsertRow, DeleteRow, AddColumn, Reset
//   and the designed "nrcols".
// - The active row follows its row: inserting at or above it moves it down,
//   deleting above it moves it up. Deleting it, cutting the rows below it or a
//   Reset leaves no active row (0) and raises row-selected with 0: the rows
//   changed under the selection, and whoever enables actions by the selection
//   must hear that it is gone. Otherwise only a person's selection
//   (UserSelectRow) raises row-selected.
// - SetCell (code) stores any value as written. UserEditCell (a person) is
//   refused on a locked column, and with "validate" set when the value is not
//   of the column's vartype or lies outside its range; a value it takes is
//   stored as the column's type. A disabled or hidden grid refuses every User
//   call. Refusals raise host::Error with the reason (let pass).
// - SaveToFile writes the export of table_export.h atomically and returns 0, or
//   an error number without having written anything (trap and return).
// - MenuCommand and Command are recorded in CommandLog, in order.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/services.h"
#include "platform/controls/control_base.h"
#include "platform/controls/spread_column.h"

namespace controls {

class KVSpread final : public ControlBase<host::KVSpread> {
  public:
    // numbers formats the export; it must outlive the grid.
    KVSpread(std::string name, std::int32_t index, std::string parent,
             const host::NumberFormat& numbers);

    std::int32_t RowCount() const override;
    void SetRowCount(std::int32_t n) override;
    std::int32_t ColumnCount() const override;
    void SetColumnCount(std::int32_t n) override;
    host::Variant Cell(std::int32_t col, std::int32_t row) const override;
    void SetCell(std::int32_t col, std::int32_t row, const host::Variant& v) override;
    std::string RowCaption(std::int32_t row) const override;
    void SetRowCaption(std::int32_t row, const std::string& caption) override;
    std::int32_t ActiveRow() const override { return activeRow_; }
    void InsertRow(std::int32_t row) override;
    void DeleteRow(std::int32_t row) override;
    void SetColumnRange(std::int32_t col, const std::string& range) override;
    host::ParamDef ColumnDef(std::int32_t col) const override;
    std::shared_ptr<host::ParamDefList> ColumnDefs() const override;
    std::int32_t ColumnWidth(std::int32_t col) const override;
    void Reset() override;
    void AddColumn(const host::ParamDef& def, std::int32_t width) override;
    void MenuCommand(const std::string& command) override;
    void Command() override;
    host::Status SaveToFile(const std::string& path) override;
    bool Accepts(std::int32_t col, const host::Variant& v) const override;

    void OnRowSelected(std::function<void(std::int32_t)> handler) override;
    void OnCellChanged(std::function<void(std::int32_t, std::int32_t)> handler) override;
    void OnCommand(std::function<void()> handler) override;
    void OnSaveRequest(std::function<void()> handler) override;
    void UserSelectRow(std::int32_t row) override;
    void UserEditCell(std::int32_t col, std::int32_t row, const host::Variant& v) override;
    void UserCommand() override;
    void UserSaveRequest() override;

    // True when someone answers the save request: only then does the grid's
    // popup menu offer "Save...".
    bool OffersSave() const { return !saveRequest_.Empty(); }
    // What MenuCommand and Command did: "MenuCommand <text>" and "Command".
    const std::vector<std::string>& CommandLog() const { return commandLog_; }
    // The export text SaveToFile writes; raises when a value cannot be formatted.
    std::string ExportText() const;
    // Why a person's value would be refused in that column; empty when taken.
    std::string Refusal(std::int32_t col, const host::Variant& v) const;

  private:
    bool ReadSpecial(const std::string& name, host::Variant& out) const override;
    bool WriteSpecial(const std::string& name, const host::Variant& v) override;
    bool ReleaseExtender() override;

    void CheckColumn(std::int32_t col) const;
    void CheckRow(std::int32_t row) const;
    void CheckCell(std::int32_t col, std::int32_t row) const;
    void CheckSize(std::int32_t rows, std::int32_t cols) const;
    SpreadRow BlankRow() const;
    // After rows changed: reports a selection that they took away.
    void ReportLostSelection(std::int32_t before);

    const host::NumberFormat& numbers_;
    std::vector<SpreadColumn> columns_;
    std::vector<SpreadRow> rows_;
    std::int32_t activeRow_ = 0;
    std::vector<std::string> commandLog_;
    Signal<std::int32_t> rowSelected_;
    Signal<std::int32_t, std::int32_t> cellChanged_;
    Signal<> command_;
    Signal<> saveRequest_;
};

}  // namespace controls
