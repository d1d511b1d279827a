#pragma once
// The clipboard as plain text, over the application's QClipboard. Texts pass
// as UTF-8. It needs a running QGuiApplication.
#include <string>

#include "host/forms.h"

namespace qtview {

class QtClipboard final : public host::Clipboard {
  public:
    void Clear() override;
    void SetText(const std::string& text) override;
    std::string Text() const override;
};

}  // namespace qtview
