#include <gtest/gtest.h>

#include <algorithm>

#include "scenario_fixture.h"

namespace {

const std::vector<Position> kThree = {
    {12.5, 4, 485, 520}, {21.5, 4, 485, 520}, {30.5, 4, 485, 520}};

using Measurement = ScenarioTest;

std::ptrdiff_t IndexOf(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) - v.begin();
}

}  // namespace

TEST_F(Measurement, FluorInAnyCaseSkipsTheDarkCurrent) {
    for (const char* mode : {"Fluor", "FLUOR"}) {
        auto m = Method(kThree, mode);
        ASSERT_EQ(control_->LoadMethod(m), 0);
        Sent();
        ASSERT_EQ(control_->InitMeasurement(m, host_->NewAcqData()), 0);
        auto sent = Sent();
        EXPECT_FALSE(Contains(sent, "Run SubDC")) << mode;
        EXPECT_FALSE(Contains(sent, "Set SubDC=On")) << mode;
        EXPECT_FALSE(Contains(sent, "Get Lamp")) << mode;
        EXPECT_EQ(control_->ExitMeasurement(m), 0);
    }
}

TEST_F(Measurement, OtherModesMeasureTheDarkCurrentAndRestoreTheLamp) {
    auto m = Method(kThree, "Phos", /*autoLamp=*/false);
    ASSERT_EQ(control_->LoadMethod(m), 0);
    Sent();
    const double before = host_->GetClock().Now();
    ASSERT_EQ(control_->InitMeasurement(m, host_->NewAcqData()), 0);
    auto sent = Sent();
    auto get = IndexOf(sent, "Get Lamp"), off = IndexOf(sent, "Set Lamp=Off"),
         on = IndexOf(sent, "Set SubDC=On"), run = IndexOf(sent, "Run SubDC");
    // The lamp was "On" when read: that answer is sent back last.
    auto restore = static_cast<std::ptrdiff_t>(sent.size()) - 1;
    EXPECT_EQ(sent.back(), "Set Lamp=On");
    ASSERT_LT(restore, static_cast<std::ptrdiff_t>(sent.size()));
    EXPECT_LT(get, off);
    EXPECT_LT(off, on);
    EXPECT_LT(on, run);
    EXPECT_LT(run, restore);
    EXPECT_GE(host_->GetClock().Now() - before, 1.0);  // the 1 s wait before the dark current
    EXPECT_EQ(control_->ExitMeasurement(m), 0);
}

TEST_F(Measurement, PositionsProduceTheCommandTextsAndOneRow) {
    auto m = Method(kThree);
    ASSERT_EQ(control_->LoadMethod(m), 0);
    auto data = host_->NewAcqData();
    ASSERT_EQ(control_->InitMeasurement(m, data), 0);
    data->AddItem(host::ItemGroup::Type1, 1, "A1");
    Sent();
    ASSERT_EQ(control_->MeasureSample(m, 1, 1, Sample("A1")), 0);
    auto sent = Sent();
    EXPECT_TRUE(Contains(sent, "SetM WPR.POS=12.5;4.0"));
    EXPECT_TRUE(Contains(sent, "SetM WL=485.0;520.0"));
    EXPECT_EQ(sent.front(), "Set SimFactor=5");
    EXPECT_EQ(sent[1], "Set Lamp=On");
    EXPECT_EQ(sent.back(), "Set Lamp=Off");
    auto& grid = *uc_->Page().kvsResult;
    ASSERT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.Cell(1, 1).ToString(), "A1");
    EXPECT_EQ(data->ResultCount(), 3);
    EXPECT_EQ(data->Result(2).record->Value(1), grid.Cell(3, 1).ToDouble());
    EXPECT_TRUE(data->ItemFlag(host::ItemGroup::Type1, 1));
    EXPECT_EQ(sink_.newData, 1);
    EXPECT_EQ(control_->ExitMeasurement(m), 0);
    auto end = Sent();
    EXPECT_EQ(end, (std::vector<std::string>{"Park WPR"}));
}

TEST_F(Measurement, FailingReadAtPositionTwoKeepsWhatWasMeasured) {
    auto m = Method(kThree);
    ASSERT_EQ(control_->LoadMethod(m), 0);
    auto data = host_->NewAcqData();
    ASSERT_EQ(control_->InitMeasurement(m, data), 0);
    data->AddItem(host::ItemGroup::Type1, 1, "A1");
    Fault("Get Int#2=Overload:detector overload");
    Sent();
    EXPECT_NE(control_->MeasureSample(m, 1, 1, Sample("A1")), 0);
    auto& grid = *uc_->Page().kvsResult;
    ASSERT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.Cell(1, 1).ToString(), "A1");
    EXPECT_NE(grid.Cell(2, 1).ToDouble(), 0.0);
    EXPECT_TRUE(grid.Cell(3, 1).IsEmpty());
    EXPECT_EQ(data->ResultCount(), 1);
    EXPECT_FALSE(data->ItemFlag(host::ItemGroup::Type1, 1));
    EXPECT_EQ(sink_.newData, 0);
    EXPECT_EQ(Sent().back(), "Set Lamp=Off");
}

TEST_F(Measurement, ResultTypeTwoStoresWithoutItemFlags) {
    auto m = Method(kThree);
    ASSERT_EQ(control_->LoadMethod(m), 0);
    auto data = host_->NewAcqData();
    ASSERT_EQ(control_->InitMeasurement(m, data), 0);
    data->AddItem(host::ItemGroup::Other, 1, "B1");
    ASSERT_EQ(control_->MeasureSample(m, 2, 1, Sample("B1")), 0);
    EXPECT_EQ(data->ResultCount(), 3);
    EXPECT_FALSE(data->ItemFlag(host::ItemGroup::Other, 1));
}

TEST_F(Measurement, AMethodWithoutPositionsAppendsAnIdOnlyRow) {
    auto m = Method({});
    ASSERT_EQ(control_->LoadMethod(m), 0);
    auto data = host_->NewAcqData();
    ASSERT_EQ(control_->InitMeasurement(m, data), 0);
    data->AddItem(host::ItemGroup::Type1, 1, "E1");
    Sent();
    ASSERT_EQ(control_->MeasureSample(m, 1, 1, Sample("E1")), 0);
    auto& grid = *uc_->Page().kvsResult;
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.ColumnCount(), 1);
    EXPECT_EQ(sink_.newData, 1);
    auto sent = Sent();
    EXPECT_TRUE(Contains(sent, "Set Lamp=On"));
    EXPECT_TRUE(Contains(sent, "Set Lamp=Off"));
    EXPECT_TRUE(data->ItemFlag(host::ItemGroup::Type1, 1));
}

TEST_F(Measurement, ExitReturnsZeroWhenParkIsRefused) {
    auto m = Method(kThree);
    ASSERT_EQ(control_->LoadMethod(m), 0);
    ASSERT_EQ(control_->InitMeasurement(m, host_->NewAcqData()), 0);
    Fault("Park WPR=Stage:stage blocked");
    EXPECT_EQ(control_->ExitMeasurement(m), 0);
    auto sent = transcript_.str();
    EXPECT_NE(sent.find("# Lock 0"), std::string::npos);
}

TEST_F(Measurement, InitWithoutAcquisitionDataKeepsThePreviousOne) {
    auto m = Method(kThree);
    ASSERT_EQ(control_->LoadMethod(m), 0);
    auto data = host_->NewAcqData();
    ASSERT_EQ(control_->InitMeasurement(m, data), 0);
    ASSERT_EQ(control_->ExitMeasurement(m), 0);
    ASSERT_EQ(control_->InitMeasurement(m, nullptr), 0);
    EXPECT_EQ(uc_->CurrentAcqData(), data);
    // The data given to the run carry the instrument's identity.
    const auto identity = data->InstrumentInfo(1);
    ASSERT_TRUE(identity);
    const auto& env = host_->Environment();
    EXPECT_EQ(identity->ValueOf(env.InstIdKey()).ToString(),
              loader::SimulatedInstrumentInfo(*host_)->Serial());
    EXPECT_EQ(identity->ValueOf(env.InstNameKey()).ToString(), "Simulated plate reader");
    EXPECT_FALSE(identity->ValueOf("InstFirmRev").ToString().empty());
    EXPECT_EQ(control_->ExitMeasurement(m), 0);
}

TEST_F(Measurement, AMethodWithoutLumModeFailsClearly) {
    auto m = Method(kThree);
    auto params = m->Params();
    params->SetCount(params->IndexOf("LumMode") - 1);  // LumMode and AutoLamp go
    auto status = control_->InitMeasurement(m, host_->NewAcqData());
    EXPECT_NE(status, 0);
    EXPECT_NE(host_->Errors().MessageText(status).find("LumMode"), std::string::npos);
    control_->ExitMeasurement(m);
}

TEST_F(Measurement, WithoutAnInstrumentEveryStepFailsButExitReturnsZero) {
    auto second = module::TheClassFactory().CreateInstance(host_);
    auto m = Method(kThree);
    EXPECT_NE(second->InitMeasurement(m, host_->NewAcqData()), 0);
    EXPECT_NE(second->MeasureSample(m, 1, 1, Sample("A1")), 0);
    EXPECT_EQ(second->ExitMeasurement(m), 0);
}

TEST_F(Measurement, NoAutoClearPrefixesTheIdWithTheDataText) {
    auto cfg = kvdova::NewUserConfig();
    host::ParamDef d;
    d.id = "AutoClearResults";
    d.dataType = host::kTypeBoolean;
    cfg->Settings()->Add(d, host::Variant(false));
    ASSERT_EQ(control_->SetupModule(cfg, kvdova::NewUserRights({{"CProcess", "Create"}})), 0);
    auto m = Method(kThree);
    ASSERT_EQ(control_->LoadMethod(m), 0);
    auto data = host_->NewAcqData();
    data->SetText("Run1");
    ASSERT_EQ(control_->InitMeasurement(m, data), 0);
    data->AddItem(host::ItemGroup::Type1, 1, "A1");
    ASSERT_EQ(control_->MeasureSample(m, 1, 1, Sample("A1")), 0);
    EXPECT_EQ(uc_->Page().kvsResult->Cell(1, 1).ToString(), "Run1.A1");
    EXPECT_EQ(host_->Console().LastProgress(), "Measure sample: Run1.A1");
}
