#pragma once
// Shared pieces of the control tests: a catalogue with a few texts, and a
// factory over the real number texts.
#include <map>
#include <memory>
#include <string>

#include "host/forms.h"
#include "host/services.h"
#include "platform/controls/control_factory.h"
#include "platform/kvbase/number_format.h"

namespace controls_test {

class FakeTexts : public host::TextCatalog {
  public:
    std::map<std::string, std::string> texts;
    std::string Text(const std::string& key, const std::string& def) const override {
        auto it = texts.find(key);
        return it == texts.end() ? def : it->second;
    }
    std::shared_ptr<host::LocaleNode> LocaleCatalog() const override { return nullptr; }
    void ApplyText(host::Control& control, const std::string& property,
                   const std::string& text) const override {
        control.SetProperty(property, text);
    }
};

struct Bench {
    kvbase::Numbers numbers;
    FakeTexts texts;
    controls::ControlFactory factory{numbers, texts};

    template <class T>
    std::shared_ptr<T> Make(host::ControlKind kind, const std::string& name,
                            host::DesignedProps props = {}, std::int32_t index = -1,
                            const std::string& parent = {}) {
        host::ControlDesc d;
        d.name = name;
        d.index = index;
        d.kind = kind;
        d.parent = parent;
        d.rect = {0, 0, 1000, 300};
        d.props = std::move(props);
        return host::As<T>(factory.Create(d));
    }
};

}  // namespace controls_test
