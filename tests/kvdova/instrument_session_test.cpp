#include "doc_samples.h"
#include "platform/kvdova/calibration_data.h"
#include "platform/kvdova/documents.h"
#include "platform/kvdova/instrument_info.h"
#include "platform/qnserver/data_packet.h"

namespace kvdova {
namespace {

using test::Def;
using test::ExpectError;

TEST(InstrumentInfo, ResetClearsEverythingInTheLiveSet) {
    InstrumentInfo info;
    auto params = info.Params();
    info.SetType("ORVE");
    info.SetSerial("SN 42");
    info.AddParam(Def("InstType", host::kTypeText), "ORVE");
    info.AddCalibration(std::make_shared<CalibrationData>("Wavelength"));
    EXPECT_EQ(params->ValueOf("insttype"), host::Variant("ORVE"));
    EXPECT_EQ(info.CalibrationCount(), 1);

    info.Reset(0);
    EXPECT_EQ(info.Type(), "");
    EXPECT_EQ(info.Serial(), "");
    EXPECT_EQ(params->Count(), 0);
    EXPECT_EQ(info.Params(), params);
    EXPECT_EQ(info.CalibrationCount(), 0);
    ExpectError([&] { info.Calibration(1); }, {"calibration 1"});
}

TEST(CalibrationData, PacketRoundTripWithKeysIgnoringCase) {
    CalibrationData cal("Wavelength");
    cal.SetValue("Offset", 0.25);
    cal.SetValue("Slope", 1.001);
    cal.SetValue("OFFSET", -0.5);
    EXPECT_EQ(cal.Count(), 2);
    qnserver::Packet packet;
    cal.SaveTo(packet, 0);

    CalibrationData loaded;
    loaded.LoadFrom(packet, 0);
    EXPECT_EQ(loaded.Name(), "Wavelength");
    EXPECT_EQ(loaded.Key(1), "Offset");
    EXPECT_EQ(loaded.Value("offset"), -0.5);
    EXPECT_EQ(loaded.Value("Slope"), 1.001);
    ExpectError([&] { loaded.Value("Gain"); }, {"'Gain' not found"});

    qnserver::Packet bad;
    bad.WriteString("Broken");
    bad.WriteCount(1);
    ExpectError([&] { loaded.LoadFrom(bad, 0); }, {"calibration packet"});
    EXPECT_EQ(loaded.Name(), "Wavelength");
}

TEST(Session, RightsIgnoreCaseAndPagesCheckTheirIndex) {
    auto rights = NewUserRights({{"CProcess", "Create"}});
    EXPECT_EQ(rights->HasRight("cprocess", "CREATE"), host::kVTrue);
    EXPECT_EQ(rights->HasRight("CProcess", "Delete"), host::kVFalse);

    auto pages = NewPageList();
    pages->SetCount(2);
    ExpectError([&] { pages->SetDescriptor(3, "x"); }, {"page 3", "1 to 2"});
}

}  // namespace
}  // namespace kvdova
