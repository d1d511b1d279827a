#pragma once
// Localises a form that a module shows as a dialog, as the module localises
// its page: the catalogue's section (the library's name, "#" and the page's
// class) holds an entry for the form, whose "caption" is the dialog's title,
// and one for each of its controls, with their properties' texts.
#include <string>

#include "host/forms.h"
#include "host/services.h"

namespace qtview {

// Failure policy: ignore step by step; a text that cannot be applied leaves
// the designed one, and nothing raises.
void LocalizeForm(host::Form& form, const host::TextCatalog& texts,
                  const std::string& section) noexcept;

}  // namespace qtview
