// "Adjust Pos" on the setup page against the simulated instrument: a person
// selects a row, steers the reader in the dialog and accepts or cancels.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/error.h"
#include "platform/controls/control_factory.h"
#include "platform/controls/form.h"
#include "platform/kvbase/progress.h"
#include "scenario_fixture.h"

namespace {

using Commands = std::vector<std::string>;
using Person = std::function<void(host::Form&)>;

constexpr std::int32_t kUp = 2, kRight = 3, kDown = 4;
constexpr std::int32_t kStep5mm = 3;

void Press(host::Form& f, std::int32_t arrow) {
    host::As<host::KVPicButton>(f.Find("KVPAlignWPR", arrow))->UserClick();
}
double Shown(host::Form& f, const char* entry) {
    return host::As<host::KVEntry>(f.Find(entry))->Value().ToDouble();
}

class AdjustPos : public ScenarioTest {
  protected:
    void SetUp() override {
        ScenarioTest::SetUp();
        host_->Factory().SetModalRunner([this](host::Form& f) {
            ++dialogs_;
            owner_ = dynamic_cast<controls::Form&>(f).Owner();
            if (person_) person_(f);
        });
        Sent();
    }

    host::KVSpread& Grid() { return *uc_->Page().kvsScan; }
    // Selects the row as a person would and presses "Adjust Pos".
    void Adjust(std::int32_t row, Person person) {
        Grid().UserSelectRow(row);
        person_ = std::move(person);
        uc_->Page().kvpAdjust->UserClick();
        person_ = nullptr;
    }
    // Where the simulated reader stands, as the instrument answers.
    std::string ReaderAt() {
        std::string answer;
        host_->Instruments().CreateServer()->ExecSynch("Get WPR.POS", answer);
        return answer;
    }
    std::string StatusText() { return host_->Console().LastStatusText(); }

    Person person_;
    int dialogs_ = 0;
    host::WindowHandle owner_ = 0;
};

TEST_F(AdjustPos, Ok_WritesTheExactSumsIntoXAndYOfTheActiveRowOnly) {
    ASSERT_EQ(Grid().RowCount(), 1);  // the cleared method's (10, 10, 400, 500)
    Adjust(1, [](host::Form& f) {
        Press(f, kRight);
        Press(f, kRight);
        Press(f, kDown);
        f.UserPressEnter();
    });
    EXPECT_EQ(Sent(), (Commands{"SetM WPR.POS=10.2;10.0", "SetM WPR.POS=10.4;10.0",
                                "SetM WPR.POS=10.4;10.2"}));
    EXPECT_EQ(Grid().Cell(1, 1).ToDouble(), 10.0 + 0.2 + 0.2);
    EXPECT_EQ(Grid().Cell(2, 1).ToDouble(), 10.0 + 0.2);
    EXPECT_EQ(Grid().Cell(3, 1).ToDouble(), 400.0);
    EXPECT_EQ(Grid().Cell(4, 1).ToDouble(), 500.0);
    EXPECT_EQ(owner_, uc_->Surface().Handle());
    EXPECT_EQ(ReaderAt(), "10.40;10.20");
}

TEST_F(AdjustPos, Cancel_LeavesTheRowWhileTheReaderStaysWhereItWent) {
    Grid().InsertRow(2);
    for (std::int32_t c = 1; c <= 4; ++c) Grid().SetCell(c, 2, 20.0 + c);
    Adjust(2, [](host::Form& f) {
        Press(f, kDown);
        Press(f, kDown);
        f.UserPressEscape();
    });
    EXPECT_EQ(Sent(), (Commands{"SetM WPR.POS=21.0;22.2", "SetM WPR.POS=21.0;22.4"}));
    EXPECT_EQ(Grid().Cell(1, 2).ToDouble(), 21.0);
    EXPECT_EQ(Grid().Cell(2, 2).ToDouble(), 22.0);
    EXPECT_EQ(ReaderAt(), "21.00;22.40");
}

TEST_F(AdjustPos, UpAtFiveMillimetres_SendsMinusTwoAndShowsTheInstrumentsRefusal) {
    Grid().SetCell(1, 1, 20.0);
    Grid().SetCell(2, 1, 3.0);
    Adjust(1, [&](host::Form& f) {
        host::As<host::OptionButton>(f.Find("OptStep", kStep5mm))->UserSelect();
        Press(f, kUp);
        // The stage ends at 0 mm: the instrument refuses, the dialog does not.
        EXPECT_TRUE(f.IsShown());
        EXPECT_NE(StatusText().find("outside"), std::string::npos) << StatusText();
        f.UserPressEnter();
    });
    EXPECT_EQ(Sent(), (Commands{"SetM WPR.POS=20.0;-2.0"}));
    EXPECT_EQ(Grid().Cell(2, 1).ToDouble(), -2.0);
}

TEST_F(AdjustPos, FailingMove_ShowsItsMessageAndKeepsTheDialogOpenWithTheEntriesMoved) {
    Fault("SetM WPR.POS#1=Jammed:the stage is jammed");
    Adjust(1, [&](host::Form& f) {
        Press(f, kRight);
        EXPECT_TRUE(f.IsShown());
        EXPECT_EQ(Shown(f, "KVEPosX"), 10.2);
        EXPECT_NE(StatusText().find("the stage is jammed"), std::string::npos) << StatusText();
        Press(f, kRight);
        f.UserPressEnter();
    });
    EXPECT_EQ(Sent(), (Commands{"SetM WPR.POS=10.2;10.0", "SetM WPR.POS=10.4;10.0"}));
    EXPECT_EQ(Grid().Cell(1, 1).ToDouble(), 10.0 + 0.2 + 0.2);
    EXPECT_EQ(ReaderAt(), "10.40;10.00");
}

TEST_F(AdjustPos, RowsWithoutCoordinates_OpenAtTheOriginAndNoActiveRowOpensNothing) {
    Grid().InsertRow(1);  // a row inserted at the top stays empty
    double x = -1, y = -1;
    Adjust(1, [&](host::Form& f) {
        x = Shown(f, "KVEPosX");
        y = Shown(f, "KVEPosY");
        f.UserClose();
    });
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
    EXPECT_TRUE(Grid().Cell(1, 1).IsEmpty());
    EXPECT_EQ(dialogs_, 1);

    // Deselected, the button is disabled; pressed anyway, no dialog opens.
    Grid().UserSelectRow(0);
    EXPECT_FALSE(uc_->Page().kvpAdjust->Enabled());
    uc_->Page().kvpAdjust->SetEnabled(true);
    uc_->Page().kvpAdjust->UserClick();
    EXPECT_EQ(dialogs_, 1);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(AdjustPos, ACellThatIsNoNumber_ReachesTheClickerAndOpensNoDialog) {
    Grid().SetCell(1, 1, "left of A1");
    EXPECT_THROW(Adjust(1, [](host::Form& f) { f.UserPressEnter(); }), host::Error);
    EXPECT_EQ(dialogs_, 0);
    EXPECT_EQ(Grid().Cell(1, 1).ToString(), "left of A1");
}

}  // namespace
