// A person on the setup page in a window: inserts a position, types a
// wavelength, steers the reader with "Adjust Pos" and reads the row back.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "module/class_factory.h"
#include "module/ucvizari.h"
#include "platform/kvdova/documents.h"
#include "platform/loader/host_session.h"
#include "platform/qnserver/server_factory.h"
#include "platform/qt/command_button_view.h"
#include "platform/qt/entry_view.h"
#include "platform/qt/form_dialog.h"
#include "platform/qt/form_view.h"
#include "platform/qt/option_button_view.h"
#include "platform/qt/pic_button_view.h"
#include "platform/qt/spread_table_model.h"
#include "platform/qt/spread_view.h"
#include "qt/qt_support.h"

namespace {

using qtview::SpreadTableModel;

class AdjustScenarioTest : public qttest::QtTest {
  protected:
    void SetUp() override {
        host_ = std::make_shared<qttest::QtTestHost>();
        auto& reference = host_->Reference();
        reference.Simulator().GetInstrument().GetTranscript().SetStream(&transcript_);
        reference.Factory().SetModalRunner(qtview::ModalDialogRunner(Context()));
        control_ = module::TheClassFactory().CreateInstance(host_);
        auto rights = kvdova::NewUserRights({{"CProcess", "Create"}});
        auto config = kvdova::NewUserConfig();
        host::ParamDef d;
        d.id = "AutoClearResults";
        d.dataType = host::kTypeBoolean;
        config->Settings()->Add(d, host::Variant(true));
        ASSERT_EQ(control_->SetupModule(config, rights), 0);
        ASSERT_EQ(control_->SetInstrument(1, loader::SimulatedInstrumentInfo(reference)), 0);
        ASSERT_EQ(control_->UpdateConfigDisplay(), 0);
        control_->ClearMethod();
        control_->DisplayPage(1, host::kVFalse);
        page_ = std::make_unique<qtview::FormView>(control_->Surface(), Context());
        page_->show();
        grid_ = page_->ViewAs<qtview::SpreadView>("KVSScan");
        ASSERT_NE(grid_, nullptr);
    }
    void TearDown() override {
        page_.reset();
        control_->ReleaseExtender();
        control_.reset();
        host::SetCurrentHost(nullptr);
    }
    qtview::ViewContext Context() { return reports_.Context(&host_->Windows()); }

    void Click(const char* button) {
        auto* view = page_->ViewAs<qtview::PicButtonView>(button);
        ASSERT_NE(view, nullptr) << button;
        QTest::mouseClick(view->Button(), Qt::LeftButton);
    }
    QModelIndex Cell(int col, int row) { return grid_->TableModel()->index(row - 1, col - 1); }
    double Value(int col, int row) {
        return Cell(col, row).data(SpreadTableModel::kValueRole).toDouble();
    }
    void SelectRow(int row) {
        QTableView& table = *grid_->Table();
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {},
                          table.visualRect(Cell(1, row)).center());
    }
    void Type(int col, int row, const QString& text) {
        qttest::TypeIntoCell(*grid_->Table(), Cell(col, row), text);
    }
    // In the open dialog: presses the arrows (1 left, 2 up, 3 right, 4 down), then ends it.
    void InDialog(std::vector<int> arrows, const char* end) {
        qttest::WhenModal([arrows, end](QWidget* dialog) {
            for (int index : arrows) Press(dialog, index);
            QTest::mouseClick(Button(dialog, end), Qt::LeftButton);
        });
    }
    static void Press(QWidget* dialog, int arrow) {
        auto* view =
            dialog->findChild<qtview::PicButtonView*>(QString("KVPAlignWPR(%1)").arg(arrow));
        ASSERT_NE(view, nullptr) << arrow;
        QTest::mouseClick(view->Button(), Qt::LeftButton);
    }
    static QPushButton* Button(QWidget* dialog, const char* name) {
        auto* view = dialog->findChild<qtview::CommandButtonView*>(name);
        EXPECT_NE(view, nullptr) << name;
        return view != nullptr ? view->Button() : nullptr;
    }
    static qtview::EntryView* Entry(QWidget* dialog, const char* name) {
        auto* view = dialog->findChild<qtview::EntryView*>(name);
        EXPECT_NE(view, nullptr) << name;
        return view;
    }
    // Commands sent to the instrument since the last call.
    std::vector<std::string> Sent() {
        std::vector<std::string> lines;
        std::istringstream in(transcript_.str().substr(consumed_));
        consumed_ = transcript_.str().size();
        for (std::string l; std::getline(in, l);)
            if (l.rfind("> ", 0) == 0) lines.push_back(l.substr(2));
        return lines;
    }

    std::shared_ptr<qttest::QtTestHost> host_;
    std::ostringstream transcript_;
    std::size_t consumed_ = 0;
    qttest::Reports reports_;
    std::shared_ptr<host::IUCVIZari> control_;
    std::unique_ptr<qtview::FormView> page_;
    qtview::SpreadView* grid_ = nullptr;
};

TEST_F(AdjustScenarioTest, AdjustPos_WritesTheUnroundedSumsIntoTheRowOnOk) {
    ASSERT_EQ(grid_->TableModel()->rowCount(), 1);
    Click("KVPAddPos");
    ASSERT_EQ(grid_->TableModel()->rowCount(), 2);
    EXPECT_EQ(grid_->TableModel()->headerData(1, Qt::Vertical).toString(), "2");
    Type(4, 2, "520");
    EXPECT_EQ(Value(4, 2), 520.0);

    SelectRow(2);
    ASSERT_TRUE(page_->ViewAs<qtview::PicButtonView>("KVPAdjust")->Button()->isEnabled());
    InDialog({3, 3, 4}, "OKButton");
    Click("KVPAdjust");

    EXPECT_EQ(Value(1, 2), 10.0 + 0.2 + 0.2);
    EXPECT_EQ(Value(2, 2), 10.0 + 0.2);
    EXPECT_EQ(Value(3, 2), 400.0);
    EXPECT_EQ(Value(4, 2), 520.0);
    EXPECT_EQ(Value(1, 1), 10.0);
    const std::string sent = transcript_.str();
    const auto first = sent.find("> SetM WPR.POS=10.2;10.0");
    const auto second = sent.find("> SetM WPR.POS=10.4;10.0");
    const auto third = sent.find("> SetM WPR.POS=10.4;10.2");
    ASSERT_NE(first, std::string::npos) << sent;
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_NE(third, std::string::npos);
    EXPECT_TRUE(reports_.texts.empty());
}

TEST_F(AdjustScenarioTest, AdjustPos_CancelLeavesTheRowWhileTheReaderStaysMoved) {
    SelectRow(1);
    InDialog({1, 2}, "CancelButton");
    Click("KVPAdjust");
    EXPECT_EQ(Value(1, 1), 10.0);
    EXPECT_EQ(Value(2, 1), 10.0);
    EXPECT_NE(transcript_.str().find("> SetM WPR.POS=9.8;9.8"), std::string::npos);
}

TEST_F(AdjustScenarioTest, AdjustPos_EnterClicksTheFocusedCommandButtonAndElsewhereOk) {
    using Commands = std::vector<std::string>;
    SelectRow(1);
    Sent();
    // Enter on "Cancel" is "Cancel", although "OK" is the default button.
    qttest::WhenModal([](QWidget* dialog) {
        Press(dialog, 3);
        QPushButton* cancel = Button(dialog, "CancelButton");
        cancel->setFocus(Qt::TabFocusReason);
        QTest::keyClick(cancel, Qt::Key_Return);
    });
    Click("KVPAdjust");
    EXPECT_EQ(Sent(), Commands{"SetM WPR.POS=10.2;10.0"});
    EXPECT_EQ(Value(1, 1), 10.0);
    EXPECT_EQ(Value(2, 1), 10.0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // Enter in a coordinate entry is the default button's: the row takes the move.
    qttest::WhenModal([](QWidget* dialog) {
        Press(dialog, 1);
        QLineEdit* x = Entry(dialog, "KVEPosX")->LineEdit();
        x->setFocus(Qt::TabFocusReason);
        QTest::keyClick(x, Qt::Key_Return);
    });
    Click("KVPAdjust");
    EXPECT_EQ(Value(1, 1), 10.0 - 0.2);
    EXPECT_TRUE(reports_.texts.empty());
}

TEST_F(AdjustScenarioTest, AdjustPos_UpAtFiveMillimetresSendsMinusTwoUnlimited) {
    Type(2, 1, "3");
    SelectRow(1);
    Sent();
    QString shownY;
    bool stayedOpen = false;
    qttest::WhenModal([&](QWidget* dialog) {
        auto* five = dialog->findChild<qtview::OptionButtonView*>("OptStep(3)");
        ASSERT_NE(five, nullptr);
        QTest::mouseClick(five->Button(), Qt::LeftButton, {}, QPoint(4, 4));
        Press(dialog, 2);
        shownY = Entry(dialog, "KVEPosY")->LineEdit()->text();
        stayedOpen = dialog->isVisible();  // the stage refuses; the dialog does not
        QTest::mouseClick(Button(dialog, "OKButton"), Qt::LeftButton);
    });
    Click("KVPAdjust");
    EXPECT_EQ(Sent(), std::vector<std::string>{"SetM WPR.POS=10.0;-2.0"});
    EXPECT_EQ(shownY, "-2.000000");
    EXPECT_TRUE(stayedOpen);
    ASSERT_FALSE(host_->statusTexts.empty());
    EXPECT_NE(host_->statusTexts.back().find("outside"), std::string::npos)
        << host_->statusTexts.back();
    EXPECT_EQ(Value(2, 1), -2.0);
    EXPECT_EQ(Value(1, 1), 10.0);
}

TEST_F(AdjustScenarioTest, AdjustPos_WhiteLightOnSendsExWlThenLampAndOffSendsNothing) {
    SelectRow(1);
    Sent();
    std::vector<std::string> onSent, offSent;
    qttest::WhenModal([this, &onSent, &offSent](QWidget* dialog) {
        QCheckBox* light = Entry(dialog, "KVELampOn")->CheckBox();
        EXPECT_FALSE(light->isChecked()) << "each dialog starts with the light off";
        QTest::mouseClick(light, Qt::LeftButton, {}, QPoint(6, light->height() / 2));
        EXPECT_TRUE(light->isChecked());
        onSent = Sent();
        QTest::mouseClick(light, Qt::LeftButton, {}, QPoint(6, light->height() / 2));
        EXPECT_FALSE(light->isChecked());
        offSent = Sent();
        QTest::mouseClick(Button(dialog, "CancelButton"), Qt::LeftButton);
    });
    Click("KVPAdjust");
    EXPECT_EQ(onSent, (std::vector<std::string>{"Set ExWl=0", "Set Lamp=On"}));
    EXPECT_TRUE(offSent.empty()) << offSent.front();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(AdjustScenarioTest, AdjustPos_NoRowOpensNothingAndAnEmptyRowOpensAtTheOrigin) {
    // No row selected: the button is disabled; pressed anyway, no dialog opens.
    auto& surface = control_->Surface();
    ASSERT_LE(host::As<host::KVSpread>(surface.Find("KVSScan"))->ActiveRow(), 0);
    surface.Find("KVPAdjust")->SetEnabled(true);
    int opened = 0;
    host_->Reference().Factory().SetModalRunner([&opened](host::Form&) { ++opened; });
    Click("KVPAdjust");
    EXPECT_EQ(opened, 0);
    host_->Reference().Factory().SetModalRunner(qtview::ModalDialogRunner(Context()));

    // "Insert Pos" on row 1 puts an empty row at the top; its dialog starts at 0, 0.
    SelectRow(1);
    Click("KVPAddPos");
    ASSERT_EQ(grid_->TableModel()->rowCount(), 2);
    SelectRow(1);
    Sent();
    QString x, y;
    QColor background;
    qttest::WhenModal([&](QWidget* dialog) {
        x = Entry(dialog, "KVEPosX")->LineEdit()->text();
        y = Entry(dialog, "KVEPosY")->LineEdit()->text();
        auto* form = qobject_cast<qtview::FormDialog*>(dialog);
        ASSERT_NE(form, nullptr);
        if (form->Content()->autoFillBackground())
            background = form->Content()->palette().color(QPalette::Window);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Click("KVPAdjust");
    EXPECT_EQ(x, "0.000000");
    EXPECT_EQ(y, "0.000000");
    EXPECT_FALSE(Cell(1, 1).data(SpreadTableModel::kValueRole).isValid());
    EXPECT_EQ(Value(1, 2), 10.0);
    EXPECT_TRUE(Sent().empty());

    // The dialog and the page wear the page's colour: red 216, green 228, blue 248.
    EXPECT_EQ(background, QColor(216, 228, 248));
    EXPECT_TRUE(page_->autoFillBackground());
    EXPECT_EQ(page_->palette().color(QPalette::Window), QColor(216, 228, 248));
}

}  // namespace
