#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "module_fixture.h"

namespace {

std::string WriteCatalogue(const std::string& name, const std::string& json) {
    auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path) << json;
    return path.string();
}

}  // namespace

class LocalizeWithoutSection : public ModuleTest {
  protected:
    loader::HostOptions Options() override {
        loader::HostOptions o;
        o.cataloguePath =
            WriteCatalogue("orve_cat_nosection.json", R"({"texts": {"Setup": "Einrichtung"}})");
        return o;
    }
};

TEST_F(LocalizeWithoutSection, ChangesNoCaption) {
    auto before = uc_->Page().kvpAddPos->Property("caption").ToString();
    control_->LocalizeControl();
    EXPECT_EQ(uc_->Page().kvpAddPos->Property("caption").ToString(), before);
}

TEST(Localize, ShippedCatalogueLocalisesCaptions) {
    loader::HostOptions o;
    o.cataloguePath = std::string(ORVE_SOURCE_DIR) + "/examples/catalogue-de.json";
    auto h = std::make_shared<loader::ReferenceHost>(o);
    auto control = module::TheClassFactory().CreateInstance(h);
    auto* uc = static_cast<module::UCVIZari*>(control.get());
    auto before = uc->Page().kvpAddPos->Property("caption").ToString();
    control->LocalizeControl();
    EXPECT_NE(uc->Page().kvpAddPos->Property("caption").ToString(), before);
    control.reset();
    host::SetCurrentHost(nullptr);
}
