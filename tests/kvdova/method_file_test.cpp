#include "platform/kvdova/method_file.h"

#include <cstring>
#include <fstream>

#include <nlohmann/json.hpp>

#include "doc_samples.h"
#include "platform/kvbase/atomic_file.h"
#include "platform/kvdova/doc_error.h"

namespace kvdova {
namespace {

using nlohmann::json;
using test::ExpectError;

// Same kind and, for numbers, the same bits: NaN and -0.0 must survive too.
void ExpectSameVariant(const host::Variant& a, const host::Variant& b, const std::string& where) {
    ASSERT_EQ(a.GetKind(), b.GetKind()) << where;
    if (a.GetKind() == host::Variant::Kind::Double || a.GetKind() == host::Variant::Kind::Date) {
        double x = a.ToDouble(), y = b.ToDouble();
        EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << where << ": " << x << " vs " << y;
    } else {
        EXPECT_EQ(a, b) << where;
    }
}

void ExpectSameSet(const host::ParamSet& a, const host::ParamSet& b, const std::string& where) {
    ASSERT_EQ(a.Count(), b.Count()) << where;
    for (std::int32_t i = 1; i <= a.Count(); ++i) {
        EXPECT_EQ(*a.Def(i), *b.Def(i)) << where << " " << i;
        ExpectSameVariant(a.Value(i), b.Value(i), where + " value " + std::to_string(i));
    }
}

void ExpectSameMethod(const host::MethodObject& a, const host::MethodObject& b) {
    EXPECT_EQ(a.Name(), b.Name());
    EXPECT_EQ(a.MethodType(), b.MethodType());
    EXPECT_EQ(a.VersionTag(), b.VersionTag());
    ASSERT_EQ(a.InstrumentCount(), b.InstrumentCount());
    for (std::int32_t i = 1; i <= a.InstrumentCount(); ++i) {
        ExpectSameSet(*a.Instrument(i), *b.Instrument(i), "instrument");
    }
    ExpectSameSet(*a.Params(), *b.Params(), "params");
    ASSERT_EQ(a.TableCount(), b.TableCount());
    for (std::int32_t t = 1; t <= a.TableCount(); ++t) {
        ASSERT_EQ(a.ColumnCount(t), b.ColumnCount(t));
        ASSERT_EQ(a.RowCount(t), b.RowCount(t));
        for (std::int32_t c = 1; c <= a.ColumnCount(t); ++c) {
            EXPECT_EQ(a.ColumnDef(t, c), b.ColumnDef(t, c));
            for (std::int32_t r = 1; r <= a.RowCount(t); ++r) {
                ExpectSameVariant(a.Cell(t, c, r), b.Cell(t, c, r),
                                  "cell " + std::to_string(c) + "," + std::to_string(r));
            }
        }
    }
    ASSERT_EQ(a.ResultDefCount(), b.ResultDefCount());
    for (std::int32_t i = 1; i <= a.ResultDefCount(); ++i)
        EXPECT_EQ(a.GetResultDef(i), b.GetResultDef(i));
    ASSERT_EQ(a.ResultViewCount(), b.ResultViewCount());
    for (std::int32_t i = 1; i <= a.ResultViewCount(); ++i)
        EXPECT_EQ(a.GetResultView(i), b.GetResultView(i));
}

TEST(MethodFile, RoundTripKeepsEveryFieldExactly) {
    test::TempDir dir;
    auto original = test::SampleMethod();
    const std::string path = dir.File("m.json");
    SaveMethod(*original, path);
    auto loaded = LoadMethod(path);
    ExpectSameMethod(*original, *loaded);
    EXPECT_EQ(loaded->RowCount(2), 1);

    auto embedded = MethodFromJson(MethodToJson(*original));
    ExpectSameMethod(*original, *embedded);
}

TEST(MethodFile, WritingTheSameMethodGivesIdenticalBytes) {
    test::TempDir dir;
    auto original = test::SampleMethod();
    SaveMethod(*original, dir.File("a.json"));
    SaveMethod(*original, dir.File("b.json"));
    SaveMethod(*LoadMethod(dir.File("a.json")), dir.File("c.json"));
    const std::string a = kvbase::ReadFile(dir.File("a.json"));
    EXPECT_EQ(a, kvbase::ReadFile(dir.File("b.json")));
    EXPECT_EQ(a, kvbase::ReadFile(dir.File("c.json")));
    EXPECT_EQ(a, MethodToJson(*original));
    EXPECT_EQ(a.substr(0, 4), "{\n  ");
    EXPECT_THAT(a, ::testing::HasSubstr("\"formatVersion\": 1"));
    EXPECT_THAT(a, ::testing::HasSubstr("\"value\": \"NaN\""));
}

TEST(MethodFile, EmptyMethodRoundTrips) {
    MethodObject empty;
    auto loaded = MethodFromJson(MethodToJson(empty));
    ExpectSameMethod(empty, *loaded);
}

struct Damage {
    const char* what;
    std::function<void(json&)> change;
    std::vector<std::string> expected;
};

TEST(MethodFile, DamagedDocumentsAreRefusedNamingFileAndField) {
    test::TempDir dir;
    const json good = json::parse(MethodToJson(*test::SampleMethod()));
    const std::vector<Damage> cases = {
        {"text for a number",
         [](json& j) { j["tables"][0]["rows"][1][2]["value"] = "abc"; },
         {"ExWL caption of position 2: expected a number"}},
        {"missing field", [](json& j) { j.erase("name"); }, {"name: missing"}},
        {"fraction for an integer",
         [](json& j) { j["params"][0]["def"]["dataType"] = 1.5; },
         {"params[0].def.dataType: expected an integer"}},
        {"newer version",
         [](json& j) { j["formatVersion"] = 2; },
         {"formatVersion: version 2 is not supported"}},
        {"other document",
         [](json& j) { j["format"] = "ORVEVIZari acquisition data"; },
         {"format: expected \"ORVEVIZari method\""}},
        {"unknown field", [](json& j) { j["colour"] = "red"; }, {"colour: unknown field"}},
        {"short row",
         [](json& j) { j["tables"][0]["rows"][0].erase(3); },
         {"tables[0].rows[0]: expected 4 cells"}},
        {"unknown value kind",
         [](json& j) { j["params"][1]["value"]["type"] = "float"; },
         {"params[1].value.type: unknown value type 'float'"}},
        {"int16 out of range",
         [](json& j) { j["params"][2]["value"]["value"] = 40000; },
         {"params[2].value.value: expected an integer from -32768 to 32767"}},
        {"empty with a value",
         [](json& j) { j["params"][5]["value"]["value"] = 1; },
         {"params[5].value.value: unknown field"}},
        {"bad non-finite text",
         [](json& j) { j["tables"][1]["rows"][0][0]["value"] = "nan"; },
         {"column 1 of row 1 in table 2: expected a number, \"NaN\""}},
        {"view column",
         [](json& j) { j["resultViews"][0]["layout"]["columns"][1]["locked"] = 0; },
         {"resultViews[0].layout.columns[1].locked: expected true or false"}},
        {"top level array", [](json& j) { j = json::array(); }, {": expected an object"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        json doc = good;
        c.change(doc);
        const std::string path = dir.File("m.json");
        kvbase::WriteFileAtomic(path, doc.dump(2));
        try {
            LoadMethod(path);
            ADD_FAILURE() << "accepted";
        } catch (const host::Error& e) {
            EXPECT_EQ(e.Number(), kErrDocumentFile);
            EXPECT_THAT(e.Text(), ::testing::StartsWith(path + ": "));
            for (const auto& part : c.expected) EXPECT_THAT(e.Text(), ::testing::HasSubstr(part));
        }
    }
}

TEST(MethodFile, TruncatedOrMalformedTextIsRefused) {
    test::TempDir dir;
    const std::string text = MethodToJson(*test::SampleMethod());
    const std::string path = dir.File("cut.json");
    // Every cut must be refused; none may yield a method.
    for (std::size_t keep = 0; keep < text.size() - 1; keep += 31) {
        ExpectError([&] { MethodFromJson(text.substr(0, keep), "cut.json"); },
                    {"cut.json: not valid JSON", "line"});
    }
    kvbase::WriteFileAtomic(path, text.substr(0, text.size() / 2));
    ExpectError([&] { LoadMethod(path); }, {path, "not valid JSON"});
    std::string twice = text;
    const std::string type = "\"methodType\": \"FLVIZari\"";
    twice.replace(twice.find(type), type.size(), type + ",\n  \"methodType\": \"X\"");
    ExpectError([&] { MethodFromJson(twice, "dup.json"); },
                {"dup.json: methodType: the field appears twice"});
    ExpectError([&] { MethodFromJson(text + "x", "trail.json"); },
                {"trail.json", "not valid JSON"});
    ExpectError([&] { LoadMethod(dir.File("absent.json")); }, {"absent.json"});
}

TEST(MethodFile, TextThatIsNotUtf8IsRefusedAndNoFileWritten) {
    test::TempDir dir;
    auto m = test::SampleMethod();
    m->SetCell(1, 2, 1, "caf\xe9");
    const std::string path = dir.File("m.json");
    ExpectError([&] { SaveMethod(*m, path); },
                {path, "tables[0].rows[0][1].value: text is not valid UTF-8"});
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace kvdova
