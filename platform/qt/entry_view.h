#pragma once
// The labelled entry: a caption label, then the editor its control type asks
// for (1 edit field: a line edit, 5 list: a drop-down of the range's items,
// 3 check box), then the unit. A locked entry shows its value, looks
// read-only and takes no input. What a person types is handed to the entry as
// text when the edit is finished; a refused value is reported and the entry's
// value shown again. An editor too narrow for its text takes room from its
// label, down to what the label's own text needs.
//
// An entry that keeps what is typed (no "forcevalid") may hold a value that
// is not valid: the editor is marked at once, while typing too, and the tool
// tip names the entry, what is wrong and what it takes (page_checks.h). A
// list shows its items in the catalogue's language and hands the entry the
// item itself.
#include <memory>

#include <QPalette>

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
    // False while the editor is marked as holding a value that is not valid.
    bool ShowsValid() const { return valid_; }
    int TextWidthNeed() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void RepaintContent() override;
    void PlaceParts();
    int EditorNeed() const;
    void CommitText();
    void CommitItem(int index);
    void CommitCheck(bool checked);
    void ShowValidity(const host::Variant& value);

    std::shared_ptr<host::KVEntry> entry_;
    QLabel* label_;
    QLineEdit* edit_;
    QComboBox* combo_;
    QCheckBox* check_;
    QLabel* unit_;
    QPalette plain_;  // the editors' palette before any mark
    bool valid_ = true;
};

}  // namespace qtview
