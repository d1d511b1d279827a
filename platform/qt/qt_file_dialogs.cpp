#include "platform/qt/qt_file_dialogs.h"

#include <optional>
#include <utility>
#include <vector>

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "platform/controls/save_request.h"
#include "platform/qt/view_support.h"
#include "platform/qt/window_registry.h"

namespace qtview {
namespace {

using namespace controls::request;

// "Text (*.txt)" with pattern "*.txt" stays; a description without its
// patterns gets them in brackets, which is where Qt reads them. Patterns
// separated by ";" are separated by spaces for Qt.
QString NameFilter(const std::string& description, const std::string& pattern) {
    QString patterns = Q(pattern);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    patterns = patterns.simplified();
    if (patterns.isEmpty()) patterns = QStringLiteral("*");
    const QString text = Q(description).trimmed();
    if (text.endsWith(QLatin1Char(')')) &&
        text.contains(QLatin1Char('(') + patterns + QLatin1Char(')')))
        return text;
    return text.isEmpty() ? QLatin1Char('(') + patterns + QLatin1Char(')')
                          : text + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

// The save dialog. With the path-must-exist flag a path in a folder that does
// not exist is no choice: the person is told which folder is missing and the
// dialog stays open to choose again or cancel.
class SaveDialog final : public QFileDialog {
  public:
    SaveDialog(QWidget* owner, const QString& title, bool pathMustExist)
        : QFileDialog(owner, title), pathMustExist_(pathMustExist) {}

    void accept() override {
        if (pathMustExist_) {
            const QStringList chosen = selectedFiles();
            if (!chosen.isEmpty() && !chosen.front().isEmpty()) {
                const QFileInfo file(chosen.front());
                const QString folder = file.absolutePath();
                // A folder typed as the name is the dialog's to open.
                if (!file.isDir() && !QFileInfo(folder).isDir()) {
                    QMessageBox::warning(
                        this, windowTitle(),
                        QStringLiteral(
                            "The folder %1 does not exist.\nChoose a folder that exists.")
                            .arg(QDir::toNativeSeparators(folder)));
                    return;
                }
            }
        }
        QFileDialog::accept();
    }

  private:
    bool pathMustExist_;
};

// Calls the request's hook once the dialog has been placed, with a child of
// the dialog registered for the call, as the platform does on WM_INITDIALOG.
class HookCaller final : public QObject {
  public:
    HookCaller(WindowRegistry& windows, host::OpenFileNameA& request, QWidget& dialog)
        : windows_(windows), request_(request), dialog_(dialog) {}
    bool Failed() const { return failed_; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &dialog_ && event->type() == QEvent::Show && !called_) {
            called_ = true;
            Call();
        }
        return false;
    }

  private:
    void Call() noexcept {
        const host::WindowHandle dialog = windows_.NewHandle();
        windows_.Register(dialog, &dialog_);
        QWidget child(&dialog_);
        child.setGeometry(0, 0, 1, 1);
        const host::WindowHandle hookWindow = windows_.NewHandle();
        windows_.Register(hookWindow, &child);
        try {
            request_.hook(hookWindow, host::kWmInitDialog, 0,
                          reinterpret_cast<std::intptr_t>(&request_));
        } catch (...) {
            failed_ = true;
        }
        windows_.Unregister(hookWindow);
        windows_.Unregister(dialog);
    }

    WindowRegistry& windows_;
    host::OpenFileNameA& request_;
    QWidget& dialog_;
    bool called_ = false;
    bool failed_ = false;
};

}  // namespace

std::int32_t QtFileDialogs::Fail(const std::string& reason) {
    lastFailure_ = reason;
    return 0;
}

std::int32_t QtFileDialogs::GetSaveFileNameA(host::OpenFileNameA& request) {
    lastFailure_.clear();
    // A platform function: every failure is an answer of 0, never an exception.
    try {
        return Show(request);
    } catch (const std::exception& e) {
        return Fail(e.what());
    } catch (...) {
        return Fail("the dialog failed");
    }
}

std::int32_t QtFileDialogs::Show(host::OpenFileNameA& request) {
    std::string failure;
    const auto read = ReadRequest(request, failure);
    if (!read) return Fail(failure);

    SaveDialog dialog(windows_.Widget(request.owner), Q(read->title),
                      (request.flags & kPathMustExist) != 0);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (request.flags & kOverwritePrompt) == 0);
    QStringList filters;
    for (const auto& [description, pattern] : read->filters)
        filters << NameFilter(description, pattern);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters[static_cast<int>(read->shownFilter) - 1]);
    }
    if (!read->initialDir.empty()) {
        dialog.setDirectory(Q(read->initialDir));
    } else if (!startFolder_.empty()) {
        dialog.setDirectory(Q(startFolder_));
    }
    dialog.setDefaultSuffix(Q(BareExtension(read->defaultExtension)));
    if (!read->proposedName.empty()) dialog.selectFile(Q(read->proposedName));

    HookCaller hook(windows_, request, dialog);
    if (read->hooked) dialog.installEventFilter(&hook);
    const int answer = dialog.exec();
    if (hook.Failed()) return Fail("the dialog's hook raised an error");
    if (answer != QDialog::Accepted) return 0;  // the person cancels

    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return Fail("the answer names no file");
    failure =
        WriteChoice(request, S(chosen.front()), S(QFileInfo(chosen.front()).fileName()).size());
    if (!failure.empty()) return Fail(failure);
    const int filter = filters.indexOf(dialog.selectedNameFilter());
    if (filter >= 0) request.filterIndex = static_cast<std::uint32_t>(filter + 1);
    lastChoice_ = S(chosen.front());
    return 1;
}

bool QtFileDialogs::GetWindowRect(host::WindowHandle window, host::WinRect& rect) {
    const QWidget* widget = windows_.Widget(window);
    if (widget == nullptr) return false;
    QRect r = widget->frameGeometry();
    if (!widget->isWindow()) r = QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    rect = host::WinRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return true;
}

host::WindowHandle QtFileDialogs::GetParent(host::WindowHandle window) {
    const QWidget* widget = windows_.Widget(window);
    if (widget == nullptr) return 0;
    // The nearest registered ancestor: the platform's parent of a dialog's child is the dialog.
    for (const QWidget* up = widget->parentWidget(); up != nullptr; up = up->parentWidget()) {
        const host::WindowHandle handle = windows_.HandleOf(up);
        if (handle != 0) return handle;
    }
    return 0;
}

bool QtFileDialogs::MoveWindow(host::WindowHandle window, std::int32_t x, std::int32_t y,
                               std::int32_t width, std::int32_t height, bool repaint) {
    QWidget* widget = windows_.Widget(window);
    if (widget == nullptr || width < 0 || height < 0) return false;
    if (widget->isWindow()) {
        // The rectangle is the outer frame, as GetWindowRect gives it.
        const QRect frame = widget->frameGeometry();
        const QSize extra = frame.size() - widget->size();
        widget->move(x, y);
        const QSize client(width - extra.width(), height - extra.height());
        if (client != widget->size() && client.isValid()) widget->resize(client);
    } else {
        // A child is placed in its parent's client area, as on the platform.
        widget->setGeometry(x, y, width, height);
    }
    if (repaint) widget->update();
    return true;
}

}  // namespace qtview
