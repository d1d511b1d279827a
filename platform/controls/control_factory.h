#pragma once
// Builds controls from their design and forms for the module's surface and
// dialogs. Create raises host::Error for an unknown kind, a negative size, a
// property the kind does not know or a value that does not fit, naming the
// control and the property; nothing half-built is returned (let pass).
// Designed properties are applied in their order, except that a grid's
// "nrcols" goes first so the column properties find their columns.
//
// The services handed over serve the grids' export (NumberFormat) and the
// setup display's localisation (TextCatalog); they must outlive every control
// made here. The menu presenter and the modal runner stand for the person at
// the screen: menus and forms made afterwards use them.
#include <memory>
#include <string>

#include "host/forms.h"
#include "host/services.h"
#include "platform/controls/context_menu.h"
#include "platform/controls/form.h"

namespace controls {

class ControlFactory final : public host::ControlFactory {
  public:
    ControlFactory(const host::NumberFormat& numbers, const host::TextCatalog& texts);

    std::shared_ptr<host::Control> Create(const host::ControlDesc& desc) override;
    std::shared_ptr<host::Form> CreateForm(const std::string& name, const std::string& caption,
                                           std::int32_t width, std::int32_t height) override;

    void SetMenuPresenter(MenuPresenter presenter) { presenter_ = std::move(presenter); }
    void SetModalRunner(ModalRunner runner) { runner_ = std::move(runner); }

  private:
    std::shared_ptr<host::Control> Make(const host::ControlDesc& desc) const;

    const host::NumberFormat& numbers_;
    const host::TextCatalog& texts_;
    MenuPresenter presenter_;
    ModalRunner runner_;
};

}  // namespace controls
