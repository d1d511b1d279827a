#pragma once
// The labelled entry: a caption label, then the editor its control type asks
// for (1 edit field: a line edit, 5 list: a drop-down of the range's items,
// 3 check box), then the unit. A locked entry shows its value and takes no
// input. What a person types is handed to the entry as text when the edit is
// finished; a refused value is reported and the entry's value shown again.
// An editor too narrow for its text takes room from its label, down to what
// the label's own text needs.
#include <memory>

#include "platform/qt/control_view.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace qtview {

class EntryView final : public ControlView {
    Q_OBJECT

  public:
    EntryView(std::shared_ptr<host::KVEntry> model, ViewContext context, QWidget* parent);

    QLabel* CaptionLabel() const { return label_; }
    QLineEdit* LineEdit() const { return edit_; }
    QComboBox* ComboBox() const { return combo_; }
    QCheckBox* CheckBox() const { return check_; }
    QLabel* UnitLabel() const { return unit_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void RepaintContent() override;
    void PlaceParts();
    int EditorNeed() const;
    void CommitText();
    void CommitItem(int index);
    void CommitCheck(bool checked);

    std::shared_ptr<host::KVEntry> entry_;
    QLabel* label_;
    QLineEdit* edit_;
    QComboBox* combo_;
    QCheckBox* check_;
    QLabel* unit_;
};

}  // namespace qtview
