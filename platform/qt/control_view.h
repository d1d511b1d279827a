#pragma once
// The base of every control's view: a widget that mirrors one control model.
// It places itself at the model's geometry (twips to pixels), follows its
// visibility, enabling, font and tool tip, and repaints whenever the model
// reports a change of state. A view holds no state of its own; a person's
// input goes to the model's User... entry points through Guard.
#include <memory>

#include <QWidget>

#include "host/control.h"
#include "platform/qt/view_context.h"

namespace qtview {

class ControlView : public QWidget {
    Q_OBJECT

  public:
    const std::shared_ptr<host::Control>& Model() const { return model_; }
    const ViewContext& Context() const { return context_; }
    // True for the views that hold other views (panels and frames).
    virtual bool IsContainer() const { return false; }
    // Repaints from the model. Never raises: the model calls it from inside
    // its own operations, which a view must not disturb.
    void Refresh() noexcept;
    // The width in pixels the view needs to show its whole text; 0 for a view
    // that holds no text of its own.
    virtual int TextWidthNeed() const { return 0; }
    // How much wider than designed its form shows the controls, so that every
    // text fits (1: as designed; see FormView).
    double Room() const;

  protected:
    ControlView(std::shared_ptr<host::Control> model, ViewContext context, QWidget* parent);
    // Starts following the model; the derived view calls it once it is built.
    void Attach();
    // The kind's own part of a repaint.
    virtual void RepaintContent() = 0;
    // A press on a control stays with it and never reaches the container below.
    void mousePressEvent(QMouseEvent* event) override;

  private:
    std::shared_ptr<host::Control> model_;
    ViewContext context_;
};

}  // namespace qtview
