#pragma once
// Every file the project writes goes to a temporary file beside the target and
// is renamed into place, so a crash never leaves a torn file.
#include <string>

namespace kvbase {

// Writes content to path atomically; raises host::Error naming the path on failure
// (the target is then untouched and no temporary file is left behind).
void WriteFileAtomic(const std::string& path, const std::string& content);

// The same without replacing anything: false (nothing written, nothing left
// behind) when path exists, also when it appeared while content was written.
bool WriteNewFileAtomic(const std::string& path, const std::string& content);

// Reads a whole file (a pipe too, to its end); raises host::Error naming the path when it cannot be
// read.
std::string ReadFile(const std::string& path);

}  // namespace kvbase
