#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <array>

#include "host/error.h"
#include "platform/controls/form.h"
#include "platform/qt/entry_view.h"
#include "platform/qt/form_dialog.h"
#include "platform/qt/form_view.h"
#include "platform/qt/menu_presenter.h"
#include "platform/qt/option_button_view.h"
#include "platform/qt/panel_view.h"
#include "platform/qt/pic_button_view.h"
#include "qt/qt_support.h"
#include "ui/page_description.h"

namespace {

using qtview::FormView;

class FormViewTest : public qttest::QtTest {
  protected:
    std::shared_ptr<host::Form> Page() {
        models_.factory.SetMenuPresenter(qtview::QtMenuPresenter());
        auto form =
            models_.factory.CreateForm("UCVIZari", "", ui::kControlWidth, ui::kControlHeight);
        for (const auto& desc : ui::SetupPageDescription())
            form->AddControl(models_.factory.Create(desc));
        return form;
    }
    std::shared_ptr<host::Form> Dialog() {
        models_.factory.SetModalRunner(qtview::ModalDialogRunner(reports_.Context(&windows_)));
        auto form = models_.factory.CreateForm("DlgAdjust", "Adjust Reader Position",
                                               ui::kAdjustWidth, ui::kAdjustHeight);
        for (const auto& desc : ui::AdjustDialogDescription())
            form->AddControl(models_.factory.Create(desc));
        auto hideOn = [&](const char* button, bool& flag) {
            host::As<host::CommandButton>(form->Find(button))->OnClick([f = form.get(), &flag] {
                flag = true;
                f->Hide();
            });
        };
        hideOn("OKButton", ok_);
        hideOn("CancelButton", cancel_);
        form->OnClose([this] { ++closes_; });
        return form;
    }

    qttest::Models models_;
    qttest::Reports reports_;
    qtview::WindowRegistry windows_;
    bool ok_ = false, cancel_ = false;
    int closes_ = 0;
};

TEST_F(FormViewTest, Page_PlacesEveryControlInItsContainerAtItsGeometryAndFollowsIt) {
    auto form = Page();
    FormView view(*form, reports_.Context(&windows_));
    view.show();
    EXPECT_EQ(view.size(), QSize(13215 / 15, 9015 / 15));
    EXPECT_EQ(windows_.Widget(form->Handle()), &view);

    auto* scan = view.ViewOf("KVSScan");
    auto* pnlSetup = view.ViewOf("PnlSetup");
    ASSERT_TRUE(scan && pnlSetup);
    EXPECT_EQ(scan->parentWidget(), pnlSetup);
    EXPECT_EQ(pnlSetup->parentWidget(), view.ViewOf("PgSetup"));
    EXPECT_EQ(scan->geometry(), QRect(126, 8, 385, 87));
    EXPECT_EQ(view.ViewOf("PnlResult")->x(), -2);
    EXPECT_EQ(view.ViewOf("mnuPopUp"), nullptr);
    EXPECT_FALSE(view.ViewOf("KVPHideDetails")->isVisible());
    EXPECT_TRUE(view.ViewOf("KVPShowDetails")->isVisible());
    EXPECT_FALSE(view.ViewAs<qtview::PicButtonView>("KVPAdjust")->Button()->isEnabled());

    // The buttons stay above the instrument panel they share the frame with.
    auto* frame = view.ViewOf("PgSetup");
    EXPECT_GT(frame->children().indexOf(view.ViewOf("KVPShowDetails")),
              frame->children().indexOf(view.ViewOf("PnlInst")));

    form->Find("PnlSetup")->SetTop(4005);
    form->Find("KVPHideDetails")->SetVisible(true);
    EXPECT_EQ(pnlSetup->y(), 267);
    EXPECT_TRUE(view.ViewOf("KVPHideDetails")->isVisible());
}

TEST_F(FormViewTest, Page_APersonsResizeResizesTheFormAndCodeResizesTheView) {
    auto form = Page();
    std::vector<std::pair<int, int>> resizes;
    form->OnResize([&] { resizes.push_back({form->Width(), form->Height()}); });
    FormView view(*form, reports_.Context());
    view.show();
    view.resize(900, 640);
    ASSERT_EQ(resizes.size(), 1u);
    EXPECT_EQ(resizes[0], std::make_pair(900 * 15, 640 * 15));

    form->SetSize(12000, 9000);
    EXPECT_EQ(view.size(), QSize(800, 600));
    EXPECT_EQ(resizes.size(), 1u);
}

TEST_F(FormViewTest, Form_FillsItsBackgroundWithTheFormsColourAndFollowsIt) {
    auto form = Dialog();
    FormView view(*form, reports_.Context());
    EXPECT_FALSE(view.autoFillBackground()) << "no colour: the style's";
    form->SetBackColor(ui::kBackColor);
    EXPECT_TRUE(view.autoFillBackground());
    EXPECT_EQ(view.palette().color(QPalette::Window), QColor(216, 228, 248));
    form->SetBackColor(host::Variant());
    EXPECT_FALSE(view.autoFillBackground());
    EXPECT_NE(view.palette().color(QPalette::Window), QColor(216, 228, 248));

    // Set before the view exists, the colour is there from the start.
    form->SetBackColor(0x0000FF);
    FormView red(*form, reports_.Context());
    EXPECT_EQ(red.palette().color(QPalette::Window), QColor(255, 0, 0));
}

TEST_F(FormViewTest, Panel_ReportsAPressOnItsOwnSurfaceAndTheMenuClicksTheChosenItem) {
    auto form = Page();
    auto panel = host::As<host::Panel>(form->Find("PnlSetup"));
    auto menu = host::As<host::ContextMenu>(form->Find("mnuPopUp"));
    auto copy = host::As<host::MenuItem>(form->Find("mnuCopyMethod"));
    std::vector<std::array<int, 3>> presses;
    panel->OnMouseDown([&](std::int32_t b, std::int32_t x, std::int32_t y) {
        presses.push_back({b, x, y});
        if (b == 2) menu->Popup(x, y);
    });
    int copies = 0;
    copy->OnClick([&] { ++copies; });
    FormView view(*form, reports_.Context());
    view.show();
    auto* surface = view.ViewOf("PnlSetup");

    qttest::WhenModal(
        [](QWidget* popup) {
            auto* m = qobject_cast<QMenu*>(popup);
            ASSERT_NE(m, nullptr);
            ASSERT_EQ(m->actions().size(), 1);
            EXPECT_EQ(m->actions()[0]->text(), "Copy Method");
            m->actions()[0]->trigger();
            m->close();
        },
        true);
    QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(700, 20));
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0], (std::array<int, 3>{2, 700 * 15, 20 * 15}));
    EXPECT_EQ(copies, 1);

    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(700, 20));
    EXPECT_EQ(presses.size(), 2u);
    EXPECT_EQ(menu->PopupCount(), 1);

    // A press on a control the panel holds stays with that control.
    auto* entry = view.ViewOf("KVEGain");
    QTest::mouseClick(entry, Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_EQ(presses.size(), 2u);

    panel->OnMouseDown([](std::int32_t, std::int32_t, std::int32_t) {
        throw host::Error(7, "no method to copy");
    });
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(700, 20));
    ASSERT_EQ(reports_.texts.size(), 1u);
    EXPECT_EQ(reports_.texts[0], "no method to copy");
}

TEST_F(FormViewTest, ModalForm_EscClicksCancelAndEnterClicksOk) {
    auto form = Dialog();
    qttest::WhenModal([](QWidget* dialog) {
        auto* x = dialog->findChild<qtview::EntryView*>("KVEPosX");
        ASSERT_NE(x, nullptr);
        EXPECT_TRUE(x->LineEdit()->isReadOnly());
        EXPECT_EQ(dialog->windowTitle(), "Adjust Reader Position");
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    form->ShowModal(0);
    EXPECT_TRUE(cancel_);
    EXPECT_FALSE(ok_);
    EXPECT_FALSE(form->IsShown());

    qttest::WhenModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
    form->ShowModal(0);
    EXPECT_TRUE(ok_);
    EXPECT_EQ(closes_, 0);
}

TEST_F(FormViewTest, ModalForm_ClosingTheWindowIsTheFormsCloseAndOptionsFollowTheGroup) {
    auto form = Dialog();
    auto five = host::As<host::OptionButton>(form->Find("OptStep", 3));
    qttest::WhenModal([](QWidget* dialog) {
        auto* option = dialog->findChild<qtview::OptionButtonView*>("OptStep(3)");
        auto* first = dialog->findChild<qtview::OptionButtonView*>("OptStep(1)");
        ASSERT_TRUE(option && first);
        EXPECT_TRUE(first->Button()->isChecked());
        QTest::mouseClick(option->Button(), Qt::LeftButton, {}, QPoint(4, 4));
        EXPECT_FALSE(first->Button()->isChecked());
        QTest::mouseClick(option->Button(), Qt::LeftButton, {}, QPoint(4, 4));
        EXPECT_TRUE(option->Button()->isChecked());  // a second press keeps it selected
        dialog->close();
    });
    form->ShowModal(0);
    EXPECT_TRUE(five->Value());
    EXPECT_EQ(closes_, 1);
    EXPECT_FALSE(ok_ || cancel_);
    EXPECT_FALSE(form->IsShown());
}

TEST_F(FormViewTest, ModalForm_OpensOverTheWindowRegisteredForItsOwner) {
    auto form = Dialog();
    QWidget owner;
    owner.show();
    windows_.Register(0x4242, &owner);
    qttest::WhenModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->parentWidget(), &owner);
        EXPECT_EQ(dialog->size(), QSize(5580 / 15, 2580 / 15));
        dialog->close();
    });
    form->ShowModal(0x4242);
    EXPECT_EQ(closes_, 1);
}

}  // namespace
