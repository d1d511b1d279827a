#pragma once
// The parts of a method's stored layout that are not method entries: the
// instrument setup merged into the method's parameters, the parameters as
// clipboard text, and the ID list of the result columns.
#include <string>

#include "host/method_object.h"
#include "host/param_set.h"

namespace method {

// Writes every setup value into the method's parameter of the same ID
// (appended when the method has none), with the setup's definition and its
// flag cleared. Run after the entries, so the setup wins where both hold an ID.
// Failure policy: let pass; what was merged before the failure stays.
void MergeSetupParams(host::MethodObject& method, const host::ParamSet& setup);

// One line per method parameter: its name, a tab, the value as its definition
// formats it, and a line feed. The whole text is built before the clipboard is
// cleared, so a failure leaves the clipboard as it was.
// Failure policy: let pass.
void CopyMethodAsText(host::MethodObject& method);

// The list text of the column IDs, e.g. "{SampleID;Int[1];Int[2]}".
// Failure policy: let pass.
std::string ResultColumnIDs(const host::ParamDefList& columns);

}  // namespace method
