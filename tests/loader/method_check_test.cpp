#include "platform/loader/method_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "host/error.h"
#include "platform/kvdova/documents.h"

namespace {

std::shared_ptr<host::MethodObject> UsableMethod() {
    auto m = kvdova::NewMethodObject();
    m->SetMethodType("FLVIZari");
    host::ParamDef d;
    d.id = "LumMode";
    m->Params()->Add(d, host::Variant("Fluor"));
    m->SetTableCount(1);
    m->SetColumnCount(1, 4);
    m->SetRowCount(1, 2);
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 4; ++c) m->SetCell(1, c, r, host::Variant(std::int16_t(10 * c)));
    return m;
}

std::string Refusal(const host::MethodObject& m) {
    try {
        loader::CheckMethodDocument(m, "plate.json");
    } catch (const host::Error& e) {
        EXPECT_EQ(e.Number(), loader::kErrMethodDocument);
        return e.Text();
    }
    return "";
}

TEST(MethodCheck, AcceptsAUsableMethodWhateverTheTypesCase) {
    auto m = UsableMethod();
    EXPECT_EQ(Refusal(*m), "");
    m->SetMethodType("flvizari");
    m->SetRowCount(1, 0);  // no positions is still a method
    EXPECT_EQ(Refusal(*m), "");
}

TEST(MethodCheck, NamesTheFileAndWhatIsWrong) {
    const std::vector<std::pair<std::function<void(host::MethodObject&)>, std::string>> cases = {
        {[](host::MethodObject& m) { m.SetMethodType("FLScan"); }, "'FLScan', not 'FLVIZari'"},
        {[](host::MethodObject& m) { m.SetTableCount(0); }, "no position table"},
        {[](host::MethodObject& m) { m.SetColumnCount(1, 2); }, "has 2 columns, not 4"},
        {[](host::MethodObject& m) { m.SetCell(1, 3, 2, host::Variant("485 nm")); },
         "Ex.Wl of position 2 holds '485 nm'"},
        {[](host::MethodObject& m) { m.SetCell(1, 1, 1, host::Variant()); },
         "X-Pos of position 1 holds nothing"},
        {[](host::MethodObject& m) {
             m.SetCell(1, 2, 1, host::Variant(std::numeric_limits<double>::infinity()));
         },
         "no number"},
        {[](host::MethodObject& m) { m.Params()->SetCount(0); }, "no \"LumMode\" parameter"},
    };
    for (const auto& [spoil, message] : cases) {
        auto m = UsableMethod();
        spoil(*m);
        const std::string text = Refusal(*m);
        EXPECT_NE(text.find("'plate.json'"), std::string::npos) << text;
        EXPECT_NE(text.find(message), std::string::npos) << text;
    }
}

}  // namespace
