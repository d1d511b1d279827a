#pragma once
// The result table: the grid KVSResult shows one row per sample, the sample's
// ID in column 1 and the intensity read at position i in column 1 + i. Its
// intensity columns follow the rows of the position grid KVSScan.
//
// Rows: type-1 items of the acquisition data fill rows 1 … N1 (N1 = the data's
// type-1 item count), the items of every other result type follow from row
// N1 + 1. Without automatic clearing the ID cell reads "<data text>.<ID>".
// Loading data first empties the table, so readings of earlier data never
// stand beside the new ones.
//
// The text file is the grid's own export: tab-separated with one header row of
// captions; a tab, CR, LF or backslash inside an ID is written as \t, \r, \n or
// \\, so every sample stays one line.
#include <cstdint>
#include <memory>
#include <string>

#include "host/host.h"

namespace method {

// The parts of UCVIZari's control state the result table reads and writes;
// the control owns them and outlives the table.
struct ControlState {
    const bool& noAutoClear;
    std::shared_ptr<host::AcqData>& acqData;
    host::WindowHandle owner = 0;
};

// Raised for a stored result that does not fit the table or the data's items.
inline constexpr host::Status kErrStoredResult = 0x7FFF0301;

class ResultTable {
  public:
    // KVSResult is the result grid, KVSScan the position grid; all outlive the table.
    ResultTable(host::Host& host, host::KVSpread& KVSResult, host::KVSpread& KVSScan,
                ControlState state);
    ResultTable(const ResultTable&) = delete;
    ResultTable& operator=(const ResultTable&) = delete;

    // Routes the result grid's command and save-request notifications here
    // (once; a grid that outlives the table then ignores them).
    void Connect();

    // Failure policy: lets a failure pass (creation ends silently on it).
    void InitResultTable();
    // Failure policy: lets a failure pass to the caller.
    void SetResultColumns();
    // Failure policy: lets a failure pass to the caller.
    void ClearAcqData();
    // Failure policy: trap and return; the fill's own failure is not examined (returns 0).
    host::Status LoadAcqData(std::shared_ptr<host::AcqData> pData);
    // Failure policy: trap and return; rows filled before the failure stay.
    host::Status FillResultTable(const std::shared_ptr<host::AcqData>& pData);
    // Does nothing.
    void GetSelectedCurves(const std::shared_ptr<host::CurveInfo>& pInfo,
                           const std::shared_ptr<host::CurveInfo>& pCurve);
    // Forwards the command to the grid for the type "Table" (ignoring case).
    // Failure policy: lets a failure pass to the caller.
    void HandleMenuCommand(const std::string& pType, const std::string& pCommand);
    // Failure policy: lets a failure pass to the caller.
    void OnGridCommand();
    // Asks for a path and saves the table there; a cancel does nothing.
    // Failure policy: traps every failure and shows its message.
    void OnGridSaveRequest();

  private:
    void Fill(const std::shared_ptr<host::AcqData>& pData);
    // The definition of intensity column i (position i) from the "Int" one.
    host::ParamDef IntensityColumn(const host::ParamDef& base, std::int32_t i) const;

    host::Host& host_;
    host::KVSpread& KVSResult_;
    host::KVSpread& KVSScan_;
    ControlState state_;
    // The grid keeps its handlers; they reach the table only while it lives.
    std::shared_ptr<ResultTable*> self_;
    bool connected_ = false;
    // What SetResultColumns last built: the intensity columns 2 … 1 + built_
    // from builtFrom_ (0: nothing the next call can keep).
    std::int32_t built_ = 0;
    host::ParamDef builtFrom_;
};

}  // namespace method
