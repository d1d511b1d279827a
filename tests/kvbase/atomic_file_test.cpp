#include "platform/kvbase/atomic_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

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

// Without replacing: a file that is there (made after any check a caller
// made) stays as it is, and nothing is left beside it.
TEST(AtomicFile, ANewFileNeverReplacesOneThatIsThere) {
    fs::path dir = fs::temp_directory_path() / ("orve_atomic_new_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "out.csv").string();
    EXPECT_TRUE(kvbase::WriteNewFileAtomic(path, "mine"));
    EXPECT_FALSE(kvbase::WriteNewFileAtomic(path, "again"));
    EXPECT_EQ(kvbase::ReadFile(path), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_THROW(kvbase::WriteNewFileAtomic((dir / "no" / "x").string(), "x"), host::Error);
    fs::remove_all(dir);
}

// A pipe has no size to ask for: it is read to its end all the same.
TEST(AtomicFile, ReadsAPipeToItsEnd) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string text = "from a pipe\n";
    ASSERT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(ends[1]);
    EXPECT_EQ(kvbase::ReadFile("/dev/fd/" + std::to_string(ends[0])), text);
    ::close(ends[0]);
}
