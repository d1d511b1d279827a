#pragma once
// Shared pieces of the Qt view tests: the offscreen application, a recorder of
// reported failures, control models made by the real factory, a host whose
// progress display, save dialog and clipboard are the Qt ones, and functions
// that act on a modal dialog or popup once it is open.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "host/context.h"
#include "host/host.h"
#include "platform/controls/control_factory.h"
#include "platform/kvbase/catalog.h"
#include "platform/kvbase/number_format.h"
#include "platform/loader/reference_host.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_progress.h"
#include "platform/qt/view_context.h"
#include "platform/qt/window_registry.h"

namespace qttest {

// Types text into a grid's cell as a person does: the cell's editor opened,
// its text replaced, Return pressed.
inline void TypeIntoCell(QTableView& table, const QModelIndex& cell, const QString& text) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    table.setCurrentIndex(cell);
    table.edit(cell);
    auto* editor = table.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
}

// One application for the whole program, without a screen.
inline QApplication& App() {
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "test_qt";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

// The base of every fixture: the application exists before any widget member.
class QtTest : public ::testing::Test {
  protected:
    QtTest() { App(); }
};

// The texts the views reported instead of showing them.
struct Reports {
    std::vector<std::string> texts;
    qtview::ViewContext Context(qtview::WindowRegistry* windows = nullptr) {
        return {[this](const std::string& text) { texts.push_back(text); }, windows};
    }
};

// Control models made by the real factory from a design.
struct Models {
    kvbase::Numbers numbers;
    kvbase::Catalog texts;
    controls::ControlFactory factory{numbers, texts};

    template <class T>
    std::shared_ptr<T> Make(host::ControlKind kind, const std::string& name,
                            host::DesignedProps props = {}, host::Rect rect = {0, 0, 3000, 330},
                            std::int32_t index = -1) {
        host::ControlDesc d;
        d.name = name;
        d.index = index;
        d.kind = kind;
        d.rect = rect;
        d.props = std::move(props);
        return host::As<T>(factory.Create(d));
    }
};

// Calls action with the active modal widget (or popup) once one is open.
// Polls the event loop on a short timer; gives up after a few seconds so a
// missing dialog fails the test instead of hanging it.
inline void WhenModal(std::function<void(QWidget*)> action, bool popup = false) {
    auto* timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, action, popup] {
        QWidget* w = popup ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
        if (w == nullptr && ++*tries < 1000) return;
        timer->stop();
        timer->deleteLater();
        if (w == nullptr) {
            ADD_FAILURE() << "no " << (popup ? "popup" : "modal dialog") << " opened";
            return;
        }
        action(w);
    });
    timer->start();
}

// The reference host with the Qt progress display (messages recorded), the Qt
// save dialog and the Qt clipboard in place of the headless ones.
class QtTestHost final : public host::Host {
  public:
    QtTestHost()
        : reference_(std::make_shared<loader::ReferenceHost>(loader::HostOptions{})),
          progress_(reference_->GetClock(), reference_->Errors(),
                    qtview::QtProgress::WaitMode::Clock),
          dialogs_(windows_) {
        progress_.SetMessageSink([this](const std::string& t) { messages.push_back(t); });
        progress_.SetStatusSink([this](const std::string& t) { statusTexts.push_back(t); });
    }

    std::vector<std::string> messages;
    std::vector<std::string> statusTexts;
    loader::ReferenceHost& Reference() { return *reference_; }
    std::shared_ptr<loader::ReferenceHost> SharedReference() { return reference_; }
    qtview::WindowRegistry& Windows() { return windows_; }
    qtview::QtProgress& QtProgress() { return progress_; }

    host::ErrorService& Errors() override { return reference_->Errors(); }
    host::TextCatalog& Texts() override { return reference_->Texts(); }
    host::NumberFormat& Numbers() override { return reference_->Numbers(); }
    host::ProgressDisplay& Progress() override { return progress_; }
    host::StringTools& Strings() override { return reference_->Strings(); }
    host::AcqEnvironment& Environment() override { return reference_->Environment(); }
    host::MathTools& Math() override { return reference_->Math(); }
    host::PathTools& Paths() override { return reference_->Paths(); }
    host::Clock& GetClock() override { return reference_->GetClock(); }
    host::ControlFactory& Controls() override { return reference_->Controls(); }
    host::Clipboard& GetClipboard() override { return clipboard_; }
    host::FileDialogs& Dialogs() override { return dialogs_; }
    host::InstrumentServerFactory& Instruments() override { return reference_->Instruments(); }
    std::shared_ptr<host::PageList> NewPageList() override { return reference_->NewPageList(); }
    std::shared_ptr<host::ParamSet> NewParamSet() override { return reference_->NewParamSet(); }
    std::shared_ptr<host::ParamDefList> NewParamDefList() override {
        return reference_->NewParamDefList();
    }
    std::shared_ptr<host::ResultDefList> NewResultDefList() override {
        return reference_->NewResultDefList();
    }
    std::shared_ptr<host::MethodObject> NewMethodObject() override {
        return reference_->NewMethodObject();
    }
    std::shared_ptr<host::ResultRecord> NewResultRecord() override {
        return reference_->NewResultRecord();
    }
    std::shared_ptr<host::InstrumentInfo> NewInstrumentInfo() override {
        return reference_->NewInstrumentInfo();
    }
    std::shared_ptr<host::AcqData> NewAcqData() override { return reference_->NewAcqData(); }

  private:
    std::shared_ptr<loader::ReferenceHost> reference_;
    qtview::WindowRegistry windows_;
    qtview::QtProgress progress_;
    qtview::QtFileDialogs dialogs_;
    qtview::QtClipboard clipboard_;
};

}  // namespace qttest
