#pragma once
// DlgAdjust, "Adjust Reader Position": steers the plate reader with four arrow
// buttons in steps of 0.2, 1 or 5 mm while the instrument moves after every
// press, and lights the sample with white light. The caller loads a fresh
// dialog, calls Setup, shows it modally, reads XPos / YPos when Accepted and
// unloads it (the destructor does).
//
// The coordinate entries keep the exact sums of the steps; the instrument gets
// them with one decimal. Nothing is moved back on "Cancel".
#include <cstdint>
#include <memory>

#include "host/forms.h"

namespace proxy {
class CORVEProxy;
}

namespace ui {

// An arrow press with no instrument to move.
inline constexpr host::Status kErrNoInstrumentToMove = 0x7FFF0431;
// An arrow press whose coordinates are no finite numbers (never sent).
inline constexpr host::Status kErrPositionNotFinite = 0x7FFF0432;

class DlgAdjust {
  public:
    // Loads the form from its description through the thread's host: step
    // "0.2 mm", "White light" off, not accepted. Lets a failure pass.
    DlgAdjust();
    // Unloads: the form's handlers go quiet and the proxy is dropped.
    ~DlgAdjust();
    DlgAdjust(const DlgAdjust&) = delete;
    DlgAdjust& operator=(const DlgAdjust&) = delete;

    // Keeps the proxy (which may be null: an arrow press then reports that
    // there is no instrument) and shows the coordinates. Sends nothing.
    void Setup(proxy::CORVEProxy* pInst, double pXPos, double pYPos);
    // Lets pass: the coordinate entries' values (0 while empty).
    double XPos() const;
    double YPos() const;
    bool Accepted() const { return accepted_; }

    // Shows the dialog modally over owner; returns once it is hidden.
    // Lets a failure of the forms runtime pass.
    void Show(host::WindowHandle owner);
    host::Form& Form() { return *form_; }

    // The handlers, as the form's controls call them.
    // Arrow press (index 1 left, 2 up, 3 right, 4 down). Failure policy: trap;
    // the message text of the error goes to the status text, the dialog stays
    // open and the entries keep their new values.
    void OnArrow(std::int32_t index) noexcept;
    // "White light" changed. Failure policy: end silently at the first failure.
    void OnWhiteLightChanged() noexcept;
    // "OK" / Enter accepts, "Cancel" / Esc / closing the window does not; both
    // hide the dialog. Failure policy: let pass (hiding has no failure path).
    void OnOk();
    void OnCancel();

    // The selected step in mm; 0.2 when no step is selected. Lets pass.
    double Step() const;

  private:
    void Connect();

    std::shared_ptr<host::Form> form_;
    std::shared_ptr<host::KVEntry> kvePosX_, kvePosY_, kveLampOn_;
    proxy::CORVEProxy* inst_ = nullptr;
    bool accepted_ = false;
    // Handlers hold a weak reference: a view that keeps the form past the
    // unload finds the dialog gone and does nothing.
    std::shared_ptr<int> alive_;
};

}  // namespace ui
