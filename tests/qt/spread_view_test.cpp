#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTest>

#include "host/error.h"
#include "platform/qt/spread_table_model.h"
#include "platform/qt/spread_view.h"
#include "qt/qt_support.h"
#include "ui/page_description.h"

namespace {

using qtview::SpreadTableModel;
using qtview::SpreadView;

std::vector<std::string> gWarnings;
void RecordWarning(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg) gWarnings.push_back(text.toStdString());
}

class SpreadViewTest : public qttest::QtTest {
  protected:
    void SetUp() override {
        for (auto desc : ui::SetupPageDescription()) {
            if (desc.name != "KVSScan") continue;
            desc.parent.clear();
            grid_ = host::As<host::KVSpread>(models_.factory.Create(desc));
        }
        ASSERT_TRUE(grid_);
        grid_->SetRowCount(2);
        const double rows[2][4] = {{10, 10, 400, 500}, {20, 10, 450, 520}};
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 4; ++c) grid_->SetCell(c + 1, r + 1, rows[r][c]);
        grid_->OnCellChanged([this](std::int32_t c, std::int32_t r) {
            changed_.push_back({c, r});
        });
        grid_->OnRowSelected([this](std::int32_t r) { selected_.push_back(r); });
        view_ = new SpreadView(grid_, reports_.Context(), &window_);
        window_.resize(800, 300);
        window_.show();
    }

    QTableView& Table() { return *view_->Table(); }
    QModelIndex At(int col, int row) { return view_->TableModel()->index(row - 1, col - 1); }
    // Types text into the cell's editor and presses Return, as a person does.
    void Type(int col, int row, const QString& text) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // earlier editors
        Table().setCurrentIndex(At(col, row));
        Table().edit(At(col, row));
        auto* editor = Table().viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();  // the delegate commits on a queued call
    }

    qttest::Models models_;
    qttest::Reports reports_;
    QWidget window_;
    std::shared_ptr<host::KVSpread> grid_;
    SpreadView* view_ = nullptr;
    std::vector<std::pair<int, int>> changed_;
    std::vector<int> selected_;
};

TEST_F(SpreadViewTest, Adapter_StaysConsistentThroughEveryChangeOfTheGrid) {
    gWarnings.clear();
    const auto previous = qInstallMessageHandler(RecordWarning);
    {
        QAbstractItemModelTester tester(view_->TableModel(),
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        grid_->InsertRow(1);
        grid_->SetRowCaption(1, "1");
        grid_->SetCell(3, 1, 410.0);
        grid_->DeleteRow(3);
        grid_->SetColumnCount(1);
        host::ParamDef def;
        def.caption = "Int";
        grid_->AddColumn(def, 1200);
        grid_->SetRowCount(5);
        grid_->Reset();
        grid_->SetRowCount(0);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(gWarnings.empty()) << gWarnings.front();
    EXPECT_EQ(view_->TableModel()->rowCount(), 0);
}

TEST_F(SpreadViewTest, Cells_ShowTheGridWithCaptionsAndFollowCodeWithoutNotifying) {
    auto& model = *view_->TableModel();
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "X-Pos");
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), "Em.Wl");
    grid_->SetRowCaption(2, "2");
    EXPECT_EQ(model.headerData(1, Qt::Vertical).toString(), "2");
    EXPECT_TRUE(Table().verticalHeader()->isVisible());
    EXPECT_EQ(Table().columnWidth(0), 1200 / 15);

    grid_->SetCell(1, 2, 20.4);
    EXPECT_EQ(model.data(At(1, 2)).toString(), "20.4");
    EXPECT_EQ(model.data(At(1, 2), SpreadTableModel::kValueRole).toDouble(), 20.4);
    grid_->SetRowCount(3);
    EXPECT_EQ(model.rowCount(), 3);
    grid_->SetProperty("col(2).visible", false);
    EXPECT_TRUE(Table().isColumnHidden(1));
    EXPECT_TRUE(changed_.empty());
    EXPECT_TRUE(selected_.empty());
}

TEST_F(SpreadViewTest, TypingAValue_ReachesTheGridAndRaisesCellChanged) {
    Type(4, 1, "520");
    EXPECT_EQ(grid_->Cell(4, 1), host::Variant(520.0));
    ASSERT_EQ(changed_.size(), 1u);
    EXPECT_EQ(changed_[0], std::make_pair(4, 1));
    EXPECT_EQ(view_->TableModel()->data(At(4, 1)).toString(), "520");
    EXPECT_TRUE(reports_.texts.empty());

    // Committing the same text again changes nothing and tells nobody.
    Type(4, 1, "520");
    EXPECT_EQ(changed_.size(), 1u);
}

TEST_F(SpreadViewTest, ARefusedValue_IsReportedAndTheCellKeepsItsValue) {
    grid_->SetColumnRange(3, "200..800");
    Type(3, 1, "900");
    EXPECT_EQ(grid_->Cell(3, 1), host::Variant(400.0));
    EXPECT_TRUE(changed_.empty());
    ASSERT_EQ(reports_.texts.size(), 1u);
    EXPECT_NE(reports_.texts[0].find("outside the range"), std::string::npos);
    EXPECT_EQ(view_->TableModel()->data(At(3, 1)).toString(), "400");

    Type(1, 1, "ten");
    EXPECT_EQ(grid_->Cell(1, 1), host::Variant(10.0));
    EXPECT_EQ(reports_.texts.size(), 2u);
}

TEST_F(SpreadViewTest, AFailingCellHandler_IsReportedAndLeavesNoExceptionInTheSlot) {
    grid_->OnCellChanged([](std::int32_t, std::int32_t) {
        throw host::Error(42, "the position list could not follow");
    });
    Type(2, 2, "12.5");
    EXPECT_EQ(grid_->Cell(2, 2), host::Variant(12.5));
    ASSERT_EQ(reports_.texts.size(), 1u);
    EXPECT_EQ(reports_.texts[0], "the position list could not follow");
}

TEST_F(SpreadViewTest, SelectingARow_ReportsItAndTheGridsActiveRowIsShown) {
    const QRect cell = Table().visualRect(At(2, 2));
    QTest::mouseClick(Table().viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(selected_, std::vector<int>{2});
    EXPECT_EQ(grid_->ActiveRow(), 2);

    // Code deletes the active row: the view follows, and only the grid itself
    // reports that no row is selected any more.
    grid_->DeleteRow(2);
    EXPECT_FALSE(Table().currentIndex().isValid());
    EXPECT_EQ(selected_, (std::vector<int>{2, 0}));

    QTest::mouseClick(Table().viewport(), Qt::LeftButton, {},
                      Table().visualRect(At(1, 1)).center());
    EXPECT_EQ(selected_, (std::vector<int>{2, 0, 1}));
    grid_->InsertRow(1);  // the active row moves down with its row
    EXPECT_EQ(Table().currentIndex().row(), 1);
    EXPECT_EQ(selected_.size(), 3u);
}

// A grid too large to be looked at whole after each change, emptied and
// filled again with as many rows (stored data loaded after a run): the
// column grows for a long value in any row, not only the last.
TEST_F(SpreadViewTest, ColumnsFitEveryRowOfDataLoadedAgain) {
    constexpr int kRows = 1100;
    auto load = [&](double first) {
        grid_->SetRowCount(0);
        grid_->SetRowCount(kRows);
        for (int r = 1; r <= kRows; ++r) grid_->SetCell(1, r, r == 1 ? first : 1.5);
        QCoreApplication::processEvents();  // the fit runs once the load is over
    };
    load(1.5);
    ASSERT_GT(kRows * view_->TableModel()->columnCount(), 4096);
    load(123456789012.25);
    const QString text = At(1, 1).data().toString();
    EXPECT_GT(Table().columnWidth(0), QFontMetrics(Table().font()).horizontalAdvance(text))
        << text.toStdString();
}

TEST_F(SpreadViewTest, PopupMenu_OffersOnlyASaveThatSomeoneAnswers) {
    // Nobody answers the save request yet: nothing to offer, no menu.
    EXPECT_EQ(view_->MakePopupMenu(&window_), nullptr);
    int saves = 0;
    grid_->OnSaveRequest([&] { ++saves; });
    ASSERT_EQ(Table().contextMenuPolicy(), Qt::CustomContextMenu);

    qttest::WhenModal(
        [](QWidget* popup) {
            auto* menu = qobject_cast<QMenu*>(popup);
            ASSERT_NE(menu, nullptr);
            QAction* save = menu->findChild<QAction*>("save");
            ASSERT_NE(save, nullptr);
            EXPECT_EQ(save->text(), "Save...");
            EXPECT_EQ(menu->actions().size(), 1);  // no item that does nothing
            save->trigger();
            menu->close();
        },
        true);
    emit Table().customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(saves, 1);

    grid_->SetProperty("enablepopup", false);
    EXPECT_EQ(Table().contextMenuPolicy(), Qt::NoContextMenu);
}

}  // namespace
