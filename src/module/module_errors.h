#pragma once
// The module's error registry (section "AcqModule").
namespace module {

// Library start on a thread: registers "InstOffline", "InvGF" and "InvMode" in
// that order and keeps the codes. No trap: a failing registration raises to
// the caller and the remaining registrations do not happen.
void RegisterModuleErrors();

}  // namespace module
