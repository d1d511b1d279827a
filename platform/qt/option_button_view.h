#pragma once
// An option button. The model keeps its group to one selected button, so the
// radio button only shows the model's value and hands a press to UserSelect.
#include <memory>

#include "platform/qt/control_view.h"

class QRadioButton;

namespace qtview {

class OptionButtonView final : public ControlView {
    Q_OBJECT

  public:
    OptionButtonView(std::shared_ptr<host::OptionButton> model, ViewContext context,
                     QWidget* parent);

    QRadioButton* Button() const { return button_; }
    int TextWidthNeed() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void RepaintContent() override;

    std::shared_ptr<host::OptionButton> option_;
    QRadioButton* button_;
};

}  // namespace qtview
