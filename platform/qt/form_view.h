#pragma once
// The widget tree of a form: one view per control, each placed inside the
// view of the container its ParentName names (the form itself when it names
// none, the form, or a control without a view), at its geometry in pixels.
// The views follow their models' geometry and visibility from then on; the
// containers lie below the controls they share a container with.
//
// The form's size and background colour follow the model, and a person
// resizing the widget resizes the form (UserResize). With a window registry
// in the context the form's handle names this widget while it exists.
//
// Room: a control designed too narrow for its text (a translated caption, a
// locked value shown whole) makes the whole form wider, left edges and widths
// alike, up to twice its designed width: the form keeps its layout, and the
// window or dialog around it gives the room. The form's own size stays in
// twips as designed; only its view is wider.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "host/forms.h"
#include "platform/qt/control_view.h"
#include "platform/qt/view_context.h"

namespace qtview {

class FormView final : public QWidget {
    Q_OBJECT

  public:
    // Holds a form of the forms runtime while the view exists; any other form
    // must outlive the view.
    FormView(host::Form& form, ViewContext context, QWidget* parent = nullptr);
    ~FormView() override;

    host::Form& Model() const { return *form_; }
    // The view of a control; nullptr when it has none.
    ControlView* ViewOf(const std::string& name, std::int32_t index = -1) const;
    template <class View>
    View* ViewAs(const std::string& name, std::int32_t index = -1) const {
        return qobject_cast<View*>(ViewOf(name, index));
    }

    // The form's size in pixels.
    QSize sizeHint() const override;

    // The nearest form view holding widget; nullptr when none does.
    static FormView* Of(const QWidget* widget);
    double Room() const { return room_; }
    // Looks again at the room the controls need, once the event loop runs.
    void RoomMayHaveChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void FollowForm() noexcept;
    void FollowColor();
    void UpdateRoom() noexcept;
    QSize ShownSize() const;

    std::shared_ptr<host::Form> form_;
    ViewContext context_;
    std::vector<QPointer<ControlView>> views_;
    bool sizing_ = false;
    double room_ = 1.0;
    bool roomPending_ = false;
};

}  // namespace qtview
