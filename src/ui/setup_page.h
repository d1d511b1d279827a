#pragma once
// The setup page's controls and the state the page owns: the setup-area
// height, the details-shown flag and the automatic lamp flag; the handlers of
// the setup entries, the instrument setup display, the details buttons, the
// context menu and the position list; and the layout applied on every resize.
//
// Values travel between the entries and the setup display only through a
// person's edit: an entry's edit is passed to the display by code, and the
// display's edit is copied into the entries by code, and neither control
// raises a notification for a value written by code, so nothing bounces.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/forms.h"
#include "host/param_set.h"

namespace method {
class MethodEntries;
}

namespace ui {

// Raised when "Delete Pos" would remove the method's only position.
inline constexpr host::Status kErrLastPosition = 0x7FFF0421;

class SetupPage {
  public:
    // Finds every control of the page on the form; raises when one is missing.
    explicit SetupPage(host::Form& form);

    host::Form& form;
    std::shared_ptr<host::Control> pgSetup, pnlResult, pnlSetup, pnlInst;
    std::shared_ptr<host::KVPicButton> kvpHideDetails, kvpShowDetails, kvpAddPos, kvpRemovePos,
        kvpAdjust;
    std::shared_ptr<host::KVSpread> kvsResult, kvsScan;
    std::shared_ptr<host::KVEntry> kveExSlit, kveEmSlit, kveGain, kveAutoLamp, kveIntTime;
    std::shared_ptr<host::UCORVE> ucorve;
    std::shared_ptr<host::ContextMenu> mnuPopUp;
    std::shared_ptr<host::MenuItem> mnuCopyMethod;

    std::int32_t setupAreaHeight = 0;  // twips below the result table
    bool detailsShown = false;
    bool autoLampOn = false;

    // Registers "IntTime" and "AutoLamp" as method entries and the "Int"
    // result definition in the control's entry table. Lets a failure pass
    // (creation ends silently on it).
    void InitSetupEntries(method::MethodEntries& entries);
    // Hands the setup entries (slits, time, gain) and the first position's
    // wavelengths to the instrument setup display, as the person's edits of
    // them would. Lets a failure pass.
    void ShowPageInDisplay();
    // Entry and grid ranges from the instrument's setup description; an item
    // the description lacks clears its range. Lets a failure pass.
    void ApplySetupRanges(const host::ParamDefList& description);

    // Routes every notification of the page, the form's resize included, to
    // its handler; call it once. setResultColumns rebuilds the result grid's
    // columns; adjustPos opens the adjust dialog. Lets a failure pass.
    void Connect(std::function<void()> setResultColumns, std::function<void()> adjustPos);
    // The action of the context menu's "Copy Method".
    void SetCopyMethodAction(std::function<void()> action);

    // Setup entries and display. Failure policy: end silently.
    void OnSlitOrTimeChanged(host::KVEntry& entry, const char* key);
    void OnGainChanged();
    void OnSetupChanged();
    // Failure policy: let pass.
    void OnAutoLampChanged();

    // Details and the context menu. Failure policy: let pass.
    void ShowDetails();
    void HideDetails();
    void OnMouseDown(std::int32_t button, std::int32_t x, std::int32_t y);

    // The position list. Failure policy: let pass; rows inserted or deleted stay so.
    void InsertPos();
    void DeletePos();
    void OnRowSelected(std::int32_t row);
    void OnCellChanged(std::int32_t col, std::int32_t row);

    // Layout: each step is skipped on its own when it fails.
    void ApplyLayout();

  private:
    void ShowGainInDisplay();  // lets a failure pass
    void RewriteRowCaptions();
    std::vector<std::string> rowNumbers_;  // "1", "2", ... as formatted for the captions
    // Grid, panel and setup-area heights after the rows changed; then the layout.
    void ResizeToRows(std::int32_t panelExtra);
    void SetResultColumns();

    std::function<void()> setResultColumns_;
    std::function<void()> copyMethod_;
};

}  // namespace ui
