#pragma once
// The picture box: a container in its back colour that reports a person's
// mouse presses on its own surface (1 left, 2 right, 4 middle; position in
// twips). Presses on the controls it holds stay with them.
#include <memory>

#include "platform/qt/control_view.h"

namespace qtview {

class PanelView final : public ControlView {
    Q_OBJECT

  public:
    PanelView(std::shared_ptr<host::Panel> model, ViewContext context, QWidget* parent);
    bool IsContainer() const override { return true; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void RepaintContent() override {}

    std::shared_ptr<host::Panel> panel_;
};

}  // namespace qtview
