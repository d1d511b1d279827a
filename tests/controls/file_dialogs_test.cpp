#include "platform/controls/file_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/controls/save_request.h"

namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

class HeadlessSaveDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("headless_dialogs_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    host::OpenFileNameA Request(std::uint32_t flags) const {
        host::OpenFileNameA r;
        r.structSize = 76;
        r.filter = "(*.txt)\0*.txt\0\0"s;
        r.filterIndex = 1;
        r.file = std::string(512, '\0');
        r.maxFile = 512;
        r.initialDir = dir_.string() + '\0';
        r.defExt = "txt"s + '\0';
        r.flags = flags;
        return r;
    }
    // The chosen path, or the failure text when the dialog chose nothing.
    std::string Choose(const std::string& answer, std::uint32_t flags) {
        dialogs_.AnswerPath(answer);
        auto request = Request(flags);
        if (dialogs_.GetSaveFileNameA(request) != 1) return "failed: " + dialogs_.LastFailure();
        return request.file.substr(0, request.file.find('\0'));
    }

    fs::path dir_;
    controls::HeadlessFileDialogs dialogs_;
};

TEST_F(HeadlessSaveDialog, PathMustExist_RefusesAFolderThatIsNotThereNamingIt) {
    using controls::request::kPathMustExist;
    const fs::path missing = dir_ / "missing";
    EXPECT_EQ(Choose((missing / "plate").string(), kPathMustExist),
              "failed: the folder '" + missing.string() + "' does not exist");
    // A relative answer is looked for inside the initial directory.
    EXPECT_EQ(Choose("missing/plate", kPathMustExist),
              "failed: the folder '" + missing.string() + "' does not exist");
    std::ofstream(dir_ / "file.txt") << "x";
    EXPECT_EQ(Choose((dir_ / "file.txt" / "plate").string(), kPathMustExist)
                  .rfind("failed: the folder", 0),
              0u);  // a file is no folder

    EXPECT_EQ(Choose("plate", kPathMustExist), (dir_ / "plate.txt").string());
    // Without the flag the folder is whoever writes the file's concern.
    EXPECT_EQ(Choose((missing / "plate").string(), 0), (missing / "plate.txt").string());
    EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
