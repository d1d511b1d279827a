#include "ui/dlg_adjust.h"

#include <fmt/format.h>

#include <array>
#include <cmath>
#include <string>

#include "host/context.h"
#include "host/error.h"
#include "proxy/corve_proxy.h"
#include "proxy/trap.h"
#include "ui/page_description.h"

namespace ui {
namespace {

constexpr const char* kCaption = "Adjust Reader Position";
constexpr double kDefaultStep = 0.2;

struct StepOption {
    std::int32_t index;
    double mm;
};
constexpr std::array<StepOption, 3> kSteps{{{1, 0.2}, {2, 1.0}, {3, 5.0}}};

struct Arrow {
    std::int32_t index;
    double dx, dy;  // multiples of the step
};
constexpr std::array<Arrow, 4> kArrows{{{1, -1, 0}, {2, 0, -1}, {3, 1, 0}, {4, 0, 1}}};

template <class T>
std::shared_ptr<T> Get(host::Form& form, const char* name, std::int32_t index = -1) {
    auto c = host::As<T>(form.Find(name, index));
    if (!c) {
        throw host::Error(host::kErrUnexpected,
                          fmt::format("dialog control '{}' is of the wrong kind", name));
    }
    return c;
}

std::shared_ptr<host::Form> LoadForm() {
    auto& factory = host::CurrentHost().Controls();
    auto form = factory.CreateForm("DlgAdjust", kCaption, kAdjustWidth, kAdjustHeight);
    form->SetBackColor(kBackColor);
    for (const auto& desc : AdjustDialogDescription()) form->AddControl(factory.Create(desc));
    return form;
}

}  // namespace

DlgAdjust::DlgAdjust()
    : form_(LoadForm()),
      kvePosX_(Get<host::KVEntry>(*form_, "KVEPosX")),
      kvePosY_(Get<host::KVEntry>(*form_, "KVEPosY")),
      kveLampOn_(Get<host::KVEntry>(*form_, "KVELampOn")),
      alive_(std::make_shared<int>(0)) {
    kveLampOn_->SetValue(false);
    Connect();
}

DlgAdjust::~DlgAdjust() {
    alive_.reset();
    inst_ = nullptr;
    try {
        form_->Hide();
    } catch (...) {  // unloading goes on whatever the form says
    }
}

void DlgAdjust::Connect() {
    // Every handler checks that the dialog is still loaded.
    auto guarded = [alive = std::weak_ptr<int>(alive_)](auto action) {
        return [alive, action] {
            if (alive.lock()) action();
        };
    };
    for (const auto& arrow : kArrows) {
        const std::int32_t index = arrow.index;
        Get<host::KVPicButton>(*form_, "KVPAlignWPR", index)->OnClick(guarded([this, index] {
            OnArrow(index);
        }));
    }
    kveLampOn_->OnValueChanged(guarded([this] { OnWhiteLightChanged(); }));
    Get<host::CommandButton>(*form_, "OKButton")->OnClick(guarded([this] { OnOk(); }));
    Get<host::CommandButton>(*form_, "CancelButton")->OnClick(guarded([this] { OnCancel(); }));
    form_->OnClose(guarded([this] { OnCancel(); }));
}

void DlgAdjust::Setup(proxy::CORVEProxy* pInst, double pXPos, double pYPos) {
    inst_ = pInst;
    kvePosX_->SetValue(pXPos);
    kvePosY_->SetValue(pYPos);
}

double DlgAdjust::XPos() const {
    return kvePosX_->Value().ToDouble();
}

double DlgAdjust::YPos() const {
    return kvePosY_->Value().ToDouble();
}

void DlgAdjust::Show(host::WindowHandle owner) {
    form_->ShowModal(owner);
}

double DlgAdjust::Step() const {
    for (const auto& step : kSteps) {
        if (Get<host::OptionButton>(*form_, "OptStep", step.index)->Value()) return step.mm;
    }
    return kDefaultStep;
}

void DlgAdjust::OnArrow(std::int32_t index) noexcept {
    // Failure policy: trap; the message goes to the status text and the dialog stays open.
    const host::Status status = proxy::Trap([&] {
        auto& h = host::CurrentHost();
        const Arrow* arrow = nullptr;
        for (const auto& a : kArrows)
            if (a.index == index) arrow = &a;
        if (!arrow) {
            throw host::Error(host::kErrUnexpected,
                              fmt::format("there is no arrow button {}", index));
        }
        const double step = Step();
        const double x = XPos() + arrow->dx * step;
        const double y = YPos() + arrow->dy * step;
        // The entries follow the press even when the move below fails.
        kvePosX_->SetValue(x);
        kvePosY_->SetValue(y);
        if (!std::isfinite(x) || !std::isfinite(y)) {
            throw host::Error(kErrPositionNotFinite,
                              fmt::format("the reader position {};{} is not a pair of finite "
                                          "numbers; nothing was sent to the instrument",
                                          x, y));
        }
        const std::string command = "SetM WPR.POS=" + h.Numbers().DoubleToText(x, "0.0", 0) + ";" +
                                    h.Numbers().DoubleToText(y, "0.0", 0);
        if (!inst_) {
            throw host::Error(kErrNoInstrumentToMove,
                              "no instrument is connected to move the reader");
        }
        std::string answer;
        h.Errors().Check(inst_->ExecCommandSynch(command, answer), "*");
    });
    if (status == 0) return;
    try {
        auto& h = host::CurrentHost();
        h.Progress().ShowStatusText(h.Errors().MessageText(status));
    } catch (...) {  // with no way to show the message there is nothing left to do
    }
}

void DlgAdjust::OnWhiteLightChanged() noexcept {
    // Failure policy: end silently; a failed "ExWl" means "Lamp" is not sent.
    try {
        if (!kveLampOn_->Value().ToBool()) return;  // off sends nothing
        if (!inst_) return;
        auto& errors = host::CurrentHost().Errors();
        errors.Check(inst_->SendProperty("ExWl", "0"), "*");
        errors.Check(inst_->SendProperty("Lamp", "On"), "*");
    } catch (...) {
    }
}

void DlgAdjust::OnOk() {
    accepted_ = true;
    form_->Hide();
}

void DlgAdjust::OnCancel() {
    accepted_ = false;
    form_->Hide();
}

}  // namespace ui
