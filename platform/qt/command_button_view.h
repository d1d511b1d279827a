#pragma once
// A dialog's command button; a press clicks the model.
#include <memory>

#include "platform/qt/control_view.h"

class QPushButton;

namespace qtview {

class CommandButtonView final : public ControlView {
    Q_OBJECT

  public:
    CommandButtonView(std::shared_ptr<host::CommandButton> model, ViewContext context,
                      QWidget* parent);

    QPushButton* Button() const { return button_; }
    int TextWidthNeed() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void RepaintContent() override;

    std::shared_ptr<host::CommandButton> command_;
    QPushButton* button_;
};

}  // namespace qtview
