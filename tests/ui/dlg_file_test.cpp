#include "ui/dlg_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ui/fake_host.h"

namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;
using Rect = std::tuple<int, int, int, int>;

constexpr host::WindowHandle kOwner = 4242;

class DlgFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("dlg_file_" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        host_->dialogs.RegisterWindow(kOwner, {100, 100, 900, 700});
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::int32_t SaveAs(std::string& name, const std::string& list = "",
                        const std::string& defExt = "txt") {
        return ui::SaveFileDialog(kOwner, "Save File", list, dir_.string(), defExt, name);
    }
    // Where the dialog ends up when the system first puts it at placement.
    Rect ShowOver(const host::WinRect& owner, const host::WinRect& placement) {
        host_->dialogs.RegisterWindow(kOwner, owner);
        host_->dialogs.SetDialogPlacement(placement);
        std::string name;
        SaveAs(name);
        const host::WinRect r = host_->dialogs.LastDialog().finalRect;
        return {r.left, r.top, r.right, r.bottom};
    }

    testhost::ScopedHost host_;
    fs::path dir_;
};

TEST_F(DlgFileTest, BuildFilter_WritesPairsWithAllFilesLast) {
    EXPECT_EQ(ui::BuildFilter("Text files;txt,*.*"),
              "Text files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0\0\0"s);
    EXPECT_EQ(ui::BuildFilter("txt"), "(*.txt)\0*.txt\0\0\0"s);
    EXPECT_EQ(ui::BuildFilter("Data;dat,Text;txt"),
              "Data (*.dat)\0*.dat\0Text (*.txt)\0*.txt\0\0\0"s);
    EXPECT_EQ(ui::BuildFilter("*.*,Text;.txt"), "Text (*.txt)\0*.txt\0All Files (*.*)\0*.*\0\0\0"s);
    EXPECT_EQ(ui::BuildFilter("dat,,txt"), "(*.dat)\0*.dat\0\0\0"s);
    EXPECT_EQ(ui::BuildFilter("Run: A;dat"), "Run\0 A (*.dat)\0*.dat\0\0\0"s);
}

TEST_F(DlgFileTest, FilterIndexOf_CountsEntriesAsTheFilterWasBuilt) {
    EXPECT_EQ(ui::FilterIndexOf("Data;dat,Text;txt", "txt"), 2);
    EXPECT_EQ(ui::FilterIndexOf("txt", "txt"), 1);  // only ";txt" matches
    EXPECT_EQ(ui::FilterIndexOf("data;DAT,Text;txt", "dat"), 1);
    EXPECT_EQ(ui::FilterIndexOf("A;txt,B;dat,C;txt", "txt"), 3);
    // "*.*" moves to the end of the filter; items after ",," are not offered.
    EXPECT_EQ(ui::FilterIndexOf("Data;dat,*.*,Text;txt", "txt"), 2);
    EXPECT_EQ(ui::FilterIndexOf("Text;txt,All;*.*", "*.*"), 2);
    EXPECT_EQ(ui::FilterIndexOf("Data;dat,,Text;txt", "txt"), 1);
}

TEST_F(DlgFileTest, SaveFileDialog_FillsTheRequest) {
    std::string name = "result";
    EXPECT_EQ(
        ui::SaveFileDialog(kOwner, "Save File", "Data;dat,Text;txt", dir_.string(), "txt", name),
        -1);
    const host::OpenFileNameA& r = host_->dialogs.LastDialog().request;
    EXPECT_EQ(std::tie(r.structSize, r.owner, r.instance, r.filterIndex, r.maxFile, r.flags),
              std::make_tuple(76u, kOwner, std::intptr_t{0}, 2u, 512u, 0x88082Eu));
    EXPECT_EQ(r.filter, ui::BuildFilter("Data;dat,Text;txt"));
    EXPECT_EQ(r.file, "result" + std::string(506, '\0'));
    EXPECT_EQ(r.initialDir, dir_.string() + '\0');
    EXPECT_EQ(r.title, "Save File\0"s);
    EXPECT_EQ(r.defExt, "txt\0"s);
    EXPECT_EQ(
        std::tie(r.customFilter, r.maxCustomFilter, r.fileTitle, r.maxFileTitle, r.templateName),
        std::make_tuple(""s, 0u, ""s, 0u, ""s));
    EXPECT_EQ(r.hook, &ui::CenterDialogHook);
}

TEST_F(DlgFileTest, SaveFileDialog_DefaultsOfferTextAndAllFilesAndAppendTheExtension) {
    host_->dialogs.AnswerPath((dir_ / "plate7").string());
    std::string name;
    ASSERT_EQ(SaveAs(name), 0);
    EXPECT_EQ(name, (dir_ / "plate7.txt").string());
    EXPECT_EQ(host_->dialogs.LastDialog().request.filter,
              "(*.txt)\0*.txt\0All Files (*.*)\0*.*\0\0\0"s);
    EXPECT_EQ(host_->dialogs.LastDialog().shownFilter, 1u);

    ASSERT_EQ(SaveAs(name, "", ""), 0);
    EXPECT_EQ(host_->dialogs.LastDialog().request.filter, "All Files (*.*)\0*.*\0\0\0"s);
    EXPECT_EQ(name, (dir_ / "plate7").string());
}

TEST_F(DlgFileTest, SaveFileDialog_CancelAndFailuresKeepTheName) {
    std::string name = "keep me";
    EXPECT_EQ(SaveAs(name), -1);  // cancelled
    host_->dialogs.AnswerPath(dir_.string() + "/" + std::string(600, 'a'));
    EXPECT_EQ(SaveAs(name), -1);  // the choice does not fit the buffer
    EXPECT_EQ(name, "keep me");
    EXPECT_EQ(host_->dialogs.DialogCount(), 2);

    // A proposed name needs room for its NUL: 511 characters fit, 512 do not.
    host_->dialogs.AnswerPath((dir_ / "x.txt").string());
    std::string fits(511, 'n'), full(512, 'n');
    EXPECT_EQ(SaveAs(fits), 0);
    EXPECT_EQ(SaveAs(full), -1);
    EXPECT_EQ(full, std::string(512, 'n'));
    EXPECT_EQ(host_->dialogs.DialogCount(), 3);
}

TEST_F(DlgFileTest, SaveFileDialog_ReplacesAnExistingFileOnlyWhenThePersonAgrees) {
    std::ofstream(dir_ / "old.txt") << "x";
    host_->dialogs.AnswerPath((dir_ / "old").string());
    std::string name;
    EXPECT_EQ(SaveAs(name), -1);
    EXPECT_TRUE(host_->dialogs.LastDialog().askedToReplace);
    host_->dialogs.SetReplaceExisting(true);
    EXPECT_EQ(SaveAs(name), 0);
    EXPECT_EQ(name, (dir_ / "old.txt").string());
}

TEST_F(DlgFileTest, CenterDialogHook_CentresOverTheOwnerTruncatingHalves) {
    EXPECT_EQ(ShowOver({100, 100, 900, 700}, {0, 0, 600, 400}), Rect(200, 200, 800, 600));
    EXPECT_EQ(ShowOver({-300, -300, 300, 200}, {10, 10, 613, 515}), Rect(-301, -302, 302, 203));
}

TEST_F(DlgFileTest, CenterDialogHook_OwnerOffScreenLeavesTheDialogWhereItWas) {
    EXPECT_EQ(ShowOver({-900, 100, 0, 700}, {5, 6, 605, 406}), Rect(5, 6, 605, 406));
    EXPECT_EQ(ShowOver({100, -700, 900, -1}, {5, 6, 605, 406}), Rect(5, 6, 605, 406));
    EXPECT_EQ(ui::CenterDialogHook(1, host::kWmInitDialog + 1, 0, 0), 0);
    host::SetCurrentHost(nullptr);
    EXPECT_EQ(ui::CenterDialogHook(1, host::kWmInitDialog, 0, 0), 0);
}

}  // namespace
