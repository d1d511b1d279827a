#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "platform/qt/arrow_icons.h"
#include "platform/qt/entry_view.h"
#include "platform/qt/pic_button_view.h"
#include "qt/qt_support.h"

namespace {

using host::ControlKind;
using qtview::EntryView;

host::DesignedProps EntryDesign(const char* caption, const char* range, const char* outformat,
                                int datatype, int ctrltype, bool locked = false) {
    return {{"caption", caption},     {"range", range},       {"unit", ""},
            {"outformat", outformat}, {"datatype", datatype}, {"ctrltype", ctrltype},
            {"labelwidth", 1250},     {"labelbold", true},    {"locked", locked}};
}

class EntryViewTest : public qttest::QtTest {
  protected:
    std::shared_ptr<host::KVEntry> Entry(host::DesignedProps props) {
        auto entry = models_.Make<host::KVEntry>(ControlKind::KVEntry, "KVETest", std::move(props),
                                                 {150, 300, 2070, 330});
        entry->OnValueChanged([this] { ++notifications_; });
        return entry;
    }
    EntryView* View(const std::shared_ptr<host::KVEntry>& entry) {
        auto* view = new EntryView(entry, reports_.Context(), &window_);
        window_.show();
        return view;
    }
    static void TypeAndReturn(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    qttest::Models models_;
    qttest::Reports reports_;
    QWidget window_;
    int notifications_ = 0;
};

TEST_F(EntryViewTest, EditField_MirrorsCodeWithoutNotifyingAndHandsTypedTextToTheEntry) {
    auto entry = Entry(EntryDesign("Ex. Slit", "", "0.0", host::kTypeNumber, host::kCtrlEdit));
    auto* view = View(entry);
    EXPECT_EQ(view->CaptionLabel()->text(), "Ex. Slit");
    EXPECT_EQ(view->CaptionLabel()->width(), 1250 / 15);
    EXPECT_EQ(view->geometry(), QRect(10, 20, 138, 22));
    ASSERT_TRUE(view->LineEdit()->isVisible());
    EXPECT_FALSE(view->ComboBox()->isVisible());

    entry->SetValue(5.0);
    EXPECT_EQ(view->LineEdit()->text(), "5.0");
    EXPECT_EQ(notifications_, 0);

    TypeAndReturn(view->LineEdit(), "7.25");
    EXPECT_EQ(entry->Value(), host::Variant(7.25));
    EXPECT_EQ(notifications_, 1);
    EXPECT_TRUE(reports_.texts.empty());

    entry->SetVisible(false);
    EXPECT_FALSE(view->isVisible());
    entry->SetTop(600);
    EXPECT_EQ(view->y(), 40);
}

TEST_F(EntryViewTest, EditField_RefusedOrLockedInputKeepsTheEntrysValue) {
    auto props = EntryDesign("Int. Time", "0..10", "", host::kTypeNumber, host::kCtrlEdit);
    props.push_back({"forcevalid", true});
    auto entry = Entry(props);
    entry->SetValue(1.0);
    auto* view = View(entry);
    TypeAndReturn(view->LineEdit(), "12");
    EXPECT_EQ(entry->Value(), host::Variant(1.0));
    EXPECT_EQ(view->LineEdit()->text(), "1");
    ASSERT_EQ(reports_.texts.size(), 1u);
    EXPECT_EQ(notifications_, 0);

    entry->SetProperty("locked", true);
    EXPECT_TRUE(view->LineEdit()->isReadOnly());
}

TEST_F(EntryViewTest, List_OffersTheRangesItemsAndHandsTheChosenOneToTheEntry) {
    auto entry = Entry(
        EntryDesign("Gain", "{Medium;Low;High;Custom}", "", host::kTypeText, host::kCtrlList));
    auto* view = View(entry);
    QComboBox* combo = view->ComboBox();
    ASSERT_TRUE(combo->isVisible());
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->itemText(3), "Custom");

    entry->SetValue("low");
    EXPECT_EQ(combo->currentText(), "Low");
    EXPECT_EQ(notifications_, 0);

    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);  // a person steps to the next item
    EXPECT_EQ(entry->Value(), host::Variant("High"));
    EXPECT_EQ(notifications_, 1);

    entry->SetRange("{On;Off}");
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), -1);  // "High" is no item of the new list
}

TEST_F(EntryViewTest, CheckBox_TicksTheEntryAsABoolean) {
    auto entry =
        Entry(EntryDesign("White light", "{TRUE;FALSE}", "", host::kTypeBoolean, host::kCtrlCheck));
    auto* view = View(entry);
    QCheckBox* box = view->CheckBox();
    ASSERT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isChecked());

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_EQ(entry->Value(), host::Variant(true));
    EXPECT_EQ(notifications_, 1);

    entry->SetValue(false);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(notifications_, 1);
}

TEST_F(EntryViewTest, PictureButton_ClicksOnlyWhileEnabledAndDrawsItsArrow) {
    auto button = models_.Make<host::KVPicButton>(
        ControlKind::KVPicButton, "KVPAddPos",
        {{"caption", "Insert Pos"}, {"picture", "arrow-left-into-list"}}, {150, 120, 1665, 375});
    int clicks = 0;
    button->OnClick([&] { ++clicks; });
    auto* view = new qtview::PicButtonView(button, reports_.Context(), &window_);
    window_.show();
    EXPECT_EQ(view->Button()->text(), "Insert Pos");
    EXPECT_FALSE(view->Button()->icon().isNull());

    QTest::mouseClick(view->Button(), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    button->SetEnabled(false);
    QTest::mouseClick(view->Button(), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    EXPECT_EQ(qtview::ArrowPixmap("ARROW-UP").size(), QSize(24, 24));
    EXPECT_NE(qtview::ArrowPixmap("arrow-left").toImage(),
              qtview::ArrowPixmap("arrow-right").toImage());
    EXPECT_TRUE(qtview::ArrowPixmap("smiley").isNull());
}

}  // namespace
