#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt/view_support.h"

namespace qtview {

void QtClipboard::Clear() {
    QGuiApplication::clipboard()->clear();
}

void QtClipboard::SetText(const std::string& text) {
    QGuiApplication::clipboard()->setText(Q(text));
}

std::string QtClipboard::Text() const {
    return S(QGuiApplication::clipboard()->text());
}

}  // namespace qtview
