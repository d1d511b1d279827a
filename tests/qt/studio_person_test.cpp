// A lab user's day at the desktop host, driven as the person drives it: menus
// opened on the menu bar and their items clicked, text typed into the entries
// and the grid, keys pressed, and every question and file dialog answered.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "platform/kvdova/acq_data_file.h"
#include "platform/kvdova/method_file.h"
#include "platform/qnserver/server_factory.h"
#include "platform/qt/command_button_view.h"
#include "platform/qt/entry_view.h"
#include "platform/qt/form_view.h"
#include "platform/qt/pic_button_view.h"
#include "platform/qt/setup_table_model.h"
#include "platform/qt/setup_view.h"
#include "platform/qt/spread_view.h"
#include "platform/qt/studio_window.h"
#include "qt/qt_support.h"

namespace {

namespace fs = std::filesystem;

const std::string kExamples = std::string(ORVE_SOURCE_DIR) + "/examples/";

QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

std::string S(const QString& text) {
    return text.toStdString();
}

class StudioPersonTest : public qttest::QtTest {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("studio-person-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        Open();
    }
    void TearDown() override {
        window_.reset();
        fs::remove_all(dir_);
    }

    qtview::StudioOptions Options() {
        qtview::StudioOptions options;
        options.virtualClock = true;
        options.runsFolder = (dir_ / "runs").string();
        options.settingsFile = (dir_ / "settings.ini").string();
        return options;
    }
    void Open() {
        window_ = std::make_unique<qtview::StudioWindow>(Options());
        window_->SetReportSink([this](const std::string& t) { reports_.push_back(t); });
        window_->Session().Host().Simulator().GetInstrument().GetTranscript().SetStream(
            &transcript_);
        window_->show();
        window_->activateWindow();
        QApplication::processEvents();
    }

    qtview::FormView& Page() { return *qobject_cast<qtview::FormView*>(window_->Page()); }
    template <class T>
    std::shared_ptr<T> Model(const char* name) {
        return host::As<T>(window_->Session().Page().Find(name));
    }
    qtview::EntryView* Entry(const char* name) {
        auto* view = Page().ViewAs<qtview::EntryView>(name);
        EXPECT_NE(view, nullptr) << name;
        return view;
    }
    void Click(const char* name) {
        QTest::mouseClick(Button(name), Qt::LeftButton);
        QApplication::processEvents();
    }
    QToolButton* Button(const char* name) {
        auto* view = Page().ViewAs<qtview::PicButtonView>(name);
        EXPECT_NE(view, nullptr) << name;
        return view->Button();
    }
    QTableView& Positions() { return *Page().ViewAs<qtview::SpreadView>("KVSScan")->Table(); }
    QAction* Action(const QString& name) {
        auto* action = window_->findChild<QAction*>(name);
        EXPECT_NE(action, nullptr) << name.toStdString();
        return action;
    }
    // Opens the action's menu on the menu bar and clicks the action, as a
    // person does; a dialog it opens must be answered by a WhenModal before.
    void Choose(const QString& name) {
        QAction* action = Action(name);
        ASSERT_NE(action, nullptr);
        QMenu* menu = nullptr;
        for (QObject* o : action->associatedObjects())
            if (auto* m = qobject_cast<QMenu*>(o)) menu = m;
        ASSERT_NE(menu, nullptr);
        QMenuBar* bar = window_->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(menu->menuAction()).center());
        ASSERT_TRUE(menu->isVisible()) << name.toStdString();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        QApplication::processEvents();
    }
    // Types into an entry's field and, with finish, presses Enter.
    void Type(const char* entry, const QString& text, bool finish = true) {
        QLineEdit* edit = Entry(entry)->LineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        if (finish) QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
    }
    QModelIndex Cell(int col, int row) { return Positions().model()->index(row - 1, col - 1); }
    void TypeCell(int col, int row, const QString& text) {
        qttest::TypeIntoCell(Positions(), Cell(col, row), text);
    }
    void ClickRow(int row) {
        QTest::mouseClick(Positions().viewport(), Qt::LeftButton, {},
                          Positions().visualRect(Cell(1, row)).center());
    }
    static void Dismiss(QWidget* w) {
        if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
    }
    // Answers the next question box by clicking its button.
    static void Answer(const QString& name, QMessageBox::StandardButton button,
                       std::function<void()> then = {}) {
        qttest::WhenModal([name, button, then](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            // Another dialog is closed, so that the test fails instead of hanging.
            if (box == nullptr) Dismiss(w);
            ASSERT_NE(box, nullptr) << "expected the question " << name.toStdString();
            EXPECT_EQ(box->objectName(), name);
            if (then) then();  // the next dialog opens once this one is answered
            QTest::mouseClick(box->button(button), Qt::LeftButton);
        });
    }
    // Answers the next file dialog with path; checks where it started when folder is given.
    static void AnswerFile(const QString& name, const QString& path, const QString& folder = {},
                           std::function<void()> then = {}) {
        qttest::WhenModal([name, path, folder, then](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (dialog == nullptr) Dismiss(w);
            ASSERT_NE(dialog, nullptr) << "expected the file dialog " << name.toStdString();
            EXPECT_EQ(dialog->objectName(), name);
            if (!folder.isEmpty()) {
                EXPECT_EQ(dialog->directory().absolutePath(), QDir(folder).absolutePath());
            }
            if (then) then();
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept();
        });
    }
    std::string Title() { return window_->windowTitle().toStdString(); }
    std::vector<std::string> LogLines() {
        std::vector<std::string> lines;
        QListWidget* list = window_->Log()->List();
        for (int i = 0; i < list->count(); ++i)
            lines.push_back(list->item(i)->text().toStdString());
        return lines;
    }
    std::string Sent() { return transcript_.str(); }

    fs::path dir_;
    std::unique_ptr<qtview::StudioWindow> window_;
    std::vector<std::string> reports_;
    std::ostringstream transcript_;
};

// Item 1: New, Open, Load stored data and closing ask before an edit is lost;
// the title names the method and its file and marks unsaved changes.
TEST_F(StudioPersonTest, UnsavedEdits_AreNeverLostWithoutAsking) {
    const QString three = Qs(kExamples + "method-3pos.json");
    ASSERT_TRUE(window_->OpenMethod(three));
    EXPECT_NE(Title().find("Three positions"), std::string::npos) << Title();
    EXPECT_NE(Title().find("method-3pos.json"), std::string::npos) << Title();
    EXPECT_FALSE(window_->isWindowModified());

    Type("KVEExSlit", "12");
    EXPECT_TRUE(window_->isWindowModified());
    // Back to what the file holds: nothing left to save.
    Type("KVEExSlit", "10");
    EXPECT_FALSE(window_->isWindowModified());
    Type("KVEExSlit", "12");

    // Cancel keeps the edit, Discard lets it go.
    Answer("unsavedChanges", QMessageBox::Cancel);
    Choose("newMethod");
    EXPECT_EQ(Model<host::KVEntry>("KVEExSlit")->Value().ToDouble(), 12.0);
    EXPECT_TRUE(window_->isWindowModified());
    Answer("unsavedChanges", QMessageBox::Discard);
    Choose("newMethod");
    EXPECT_EQ(Model<host::KVEntry>("KVEExSlit")->Value().ToDouble(), 10.0);
    EXPECT_NE(Title().find("NewVIZari"), std::string::npos) << Title();
    EXPECT_NE(Title().find("not saved"), std::string::npos) << Title();
    EXPECT_FALSE(window_->isWindowModified());

    // A run's stored data replace the page's method: asked first, and Save
    // saves the edit (".json" added) before the data load.
    ASSERT_TRUE(window_->Measure(1).completed);
    std::string dataFile;
    for (const auto& f : fs::directory_iterator(dir_ / "runs"))
        if (f.path().extension() == ".json") dataFile = f.path().string();
    ASSERT_FALSE(dataFile.empty());
    Click("KVPAddPos");
    EXPECT_TRUE(window_->isWindowModified());
    const QString saved = Qs((dir_ / "edited").string());
    const QString runs = Qs((dir_ / "runs").string());
    Answer("unsavedChanges", QMessageBox::Save, [=] {
        AnswerFile("saveMethodDialog", saved, {},
                   [=] { AnswerFile("loadDataDialog", Qs(dataFile), runs); });
    });
    Choose("loadData");
    ASSERT_TRUE(fs::exists(dir_ / "edited.json")) << (reports_.empty() ? "" : reports_.back());
    EXPECT_EQ(kvdova::LoadMethod((dir_ / "edited.json").string())->RowCount(1), 2);
    EXPECT_NE(Title().find("from " + fs::path(dataFile).filename().string()), std::string::npos)
        << Title();
    EXPECT_EQ(Model<host::KVSpread>("KVSScan")->RowCount(), 1);

    // Closing asks too; Cancel keeps the window.
    Click("KVPAddPos");
    Answer("unsavedChanges", QMessageBox::Cancel);
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->isVisible());
    Answer("unsavedChanges", QMessageBox::Discard);
    EXPECT_TRUE(window_->close());
    EXPECT_TRUE(reports_.empty()) << reports_.front();
}

// Item 2, with item 9's Stop and item 5's instrument line: Esc in an open
// menu closes the menu and the run goes on; Esc on the window stops it, and
// the stop reads as the person's.
TEST_F(StudioPersonTest, Stop_EscInAMenuClosesTheMenuOnlyAndEscOnTheWindowStops) {
    ASSERT_TRUE(window_->OpenMethod(Qs(kExamples + "method-3pos.json")));
    EXPECT_FALSE(Action("stop")->isEnabled()) << "nothing to stop while idle";
    QLabel* instrument = nullptr;
    for (auto* label : window_->statusBar()->findChildren<QLabel*>())
        if (label->text().contains("Instrument:")) instrument = label;
    ASSERT_NE(instrument, nullptr);
    EXPECT_TRUE(instrument->text().endsWith(", ready")) << instrument->text().toStdString();

    bool pressed = false;
    window_->Progress().SetStatusSink([&](const std::string& text) {
        if (pressed || text.find("S2") == std::string::npos) return;
        pressed = true;
        EXPECT_TRUE(instrument->text().contains("measuring")) << instrument->text().toStdString();
        QMenu* measure = Action("stop")->associatedObjects().size() > 0
                             ? qobject_cast<QMenu*>(Action("stop")->associatedObjects().back())
                             : nullptr;
        ASSERT_NE(measure, nullptr);
        QMenuBar* bar = window_->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(measure->menuAction()).center());
        ASSERT_TRUE(measure->isVisible());
        EXPECT_TRUE(Action("stop")->isEnabled());
        EXPECT_FALSE(Action("start")->isEnabled());
        QTest::keyClick(measure, Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_FALSE(measure->isVisible()) << "Esc closes the menu";
        EXPECT_FALSE(window_->Progress().AbortRequested()) << "and nothing else";
        QTest::keyClick(window_.get(), Qt::Key_Escape);
        EXPECT_TRUE(window_->Progress().AbortRequested());
    });
    const auto run = window_->Measure(3);
    ASSERT_TRUE(pressed);
    EXPECT_FALSE(run.completed);
    EXPECT_EQ(run.samplesMeasured, 1);
    EXPECT_NE(run.text.find("Stopped by the user"), std::string::npos) << run.text;
    EXPECT_EQ(run.text.find("emergency"), std::string::npos) << run.text;
    EXPECT_FALSE(Action("stop")->isEnabled());
    EXPECT_TRUE(instrument->text().endsWith(", ready"));
    // Outside a run Esc on the window stops nothing.
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    EXPECT_FALSE(window_->Progress().AbortRequested());
}

// Item 3: entries keep what is typed and are marked at once; Save method and
// Start refuse, naming each; nothing reaches a file or the instrument.
TEST_F(StudioPersonTest, Entries_AreMarkedAsTypedAndSaveAndStartRefuseNamingEach) {
    Type("KVEExSlit", "abc", false);
    EXPECT_FALSE(Entry("KVEExSlit")->ShowsValid()) << "marked while typing";
    EXPECT_EQ(Entry("KVEExSlit")->toolTip().toStdString(),
              "Ex. Slit: 'abc' is not a number; 1 to 20 nm");
    QTest::keyClick(Entry("KVEExSlit")->LineEdit(), Qt::Key_Return);
    EXPECT_EQ(Model<host::KVEntry>("KVEExSlit")->Value().ToString(), "abc") << "kept as typed";
    EXPECT_FALSE(Entry("KVEExSlit")->ShowsValid());
    Type("KVEEmSlit", "7,5");
    EXPECT_NE(Entry("KVEEmSlit")->toolTip().toStdString().find("decimal point, as in 7.5"),
              std::string::npos)
        << Entry("KVEEmSlit")->toolTip().toStdString();
    Type("KVEIntTime", "0");
    EXPECT_FALSE(Entry("KVEIntTime")->ShowsValid());
    EXPECT_TRUE(Entry("KVEGain")->ShowsValid());
    EXPECT_EQ(Entry("KVEGain")->toolTip().toStdString(), "Gain: one of Medium, Low, High, Custom");

    const fs::path file = dir_ / "bad.json";
    EXPECT_FALSE(window_->SaveMethod(Qs(file.string())));
    EXPECT_FALSE(fs::exists(file));
    ASSERT_EQ(reports_.size(), 1u);
    for (const char* named : {"Ex. Slit: 'abc' is not a number; 1 to 20 nm", "Em. Slit: '7,5'",
                              "Int. Time: 0 s is out of range; 0.001 to 10 s"})
        EXPECT_NE(reports_[0].find(named), std::string::npos) << reports_[0];
    const std::string before = Sent();
    const auto run = window_->Measure(1);
    EXPECT_EQ(run.samplesMeasured, 0);
    EXPECT_NE(run.text.find("Ex. Slit: 'abc'"), std::string::npos) << run.text;
    EXPECT_EQ(Sent(), before) << "nothing went to the instrument";
    EXPECT_FALSE(fs::exists(dir_ / "runs" / "methods")) << "a refused run leaves no file";

    Type("KVEExSlit", "7.5");
    Type("KVEEmSlit", "7.5");
    Type("KVEIntTime", "0.5");
    EXPECT_TRUE(Entry("KVEExSlit")->ShowsValid());
    EXPECT_EQ(Entry("KVEExSlit")->toolTip().toStdString(), "Ex. Slit: 1 to 20 nm");
    ASSERT_TRUE(window_->SaveMethod(Qs(file.string()))) << reports_.back();
    EXPECT_EQ(kvdova::LoadMethod(file.string())->Params()->ValueOf("ExSlit").ToDouble(), 7.5);
}

// Item 4: positions the stage cannot reach are refused before anything
// moves; an emission not longer than its excitation is a warning.
TEST_F(StudioPersonTest, Start_RefusesPositionsOutsideTheTravelAndWarnsOfEmissionBelowExcitation) {
    EXPECT_EQ(window_->Travel().x, "0..127.76");
    EXPECT_EQ(window_->Travel().y, "0..85.48");
    Click("KVPAddPos");
    TypeCell(1, 2, "200");
    TypeCell(2, 1, "-1");
    const std::string before = Sent();
    auto run = window_->Measure(1);
    EXPECT_EQ(run.samplesMeasured, 0);
    EXPECT_NE(run.text.find("Position 2: X 200 mm is outside the stage travel 0 to 127.76 mm"),
              std::string::npos)
        << run.text;
    EXPECT_NE(run.text.find("Position 1: Y -1 mm is outside the stage travel 0 to 85.48 mm"),
              std::string::npos)
        << run.text;
    EXPECT_EQ(Sent(), before) << "nothing moved";

    TypeCell(1, 2, "100");
    TypeCell(2, 1, "10");
    TypeCell(4, 2, "390");  // below the excitation of 400
    run = window_->Measure(1);
    EXPECT_TRUE(run.completed) << run.text;
    ASSERT_EQ(run.warnings.size(), 1u);
    EXPECT_EQ(run.warnings[0],
              "Position 2: the emission wavelength 390 nm is not longer than the excitation "
              "wavelength 400 nm");
    const auto log = LogLines();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& line) {
        return line.find(run.warnings[0]) != std::string::npos;
    }));
}

// Items 5 and 6: the run log keeps each outcome whole, with the data file
// whose folder a click opens; saves confirm with their path; methods lie
// where the data filter does not list them; a stored aborted run loads with
// its sample IDs and says it was aborted.
TEST_F(StudioPersonTest, RunLogAndFiles_KeepTheOutcomeAndPutFilesWhereAPersonLooks) {
    ASSERT_TRUE(window_->OpenMethod(Qs(kExamples + "method-3pos.json")));
    QStringList opened;
    window_->Log()->SetFolderOpener([&](const QString& folder) { opened << folder; });
    const auto done = window_->Measure(2);
    ASSERT_TRUE(done.completed) << done.text;
    window_->statusBar()->showMessage("something else");  // the next menu wipes the bar
    QListWidget* log = window_->Log()->List();
    ASSERT_GE(log->count(), 2);
    EXPECT_NE(log->item(log->count() - 2)->text().toStdString().find(done.text), std::string::npos);
    QListWidgetItem* data = log->item(log->count() - 1);
    EXPECT_EQ(data->data(qtview::RunLog::kPathRole).toString().toStdString(), done.dataPath);
    QTest::mouseClick(log->viewport(), Qt::LeftButton, {}, log->visualItemRect(data).center());
    EXPECT_EQ(opened, QStringList{QDir(Qs((dir_ / "runs").string())).absolutePath()});

    // The runs folder lists data; the methods the runs used lie in "methods".
    int dataFiles = 0;
    for (const auto& f : fs::directory_iterator(dir_ / "runs"))
        if (f.is_regular_file()) ++dataFiles;
    EXPECT_EQ(dataFiles, 1);
    EXPECT_TRUE(fs::exists(dir_ / "runs" / "methods" /
                           fs::path(done.dataPath).filename().replace_extension(".method.json")));

    // A run stopped as its second sample begins: the stored data keep S2.
    window_->Progress().SetStatusSink([&](const std::string& text) {
        if (text.find("S2") != std::string::npos) window_->StopRun();
    });
    const auto stopped = window_->Measure(3);
    window_->Progress().SetStatusSink({});
    ASSERT_FALSE(stopped.dataPath.empty()) << stopped.text;
    ASSERT_TRUE(window_->LoadStoredData(Qs(stopped.dataPath)));
    auto results = Model<host::KVSpread>("KVSResult");
    ASSERT_EQ(results->RowCount(), 2);
    EXPECT_EQ(results->Cell(1, 1).ToString(), "S1");
    EXPECT_EQ(results->Cell(1, 2).ToString(), "S2");
    EXPECT_NE(window_->statusBar()->currentMessage().toStdString().find("aborted by the user"),
              std::string::npos)
        << window_->statusBar()->currentMessage().toStdString();

    // Save method adds ".json", confirms with the path, and the next open
    // dialog starts in that folder.
    fs::create_directories(dir_ / "mine");
    ASSERT_TRUE(window_->SaveMethod(Qs((dir_ / "mine" / "plate").string())));
    const std::string saved = (dir_ / "mine" / "plate.json").string();
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), "Method saved to " + saved);
    EXPECT_EQ(window_->MethodFile().toStdString(), saved);
    AnswerFile("openMethodDialog", Qs(kExamples + "method-3pos.json"),
               Qs((dir_ / "mine").string()));
    Choose("openMethod");
    EXPECT_NE(Title().find("method-3pos.json"), std::string::npos);
    EXPECT_TRUE(reports_.empty()) << reports_.front();
}

// Every text the widget shows whole: a label or button whose text is wider
// than the widget is cut.
std::vector<std::string> CutTexts(QWidget& root) {
    std::vector<std::string> cut;
    for (auto* label : root.findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty()) continue;
        if (label->fontMetrics().horizontalAdvance(label->text()) > label->width())
            cut.push_back(label->text().toStdString());
    }
    for (auto* button : root.findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->text().isEmpty()) continue;
        int need = button->fontMetrics().horizontalAdvance(button->text());
        if (auto* tool = qobject_cast<QToolButton*>(button)) need += tool->iconSize().width() + 4;
        if (qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button)) need += 16;
        if (need > button->width()) cut.push_back(button->text().toStdString());
    }
    return cut;
}

// Item 7: Language offers the shipped catalogues by name; in German every
// text of the window, the page, the details and the Adjust dialog is German,
// and has room.
TEST_F(StudioPersonTest, Language_DeutschFromTheMenuSpeaksEverywhereAndHasRoom) {
    ASSERT_TRUE(window_->OpenMethod(Qs(kExamples + "method-3pos.json")));
    ASSERT_NE(Action("language:English"), nullptr);
    EXPECT_TRUE(Action("language:English")->isChecked());
    Choose("language:Deutsch");
    ASSERT_TRUE(reports_.empty()) << reports_.front();
    EXPECT_TRUE(Action("language:Deutsch")->isChecked());
    EXPECT_FALSE(Action("language:English")->isChecked());
    EXPECT_EQ(window_->menuBar()->actions().front()->text(), "&Datei");
    EXPECT_EQ(Action("saveMethod")->text(), "Methode &speichern...");
    EXPECT_EQ(window_->Progress().StopButton()->text(), "Stopp");
    EXPECT_EQ(Button("KVPAddPos")->text(), QString::fromUtf8("Pos. einfügen"));
    // The list shows German items and hands the entry the item itself.
    QComboBox* lamp = Entry("KVEAutoLamp")->ComboBox();
    EXPECT_EQ(lamp->itemText(0), "Ein");
    EXPECT_EQ(lamp->itemText(1), "Aus");
    EXPECT_EQ(lamp->currentText(), "Ein");
    QTest::keyClick(lamp, Qt::Key_Down);
    EXPECT_EQ(Model<host::KVEntry>("KVEAutoLamp")->Value().ToString(), "Off");
    EXPECT_EQ(Entry("KVEGain")->ComboBox()->currentText(), "Mittel");

    Click("KVPShowDetails");
    auto* details = Page().ViewAs<qtview::SetupView>("UCORVE");
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->TableModel()->headerData(0, Qt::Horizontal).toString(), "Eigenschaft");
    EXPECT_EQ(details->TableModel()->headerData(1, Qt::Horizontal).toString(), "Wert");
    EXPECT_TRUE(CutTexts(Page()).empty()) << CutTexts(Page()).front();

    // The Adjust dialog: German, its X and Y whole with the same decimals, read-only to the eye.
    ClickRow(1);
    bool seen = false;
    qttest::WhenModal([&](QWidget* dialog) {
        seen = true;
        EXPECT_EQ(dialog->windowTitle(), "Leseposition justieren");
        auto* cancel = dialog->findChild<qtview::CommandButtonView*>("CancelButton");
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->Button()->text(), "Abbrechen");
        auto* light = dialog->findChild<qtview::EntryView*>("KVELampOn");
        ASSERT_NE(light, nullptr);
        EXPECT_EQ(light->CaptionLabel()->text(), QString::fromUtf8("Weißlicht"));
        for (const char* name : {"KVEPosX", "KVEPosY"}) {
            auto* entry = dialog->findChild<qtview::EntryView*>(name);
            ASSERT_NE(entry, nullptr);
            QLineEdit* edit = entry->LineEdit();
            EXPECT_TRUE(edit->isReadOnly());
            EXPECT_EQ(edit->palette().color(QPalette::Base),
                      edit->palette().color(QPalette::Window))
                << name << " looks read-only";
            EXPECT_TRUE(edit->text().endsWith(QString(6, '0').prepend('.')) ||
                        edit->text().contains(QRegularExpression("\\.\\d{6}$")))
                << edit->text().toStdString();
            EXPECT_LE(edit->fontMetrics().horizontalAdvance(edit->text()), edit->width() - 4)
                << name << " shows its whole value";
        }
        EXPECT_TRUE(CutTexts(*dialog).empty()) << CutTexts(*dialog).front();
        QTest::mouseClick(cancel->Button(), Qt::LeftButton);
    });
    Click("KVPAdjust");
    EXPECT_TRUE(seen);

    // The run's outcome and the instrument's line speak German too.
    const auto run = window_->Measure(1);
    EXPECT_NE(run.text.find("1 von 1 Proben gemessen"), std::string::npos) << run.text;
    bool ready = false;
    for (auto* label : window_->statusBar()->findChildren<QLabel*>())
        ready = ready || label->text().endsWith(", bereit");
    EXPECT_TRUE(ready);
}

// Item 8: the details show Auto Lamp under its caption and follow it at once;
// what is saved is what they show.
TEST_F(StudioPersonTest, Details_FollowAutoLampAtOnceUnderItsCaption) {
    ASSERT_TRUE(window_->OpenMethod(Qs(kExamples + "method-3pos.json")));
    QApplication::processEvents();
    Click("KVPShowDetails");
    auto* model = Page().ViewAs<qtview::SetupView>("UCORVE")->TableModel();
    auto row = [&]() -> int {
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->index(r, 0).data(qtview::SetupTableModel::kKeyRole) == "AutoLamp") return r;
        return -1;
    };
    ASSERT_GE(row(), 0);
    EXPECT_EQ(model->index(row(), 0).data().toString(), "Auto Lamp");
    EXPECT_EQ(model->index(row(), 1).data().toString(), "On");
    QComboBox* lamp = Entry("KVEAutoLamp")->ComboBox();
    QTest::keyClick(lamp, Qt::Key_Down);
    ASSERT_EQ(lamp->currentText(), "Off");
    EXPECT_EQ(model->index(row(), 1).data().toString(), "Off");
    EXPECT_EQ(model->index(row(), 0).data().toString(), "Auto Lamp");

    const fs::path file = dir_ / "lamp-off.json";
    ASSERT_TRUE(window_->SaveMethod(Qs(file.string())));
    EXPECT_EQ(kvdova::LoadMethod(file.string())->Params()->ValueOf("AutoLamp").ToString(), "Off");
    ASSERT_TRUE(window_->OpenMethod(Qs(kExamples + "method-3pos.json")));
    ASSERT_TRUE(window_->OpenMethod(Qs(file.string())));
    EXPECT_EQ(lamp->currentText(), "Off");
}

// Item 9: Adjust Pos and Delete Pos follow what is selected, also when rows
// go from under the selection; Delete deletes the highlighted position.
TEST_F(StudioPersonTest, Controls_ThatCanDoNothingAreDisabled) {
    ASSERT_TRUE(window_->OpenMethod(Qs(kExamples + "method-3pos.json")));
    EXPECT_FALSE(Button("KVPAdjust")->isEnabled());
    EXPECT_FALSE(Button("KVPRemovePos")->isEnabled());
    ClickRow(2);
    EXPECT_TRUE(Button("KVPAdjust")->isEnabled());
    EXPECT_TRUE(Button("KVPRemovePos")->isEnabled());
    const double third = Model<host::KVSpread>("KVSScan")->Cell(1, 3).ToDouble();
    QTest::keyClick(&Positions(), Qt::Key_Delete);
    EXPECT_EQ(Model<host::KVSpread>("KVSScan")->RowCount(), 2);
    EXPECT_EQ(Model<host::KVSpread>("KVSScan")->Cell(1, 2).ToDouble(), third);
    EXPECT_FALSE(Button("KVPAdjust")->isEnabled());
    EXPECT_FALSE(Button("KVPRemovePos")->isEnabled());
    QTest::keyClick(&Positions(), Qt::Key_Delete);  // nothing highlighted: nothing deleted
    EXPECT_EQ(Model<host::KVSpread>("KVSScan")->RowCount(), 2);

    ClickRow(2);
    Answer("unsavedChanges", QMessageBox::Discard);
    Choose("newMethod");
    EXPECT_EQ(Model<host::KVSpread>("KVSScan")->RowCount(), 1);
    EXPECT_FALSE(Positions().currentIndex().isValid());
    EXPECT_FALSE(Button("KVPAdjust")->isEnabled());
    EXPECT_FALSE(Button("KVPRemovePos")->isEnabled());
}

// Item 10: the first start fits a 1366 x 768 screen with the positions and
// the results in view; size, position, splitters and folders are kept.
TEST_F(StudioPersonTest, Window_FirstStartsToFitAndRemembersItsPlaceAndFolders) {
    const QSize first = qtview::StudioWindow::FirstStartSize(QSize(1366, 728));
    EXPECT_LE(first.width(), 1366);
    EXPECT_LE(first.height() + 30, 728) << "with a title bar";
    window_->resize(first);
    QApplication::processEvents();
    auto* scroll = window_->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible()) << "the page fits";
    QTableView& positions = Positions();
    const QRect shown(positions.mapTo(scroll->viewport(), QPoint(0, 0)), positions.size());
    EXPECT_TRUE(scroll->viewport()->rect().contains(shown)) << "the position grid shows whole";
    auto* results = Page().ViewAs<qtview::SpreadView>("KVSResult")->Table();
    EXPECT_GE(results->height(), 12 * results->verticalHeader()->defaultSectionSize())
        << "a dozen samples in view";

    // What a person arranged comes back at the next start.
    window_->resize(1100, 650);
    window_->move(40, 30);
    auto* split = qobject_cast<QSplitter*>(window_->centralWidget());
    ASSERT_NE(split, nullptr);
    split->setSizes({700, 400});
    const QList<int> sizes = split->sizes();
    fs::create_directories(dir_ / "methods here");
    const QString method = Qs((dir_ / "methods here" / "m.json").string());
    fs::copy_file(kExamples + "method-3pos.json", S(method));
    AnswerFile("openMethodDialog", method);
    Choose("openMethod");
    const QRect placed = window_->geometry();
    ASSERT_TRUE(window_->close());
    window_.reset();

    Open();
    QApplication::processEvents();
    EXPECT_EQ(window_->size(), QSize(1100, 650));
    EXPECT_EQ(window_->geometry().topLeft(), placed.topLeft());
    EXPECT_EQ(qobject_cast<QSplitter*>(window_->centralWidget())->sizes(), sizes);
    AnswerFile("openMethodDialog", method, Qs((dir_ / "methods here").string()));
    Choose("openMethod");
    EXPECT_TRUE(reports_.empty()) << reports_.front();
}

// A run whose program was killed left its journal and the empty data file it
// reserved: the next start offers to recover it, saves the data as the
// command line's recovery does and shows them; it asks no more afterwards.
TEST_F(StudioPersonTest, Recovery_TheNextStartOffersTheRunAnInterruptedProgramLeft) {
    window_.reset();
    const fs::path runs = dir_ / "runs";
    fs::create_directories(runs);
    const fs::path data = runs / "Run-20261208-120000.json";
    const fs::path journal = runs / "Run-20261208-120000.json.journal";
    fs::copy_file(std::string(ORVE_SOURCE_DIR) + "/fuzz/corpus/run_journal/torn", journal);
    std::ofstream{data};  // the reservation
    bool asked = false;
    qttest::WhenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->objectName(), "recoverRun");
        EXPECT_TRUE(box->text().contains(Qs(journal.string()))) << S(box->text());
        asked = true;
        QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
    });
    Open();
    QTRY_VERIFY_WITH_TIMEOUT(asked, 5000);
    ASSERT_GT(fs::file_size(data), 0u) << (reports_.empty() ? "" : reports_.front());
    const auto stored = kvdova::LoadAcqData(data.string());
    EXPECT_EQ(stored->RunInfo().at("outcome"), "interrupted and recovered");
    EXPECT_TRUE(fs::exists(journal)) << "the journal stays until the data are checked";
    EXPECT_GT(Model<host::KVSpread>("KVSResult")->RowCount(), 0) << "the recovered data show";
    const auto log = LogLines();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& line) {
        return line.find("Recovered") != std::string::npos &&
               line.find(data.string()) != std::string::npos;
    }));
    EXPECT_TRUE(window_->InterruptedRuns().isEmpty());
    EXPECT_TRUE(reports_.empty()) << reports_.front();
}

// Measure > Start takes cycles and an interval: the same samples measured
// again, the progress naming the cycle, the stored IDs carrying it.
TEST_F(StudioPersonTest, Kinetics_TheMeasureDialogTakesCyclesAndAnInterval) {
    ASSERT_TRUE(window_->OpenMethod(Qs(kExamples + "method-3pos.json")));
    QLabel* instrument = nullptr;
    for (auto* label : window_->statusBar()->findChildren<QLabel*>())
        if (label->text().contains("Instrument:")) instrument = label;
    ASSERT_NE(instrument, nullptr);
    std::vector<std::string> lines;
    window_->Progress().SetStatusSink([&](const std::string&) {
        if (lines.empty() || lines.back() != S(instrument->text()))
            lines.push_back(S(instrument->text()));
    });
    qttest::WhenModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), "measureDialog");
        auto* interval = dialog->findChild<QDoubleSpinBox*>("interval");
        ASSERT_NE(interval, nullptr);
        EXPECT_FALSE(interval->isEnabled()) << "no interval for a single cycle";
        dialog->findChild<QSpinBox*>("samples")->setValue(2);
        dialog->findChild<QSpinBox*>("cycles")->setValue(3);
        EXPECT_TRUE(interval->isEnabled());
        interval->setValue(120);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    });
    Choose("start");
    const auto log = LogLines();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
        return line.find("6 of 6 samples measured in 3 of 3 cycles") != std::string::npos;
    })) << (log.empty() ? "" : log.back());
    for (const char* seen : {"cycle 2 of 3, sample 1 of 2, position 3 of 3",
                             "cycle 2 of 3 done; the next starts in 0:01:4"})
        EXPECT_TRUE(
            std::any_of(lines.begin(), lines.end(),
                        [&](const std::string& l) { return l.find(seen) != std::string::npos; }))
            << seen << "\n"
            << ::testing::PrintToString(lines);
    std::string dataFile;
    for (const auto& f : fs::directory_iterator(dir_ / "runs"))
        if (f.path().extension() == ".json") dataFile = f.path().string();
    ASSERT_FALSE(dataFile.empty());
    const auto stored = kvdova::LoadAcqData(dataFile);
    ASSERT_EQ(stored->ItemCount(host::ItemGroup::Type1), 6);
    EXPECT_EQ(stored->ItemId(host::ItemGroup::Type1, 6), "S2@3");
    EXPECT_EQ(stored->RunInfo().at("cyclesAsked"), "3");
    EXPECT_TRUE(reports_.empty()) << reports_.front();
}

}  // namespace
