#include "platform/qt/pic_button_view.h"

#include <QToolButton>

#include "platform/qt/arrow_icons.h"
#include "platform/qt/view_support.h"

namespace qtview {

PicButtonView::PicButtonView(std::shared_ptr<host::KVPicButton> model, ViewContext context,
                             QWidget* parent)
    : ControlView(model, std::move(context), parent),
      picButton_(std::move(model)),
      button_(new QToolButton(this)) {
    button_->setFocusPolicy(Qt::StrongFocus);
    connect(button_, &QToolButton::clicked, this,
            [this] { Guard(Context(), [this] { picButton_->UserClick(); }); });
    Attach();
}

void PicButtonView::RepaintContent() {
    const host::KVPicButton& m = *picButton_;
    const QString caption = Q(TextProperty(m, "caption"));
    button_->setText(caption);
    button_->setIcon(ArrowIcon(TextProperty(m, "picture")));
    button_->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly
                                                  : Qt::ToolButtonTextBesideIcon);
    button_->setAccessibleName(caption.isEmpty() ? Q(TextProperty(m, "picture")) : caption);
    button_->setGeometry(rect());
    const int side = std::max(8, std::min(kIconSize, height() - 4));
    button_->setIconSize(QSize(side, side));
}

void PicButtonView::resizeEvent(QResizeEvent* event) {
    ControlView::resizeEvent(event);
    button_->setGeometry(rect());
}

// The icon, the caption and the frame's margins: what the caption needs not
// to be cut.
int PicButtonView::TextWidthNeed() const {
    if (button_->text().isEmpty()) return 0;
    return button_->iconSize().width() + 4 +
           button_->fontMetrics().horizontalAdvance(button_->text()) + 8;
}

}  // namespace qtview
