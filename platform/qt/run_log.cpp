#include "platform/qt/run_log.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace qtview {

RunLog::RunLog(QWidget* parent)
    : QWidget(parent), title_(new QLabel(this)), list_(new QListWidget(this)) {
    setObjectName(QStringLiteral("runLog"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    layout->addWidget(title_);
    layout->addWidget(list_);
    list_->setWordWrap(true);
    list_->setTextElideMode(Qt::ElideNone);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    opener_ = [](const QString& folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); };
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { Open(item); });
    connect(list_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Open(item); });
}

void RunLog::SetTitle(const QString& title) {
    title_->setText(title);
}

QListWidgetItem* RunLog::Add(const QString& text, const QString& path) {
    auto* item = new QListWidgetItem(text, list_);
    item->setToolTip(text);
    if (!path.isEmpty()) {
        item->setData(kPathRole, path);
        item->setForeground(palette().color(QPalette::Link));
        QFont underlined = item->font();
        underlined.setUnderline(true);
        item->setFont(underlined);
    }
    list_->scrollToItem(item);
    return item;
}

void RunLog::AddRun(const QString& outcome, bool ok, const QString& dataLine,
                    const QString& dataPath, const QStringList& warnings) {
    const QString time = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
    QListWidgetItem* head = Add(time + QStringLiteral("  ") + outcome, {});
    QFont bold = head->font();
    bold.setBold(true);
    head->setFont(bold);
    head->setIcon(
        style()->standardIcon(ok ? QStyle::SP_DialogApplyButton : QStyle::SP_MessageBoxWarning));
    if (!dataLine.isEmpty()) Add(QStringLiteral("    ") + dataLine, dataPath);
    for (const QString& warning : warnings) {
        QListWidgetItem* item = Add(QStringLiteral("    ") + warning, {});
        item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    }
    list_->scrollToBottom();
}

void RunLog::AddNote(const QString& text, const QString& path) {
    const QString time = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
    Add(time + QStringLiteral("  ") + text, path);
    list_->scrollToBottom();
}

void RunLog::Open(QListWidgetItem* item) {
    if (item == nullptr || !opener_) return;
    const QString path = item->data(kPathRole).toString();
    if (path.isEmpty()) return;
    opener_(QFileInfo(path).absolutePath());
}

}  // namespace qtview
