#include "platform/plates/output_file.h"

#include <filesystem>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/atomic_file.h"
#include "platform/kvbase/host_texts.h"
#include "platform/plates/plate_results.h"

namespace plates {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Refuse(const std::string& text) {
    throw host::Error(kErrResults, text);
}

}  // namespace

void CheckOutputFile(const std::string& path, bool overwrite, const std::string& input,
                     const host::TextCatalog* texts) {
    using kvbase::Say;
    if (path.empty()) Refuse(Say(texts, "no output file given"));
    std::error_code ec;
    if (!input.empty() && fs::equivalent(path, input, ec))
        Refuse(Say(texts, "the output '{}' is the data file itself", path));
    if (fs::is_directory(path, ec)) Refuse(Say(texts, "the output '{}' is a folder", path));
    if (fs::exists(path, ec) && !overwrite)
        Refuse(Say(texts, "the output '{}' exists already; give --overwrite to replace it", path));
    const fs::path dir = fs::path(path).parent_path();
    if (!dir.empty() && !fs::is_directory(dir, ec))
        Refuse(Say(texts, "the folder '{}' of the output '{}' does not exist", dir.string(), path));
}

void WriteOutputFile(const std::string& path, const std::string& content, bool overwrite,
                     const std::string& input, const host::TextCatalog* texts) {
    CheckOutputFile(path, overwrite, input, texts);
    if (overwrite) {
        kvbase::WriteFileAtomic(path, content);
    } else if (!kvbase::WriteNewFileAtomic(path, content)) {
        // Made by someone else since the check: theirs stays.
        Refuse(kvbase::Say(texts,
                           "the output '{}' appeared while it was being made; give --overwrite to "
                           "replace it",
                           path));
    }
}

}  // namespace plates
