#include "platform/qt/view_context.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>

namespace qtview {

void ViewContext::Report(const std::string& text) const noexcept {
    try {
        if (report) {
            report(text);
            return;
        }
        // Shown once the event loop runs again, so that the box never opens in
        // the middle of an editor's commit or a model's notification.
        const QString message = QString::fromStdString(text);
        QTimer::singleShot(0, qApp, [message] {
            QWidget* parent = QApplication::activeModalWidget();
            if (parent == nullptr) parent = QApplication::activeWindow();
            QMessageBox::warning(parent, QStringLiteral("ORVEVIZari"), message);
        });
    } catch (...) {
        // Nothing is left to tell the person with.
    }
}

}  // namespace qtview
