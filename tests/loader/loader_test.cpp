#include "platform/loader/component_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "host/error.h"
#include "module/version.h"
#include "platform/loader/reference_host.h"

namespace fs = std::filesystem;

namespace {

const std::string kLibrary = ORVE_DEFAULT_LIBRARY;

class LoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("orve_registry_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        ::setenv("ORVE_REGISTRY_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("ORVE_REGISTRY_DIR");
        fs::remove_all(dir_);
    }
    fs::path dir_;
};

}  // namespace

TEST_F(LoaderTest, CreatesAWorkingControlFromTheBuiltLibrary) {
    auto lib = loader::ComponentLibrary::Open(kLibrary);
    auto host = std::make_shared<loader::ReferenceHost>(loader::HostOptions{});
    {
        auto control = lib->CreateControl(host);
        auto pages = control->AvailPages();
        EXPECT_EQ(pages->Descriptor(1), "1;Setup;Setup");
        EXPECT_EQ(control->UsedInstType(1), "ORVE");
        EXPECT_EQ(lib->CanUnloadNow(), host::kSFalse);  // a control is alive
    }
    EXPECT_EQ(lib->CanUnloadNow(), host::kSOk);
    lib->Factory("UCVIZari").LockServer(true);
    EXPECT_EQ(lib->CanUnloadNow(), host::kSFalse);
    lib->Factory("UCVIZari").LockServer(false);
    EXPECT_EQ(lib->CanUnloadNow(), host::kSOk);
}

TEST_F(LoaderTest, RegisterWritesOneLineAndUnregisterRemovesIt) {
    auto lib = loader::ComponentLibrary::Open(kLibrary);
    ASSERT_EQ(lib->Register(), host::kSOk);
    ASSERT_EQ(lib->Register(), host::kSOk);  // registering again keeps one line
    auto entries = loader::ReadRegistry(loader::RegistryFilePath());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].className, "UCVIZari");
    EXPECT_EQ(fs::canonical(entries[0].libraryPath), fs::canonical(kLibrary));
    // The name the library was opened by, not the versioned file it links to.
    EXPECT_EQ(fs::path(entries[0].libraryPath).filename(), fs::path(kLibrary).filename());
    EXPECT_EQ(entries[0].version, module::VersionText());
    EXPECT_EQ(lib->Version(), module::VersionText());
    EXPECT_EQ(loader::FindRegisteredLibrary("ucvizari", loader::RegistryFilePath()),
              entries[0].libraryPath);
    ASSERT_EQ(lib->Unregister(), host::kSOk);
    EXPECT_TRUE(loader::ReadRegistry(loader::RegistryFilePath()).empty());
    EXPECT_THROW(loader::FindRegisteredLibrary("UCVIZari", loader::RegistryFilePath()),
                 host::Error);
}

TEST_F(LoaderTest, BadInputGetsClearErrors) {
    EXPECT_THROW(loader::ComponentLibrary::Open("/nonexistent/ORVEVIZari.so"), host::Error);
    // A file that is not a component library.
    auto notLib = dir_ / "plain.so";
    std::ofstream(notLib) << "not a library";
    EXPECT_THROW(loader::ComponentLibrary::Open(notLib.string()), host::Error);
    auto lib = loader::ComponentLibrary::Open(kLibrary);
    EXPECT_THROW(lib->Factory("NoSuchClass"), host::Error);
    std::ofstream(dir_ / "registry.txt") << "UCVIZari /no/tab/here\n";
    try {
        loader::ReadRegistry(loader::RegistryFilePath());
        FAIL();
    } catch (const host::Error& e) {
        EXPECT_NE(e.Text().find(":1:"), std::string::npos);
    }
    // Entries without a version (older libraries) still read; a fourth field does not.
    std::ofstream(dir_ / "registry.txt") << "A\t/a.so\nB\t/b.so\t1.0.0\nC\t/c.so\t1\tx\n";
    try {
        loader::ReadRegistry(loader::RegistryFilePath());
        FAIL();
    } catch (const host::Error& e) {
        EXPECT_NE(e.Text().find(":3:"), std::string::npos);
    }
    std::ofstream(dir_ / "registry.txt") << "A\t/a.so\nB\t/b.so\t1.0.0\n";
    auto entries = loader::ReadRegistry(loader::RegistryFilePath());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].libraryPath, "/a.so");
    EXPECT_EQ(entries[0].version, "");
    EXPECT_EQ(entries[1].libraryPath, "/b.so");
    EXPECT_EQ(entries[1].version, "1.0.0");
}
