#include "platform/qt/entry_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>

#include "platform/qt/view_support.h"

namespace qtview {
namespace {

constexpr int kGap = 3;  // pixels between the label, the editor and the unit

}  // namespace

EntryView::EntryView(std::shared_ptr<host::KVEntry> model, ViewContext context, QWidget* parent)
    : ControlView(model, std::move(context), parent),
      entry_(std::move(model)),
      label_(new QLabel(this)),
      edit_(new QLineEdit(this)),
      combo_(new QComboBox(this)),
      check_(new QCheckBox(this)),
      unit_(new QLabel(this)) {
    combo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(edit_, &QLineEdit::editingFinished, this, [this] { CommitText(); });
    connect(combo_, &QComboBox::activated, this, [this](int index) { CommitItem(index); });
    connect(check_, &QCheckBox::clicked, this, [this](bool checked) { CommitCheck(checked); });
    Attach();
}

void EntryView::RepaintContent() {
    const host::KVEntry& m = *entry_;
    const std::int32_t ctrlType = m.CtrlType();
    const bool locked = BoolProperty(m, "locked", false);
    const host::Variant value = m.Value();

    QFont labelFont = font();
    labelFont.setBold(BoolProperty(m, "labelbold", false) || font().bold());
    label_->setFont(labelFont);
    label_->setText(Q(m.Property("caption").ToString()));
    label_->setAlignment((BoolProperty(m, "leftaligned", true) ? Qt::AlignLeft : Qt::AlignRight) |
                         Qt::AlignVCenter);
    unit_->setText(Q(TextProperty(m, "unit")));

    edit_->setVisible(ctrlType != host::kCtrlList && ctrlType != host::kCtrlCheck);
    combo_->setVisible(ctrlType == host::kCtrlList);
    check_->setVisible(ctrlType == host::kCtrlCheck);

    if (ctrlType == host::kCtrlList) {
        const QSignalBlocker block(combo_);
        QStringList items;
        for (const auto& item : ListItems(m.Range())) items << Q(item);
        QStringList shown;
        for (int i = 0; i < combo_->count(); ++i) shown << combo_->itemText(i);
        if (shown != items) {
            combo_->clear();
            combo_->addItems(items);
        }
        combo_->setCurrentIndex(combo_->findText(Q(EditText(value)), Qt::MatchFixedString));
        combo_->setEnabled(!locked);
    } else if (ctrlType == host::kCtrlCheck) {
        const QSignalBlocker block(check_);
        bool checked = false;
        try {
            checked = !value.IsEmpty() && value.ToBool();
        } catch (const host::Error&) {
            checked = false;  // a value that is no boolean shows unticked
        }
        check_->setChecked(checked);
        check_->setEnabled(!locked);
    } else {
        const QSignalBlocker block(edit_);
        edit_->setReadOnly(locked);
        edit_->setMaxLength(IntProperty(m, "maxlength", 0) > 0 ? IntProperty(m, "maxlength", 0)
                                                               : 32767);
        // Typing in progress is kept until the person finishes it.
        if (!(edit_->hasFocus() && edit_->isModified())) {
            edit_->setText(Q(ValueText(value, m.DataType(), TextProperty(m, "outformat"))));
            edit_->setModified(false);
            edit_->setCursorPosition(0);
        }
    }
    PlaceParts();
}

void EntryView::resizeEvent(QResizeEvent* event) {
    ControlView::resizeEvent(event);
    PlaceParts();
}

// The width the editor needs to show its whole text.
int EntryView::EditorNeed() const {
    if (combo_->isVisibleTo(this)) return combo_->sizeHint().width();
    if (check_->isVisibleTo(this)) return 0;
    const int frame = edit_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit_);
    return edit_->fontMetrics().horizontalAdvance(edit_->text()) + 2 * frame + 6;
}

void EntryView::PlaceParts() {
    const int h = height();
    int labelWidth = std::min(Px(IntProperty(*entry_, "labelwidth", 0)), width());
    const int unitWidth =
        unit_->text().isEmpty() ? 0 : unit_->fontMetrics().horizontalAdvance(unit_->text()) + kGap;
    // An editor too narrow for its text takes what its label does not need.
    if (labelWidth > 0) {
        const int room = width() - labelWidth - kGap - unitWidth;
        const int need = EditorNeed();
        if (need > room) {
            const int labelNeed = label_->fontMetrics().horizontalAdvance(label_->text()) + kGap;
            labelWidth = std::max(std::min(labelWidth, labelNeed), labelWidth - (need - room));
        }
    }
    label_->setGeometry(0, 0, labelWidth, h);
    label_->setVisible(labelWidth > 0);
    const int left = labelWidth > 0 ? labelWidth + kGap : 0;
    const QRect editor(left, 0, std::max(0, width() - left - unitWidth), h);
    edit_->setGeometry(editor);
    combo_->setGeometry(editor);
    check_->setGeometry(editor);
    unit_->setGeometry(width() - unitWidth + kGap, 0, std::max(0, unitWidth - kGap), h);
    unit_->setVisible(unitWidth > 0);
}

void EntryView::CommitText() {
    if (!edit_->isModified()) return;
    edit_->setModified(false);
    const std::string text = S(edit_->text());
    if (!Guard(Context(), [&] { entry_->UserSetValue(host::Variant(text)); })) Refresh();
}

void EntryView::CommitItem(int index) {
    if (index < 0) return;
    const std::string item = S(combo_->itemText(index));
    if (!Guard(Context(), [&] { entry_->UserSetValue(host::Variant(item)); })) Refresh();
}

void EntryView::CommitCheck(bool checked) {
    Guard(Context(), [&] {
        const host::KVEntry& m = *entry_;
        host::Variant value(checked);
        if (m.DataType() != host::kTypeBoolean) {
            // A text entry with a two-item list holds its first item for ticked.
            const auto items = ListItems(m.Range());
            value = items.size() == 2 ? host::Variant(items[checked ? 0 : 1])
                                      : host::Variant(checked ? "True" : "False");
        }
        entry_->UserSetValue(value);
    });
    // A refused or unchanged value shows the entry's own state again.
    Refresh();
}

}  // namespace qtview
