#include "platform/qt/command_button_view.h"

#include <QPushButton>
#include <QStyle>

#include "platform/qt/view_support.h"

namespace qtview {

CommandButtonView::CommandButtonView(std::shared_ptr<host::CommandButton> model,
                                     ViewContext context, QWidget* parent)
    : ControlView(model, std::move(context), parent),
      command_(std::move(model)),
      button_(new QPushButton(this)) {
    // Enter and Esc belong to the form's dialog, which clicks the focused, the
    // default or the cancel button.
    button_->setAutoDefault(false);
    connect(button_, &QPushButton::clicked, this,
            [this] { Guard(Context(), [this] { command_->UserClick(); }); });
    Attach();
}

void CommandButtonView::RepaintContent() {
    button_->setText(Q(TextProperty(*command_, "caption")));
    button_->setDefault(BoolProperty(*command_, "default", false));
    button_->setGeometry(rect());
}

void CommandButtonView::resizeEvent(QResizeEvent* event) {
    ControlView::resizeEvent(event);
    button_->setGeometry(rect());
}

int CommandButtonView::TextWidthNeed() const {
    if (button_->text().isEmpty()) return 0;
    const int frame = button_->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button_);
    return button_->fontMetrics().horizontalAdvance(button_->text()) + 2 * frame + 8;
}

}  // namespace qtview
