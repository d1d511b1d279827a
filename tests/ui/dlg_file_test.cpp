#include "ui/dlg_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ui/fake_host.h"

namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

class DlgFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("dlg_file_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        host_->paths.home = dir_.string();
        host_->dialogs.RegisterWindow(kOwner, {100, 100, 900, 700});
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::int32_t SaveAs(std::string& name, const std::string& list = "",
                        const std::string& defExt = "txt") {
        return ui::SaveFileDialog(kOwner, "Save File", list, "", defExt, name);
    }

    static constexpr host::WindowHandle kOwner = 4242;
    testhost::ScopedHost host_;
    fs::path dir_;
};

TEST_F(DlgFileTest, BuildFilter_WritesEveryListFormIntoPairs) {
    EXPECT_EQ(ui::BuildFilter("Text files;txt,*.*"),
              "Text files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0\0\0"s);
    EXPECT_EQ(ui::BuildFilter("txt"), "(*.txt)\0*.txt\0\0\0"s);
    EXPECT_EQ(ui::BuildFilter("Data;dat,Text;txt"),
              "Data (*.dat)\0*.dat\0Text (*.txt)\0*.txt\0\0\0"s);
    // "*.*" goes last wherever it stands; a leading dot is not doubled.
    EXPECT_EQ(ui::BuildFilter("*.*,Text;.txt"), "Text (*.txt)\0*.txt\0All Files (*.*)\0*.*\0\0\0"s);
    // Items after an empty one are not offered.
    EXPECT_EQ(ui::BuildFilter("dat,,txt"), "(*.dat)\0*.dat\0\0\0"s);
    // A ":" splits a description like a separator does.
    EXPECT_EQ(ui::BuildFilter("Run: A;dat"), "Run\0 A (*.dat)\0*.dat\0\0\0"s);
    EXPECT_EQ(ui::BuildFilter(""), "\0\0"s);
}

TEST_F(DlgFileTest, FilterIndexOf_CountsEntriesAsTheFilterWasBuilt) {
    EXPECT_EQ(ui::FilterIndexOf("Data;dat,Text;txt", "txt"), 2);
    EXPECT_EQ(ui::FilterIndexOf("txt", "txt"), 1);  // only ";txt" matches
    EXPECT_EQ(ui::FilterIndexOf("Data;dat", "txt"), 1);
    EXPECT_EQ(ui::FilterIndexOf("data;DAT,Text;txt", "dat"), 1);  // ignoring case
    EXPECT_EQ(ui::FilterIndexOf("A;txt,B;dat,C;txt", "txt"), 3);  // the last match wins
    // "*.*" before the match moves to the end of the filter, so the entry is the first one.
    EXPECT_EQ(ui::FilterIndexOf("*.*,Text;txt", "txt"), 1);
    EXPECT_EQ(ui::FilterIndexOf("Data;dat,*.*,Text;txt", "txt"), 2);
    EXPECT_EQ(ui::FilterIndexOf("Text;txt,All;*.*", "*.*"), 2);
    // An item after ",," is not in the filter and cannot be preselected.
    EXPECT_EQ(ui::FilterIndexOf("Data;dat,,Text;txt", "txt"), 1);
}

TEST_F(DlgFileTest, TrimAtNul_EndsAtTheFirstNul) {
    EXPECT_EQ(ui::TrimAtNul("abc\0def\0"s), "abc");
    EXPECT_EQ(ui::TrimAtNul("abc"), "abc");
    EXPECT_EQ(ui::TrimAtNul("\0abc"s), "");
}

TEST_F(DlgFileTest, SaveFileDialog_FillsTheRequestFieldByField) {
    std::string name = "result";
    host_->dialogs.AnswerCancel();
    EXPECT_EQ(
        ui::SaveFileDialog(kOwner, "Save File", "Data;dat,Text;txt", "/no/such/dir", "txt", name),
        -1);

    const host::OpenFileNameA& r = host_->dialogs.LastDialog().request;
    EXPECT_EQ(r.structSize, 76u);
    EXPECT_EQ(r.owner, kOwner);
    EXPECT_EQ(r.instance, 0);
    EXPECT_EQ(r.filter, "Data (*.dat)\0*.dat\0Text (*.txt)\0*.txt\0\0\0"s);
    EXPECT_EQ(r.customFilter, "");
    EXPECT_EQ(r.maxCustomFilter, 0u);
    EXPECT_EQ(r.filterIndex, 2u);
    EXPECT_EQ(r.file, "result" + std::string(506, '\0'));
    EXPECT_EQ(r.maxFile, 512u);
    EXPECT_EQ(r.fileTitle, "");
    EXPECT_EQ(r.maxFileTitle, 0u);
    EXPECT_EQ(r.initialDir, "/no/such/dir\0"s);  // what the host's path service answered
    EXPECT_EQ(host_->paths.asked, std::vector<std::string>{"/no/such/dir"});
    EXPECT_EQ(r.title, "Save File\0"s);
    EXPECT_EQ(r.flags, 0x88082Eu);
    EXPECT_EQ(r.defExt, "txt\0"s);
    EXPECT_EQ(r.custData, 0);
    EXPECT_EQ(r.hook, &ui::CenterDialogHook);
    EXPECT_EQ(r.templateName, "");
    EXPECT_EQ(ui::DialogOwner(), kOwner);
}

TEST_F(DlgFileTest, SaveFileDialog_DefaultsOfferTextAndAllFilesAndAppendTheExtension) {
    host_->dialogs.AnswerPath((dir_ / "plate7").string());
    std::string name;
    ASSERT_EQ(SaveAs(name), 0);
    EXPECT_EQ(name, (dir_ / "plate7.txt").string());

    const auto& shown = host_->dialogs.LastDialog();
    using Pair = std::pair<std::string, std::string>;
    EXPECT_EQ(shown.filters, (std::vector<Pair>{{"(*.txt)", "*.txt"}, {"All Files (*.*)", "*.*"}}));
    EXPECT_EQ(shown.shownFilter, 1u);
    EXPECT_EQ(shown.initialDir, dir_.string());

    // No default extension and no list: "All Files (*.*)" alone.
    std::string other;
    ASSERT_EQ(SaveAs(other, "", ""), 0);
    EXPECT_EQ(host_->dialogs.LastDialog().request.filter, "All Files (*.*)\0*.*\0\0\0"s);
    EXPECT_EQ(host_->dialogs.LastDialog().request.filterIndex, 1u);
    EXPECT_EQ(other, (dir_ / "plate7").string());
}

TEST_F(DlgFileTest, SaveFileDialog_CancelOrFailureKeepsTheName) {
    std::string name = "keep me";
    host_->dialogs.AnswerCancel();
    EXPECT_EQ(SaveAs(name), -1);
    EXPECT_EQ(name, "keep me");

    // A chosen path that does not fit the buffer fails like a cancel.
    host_->dialogs.AnswerPath(dir_.string() + "/" + std::string(600, 'a') + ".txt");
    EXPECT_EQ(SaveAs(name), -1);
    EXPECT_EQ(name, "keep me");
    EXPECT_NE(host_->dialogs.LastFailure(), "");
}

TEST_F(DlgFileTest, SaveFileDialog_ProposedNameMustLeaveRoomForItsNul) {
    host_->dialogs.AnswerPath((dir_ / "x.txt").string());
    std::string fits(511, 'n');
    EXPECT_EQ(SaveAs(fits), 0);
    EXPECT_EQ(host_->dialogs.DialogCount(), 1);

    for (std::size_t length : {512u, 513u, 2000u}) {
        std::string name(length, 'n');
        EXPECT_EQ(SaveAs(name), -1) << length;
        EXPECT_EQ(name, std::string(length, 'n'));
    }
    EXPECT_EQ(host_->dialogs.DialogCount(), 1);  // never shown
}

TEST_F(DlgFileTest, SaveFileDialog_WithoutAHostFails) {
    host::SetCurrentHost(nullptr);
    std::string name = "n";
    EXPECT_EQ(SaveAs(name), -1);
    EXPECT_EQ(name, "n");
}

TEST_F(DlgFileTest, SaveFileDialog_ExistingFileIsReplacedOnlyWhenThePersonAgrees) {
    const fs::path existing = dir_ / "old.txt";
    std::ofstream(existing) << "x";
    host_->dialogs.AnswerPath(existing.string());
    std::string name;
    EXPECT_EQ(SaveAs(name), -1);
    EXPECT_TRUE(host_->dialogs.LastDialog().askedToReplace);

    host_->dialogs.SetReplaceExisting(true);
    EXPECT_EQ(SaveAs(name), 0);
    EXPECT_EQ(name, existing.string());
}

TEST_F(DlgFileTest, HeadlessDialog_HonoursAnswerFilterAndRelativeNames) {
    host_->dialogs.AnswerPath("sub/run.csv", 2);
    std::string name;
    ASSERT_EQ(
        ui::SaveFileDialog(kOwner, "Save File", "Data;dat,Text;txt", dir_.string(), "txt", name),
        0);
    EXPECT_EQ(name, (dir_ / "sub/run.csv").string());  // has an extension: none appended
    EXPECT_EQ(host_->dialogs.LastDialog().request.filterIndex, 2u);

    host_->dialogs.AnswerPath("run", 3);  // only two entries are offered
    EXPECT_EQ(
        ui::SaveFileDialog(kOwner, "Save File", "Data;dat,Text;txt", dir_.string(), "txt", name),
        -1);
    EXPECT_EQ(name, (dir_ / "sub/run.csv").string());
}

// Centring: the owner is registered, the system first places the dialog at the placement.
class CenterDialogHookTest : public DlgFileTest {
  protected:
    host::WinRect ShowOver(const host::WinRect& owner, const host::WinRect& placement) {
        host_->dialogs.RegisterWindow(kOwner, owner);
        host_->dialogs.SetDialogPlacement(placement);
        std::string name;
        SaveAs(name);
        EXPECT_TRUE(host_->dialogs.LastDialog().hookCalled);
        return host_->dialogs.LastDialog().finalRect;
    }
    static std::tuple<int, int, int, int> T(const host::WinRect& r) {
        return {r.left, r.top, r.right, r.bottom};
    }
};

TEST_F(CenterDialogHookTest, CentresOverTheOwner) {
    EXPECT_EQ(T(ShowOver({100, 100, 900, 700}, {0, 0, 600, 400})), T({200, 200, 800, 600}));
    // A dialog larger than its owner; the halves truncate toward zero.
    EXPECT_EQ(T(ShowOver({-300, -300, 300, 200}, {10, 10, 613, 515})), T({-301, -302, 302, 203}));
}

TEST_F(CenterDialogHookTest, OwnerOffScreenLeavesTheDialogWhereItWas) {
    EXPECT_EQ(T(ShowOver({-900, 100, 0, 700}, {5, 6, 605, 406})), T({5, 6, 605, 406}));
    EXPECT_EQ(T(ShowOver({100, -700, 900, -1}, {5, 6, 605, 406})), T({5, 6, 605, 406}));
    host_->dialogs.UnregisterWindow(kOwner);  // unknown owner: an empty rectangle
    host_->dialogs.SetDialogPlacement({5, 6, 605, 406});
    std::string name;
    SaveAs(name);
    EXPECT_EQ(T(host_->dialogs.LastDialog().finalRect), T({5, 6, 605, 406}));
}

TEST_F(CenterDialogHookTest, OtherMessagesAndMissingHostDoNothing) {
    host_->dialogs.RegisterWindow(77, {0, 0, 10, 10}, 78);
    host_->dialogs.RegisterWindow(78, {0, 0, 10, 10});
    EXPECT_EQ(ui::CenterDialogHook(77, host::kWmInitDialog + 1, 0, 0), 0);
    host::WinRect r;
    host_->dialogs.GetWindowRect(78, r);
    EXPECT_EQ(T(r), T({0, 0, 10, 10}));
    host::SetCurrentHost(nullptr);
    EXPECT_EQ(ui::CenterDialogHook(77, host::kWmInitDialog, 0, 0), 0);
}

}  // namespace
