#include <gtest/gtest.h>

#include <QComboBox>
#include <QTableView>

#include "platform/kvdova/documents.h"
#include "platform/qt/setup_table_model.h"
#include "platform/qt/setup_value_delegate.h"
#include "platform/qt/setup_view.h"
#include "qt/qt_support.h"

namespace {

using qtview::SetupTableModel;

class SetupViewTest : public qttest::QtTest {
  protected:
    void SetUp() override {
        display_ = models_.Make<host::UCORVE>(host::ControlKind::UCORVE, "UCORVE", {},
                                              {0, 0, 11775, 3435});
        auto desc = kvdova::NewParamDefList();
        auto add = [&](const char* id, std::int32_t type, const char* unit, const char* range,
                       const char* def) {
            host::ParamDef d;
            d.id = id;
            d.name = id;
            d.dataType = type;
            d.unit = unit;
            d.range = range;
            d.text1 = def;
            desc->Add(d);
        };
        add("ExSlit", host::kTypeNumber, "nm", "1..20", "5");
        add("Lamp", host::kTypeText, "", "{On;Off}", "Off");
        display_->SetSetupDescription(desc);
        display_->OnSetupChanged([this] { ++changes_; });
        view_ = new qtview::SetupView(display_, reports_.Context(), &window_);
        window_.show();
    }
    SetupTableModel& Model() { return *view_->TableModel(); }
    QModelIndex Value(int row) { return Model().index(row, 1); }

    qttest::Models models_;
    qttest::Reports reports_;
    QWidget window_;
    std::shared_ptr<host::UCORVE> display_;
    qtview::SetupView* view_ = nullptr;
    int changes_ = 0;
};

TEST_F(SetupViewTest, Rows_ShowTheSetupAndFollowCodeWithoutNotifying) {
    ASSERT_EQ(Model().rowCount(), 2);
    EXPECT_EQ(Model().index(0, 0).data().toString(), "ExSlit [nm]");
    EXPECT_EQ(Value(0).data().toString(), "5");
    display_->SetSetupValue("ExSlit", 7.5);
    EXPECT_EQ(Value(0).data().toString(), "7.5");
    display_->SetSetupValue("Voltage", 775.0);  // a key beyond the description is shown too
    EXPECT_EQ(Model().rowCount(), 3);
    EXPECT_EQ(changes_, 0);
}

TEST_F(SetupViewTest, Editing_GoesThroughTheDisplayAndARefusalKeepsTheValue) {
    EXPECT_TRUE(Model().flags(Value(0)) & Qt::ItemIsEditable);
    EXPECT_FALSE(Model().flags(Model().index(0, 0)) & Qt::ItemIsEditable);
    ASSERT_TRUE(Model().setData(Value(0), QStringLiteral("12")));
    EXPECT_EQ(display_->CurrentSetup()->ValueOf("ExSlit"), host::Variant(12.0));
    EXPECT_EQ(changes_, 1);

    EXPECT_FALSE(Model().setData(Value(0), QStringLiteral("40")));
    EXPECT_EQ(display_->CurrentSetup()->ValueOf("ExSlit"), host::Variant(12.0));
    EXPECT_EQ(changes_, 1);
    ASSERT_EQ(reports_.texts.size(), 1u);
}

TEST_F(SetupViewTest, ListValues_AreChosenFromADropDown) {
    qtview::SetupValueDelegate delegate;
    std::unique_ptr<QWidget> editor(delegate.createEditor(&window_, {}, Value(1)));
    auto* combo = qobject_cast<QComboBox*>(editor.get());
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 2);
    delegate.setEditorData(combo, Value(1));
    EXPECT_EQ(combo->currentText(), "Off");
    combo->setCurrentIndex(0);
    delegate.setModelData(combo, &Model(), Value(1));
    EXPECT_EQ(display_->CurrentSetup()->ValueOf("Lamp"), host::Variant("On"));
    EXPECT_EQ(changes_, 1);
}

}  // namespace
