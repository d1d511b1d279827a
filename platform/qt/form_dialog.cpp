#include "platform/qt/form_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/command_button_view.h"
#include "platform/qt/form_view.h"
#include "platform/qt/view_support.h"
#include "platform/qt/window_registry.h"

namespace qtview {

FormDialog::FormDialog(host::Form& form, ViewContext context, QWidget* owner)
    : QDialog(owner), form_(form), context_(context), content_(new FormView(form, context, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setModal(true);
    setWindowTitle(Q(form.Caption()));
    if (auto* model = dynamic_cast<controls::Form*>(&form)) {
        model->OnStateChanged([dialog = QPointer<FormDialog>(this)] {
            if (dialog) dialog->FollowForm();
        });
    }
}

void FormDialog::FollowForm() noexcept {
    try {
        setWindowTitle(Q(form_.Caption()));
        if (!form_.IsShown() && isVisible()) done(QDialog::Rejected);
    } catch (...) {
    }
}

QPushButton* FormDialog::FocusedCommandButton() const {
    for (QWidget* w = focusWidget(); w != nullptr && w != this; w = w->parentWidget()) {
        if (auto* view = qobject_cast<CommandButtonView*>(w)) return view->Button();
    }
    return nullptr;
}

void FormDialog::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && key == Qt::Key_Enter);
    if (plain && key == Qt::Key_Escape) {
        event->accept();
        Guard(context_, [this] { form_.UserPressEscape(); });
        return;
    }
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->accept();
        // A command button with the focus takes Enter itself; only elsewhere
        // does Enter mean the default button.
        if (QPushButton* focused = FocusedCommandButton()) {
            if (focused->isEnabled()) focused->click();
            return;
        }
        Guard(context_, [this] { form_.UserPressEnter(); });
        return;
    }
    QDialog::keyPressEvent(event);
}

void FormDialog::closeEvent(QCloseEvent* event) {
    bool stillShown = false;
    Guard(context_, [&] {
        if (form_.IsShown()) form_.UserClose();
        stillShown = form_.IsShown();
    });
    if (stillShown) {
        event->ignore();
        return;
    }
    event->accept();
}

void FormDialog::reject() {
    // Only the form decides when the dialog ends.
    bool stillShown = false;
    Guard(context_, [&] {
        if (form_.IsShown()) form_.UserClose();
        stillShown = form_.IsShown();
    });
    if (!stillShown && isVisible()) QDialog::reject();
}

controls::ModalRunner ModalDialogRunner(ViewContext context) {
    return [context](host::Form& form) {
        QWidget* owner = nullptr;
        if (context.windows != nullptr) {
            if (auto* model = dynamic_cast<controls::Form*>(&form))
                owner = context.windows->Widget(model->Owner());
        }
        if (owner == nullptr) owner = QApplication::activeWindow();
        FormDialog dialog(form, context, owner);
        if (form.IsShown()) dialog.exec();
    };
}

}  // namespace qtview
