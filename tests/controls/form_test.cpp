#include <gtest/gtest.h>

#include "controls_support.h"
#include "host/error.h"
#include "platform/controls/clipboard.h"
#include "platform/controls/context_menu.h"
#include "platform/controls/form.h"

using controls_test::Bench;
using host::ControlKind;

namespace {

// The adjust dialog's buttons and step options.
struct DialogFixture : ::testing::Test {
    Bench b;
    std::shared_ptr<host::Form> form;
    std::vector<std::string> log;

    void SetUp() override {
        form = b.factory.CreateForm("DlgAdjust", "Adjust Reader Position", 5580, 2580);
        auto ok = Add<host::CommandButton>(ControlKind::CommandButton, "OKButton",
                                           {{"caption", "OK"}, {"default", true}});
        auto cancel = Add<host::CommandButton>(ControlKind::CommandButton, "CancelButton",
                                               {{"caption", "Cancel"}, {"cancel", true}});
        ok->OnClick([this] {
            log.push_back("ok");
            form->Hide();
        });
        cancel->OnClick([this] {
            log.push_back("cancel");
            form->Hide();
        });
        form->OnClose([this] { log.push_back("close"); });
        for (int i : {1, 3, 2}) {
            auto opt = Add<host::OptionButton>(ControlKind::OptionButton, "OptStep",
                                               {{"value", i == 1}}, i);
            opt->OnClick([this, i] { log.push_back("opt" + std::to_string(i)); });
        }
    }
    template <class T>
    std::shared_ptr<T> Add(ControlKind kind, const std::string& name, host::DesignedProps props,
                           std::int32_t index = -1) {
        auto c = b.Make<T>(kind, name, std::move(props), index);
        form->AddControl(c);
        return c;
    }
    bool Selected(std::int32_t index) const {
        return host::As<host::OptionButton>(form->Find("optstep", index))->Value();
    }
};

}  // namespace

TEST_F(DialogFixture, OptionButtonsOfOneNameFormAGroup) {
    EXPECT_TRUE(Selected(1));
    host::As<host::OptionButton>(form->Find("OptStep", 3))->UserSelect();
    EXPECT_FALSE(Selected(1));
    EXPECT_TRUE(Selected(3));
    EXPECT_FALSE(Selected(2));
    host::As<host::OptionButton>(form->Find("OptStep", 2))->SetValue(true);
    EXPECT_FALSE(Selected(3)) << "code keeps the group to one selection too";
    EXPECT_EQ(log, std::vector<std::string>{"opt3"}) << "only the person's choice clicks";
}

TEST_F(DialogFixture, EnterAndEscapeClickTheDefaultAndCancelButtons) {
    b.factory.SetModalRunner(nullptr);
    int runs = 0;
    auto& concrete = dynamic_cast<controls::Form&>(*form);
    concrete.SetModalRunner([&](host::Form& f) {
        ++runs;
        EXPECT_TRUE(f.IsShown());
        f.UserPressEnter();
    });
    form->ShowModal(42);
    EXPECT_FALSE(form->IsShown());
    EXPECT_EQ(concrete.Owner(), 42);
    concrete.SetModalRunner([](host::Form& f) { f.UserPressEscape(); });
    form->ShowModal(42);
    host::As<host::CommandButton>(form->Find("OKButton"))->SetEnabled(false);
    concrete.SetModalRunner([](host::Form& f) {
        f.UserPressEnter();  // a disabled default button takes no Enter
        f.UserClose();
    });
    form->ShowModal(42);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"ok", "cancel", "close"}));
}

TEST_F(DialogFixture, ModalRunsAlwaysEndHidden) {
    form->ShowModal(0);  // no runner: the window is closed at once
    dynamic_cast<controls::Form&>(*form).SetModalRunner([](host::Form&) {});
    form->ShowModal(0);  // a runner that leaves it shown counts as closing
    dynamic_cast<controls::Form&>(*form).SetModalRunner([](host::Form& f) {
        EXPECT_THROW(f.ShowModal(0), host::Error);  // already shown
        throw host::Error(7, "script failed");
    });
    EXPECT_THROW(form->ShowModal(0), host::Error);
    EXPECT_FALSE(form->IsShown());
    EXPECT_EQ(log, (std::vector<std::string>{"close", "close"}));
}

TEST_F(DialogFixture, FindAddAndResize) {
    EXPECT_EQ(form->Controls().size(), 5u);
    EXPECT_EQ(form->Controls()[3]->ArrayIndex(), 3) << "creation order";
    EXPECT_THROW(form->Find("OptStep"), host::Error) << "an array member needs its index";
    EXPECT_THROW(form->Find("OptStep", 4), host::Error);
    EXPECT_THROW(form->AddControl(form->Find("OKButton")), host::Error);
    EXPECT_THROW(form->AddControl(nullptr), host::Error);
    EXPECT_NE(form->Handle(), b.factory.CreateForm("Other", "", 10, 10)->Handle());

    int resized = 0;
    form->OnResize([&] { ++resized; });
    form->SetSize(6000, 3000);
    form->UserResize(7000, 4000);
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(form->Width(), 7000);
    EXPECT_THROW(form->UserResize(-1, 10), host::Error);
}

TEST_F(DialogFixture, BackColourIsKeptAndToldToTheViewsAndNoColourIsRefused) {
    auto& concrete = dynamic_cast<controls::Form&>(*form);
    int changes = 0;
    concrete.OnStateChanged([&] { ++changes; });
    EXPECT_TRUE(form->BackColor().IsEmpty()) << "the host's default until one is set";
    form->SetBackColor(0xF8E4D8);
    EXPECT_EQ(form->BackColor(), host::Variant(0xF8E4D8));
    EXPECT_EQ(changes, 1);
    form->SetBackColor(static_cast<std::int32_t>(0x8000000Fu));  // a system colour
    form->SetBackColor(host::Variant());
    EXPECT_TRUE(form->BackColor().IsEmpty());

    EXPECT_THROW(form->SetBackColor("light blue"), host::Error);
    EXPECT_THROW(form->SetBackColor(0x1000000), host::Error);
    EXPECT_TRUE(form->BackColor().IsEmpty()) << "a refused colour changes nothing";
    EXPECT_EQ(changes, 3);
}

TEST(PageSurface, MenusItemsPanelsAndClipboard) {
    Bench b;
    std::vector<std::string> shown;
    b.factory.SetMenuPresenter([&](host::ContextMenu& m, std::int32_t x, std::int32_t y) {
        shown.push_back(m.Name() + "@" + std::to_string(x) + "," + std::to_string(y));
        m.Items().front()->UserClick();
    });
    auto page = b.factory.CreateForm("UCVIZari", "", 13215, 9015);
    auto item = b.Make<host::MenuItem>(ControlKind::MenuItem, "mnuCopyMethod",
                                       {{"caption", "Copy Method"}}, -1, "mnuPopUp");
    page->AddControl(item);  // the item may come before its menu
    auto menu = b.Make<host::ContextMenu>(ControlKind::ContextMenu, "mnuPopUp");
    page->AddControl(menu);
    auto panel = b.Make<host::Panel>(ControlKind::Panel, "PnlSetup", {}, -1, "PgSetup");
    page->AddControl(panel);
    ASSERT_EQ(menu->Items().size(), 1u);

    int copies = 0;
    item->OnClick([&] { ++copies; });
    panel->OnMouseDown([&](std::int32_t button, std::int32_t x, std::int32_t y) {
        if (button == 2) menu->Popup(x, y);
    });
    panel->UserMouseDown(1, 10, 20);
    panel->UserMouseDown(2, 300, 450);
    EXPECT_THROW(panel->UserMouseDown(3, 0, 0), host::Error);
    panel->SetEnabled(false);
    panel->UserMouseDown(2, 0, 0);
    EXPECT_EQ(menu->PopupCount(), 1);
    EXPECT_EQ(shown, std::vector<std::string>{"mnuPopUp@300,450"});
    EXPECT_EQ(copies, 1);
    EXPECT_FALSE(menu->CallByName("ReleaseExtender"));

    controls::Clipboard clip;
    clip.SetText("IntTime\t1\n");
    EXPECT_EQ(clip.Text(), "IntTime\t1\n");
    clip.Clear();
    EXPECT_EQ(clip.Text(), "");
}

TEST(ControlFactoryCreate, RefusesUnknownKindsAndProperties) {
    Bench b;
    host::ControlDesc d;
    d.name = "PgSetup";
    d.kind = ControlKind::Frame;
    d.rect = {0, 0, 12885, 8460};
    d.tabIndex = 3;
    auto frame = b.factory.Create(d);
    EXPECT_EQ(frame->Geometry(), d.rect);
    EXPECT_EQ(frame->Property("TabIndex"), host::Variant(3));
    d.props = {{"caption", "Setup"}, {"picleft", 45}};
    try {
        b.factory.Create(d);
        FAIL();
    } catch (const host::Error& e) {
        EXPECT_NE(e.Text().find("'PgSetup' has no property 'picleft'"), std::string::npos)
            << e.Text();
    }
    d.props.clear();
    d.kind = static_cast<ControlKind>(99);
    EXPECT_THROW(b.factory.Create(d), host::Error);
    d.kind = ControlKind::Panel;
    d.rect.width = -15;
    EXPECT_THROW(b.factory.Create(d), host::Error);
}
