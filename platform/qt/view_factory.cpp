#include "platform/qt/view_factory.h"

#include "host/forms.h"

#include "platform/qt/command_button_view.h"
#include "platform/qt/entry_view.h"
#include "platform/qt/frame_view.h"
#include "platform/qt/option_button_view.h"
#include "platform/qt/panel_view.h"
#include "platform/qt/pic_button_view.h"
#include "platform/qt/setup_view.h"
#include "platform/qt/spread_view.h"

namespace qtview {
namespace {

template <class View, class Interface>
ControlView* Make(const std::shared_ptr<host::Control>& model, const ViewContext& context,
                  QWidget* parent) {
    auto typed = host::As<Interface>(model);
    return typed ? new View(std::move(typed), context, parent) : nullptr;
}

}  // namespace

ControlView* CreateControlView(const std::shared_ptr<host::Control>& model,
                               const ViewContext& context, QWidget* parent) {
    if (!model) return nullptr;
    using K = host::ControlKind;
    switch (model->Kind()) {
        case K::Frame:
            return new FrameView(model, context, parent);
        case K::Panel:
            return Make<PanelView, host::Panel>(model, context, parent);
        case K::KVEntry:
            return Make<EntryView, host::KVEntry>(model, context, parent);
        case K::KVPicButton:
            return Make<PicButtonView, host::KVPicButton>(model, context, parent);
        case K::KVSpread:
            return Make<SpreadView, host::KVSpread>(model, context, parent);
        case K::UCORVE:
            return Make<SetupView, host::UCORVE>(model, context, parent);
        case K::CommandButton:
            return Make<CommandButtonView, host::CommandButton>(model, context, parent);
        case K::OptionButton:
            return Make<OptionButtonView, host::OptionButton>(model, context, parent);
        case K::ContextMenu:
        case K::MenuItem:
            return nullptr;
    }
    return nullptr;
}

}  // namespace qtview
