// The plate view and the run's line in the status bar, driven as a person
// drives the desktop host: a run on the virtual clock watched reading by
// reading, then hovering and clicking wells.
#include <gtest/gtest.h>

#include <filesystem>

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTableView>
#include <QTest>

#include "platform/qt/entry_view.h"
#include "platform/qt/form_view.h"
#include "platform/qt/plate/colour_map.h"
#include "platform/qt/plate_view.h"
#include "platform/qt/spread_view.h"
#include "platform/qt/studio_window.h"
#include "qt/qt_support.h"

namespace {

namespace fs = std::filesystem;

const QString kPlate96 =
    QString::fromStdString(std::string(ORVE_SOURCE_DIR) + "/examples/plate-96.json");

class PlateViewTest : public qttest::QtTest {
  protected:
    void SetUp() override {
        runs_ = fs::temp_directory_path() /
                ("plate-view-runs-" + std::to_string(QCoreApplication::applicationPid()));
        fs::remove_all(runs_);
        qtview::StudioOptions options;
        options.virtualClock = true;
        options.runsFolder = runs_.string();
        // Each move is told before it happens: the readings before it are in.
        options.serverCalls = [this](const loader::ServerCallTime& call) {
            if (call.command.rfind("SetM WPR.POS=", 0) == 0 && onMove_) onMove_(moves_++);
        };
        window_ = std::make_unique<qtview::StudioWindow>(options);
        window_->SetReportSink([this](const std::string& t) { reports_.push_back(t); });
        window_->resize(1280, 680);
        window_->show();
        ASSERT_TRUE(window_->OpenMethod(kPlate96));
    }
    void TearDown() override {
        window_.reset();
        fs::remove_all(runs_);
    }

    qtview::PlateView& Plate() { return *window_->Plate(); }
    host::KVSpread& Results() {
        return *host::As<host::KVSpread>(window_->Session().Page().Find("KVSResult"));
    }
    qtview::FormView& Form() { return *qobject_cast<qtview::FormView*>(window_->Page()); }
    QTableView& Table() { return *Form().ViewAs<qtview::SpreadView>("KVSResult")->Table(); }
    QString StatusLine() {
        for (auto* label : window_->findChildren<QLabel*>())
            if (label->text().startsWith("Instrument:")) return label->text();
        return {};
    }

    fs::path runs_;
    std::unique_ptr<qtview::StudioWindow> window_;
    std::vector<std::string> reports_;
    std::function<void(int)> onMove_;
    int moves_ = 0;
};

TEST_F(PlateViewTest, EveryReadingShowsOnThePlateAndInTheStatusLineAsItArrives) {
    ASSERT_TRUE(window_->Plate());
    EXPECT_TRUE(StatusLine().endsWith("(simulated), ready")) << StatusLine().toStdString();
    int checked = 0;
    onMove_ = [&](int readings) {
        // Position 5 of the first sample and 30 of the second.
        if (readings != 5 && readings != 96 + 30) return;
        const int sample = readings / 96 + 1, position = readings % 96;
        const QString status = StatusLine();
        EXPECT_TRUE(status.contains(QString(", measuring: sample %1 of 2, position %2 of 96, "
                                            "elapsed ")
                                        .arg(sample)
                                        .arg(position)))
            << status.toStdString();
        EXPECT_EQ(Plate().ShownRow(), sample);
        const auto& map = Plate().Map();
        const double value = Results().Cell(1 + position, sample).ToDouble();
        const auto& shown = map.spots[static_cast<std::size_t>(position - 1)];
        ASSERT_TRUE(shown.value);
        EXPECT_EQ(*shown.value, value);
        EXPECT_FALSE(map.spots[static_cast<std::size_t>(position)].value);  // not yet read
        // What the person sees: the well painted in the colour of its reading.
        const QImage image = Plate().grab().toImage();
        EXPECT_EQ(QColor(image.pixel(Plate().PixelOf(position))),
                  plateplot::Viridis(map.Fraction(value)));
        ++checked;
    };
    ASSERT_TRUE(window_->Measure(2).completed) << (reports_.empty() ? "" : reports_.back());
    onMove_ = nullptr;
    EXPECT_EQ(checked, 2);
    EXPECT_TRUE(StatusLine().endsWith("(simulated), ready")) << StatusLine().toStdString();
}

TEST_F(PlateViewTest, HoverNamesTheWellAndAClickSelectsItsColumn) {
    ASSERT_TRUE(window_->Measure(2).completed);
    QApplication::processEvents();
    auto& plate = Plate();
    EXPECT_EQ(plate.ShownRow(), 2);  // no row chosen: the newest
    const QPoint b3 = plate.PixelOf(15);
    QTest::mouseMove(&plate, b3);
    const std::string tip = plate.toolTip().toStdString();
    const std::string value = fmt::format("{}", Results().Cell(16, 2).ToDouble());
    for (const std::string& part :
         {std::string("B3 (position 15)"), std::string("x 32.38 mm, y 20.24 mm"), value + " #"})
        EXPECT_NE(tip.find(part), std::string::npos) << part << " in\n" << tip;
    QTest::mouseMove(&plate, QPoint(2, plate.height() - 2));
    EXPECT_TRUE(plate.toolTip().isEmpty());

    QTest::mouseClick(&plate, Qt::LeftButton, {}, b3);
    auto& table = Table();
    EXPECT_TRUE(table.selectionModel()->isColumnSelected(15));
    EXPECT_EQ(table.model()->headerData(15, Qt::Horizontal).toString(), "Int(15)");
    EXPECT_EQ(table.currentIndex().row(), 1);  // the plate keeps its sample

    // The person's row is the plate's sample.
    table.setCurrentIndex(table.model()->index(0, 3));
    EXPECT_EQ(plate.ShownRow(), 1);
    EXPECT_EQ(plate.Map().title, "S1");
}

TEST_F(PlateViewTest, TableColumnsAndEntriesShowTheirWholeText) {
    ASSERT_TRUE(window_->Measure(1).completed);
    QApplication::processEvents();  // columns fit once the run has filled them
    auto& table = Table();
    const QFontMetrics fm(table.font());
    for (int c = 0; c < table.model()->columnCount(); ++c) {
        const QString text = table.model()->index(0, c).data().toString();
        EXPECT_GT(table.columnWidth(c), fm.horizontalAdvance(text)) << text.toStdString();
    }
    for (const char* name : {"KVEExSlit", "KVEEmSlit", "KVEIntTime", "KVEGain", "KVEAutoLamp"}) {
        auto* entry = Form().ViewAs<qtview::EntryView>(name);
        ASSERT_NE(entry, nullptr) << name;
        for (auto* combo : entry->findChildren<QComboBox*>()) {
            if (combo->isVisible()) {
                EXPECT_GE(combo->width(), combo->sizeHint().width()) << name;
            }
        }
        for (auto* edit : entry->findChildren<QLineEdit*>()) {
            if (!edit->isVisible()) continue;
            const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
            EXPECT_GE(edit->width(),
                      edit->fontMetrics().horizontalAdvance(edit->text()) + 2 * frame)
                << name;
        }
    }
}

}  // namespace
