#include "platform/kvbase/tools.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <fmt/format.h>

#include "host/error.h"
#include "platform/kvbase/error_numbers.h"

namespace kvbase {
namespace {

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

}  // namespace

double Math::Max(double a, double b) const {
    if (std::isnan(a) || std::isnan(b)) {
        throw host::Error(kErrArgument,
                          fmt::format("cannot compare {} and {}: NaN is not a number", a, b));
    }
    return a < b ? b : a;
}

std::string Paths::InitialDirectory(const std::string& dir) const {
    if (IsDirectory(dir)) return dir;
    const char* home = std::getenv("HOME");
    if (home && IsDirectory(home)) return home;
    return "/";
}

}  // namespace kvbase
