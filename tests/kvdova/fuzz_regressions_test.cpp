// Inputs the parser fuzzing found faults with, kept so they stay fixed.
#include <gtest/gtest.h>

#include <string>

#include "host/error.h"
#include "platform/kvdova/acq_data_file.h"
#include "platform/kvdova/method_file.h"

namespace {

// A number beyond the range of a double escaped the readers as the JSON
// library's own exception instead of a refusal naming the file.
TEST(DocumentFileFuzzRegressions, NumberBeyondDoubleIsRefusedNamingTheFile) {
    const std::string huge = R"({"format": "x", "formatVersion": 1e400})";
    for (auto read : {+[](const std::string& t) { (void)kvdova::MethodFromJson(t, "m.json"); },
                      +[](const std::string& t) { (void)kvdova::AcqDataFromJson(t, "m.json"); }}) {
        try {
            read(huge);
            ADD_FAILURE() << "accepted";
        } catch (const host::Error& e) {
            EXPECT_NE(e.Text().find("m.json"), std::string::npos) << e.Text();
            EXPECT_NE(e.Text().find("1e400"), std::string::npos) << e.Text();
        }
    }
}

}  // namespace
