#include "platform/kvbase/atomic_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "host/error.h"

namespace fs = std::filesystem;

TEST(AtomicFile, WritesReplacesAndLeavesNoTemporary) {
    fs::path dir = fs::temp_directory_path() / ("orve_atomic_test_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string path = (dir / "a.txt").string();
    kvbase::WriteFileAtomic(path, "one");
    kvbase::WriteFileAtomic(path, "two\n");
    EXPECT_EQ(kvbase::ReadFile(path), "two\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(AtomicFile, MissingDirectoryRaisesNamingThePath) {
    try {
        kvbase::WriteFileAtomic("/nonexistent-dir/x.txt", "x");
        FAIL();
    } catch (const host::Error& e) {
        EXPECT_NE(e.Text().find("/nonexistent-dir/x.txt"), std::string::npos);
    }
    EXPECT_THROW(kvbase::ReadFile("/nonexistent-dir/x.txt"), host::Error);
}
