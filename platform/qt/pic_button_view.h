#pragma once
// The picture button: its drawn arrow icon and its caption; a press clicks the
// model, which raises the click only while the button is enabled and visible.
#include <memory>

#include "platform/qt/control_view.h"

class QToolButton;

namespace qtview {

class PicButtonView final : public ControlView {
    Q_OBJECT

  public:
    PicButtonView(std::shared_ptr<host::KVPicButton> model, ViewContext context, QWidget* parent);

    QToolButton* Button() const { return button_; }
    int TextWidthNeed() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void RepaintContent() override;

    std::shared_ptr<host::KVPicButton> picButton_;
    QToolButton* button_;
};

}  // namespace qtview
