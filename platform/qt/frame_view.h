#pragma once
// The frame: a plain container in its back colour, with its caption drawn as
// a group title when it has one.
#include <memory>

#include "platform/qt/control_view.h"

namespace qtview {

class FrameView final : public ControlView {
    Q_OBJECT

  public:
    FrameView(std::shared_ptr<host::Control> model, ViewContext context, QWidget* parent);
    bool IsContainer() const override { return true; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void RepaintContent() override { update(); }
};

}  // namespace qtview
