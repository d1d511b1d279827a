#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include "host/context.h"
#include "qt/qt_support.h"
#include "ui/dlg_file.h"

namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

constexpr host::WindowHandle kOwner = 0x5150;

// The dialog's own accept, as its Save button runs it.
void Accept(QFileDialog* dialog) {
    static_cast<QDialog*>(dialog)->accept();
}

class QtFileDialogsTest : public qttest::QtTest {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("qt_dialogs_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        host_ = std::make_shared<qttest::QtTestHost>();
        host::SetCurrentHost(host_);
        owner_.setGeometry(100, 100, 800, 600);
        owner_.show();
        host_->Windows().Register(kOwner, &owner_);
    }
    void TearDown() override {
        host::SetCurrentHost(nullptr);
        fs::remove_all(dir_);
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    host::OpenFileNameA Request(const std::string& filter, std::uint32_t flags = 0) {
        host::OpenFileNameA r;
        r.structSize = 76;
        r.owner = kOwner;
        r.filter = filter;
        r.filterIndex = 1;
        r.file = std::string(512, '\0');
        r.maxFile = 512;
        r.initialDir = dir_.string() + '\0';
        r.title = "Save File"s + '\0';
        r.defExt = "txt"s + '\0';
        r.flags = flags;
        return r;
    }
    qtview::QtFileDialogs& Dialogs() {
        return static_cast<qtview::QtFileDialogs&>(host_->Dialogs());
    }

    fs::path dir_;
    std::shared_ptr<qttest::QtTestHost> host_;
    QWidget owner_;
};

TEST_F(QtFileDialogsTest, SaveFileDialog_OffersTheFilterCentresOverTheOwnerAndAppendsTheExtension) {
    qttest::WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Save File");
        EXPECT_EQ(dialog->nameFilters(), (QStringList{"(*.txt)", "All Files (*.*)"}));
        EXPECT_EQ(dialog->selectedNameFilter(), "(*.txt)");
        EXPECT_EQ(dialog->defaultSuffix(), "txt");
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        const QPoint offset = dialog->frameGeometry().center() - owner_.frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << ", " << offset.y();
        dialog->selectFile(QString::fromStdString(Path("result")));
        Accept(dialog);
    });
    std::string name;
    ASSERT_EQ(ui::SaveFileDialog(kOwner, "Save File", "", dir_.string(), "txt", name), 0);
    EXPECT_EQ(name, Path("result.txt"));
}

TEST_F(QtFileDialogsTest, SaveFileDialog_CancelKeepsTheCallersName) {
    qttest::WhenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    std::string name = "kept.txt";
    EXPECT_EQ(ui::SaveFileDialog(kOwner, "Save File", "", "", "txt", name), -1);
    EXPECT_EQ(name, "kept.txt");
    EXPECT_TRUE(Dialogs().LastFailure().empty());
}

TEST_F(QtFileDialogsTest, Request_ThePersonsFilterIsWrittenBackAndOverwriteFollowsTheFlag) {
    auto request = Request("Data (*.dat)\0*.dat\0Text (*.txt)\0*.txt\0\0"s);
    request.filterIndex = 2;
    qttest::WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        EXPECT_EQ(dialog->selectedNameFilter(), "Text (*.txt)");
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        dialog->selectNameFilter("Data (*.dat)");
        dialog->selectFile(QString::fromStdString(Path("run.csv")));
        Accept(dialog);
    });
    ASSERT_EQ(Dialogs().GetSaveFileNameA(request), 1);
    EXPECT_EQ(request.file.size(), 512u);
    EXPECT_EQ(ui::TrimAtNul(request.file), Path("run.csv"));
    EXPECT_EQ(request.filterIndex, 1u);
    EXPECT_EQ(request.file.substr(request.fileOffset, 7), "run.csv");
}

TEST_F(QtFileDialogsTest, Request_AFolderThatIsNotThereIsRefusedWithAWarningAndAskedAgain) {
    const fs::path missing = dir_ / "missing";
    auto request = Request("(*.txt)\0*.txt\0\0"s, ui::kOfnPathMustExist);
    QString warning;
    bool askedAgain = false;
    qttest::WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText("missing/plate");
        qttest::WhenModal([&warning, &askedAgain](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(message, nullptr);
            warning = message->text();
            // Once the warning is read, the person cancels the dialog.
            qttest::WhenModal([&askedAgain](QWidget* again) {
                askedAgain = qobject_cast<QFileDialog*>(again) != nullptr;
                qobject_cast<QDialog*>(again)->reject();
            });
            message->accept();
        });
        QTest::keyClick(name, Qt::Key_Return);
    });
    EXPECT_EQ(Dialogs().GetSaveFileNameA(request), 0);
    EXPECT_TRUE(warning.contains(QString::fromStdString(missing.string())))
        << warning.toStdString();
    EXPECT_TRUE(askedAgain);
    EXPECT_TRUE(Dialogs().LastFailure().empty());  // the person cancelled
    EXPECT_EQ(request.file, std::string(512, '\0'));

    // Without the flag the same answer is the choice.
    qttest::WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("missing/plate");
        Accept(dialog);
    });
    auto unchecked = Request("(*.txt)\0*.txt\0\0"s);
    ASSERT_EQ(Dialogs().GetSaveFileNameA(unchecked), 1);
    EXPECT_EQ(ui::TrimAtNul(unchecked.file), (missing / "plate.txt").string());
}

TEST_F(QtFileDialogsTest, Request_ThatCannotBeHonouredFailsWithoutADialog) {
    auto wrongSize = Request("(*.txt)\0*.txt\0\0"s);
    wrongSize.structSize = 60;
    EXPECT_EQ(Dialogs().GetSaveFileNameA(wrongSize), 0);
    EXPECT_NE(Dialogs().LastFailure().find("76"), std::string::npos);

    auto openFilter = Request("(*.txt)\0*.txt"s);
    EXPECT_EQ(Dialogs().GetSaveFileNameA(openFilter), 0);
    auto noHook = Request("(*.txt)\0*.txt\0\0"s, ui::kOfnEnableHook);
    EXPECT_EQ(Dialogs().GetSaveFileNameA(noHook), 0);
    auto shortBuffer = Request("(*.txt)\0*.txt\0\0"s);
    shortBuffer.file = "x";
    EXPECT_EQ(Dialogs().GetSaveFileNameA(shortBuffer), 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(QtFileDialogsTest, Request_APathLongerThanTheBufferIsNoChoice) {
    auto request = Request("(*.txt)\0*.txt\0\0"s);
    request.maxFile = 16;
    request.file = std::string(16, '\0');
    qttest::WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        dialog->selectFile(QString::fromStdString(Path("a-rather-long-name.txt")));
        Accept(dialog);
    });
    EXPECT_EQ(Dialogs().GetSaveFileNameA(request), 0);
    EXPECT_NE(Dialogs().LastFailure().find("does not fit"), std::string::npos);
    EXPECT_EQ(request.file, std::string(16, '\0'));
}

TEST_F(QtFileDialogsTest, WindowFunctions_WorkOnRegisteredWidgets) {
    host::WinRect rect;
    ASSERT_TRUE(Dialogs().GetWindowRect(kOwner, rect));
    const QRect frame = owner_.frameGeometry();  // the outer frame, as the platform gives it
    EXPECT_EQ(rect.left, frame.left());
    EXPECT_EQ(rect.right - rect.left, frame.width());
    EXPECT_EQ(rect.bottom - rect.top, frame.height());
    EXPECT_FALSE(Dialogs().GetWindowRect(0x1, rect));
    EXPECT_EQ(Dialogs().GetParent(kOwner), 0);

    QWidget child(&owner_);
    host_->Windows().Register(0x5151, &child);
    EXPECT_EQ(Dialogs().GetParent(0x5151), kOwner);
    ASSERT_TRUE(Dialogs().MoveWindow(0x5151, 10, 20, 30, 40, true));
    EXPECT_EQ(child.geometry(), QRect(10, 20, 30, 40));
    EXPECT_FALSE(Dialogs().MoveWindow(0x5151, 0, 0, -1, 5, false));
}

}  // namespace
