// Where the desktop host keeps every run's acquisition data.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "host/error.h"
#include "platform/loader/measurement_run.h"

namespace {

namespace fs = std::filesystem;

TEST(RunDataPath, MakesTheFolderAndReservesAFileNoOneElseGets) {
    const fs::path folder =
        fs::temp_directory_path() / ("run-files-" + std::to_string(::getpid())) / "runs";
    fs::remove_all(folder.parent_path());
    const std::string first = loader::NewRunDataPath(folder.string());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(fs::path(first).parent_path(), folder);
    EXPECT_EQ(fs::path(first).filename().string().rfind("Run-", 0), 0u);
    EXPECT_EQ(fs::path(first).extension(), ".json");
    // Reserved empty at once: the next one, even within the same second, is another file.
    EXPECT_TRUE(fs::exists(first));
    EXPECT_EQ(fs::file_size(first), 0u);
    const std::string second = loader::NewRunDataPath(folder.string());
    EXPECT_NE(second, first);
    EXPECT_TRUE(fs::exists(second));

    // A file where the folder should be: refused with its name.
    const fs::path blocked = folder / "blocked";
    std::ofstream(blocked) << "x";
    try {
        loader::NewRunDataPath(blocked.string());
        ADD_FAILURE() << "a file is not a folder";
    } catch (const host::Error& e) {
        EXPECT_NE(e.Text().find(blocked.string()), std::string::npos) << e.Text();
    }
    fs::remove_all(folder.parent_path());
}

}  // namespace
