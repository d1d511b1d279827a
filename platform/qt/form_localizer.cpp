#include "platform/qt/form_localizer.h"

namespace qtview {

void LocalizeForm(host::Form& form, const host::TextCatalog& texts,
                  const std::string& section) noexcept {
    std::shared_ptr<host::LocaleNode> node;
    try {
        const auto catalogue = texts.LocaleCatalog();
        const std::int32_t index = catalogue ? catalogue->SectionIndex(section) : -1;
        if (index >= 0) node = catalogue->Section(index);
    } catch (...) {
    }
    if (!node) return;
    auto apply = [&](const std::shared_ptr<host::LocaleNode>& entry, auto&& set) {
        if (!entry) return;
        std::int32_t count = 0;
        try {
            count = entry->PropertyCount();
        } catch (...) {
        }
        for (std::int32_t j = 1; j <= count; ++j) {
            try {
                set(entry->PropertyName(j), entry->PropertyText(j));
            } catch (...) {
            }
        }
    };
    try {
        apply(node->ControlEntry(form.Name(), ""),
              [&](const std::string& property, const std::string& text) {
                  if (host::IEquals(property, "caption")) form.SetCaption(text);
              });
    } catch (...) {
    }
    for (const auto& control : form.Controls()) {
        if (!control) continue;
        try {
            const std::string index =
                control->InArray() ? std::to_string(control->ArrayIndex()) : std::string();
            apply(node->ControlEntry(control->Name(), index),
                  [&](const std::string& property, const std::string& text) {
                      texts.ApplyText(*control, property, text);
                  });
        } catch (...) {
        }
    }
}

}  // namespace qtview
