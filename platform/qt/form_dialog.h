#pragma once
// A form shown as a modal dialog. Enter clicks the command button that has
// the focus, and the form's default command button when none has; Esc clicks
// the cancel button, and closing the window is the form's UserClose. The
// dialog ends as soon as the form is hidden, by whatever hid it.
#include <memory>

#include <QDialog>

#include "host/forms.h"
#include "platform/controls/form.h"
#include "platform/qt/view_context.h"

class QPushButton;

namespace qtview {

class FormView;

class FormDialog final : public QDialog {
    Q_OBJECT

  public:
    // form must outlive the dialog.
    FormDialog(host::Form& form, ViewContext context, QWidget* owner);

    FormView* Content() const { return content_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void FollowForm() noexcept;
    QPushButton* FocusedCommandButton() const;

    host::Form& form_;
    ViewContext context_;
    FormView* content_;
};

// The modal runner of the forms runtime: shows the form in a FormDialog over
// the window registered for the form's owner handle (the active window when
// none is) and returns once the form is hidden.
controls::ModalRunner ModalDialogRunner(ViewContext context);

}  // namespace qtview
