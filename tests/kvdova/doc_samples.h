#pragma once
// Sample documents and helpers shared by the document tests.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <string>

#include "host/error.h"
#include "platform/kvdova/acq_data.h"
#include "platform/kvdova/doc_error.h"
#include "platform/kvdova/method_object.h"
#include "platform/kvdova/param_set.h"
#include "platform/kvdova/result_record.h"

namespace kvdova::test {

inline host::ParamDef Def(const std::string& id, std::int32_t type = host::kTypeNumber) {
    host::ParamDef d;
    d.id = id;
    d.dataType = type;
    d.name = id + " name";
    d.caption = id + " caption";
    d.unit = "nm";
    d.ctrlType = host::kCtrlList;
    d.format = "0.0";
    d.text1 = "t1";
    d.text2 = "t2";
    d.locked = true;
    d.flag2 = true;
    d.range = "{On;Off}";
    d.flag = true;
    return d;
}

// A method as the module stores it, plus every value kind and awkward doubles.
inline std::shared_ptr<MethodObject> SampleMethod() {
    auto m = std::make_shared<MethodObject>();
    m->SetName("Plate \"A\"\tÄ");
    m->SetMethodType("FLVIZari");
    m->SetVersionTag("ORVEVIZari:1.00.00");
    m->SetInstrumentCount(1);
    m->Instrument(1)->Add(Def("InstName", host::kTypeText), "ORVE 1");
    m->Instrument(1)->Add(Def("LastVal", host::kTypeDate), host::Date{45000.25});
    auto p = m->Params();
    p->Add(Def("IntTime"), 0.1);
    p->Add(Def("AutoLamp", host::kTypeText), "On");
    p->Add(Def("Gain"), std::int16_t{-3});
    p->Add(Def("Count"), std::int32_t{2147483647});
    p->Add(Def("Locked", host::kTypeBoolean), true);
    p->Add(Def("Unset"), host::Variant());
    p->Add(Def("Tiny"), 4.9406564584124654e-324);
    p->Add(Def("NegZero"), -0.0);
    m->SetTableCount(2);
    m->SetColumnCount(1, 4);
    m->SetRowCount(1, 2);
    const char* ids[] = {"ExPos", "EmPos", "ExWL", "EmWL"};
    for (int c = 1; c <= 4; ++c) m->SetColumnDef(1, c, Def(ids[c - 1]));
    const double cells[2][4] = {{12.5, 4, 485, 520}, {0.1 + 0.2, 1e300, -1.5e-7, 1.0 / 3}};
    for (int r = 1; r <= 2; ++r) {
        for (int c = 1; c <= 4; ++c) m->SetCell(1, c, r, cells[r - 1][c - 1]);
    }
    m->SetColumnCount(2, 2);
    m->SetRowCount(2, 1);
    m->SetCell(2, 1, 1, std::numeric_limits<double>::quiet_NaN());
    m->SetCell(2, 2, 1, -std::numeric_limits<double>::infinity());
    m->SetResultDefCount(1);
    m->SetResultDef(1, {"Int", host::kTypeNumber, "Int", "#", "0.000", 1, ""});
    m->SetResultViewCount(2);
    host::ResultView view{"Online Result", {"", "Acq", "Any", "{SampleID;Int[1];}"}, {}, ""};
    view.layout.columns = {Def("SampleID", host::kTypeText), Def("Int[1]")};
    m->SetResultView(1, view);
    m->SetResultView(2, host::ResultView{});
    return m;
}

inline std::shared_ptr<AcqData> SampleAcqData() {
    auto d = std::make_shared<AcqData>();
    d->SetText("Run1");
    ParamSet info;
    info.Add(Def("InstName", host::kTypeText), "ORVE 1");
    d->SetInstrumentInfo(1, info);
    d->SetInstrumentInfo(3, ParamSet());
    d->AddItem(host::ItemGroup::Type1, 1, "A1");
    d->AddItem(host::ItemGroup::Type1, 2, "A2");
    d->AddItem(host::ItemGroup::Other, 1, "Std");
    d->SetItemFlag(host::ItemGroup::Type1, 2, true);
    ResultRecord rec;
    rec.Init(3);
    rec.SetValue(1, 1234.5);
    rec.SetValue(2, std::numeric_limits<double>::infinity());
    rec.SetValue(3, -1.0);
    d->AddResult(1, 1, 1, rec, 0);
    rec.SetValue(1, std::numeric_limits<double>::quiet_NaN());
    d->AddResult(1, 3, 3, rec, 7);
    d->SetRunInfo("Start", "2026-12-08 14:00");
    d->SetRunInfo("Method", "{\"embedded\":true}");  // structured: held as compact JSON
    return d;
}

// Runs f and expects a host::Error whose text holds every one of parts.
inline void ExpectError(const std::function<void()>& f, std::initializer_list<std::string> parts) {
    try {
        f();
        ADD_FAILURE() << "no error raised";
    } catch (const host::Error& e) {
        for (const auto& part : parts) EXPECT_THAT(e.Text(), ::testing::HasSubstr(part));
    }
}

// A fresh directory per test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("orve_kvdova_") + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string File(const std::string& name) const { return (dir_ / name).string(); }

  private:
    std::filesystem::path dir_;
};

}  // namespace kvdova::test
