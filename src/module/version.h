#pragma once
// The project's version and the commit it was built from. Defined in a source
// written at build time (cmake/version.cpp.in), in the library orve_version.
#include <string>

namespace module {

// "1.0.0".
const char* Version();
// The short hash of the commit the build came from, with "-dirty" when the
// checkout had changes; "" when it was not built from a git checkout.
const char* Commit();

// "1.0.0 (commit 0123456789ab)", or "1.0.0" without a commit.
inline std::string VersionText() {
    const std::string commit = Commit();
    return commit.empty() ? std::string(Version())
                          : std::string(Version()) + " (commit " + commit + ")";
}

}  // namespace module
