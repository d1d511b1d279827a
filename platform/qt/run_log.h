#pragma once
// The run log: what each run ended with, in full, with the file its data went
// to and its warnings, and what became of the method and table files; newest
// last. It outlives the page, so a language switch keeps it. A line that
// names a file opens the file's folder when clicked.
#include <functional>

#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace qtview {

class RunLog final : public QWidget {
    Q_OBJECT

  public:
    // The item data role holding the path a line names.
    static constexpr int kPathRole = Qt::UserRole + 1;

    explicit RunLog(QWidget* parent = nullptr);

    void SetTitle(const QString& title);
    // A finished run: its outcome (ok: completed), the line naming its data
    // file (dataPath empty: none), and its warnings.
    void AddRun(const QString& outcome, bool ok, const QString& dataLine, const QString& dataPath,
                const QStringList& warnings);
    // A note; path non-empty: the line opens that file's folder.
    void AddNote(const QString& text, const QString& path = {});
    // Opens a folder; by default the desktop's file manager.
    void SetFolderOpener(std::function<void(const QString& folder)> opener) {
        opener_ = std::move(opener);
    }
    QListWidget* List() const { return list_; }

  private:
    QListWidgetItem* Add(const QString& text, const QString& path);
    void Open(QListWidgetItem* item);

    QLabel* title_;
    QListWidget* list_;
    std::function<void(const QString&)> opener_;
};

}  // namespace qtview
