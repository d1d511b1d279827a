#include "platform/kvbase/acq_environment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "host/error.h"
#include "platform/kvbase/tools.h"

namespace {

// Just enough of a definition list for building a table layout.
class DefList : public host::ParamDefList {
  public:
    std::int32_t Count() const override { return static_cast<std::int32_t>(items_.size()); }
    std::shared_ptr<host::ParamDef> Item(std::int32_t i) const override { return items_.at(i - 1); }
    std::int32_t IndexOf(const std::string&) const override { return 0; }
    void Add(const host::ParamDef& def) override {
        items_.push_back(std::make_shared<host::ParamDef>(def));
    }
    void Clear() override { items_.clear(); }
    void SaveTo(host::DataPacket&, std::int32_t) const override {}
    void LoadFrom(host::DataPacket&, std::int32_t) override {}

  private:
    std::vector<std::shared_ptr<host::ParamDef>> items_;
};

}  // namespace

TEST(AcqEnvironment, ViewsAreBuiltFromCopiesOfTheColumns) {
    kvbase::Environment env;
    DefList columns;
    host::ParamDef sample;
    sample.id = "SampleID";
    columns.Add(sample);
    host::ParamDef intensity;
    intensity.id = "Int[1]";
    intensity.format = "0.000";
    columns.Add(intensity);

    auto selection = env.NewDataSelection("", "Acq", "Any", "{SampleID;Int[1]}");
    auto layout = env.NewTableLayout(columns);
    columns.Item(2)->id = "changed later";
    auto view = env.NewView("Online Result", selection, layout, "");
    EXPECT_EQ(view.selection, (host::DataSelection{"", "Acq", "Any", "{SampleID;Int[1]}"}));
    ASSERT_EQ(view.layout.columns.size(), 2u);
    EXPECT_EQ(view.layout.columns[1].id, "Int[1]");
    EXPECT_EQ(view.caption, "Online Result");
    EXPECT_THROW(env.NewDataSelection("", "Acq", "Any", "SampleID;Int[1]"), host::Error);
}

TEST(Tools, MaxAndInitialDirectory) {
    kvbase::Math math;
    EXPECT_EQ(math.Max(3, 4), 4);
    EXPECT_EQ(math.Max(-1, -2), -1);
    EXPECT_THROW(math.Max(std::nan(""), 1), host::Error);
    EXPECT_THROW(math.Max(1, std::nan("")), host::Error);

    kvbase::Paths paths;
    std::string tmp = std::filesystem::temp_directory_path().string();
    EXPECT_EQ(paths.InitialDirectory(tmp), tmp);
    const char* oldHome = std::getenv("HOME");
    std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", tmp.c_str(), 1);
    EXPECT_EQ(paths.InitialDirectory("/no/such/dir"), tmp);
    EXPECT_EQ(paths.InitialDirectory(""), tmp);
    setenv("HOME", "/no/such/home", 1);
    EXPECT_EQ(paths.InitialDirectory("/no/such/dir"), "/");
    unsetenv("HOME");
    EXPECT_EQ(paths.InitialDirectory("/no/such/dir"), "/");
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
}
