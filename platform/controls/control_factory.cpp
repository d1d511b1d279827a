#include "platform/controls/control_factory.h"

#include <algorithm>

#include "platform/controls/command_button.h"
#include "platform/controls/control_errors.h"
#include "platform/controls/frame.h"
#include "platform/controls/kv_entry.h"
#include "platform/controls/kv_pic_button.h"
#include "platform/controls/kv_spread.h"
#include "platform/controls/menu_item.h"
#include "platform/controls/option_button.h"
#include "platform/controls/panel.h"
#include "platform/controls/uc_orve.h"

namespace controls {

ControlFactory::ControlFactory(const host::NumberFormat& numbers, const host::TextCatalog& texts)
    : numbers_(numbers), texts_(texts) {}

std::shared_ptr<host::Control> ControlFactory::Make(const host::ControlDesc& d) const {
    using K = host::ControlKind;
    switch (d.kind) {
        case K::Frame:
            return std::make_shared<Frame>(d.name, d.index, d.parent);
        case K::Panel:
            return std::make_shared<Panel>(d.name, d.index, d.parent);
        case K::KVEntry:
            return std::make_shared<KVEntry>(d.name, d.index, d.parent);
        case K::KVPicButton:
            return std::make_shared<KVPicButton>(d.name, d.index, d.parent);
        case K::KVSpread:
            return std::make_shared<KVSpread>(d.name, d.index, d.parent, numbers_);
        case K::UCORVE:
            return std::make_shared<UCORVE>(d.name, d.index, d.parent, texts_);
        case K::ContextMenu:
            return std::make_shared<ContextMenu>(d.name, d.index, d.parent, presenter_);
        case K::MenuItem:
            return std::make_shared<MenuItem>(d.name, d.index, d.parent);
        case K::CommandButton:
            return std::make_shared<CommandButton>(d.name, d.index, d.parent);
        case K::OptionButton:
            return std::make_shared<OptionButton>(d.name, d.index, d.parent);
    }
    Raise(kErrNoControl, "'{}': unknown control kind {}", d.name, static_cast<int>(d.kind));
}

std::shared_ptr<host::Control> ControlFactory::Create(const host::ControlDesc& desc) {
    if (desc.name.empty()) Raise(kErrArgument, "a control needs a name");
    auto control = Make(desc);
    control->SetGeometry(desc.rect);
    control->SetProperty("tabindex", desc.tabIndex);
    host::DesignedProps props = desc.props;
    std::stable_partition(props.begin(), props.end(),
                          [](const auto& p) { return host::IEquals(p.first, "nrcols"); });
    for (const auto& [name, value] : props) control->SetProperty(name, value);
    return control;
}

std::shared_ptr<host::Form> ControlFactory::CreateForm(const std::string& name,
                                                       const std::string& caption,
                                                       std::int32_t width, std::int32_t height) {
    return std::make_shared<Form>(name, caption, width, height, runner_);
}

}  // namespace controls
