#pragma once
// The desktop host: the module's page in a window, with the host's menus.
#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <string>

#include "platform/loader/host_session.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_progress.h"
#include "platform/qt/window_registry.h"

class QLabel;

namespace studio {

struct StudioOptions {
    std::string library = ORVE_DEFAULT_LIBRARY;
    std::string catalogue = ORVE_DEFAULT_CATALOGUE;
    bool virtualClock = false;  // screenshots and tests: the simulated run takes no machine time
};

class MainWindow final : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(StudioOptions options);
    ~MainWindow() override;

    // Host actions, also used by --demo-run.
    bool OpenMethod(const QString& path);
    bool Measure(int samples);
    bool Running() const { return running_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void StartSession();  // (re)creates the module with the current catalogue
    void StopSession();
    void BuildMenus();
    void NewMethod();
    void OpenMethodDialog();
    void SaveMethodDialog();
    void MeasureDialog();
    void StopRun();
    void SaveTable();
    void LoadStoredData();
    void SwitchLanguage();
    void ShowInstrumentStatus();
    void Report(const std::string& text);

    StudioOptions options_;
    qtview::WindowRegistry windows_;
    std::unique_ptr<loader::HostSession> session_;
    std::unique_ptr<qtview::QtProgress> progress_;
    std::unique_ptr<qtview::QtFileDialogs> dialogs_;
    std::unique_ptr<qtview::QtClipboard> clipboard_;
    QPointer<QWidget> page_;
    QLabel* statusLabel_ = nullptr;
    bool running_ = false;
    bool closeWhenDone_ = false;
};

}  // namespace studio
