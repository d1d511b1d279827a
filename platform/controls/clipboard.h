#pragma once
// The clipboard as plain text, held in memory.
#include <string>

#include "host/forms.h"

namespace controls {

class Clipboard final : public host::Clipboard {
  public:
    void Clear() override { text_.clear(); }
    void SetText(const std::string& text) override { text_ = text; }
    std::string Text() const override { return text_; }

  private:
    std::string text_;
};

}  // namespace controls
