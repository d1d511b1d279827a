// DlgAdjust against a recording instrument server, driven by a person at the
// reference host's modal runner.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "host/context.h"
#include "platform/controls/control_factory.h"
#include "platform/kvbase/progress.h"
#include "platform/loader/reference_host.h"
#include "proxy/corve_proxy.h"
#include "tests/proxy/fake_server.h"
#include "ui/dlg_adjust.h"

namespace {

using Commands = std::vector<std::string>;

// The reference host with the instrument replaced by a recording server.
class RecordingHost : public loader::ReferenceHost {
  public:
    RecordingHost() : loader::ReferenceHost(loader::HostOptions{}) {}
    host::InstrumentServerFactory& Instruments() override { return factory; }

    std::shared_ptr<proxytest::FakeServer> server = std::make_shared<proxytest::FakeServer>();
    proxytest::FakeFactory factory{server};
};

// What a person does with a shown form.
using Person = std::function<void(host::Form&)>;

void Press(host::Form& f, std::int32_t arrow) {
    host::As<host::KVPicButton>(f.Find("KVPAlignWPR", arrow))->UserClick();
}
void ChooseStep(host::Form& f, std::int32_t option) {
    host::As<host::OptionButton>(f.Find("OptStep", option))->UserSelect();
}
void Click(host::Form& f, const char* button) {
    host::As<host::CommandButton>(f.Find(button))->UserClick();
}
void WhiteLight(host::Form& f, bool on) {
    host::As<host::KVEntry>(f.Find("KVELampOn"))->UserSetValue(on);
}
double Shown(host::Form& f, const char* entry) {
    return host::As<host::KVEntry>(f.Find(entry))->Value().ToDouble();
}

constexpr std::int32_t kLeft = 1, kUp = 2, kRight = 3, kDown = 4;
constexpr std::int32_t kStep1mm = 2, kStep5mm = 3;

class DlgAdjustTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host_ = std::make_shared<RecordingHost>();
        host::SetCurrentHost(host_);
        host_->Factory().SetModalRunner([this](host::Form& f) {
            ++shown_;
            if (person_) person_(f);
        });
        proxy_ = std::make_unique<proxy::CORVEProxy>();
    }
    void TearDown() override {
        proxy_.reset();
        host::SetCurrentHost(nullptr);
    }

    // A fresh dialog at (x, y), shown once with the person at the screen.
    std::unique_ptr<ui::DlgAdjust> Run(double x, double y, Person person) {
        return RunWith(proxy_.get(), x, y, std::move(person));
    }
    std::unique_ptr<ui::DlgAdjust> RunWith(proxy::CORVEProxy* inst, double x, double y,
                                           Person person) {
        auto dialog = std::make_unique<ui::DlgAdjust>();
        dialog->Setup(inst, x, y);
        person_ = std::move(person);
        dialog->Show(0x4242);
        person_ = nullptr;
        return dialog;
    }
    Commands Sent() const { return host_->server->Commands(); }
    std::string StatusText() { return host_->Console().LastStatusText(); }

    std::shared_ptr<RecordingHost> host_;
    std::unique_ptr<proxy::CORVEProxy> proxy_;
    Person person_;
    int shown_ = 0;
};

TEST_F(DlgAdjustTest, Arrows_SendOneDecimalWhileTheEntriesKeepTheExactSums) {
    auto dialog = Run(10, 10, [](host::Form& f) {
        Press(f, kRight);
        Press(f, kRight);
        Press(f, kDown);
        EXPECT_EQ(Shown(f, "KVEPosX"), 10.0 + 0.2 + 0.2);
        Click(f, "OKButton");
    });
    EXPECT_EQ(Sent(), (Commands{"SetM WPR.POS=10.2;10.0", "SetM WPR.POS=10.4;10.0",
                                "SetM WPR.POS=10.4;10.2"}));
    EXPECT_TRUE(dialog->Accepted());
    EXPECT_EQ(dialog->XPos(), 10.0 + 0.2 + 0.2);
    EXPECT_EQ(dialog->YPos(), 10.0 + 0.2);
    EXPECT_EQ(StatusText(), "");
}

TEST_F(DlgAdjustTest, Steps_FollowTheSelectedOptionWithoutLimitsAndDefaultToTwoTenths) {
    auto dialog = Run(7, 3, [](host::Form& f) {
        ChooseStep(f, kStep5mm);
        Press(f, kUp);  // below 0: no limit is the dialog's
        ChooseStep(f, kStep1mm);
        Press(f, kLeft);
        // With no step selected the arrows move by 0.2 mm.
        for (std::int32_t i = 1; i <= 3; ++i)
            host::As<host::OptionButton>(f.Find("OptStep", i))->SetValue(false);
        Press(f, kRight);
        Click(f, "CancelButton");
    });
    EXPECT_EQ(Sent(), (Commands{"SetM WPR.POS=7.0;-2.0", "SetM WPR.POS=6.0;-2.0",
                                "SetM WPR.POS=6.2;-2.0"}));
    EXPECT_FALSE(dialog->Accepted());
    EXPECT_EQ(dialog->XPos(), 7.0 - 1.0 + 0.2);
    EXPECT_EQ(dialog->YPos(), -2.0);
}

TEST_F(DlgAdjustTest, AFailingServerCall_IsShownAndTheNextPressMovesAgain) {
    // An error reply is the scenario tests' (simulator fault rules); here the call itself fails.
    host_->server->failing.insert("ExecSynch");
    auto dialog = Run(10, 10, [&](host::Form& f) {
        Press(f, kRight);
        EXPECT_TRUE(f.IsShown());
        EXPECT_EQ(Shown(f, "KVEPosX"), 10.2);
        EXPECT_NE(StatusText().find("failed"), std::string::npos) << StatusText();
        host_->server->failing.clear();
        Press(f, kRight);
        Click(f, "OKButton");
    });
    EXPECT_EQ(Sent(), (Commands{"SetM WPR.POS=10.2;10.0", "SetM WPR.POS=10.4;10.0"}));
    EXPECT_EQ(dialog->XPos(), 10.0 + 0.2 + 0.2);
}

TEST_F(DlgAdjustTest, UnsendablePresses_AreRefusedWithAMessageAndNothingSent) {
    // No instrument: the entries follow, the message says why nothing moved.
    auto dialog = RunWith(nullptr, 1, 1, [&](host::Form& f) {
        Press(f, kRight);
        EXPECT_EQ(Shown(f, "KVEPosX"), 1.2);
        EXPECT_NE(StatusText().find("no instrument"), std::string::npos) << StatusText();
        WhiteLight(f, true);  // ends silently
        Click(f, "OKButton");
    });
    EXPECT_TRUE(dialog->Accepted());

    // A coordinate that is no number never reaches the instrument as "NaN".
    dialog = Run(std::numeric_limits<double>::quiet_NaN(), 1, [&](host::Form& f) {
        Press(f, kDown);
        EXPECT_NE(StatusText().find("not a pair of finite numbers"), std::string::npos)
            << StatusText();
        Click(f, "CancelButton");
    });
    EXPECT_TRUE(Sent().empty());
}

TEST_F(DlgAdjustTest, WhiteLight_OnSendsExWlZeroThenLampOnAndOffSendsNothing) {
    Run(10, 10, [](host::Form& f) {
        WhiteLight(f, true);
        WhiteLight(f, false);
        Click(f, "OKButton");
    });
    EXPECT_EQ(Sent(), (Commands{"Set ExWl=0", "Set Lamp=On"}));
    // "ExWl" runs as a move; "Lamp" is a plain setting.
    EXPECT_EQ(host_->server->CallsStartingWith("StartAsynch").size(), 1u);
    EXPECT_EQ(host_->server->CallsStartingWith("ExecSynch"), (Commands{"ExecSynch Set Lamp=On"}));
}

TEST_F(DlgAdjustTest, WhiteLight_FailuresEndItSilentlyAndNoLampFollowsAFailedExWl) {
    host_->server->polls.push_back({"OutOfRange:ExWl=0 is outside 200..900", ""});
    Run(10, 10, [&](host::Form& f) {
        EXPECT_NO_THROW(WhiteLight(f, true));
        EXPECT_TRUE(f.IsShown());
        Click(f, "OKButton");
    });
    EXPECT_EQ(Sent(), (Commands{"Set ExWl=0"}));

    host_->server->synch["Set Lamp=On"] = {"LampFault:the lamp does not ignite", ""};
    Run(10, 10, [&](host::Form& f) {
        EXPECT_NO_THROW(WhiteLight(f, true));
        EXPECT_TRUE(f.IsShown());
        Click(f, "OKButton");
    });
    EXPECT_EQ(Sent(), (Commands{"Set ExWl=0", "Set ExWl=0", "Set Lamp=On"}));
    EXPECT_EQ(StatusText(), "");  // silent: nothing is shown
}

TEST_F(DlgAdjustTest, Ending_OkAndEnterAcceptWhileCancelEscAndClosingDoNot) {
    const std::vector<std::pair<const char*, Person>> endings{
        {"OK", [](host::Form& f) { Click(f, "OKButton"); }},
        {"Enter", [](host::Form& f) { f.UserPressEnter(); }},
        {"Cancel", [](host::Form& f) { Click(f, "CancelButton"); }},
        {"Esc", [](host::Form& f) { f.UserPressEscape(); }},
        {"close", [](host::Form& f) { f.UserClose(); }},
        {"nothing", [](host::Form&) {}},  // the window closed under the person
    };
    for (const auto& [name, person] : endings) {
        auto dialog = Run(1, 2, person);
        const bool accepts = std::string(name) == "OK" || std::string(name) == "Enter";
        EXPECT_EQ(dialog->Accepted(), accepts) << name;
        EXPECT_FALSE(dialog->Form().IsShown()) << name;
    }
    EXPECT_EQ(shown_, 6);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(DlgAdjustTest, FreshDialog_StartsAtTwoTenthsWithTheLightOffAndSetupSendsNothing) {
    ui::DlgAdjust dialog;
    auto& f = dialog.Form();
    EXPECT_EQ(f.Caption(), "Adjust Reader Position");
    EXPECT_EQ(f.BackColor(), host::Variant(0xF8E4D8));  // red 216, green 228, blue 248
    EXPECT_FALSE(dialog.Accepted());
    EXPECT_EQ(dialog.Step(), 0.2);
    EXPECT_FALSE(host::As<host::KVEntry>(f.Find("KVELampOn"))->Value().ToBool());
    dialog.Setup(proxy_.get(), 12.345678, -1.5);
    EXPECT_EQ(dialog.XPos(), 12.345678);
    EXPECT_EQ(dialog.YPos(), -1.5);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(shown_, 0);
}

TEST_F(DlgAdjustTest, UnloadedDialog_IgnoresLateInputOnItsControls) {
    std::shared_ptr<host::Control> arrow, ok;
    {
        ui::DlgAdjust dialog;
        dialog.Setup(proxy_.get(), 10, 10);
        arrow = dialog.Form().Find("KVPAlignWPR", kRight);
        ok = dialog.Form().Find("OKButton");
    }
    host::As<host::KVPicButton>(arrow)->UserClick();
    host::As<host::CommandButton>(ok)->UserClick();
    EXPECT_TRUE(Sent().empty());
}

}  // namespace
