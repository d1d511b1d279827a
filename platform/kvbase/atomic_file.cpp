#include "platform/kvbase/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <fmt/format.h>

#include "host/error.h"

namespace kvbase {
namespace {

constexpr host::Status kErrFile = 0x7FFF0403;  // a file cannot be written or replaced

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err) {
    throw host::Error(kErrFile, fmt::format("{} '{}': {}", what, path, std::strerror(err)));
}

}  // namespace

namespace {

// The content in a new temporary file beside path, synced; its name.
std::string WriteTemporary(const std::string& path, const std::string& content) {
    std::string tmp = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) Fail("cannot create a file beside", path, errno);
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            Fail("cannot write", path, err);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::fchmod(fd, 0644) != 0) {
        int err = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        Fail("cannot write", path, err);
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        Fail("cannot write", path, err);
    }
    return tmp;
}

}  // namespace

void WriteFileAtomic(const std::string& path, const std::string& content) {
    const std::string tmp = WriteTemporary(path, content);
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        Fail("cannot replace", path, err);
    }
}

bool WriteNewFileAtomic(const std::string& path, const std::string& content) {
    const std::string tmp = WriteTemporary(path, content);
    // Into place only where no file is: a second name for the temporary file
    // is made only when path is free, in one step.
    int err = ::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0
                  ? 0
                  : errno;
    if (err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) {
        // A file system without that rename: a hard link fails the same way.
        err = ::link(tmp.c_str(), path.c_str()) == 0 ? 0 : errno;
        ::unlink(tmp.c_str());
    } else if (err != 0) {
        ::unlink(tmp.c_str());
    }
    if (err == EEXIST) return false;
    if (err != 0) Fail("cannot create", path, err);
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail("cannot open", path, errno ? errno : ENOENT);
    // Straight into the text, sized once: a run's data file can be tens of MB.
    std::string content;
    // A pipe or a terminal has no size to learn: it is read to its end.
    if (in.seekg(0, std::ios::end)) {
        const std::streamoff size = in.tellg();
        in.seekg(0, std::ios::beg);
        if (size > 0) content.reserve(static_cast<std::size_t>(size));
    }
    in.clear();
    char block[1 << 16];
    while (in.read(block, sizeof block) || in.gcount() > 0)
        content.append(block, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) Fail("cannot read", path, errno);
    return content;
}

}  // namespace kvbase
