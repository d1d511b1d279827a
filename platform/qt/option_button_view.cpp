#include "platform/qt/option_button_view.h"

#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>

#include "platform/qt/view_support.h"

namespace qtview {

OptionButtonView::OptionButtonView(std::shared_ptr<host::OptionButton> model, ViewContext context,
                                   QWidget* parent)
    : ControlView(model, std::move(context), parent),
      option_(std::move(model)),
      button_(new QRadioButton(this)) {
    button_->setAutoExclusive(false);
    connect(button_, &QRadioButton::clicked, this, [this] {
        Guard(Context(), [this] { option_->UserSelect(); });
        // A press on the selected button would untick it on screen only.
        Refresh();
    });
    Attach();
}

void OptionButtonView::RepaintContent() {
    const QSignalBlocker block(button_);
    button_->setText(Q(TextProperty(*option_, "caption")));
    button_->setChecked(option_->Value());
    button_->setGeometry(rect());
}

void OptionButtonView::resizeEvent(QResizeEvent* event) {
    ControlView::resizeEvent(event);
    button_->setGeometry(rect());
}

int OptionButtonView::TextWidthNeed() const {
    if (button_->text().isEmpty()) return 0;
    const QStyle* style = button_->style();
    return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button_) +
           style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button_) +
           button_->fontMetrics().horizontalAdvance(button_->text());
}

}  // namespace qtview
