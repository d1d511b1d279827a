#pragma once
// The method entry table: page entries bound to method parameters by ID, the
// method's result definitions, and the "Method" error codes. Each control owns
// its own table: two controls on one thread never read or write each other's
// page through it, and releasing one leaves the other's table whole.
//
// A list entry's value is stored by its position in the list the entry had
// when it was registered, so a method holds "On"/"Off" even when the page's
// list texts were localised to other words.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/control.h"
#include "host/method_object.h"
#include "host/param_def.h"

namespace method {

// Raised when the table is used before InitEntries or after ClearEntries.
inline constexpr host::Status kErrEntriesNotReady = 0x7FFF0311;
// Raised when a registration is handed no control.
inline constexpr host::Status kErrNoEntryControl = 0x7FFF0312;

class MethodEntries {
  public:
    // Registers the "DupID", "EmptyID" and "InvalidEntry" errors (a later call
    // gets the same codes back), creates an empty result-definition list and
    // empties the table. Lets a failure pass.
    void InitEntries();

    // Releases every control and the result-definition list; the table is then
    // not ready until the next InitEntries. Never fails.
    void ClearEntries() noexcept;

    // Adds a result definition with its flag and, when not empty, its text.
    // Lets a failure pass.
    void AddResultDef(const host::ResultDef& def, const std::string& text, std::int32_t flag);

    // Registers a control under an ID (the control's own id when the ID is empty)
    // and a display name. An empty ID gives the "EmptyID" status, an ID already
    // registered (ignoring case) or a control already registered the "DupID"
    // status; then nothing is registered and the control's id is left as it was.
    // Failure policy: trap and return.
    host::Status AddEntry(std::shared_ptr<host::KVEntry> control, const std::string& id,
                          const std::string& displayName);

    // Index (from 1, registration order) of the entry whose control's id matches,
    // ignoring case; -1 when none does.
    std::int32_t FindEntry(const std::string& id) const;

    // Writes the result definitions and every entry's value, definition and
    // display name into the method. A list value that is no item of its list is
    // refused with the "InvalidEntry" status. Failure policy: trap and return;
    // what was written before the failure stays.
    host::Status EntriesToMethod(host::MethodObject& method);

    // Sets every registered entry from the method parameter with its ID; others
    // are skipped. A stored list value that is no item of the registered list
    // leaves the entry empty and gives the "InvalidEntry" status.
    // Failure policy: ignore step by step; returns the last error number, or 0.
    host::Status EntriesFromMethod(host::MethodObject& method);

    // 0 when every entry holds a valid value, else the "InvalidEntry" status; an
    // entry whose validity query fails counts as invalid. Failure policy: trap and return.
    host::Status ValidateEntries() const;

    // Number of registered entries.
    std::int32_t EntryCount() const;

  private:
    struct MethodEntry {
        std::shared_ptr<host::KVEntry> Control;
        std::string ListRange;  // the list as registered; empty for a plain entry
        std::string DisplayName;
    };
    // Raises kErrEntriesNotReady before InitEntries.
    void RequireInitialised() const;
    host::ResultDefList& ResultDefs();
    [[noreturn]] void RaiseInvalid(const std::string& why) const;

    bool initialised_ = false;
    std::int32_t dupId_ = 0;
    std::int32_t emptyId_ = 0;
    std::int32_t invalidEntry_ = 0;
    std::shared_ptr<host::ResultDefList> resultDefs_;
    std::vector<MethodEntry> entries_;
};

}  // namespace method
