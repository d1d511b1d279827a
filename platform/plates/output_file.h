#pragma once
// Writing an export or a picture where a person asked for it: checked before
// anything is made, then written whole or not at all.
#include <string>

#include "host/services.h"

namespace plates {

// Raises host::Error(kErrResults) when path exists and overwrite is false (also
// when it appears while content is written), when its folder does not exist,
// or when it names the input file; otherwise writes content atomically
// (raising with the reason when that fails, nothing left behind). The
// refusals speak the language of texts (English without).
void WriteOutputFile(const std::string& path, const std::string& content, bool overwrite,
                     const std::string& input, const host::TextCatalog* texts = nullptr);

// The same checks alone, for a caller that wants to refuse before working.
void CheckOutputFile(const std::string& path, bool overwrite, const std::string& input,
                     const host::TextCatalog* texts = nullptr);

}  // namespace plates
