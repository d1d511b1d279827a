#include "platform/qt/entry_view.h"

#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>

#include "platform/qt/catalogue_texts.h"
#include "platform/qt/page_checks.h"
#include "platform/qt/view_support.h"

namespace qtview {
namespace {

constexpr int kGap = 3;  // pixels between the label, the editor and the unit

// The mark of a value that is not valid, and the look of a locked editor.
const QColor kInvalidBase(255, 214, 214);
const QColor kInvalidText(150, 0, 0);

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
    plain_ = edit_->palette();
    connect(edit_, &QLineEdit::editingFinished, this, [this] { CommitText(); });
    // Marked as it is typed, before the entry has the value.
    connect(edit_, &QLineEdit::textEdited, this,
            [this](const QString& text) { ShowValidity(host::Variant(S(text))); });
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
        for (int i = 0; i < combo_->count(); ++i) shown << combo_->itemData(i).toString();
        if (shown != items) {
            combo_->clear();
            for (const QString& item : items)
                combo_->addItem(Q(Text(Context().texts, S(item))), item);
        }
        combo_->setCurrentIndex(
            combo_->findData(Q(EditText(value)), Qt::UserRole, Qt::MatchFixedString));
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
    if (!(edit_->hasFocus() && edit_->isModified())) ShowValidity(value);
    PlaceParts();
}

void EntryView::ShowValidity(const host::Variant& value) {
    const host::KVEntry& m = *entry_;
    const std::string problem = EntryProblem(m, value, Context().texts);
    valid_ = problem.empty();
    const bool locked = BoolProperty(m, "locked", false);
    QPalette look = plain_;
    if (!valid_) {
        look.setColor(QPalette::Base, kInvalidBase);
        look.setColor(QPalette::Button, kInvalidBase);
        look.setColor(QPalette::Text, kInvalidText);
        look.setColor(QPalette::ButtonText, kInvalidText);
    } else if (locked) {
        // Read-only looks read-only: the field takes the colour of what lies behind it.
        look.setColor(QPalette::Base, palette().color(QPalette::Window));
        look.setColor(QPalette::Window, palette().color(QPalette::Window));
    }
    edit_->setPalette(look);
    combo_->setPalette(look);
    // A check box says what it is by its caption; what it takes needs no words.
    const std::string tip = !valid_                            ? problem
                            : m.CtrlType() == host::kCtrlCheck ? std::string()
                                                               : EntryHelp(m, Context().texts);
    const std::string own = TextProperty(m, "tooltiptext");
    setToolTip(Q(own.empty() ? tip : tip.empty() ? own : own + "\n" + tip));
}

void EntryView::changeEvent(QEvent* event) {
    ControlView::changeEvent(event);
    // A locked field follows the colour of the form behind it.
    if (event->type() == QEvent::PaletteChange && valid_ &&
        BoolProperty(*entry_, "locked", false)) {
        QPalette look = edit_->palette();
        look.setColor(QPalette::Base, palette().color(QPalette::Window));
        look.setColor(QPalette::Window, palette().color(QPalette::Window));
        edit_->setPalette(look);
        combo_->setPalette(look);
    }
}

void EntryView::resizeEvent(QResizeEvent* event) {
    ControlView::resizeEvent(event);
    PlaceParts();
}

// The label's text, the editor's and the unit, side by side.
int EntryView::TextWidthNeed() const {
    const int labelNeed = IntProperty(*entry_, "labelwidth", 0) > 0
                              ? label_->fontMetrics().horizontalAdvance(label_->text()) + kGap
                              : 0;
    const int unitNeed =
        unit_->text().isEmpty() ? 0 : unit_->fontMetrics().horizontalAdvance(unit_->text()) + kGap;
    // An editable field scrolls what is typed into it; a locked one shows its
    // whole value, and a list its widest item.
    int editorNeed = EditorNeed();
    if (check_->isVisibleTo(this)) {
        editorNeed = check_->sizeHint().width();
    } else if (edit_->isVisibleTo(this) && !edit_->isReadOnly()) {
        editorNeed = edit_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                     edit_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit_) * 2 +
                     6;
    }
    return labelNeed + editorNeed + unitNeed;
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
    int labelWidth = std::min(
        static_cast<int>(std::lround(Px(IntProperty(*entry_, "labelwidth", 0)) * Room())), width());
    const int unitWidth =
        unit_->text().isEmpty() ? 0 : unit_->fontMetrics().horizontalAdvance(unit_->text()) + kGap;
    if (labelWidth > 0) {
        const int need = EditorNeed();
        // A caption longer than designed (a translation) takes what the editor does not need.
        const int caption = label_->fontMetrics().horizontalAdvance(label_->text());
        if (caption > labelWidth)
            labelWidth = std::max(labelWidth, std::min(caption, width() - kGap - unitWidth - need));
        // An editor too narrow for its text takes what its label does not need.
        const int room = width() - labelWidth - kGap - unitWidth;
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
    const std::string item = S(combo_->itemData(index).toString());
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
