#include "platform/Bundle.h"
#include "platform/ProductNames.h"
#include "shared/SettingsFileLocation.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// Installs that exist keep their settings only while the file stays where they wrote it,
// whatever the product comes to be called.
TEST(ProductNamesTest, SettingsFileStaysWhereExistingInstallsKeepIt) {
    EXPECT_EQ(settingsFileRelativePath, fs::path("Library/Application Support/Tavelo Live Wallpaper/config.json"));
}

// The names the programs look for at run time are the names the build gave its
// products: a bundle folder, an information dictionary or a program file that came
// out under another name would leave the application or the host unable to start, or
// without its view site.
TEST(ProductNamesTest, BuiltProductsCarryTheNamesTheProgramsLookFor) {
    const fs::path build = TAVELO_TEST_BUILD_DIR;

    const auto app = platform::Bundle::locate(build / "bin" / product::programName, product::applicationBundleName);
    ASSERT_TRUE(app.has_value()) << "no " << product::applicationBundleName << " beside " << build / "bin";
    EXPECT_EQ(app->infoString("CFBundleName"), product::name);
    EXPECT_EQ(app->infoString("CFBundleExecutable"), product::programName);
    EXPECT_TRUE(fs::is_regular_file(build / "bin" / product::programName));

    const auto saver =
        platform::Bundle::locate(build / "bin" / product::screenSaverProgramName, product::screenSaverBundleName);
    ASSERT_TRUE(saver.has_value()) << "no " << product::screenSaverBundleName << " beside " << build / "bin";
    EXPECT_EQ(saver->infoString("CFBundleName"), product::screenSaverName);
    const auto module = saver->infoString("CFBundleExecutable");
    ASSERT_TRUE(module.has_value());
    EXPECT_TRUE(fs::is_regular_file(saver->bundlePath() / "Contents/Linux" / *module)) << *module;
    EXPECT_TRUE(fs::is_regular_file(build / "bin" / product::screenSaverProgramName));
    // Both programs start the view site from beside themselves, by this name.
    EXPECT_TRUE(fs::is_regular_file(build / "bin" / product::siteProgramName));
}

// Installed, the bundles sit in lib/<program name>/ under the prefix; a program in
// bin/ finds them there however the library folder was configured.
TEST(ProductNamesTest, InstalledProgramFindsItsBundleInTheLibraryFolderNamedAfterIt) {
    testing_support::TemporaryFolder prefix;
    const auto bundle = testing_support::makeBundle(prefix.path() / "lib" / product::programName,
                                                    product::applicationBundleName, {"index.html"});
    const auto found =
        platform::Bundle::locate(prefix.path() / "bin" / product::programName, product::applicationBundleName);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->bundlePath(), bundle);
    EXPECT_FALSE(platform::Bundle::locate(prefix.path() / "bin" / product::programName, product::screenSaverBundleName)
                     .has_value());
}

}  // namespace
