#include "platform/fake/RecordingPlatform.h"
#include "screensaver/SelectedViewLookup.h"
#include "shared/SettingsFileLocation.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

using testing_support::TemporaryFolder;

using screensaver::HomeDirectorySources;

class SelectedViewLookupTest : public ::testing::Test {
protected:
    HomeDirectorySources home() const {
        return {[this] { return std::optional<std::filesystem::path>(home_.path()); },
                [] { return std::filesystem::path("/nonexistent-file-manager-home"); }};
    }
    void writeConfig(std::string_view bytes) const { home_.write(settingsFileRelativePath, bytes); }
    std::string configPathLine() const {
        return "log 🖼 Screensaver config path: " + (home_.path() / settingsFileRelativePath).string();
    }
    std::vector<std::string> logLines() const { return platform_.record.matching("log "); }

    platform::fake::RecordingPlatform platform_;
    TemporaryFolder home_;
};

TEST_F(SelectedViewLookupTest, MissingFileDefaultsWithTheNotFoundLine) {
    EXPECT_EQ(screensaver::loadSelectedViewID(home()), "crypto_bubbles");
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{
                  configPathLine(), "log ⚠️ Screensaver: config file not found, defaulting to crypto_bubbles"}));
}

TEST_F(SelectedViewLookupTest, FoldersAndFIFOsCountAsNotFoundButALargeFileLoads) {
    const auto file = home_.path() / settingsFileRelativePath;
    std::filesystem::create_directories(file);
    EXPECT_EQ(screensaver::loadSelectedViewID(home()), "crypto_bubbles");
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(screensaver::loadSelectedViewID(home()), "crypto_bubbles");  // without waiting for a writer
    EXPECT_EQ(platform_.record.count("log ⚠️ Screensaver: config file not found, defaulting to crypto_bubbles"), 2);

    std::filesystem::remove(file);
    writeConfig("{\"pad\": \"" + std::string(std::size_t{2} << 20, 'x') + "\", \"selectedViewID\": \"crypto_chart\"}");
    EXPECT_EQ(screensaver::loadSelectedViewID(home()), "crypto_chart");
}

TEST_F(SelectedViewLookupTest, DocumentsThatAreNoObjectAreInvalid) {
    for (const char* text : {"", "\"crypto_chart\"", "42", "null", "[\"crypto_chart\"]",
                             "{\"selectedViewID\": ", "{\"selectedViewID\": \"crypto_chart\"} trailing"}) {
        platform_.record.clear();
        writeConfig(text);
        EXPECT_EQ(screensaver::loadSelectedViewID(home()), "crypto_bubbles") << text;
        EXPECT_EQ(logLines(),
                  (std::vector<std::string>{
                      configPathLine(), "log ⚠️ Screensaver: config JSON invalid, defaulting to crypto_bubbles"}))
            << text;
    }
}

TEST_F(SelectedViewLookupTest, ObjectWithoutAStringIDListsItsKeysInFileOrder) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"{}", "()"},
        {"{\"firstLaunchDone\": true}", "(firstLaunchDone)"},
        {"{\"firstLaunchDone\": false, \"selectedViewID\": 3}", "(firstLaunchDone, selectedViewID)"},
        {"{\"selectedViewID\": null, \"zeta\": 1, \"alpha\": 2}", "(selectedViewID, zeta, alpha)"},
        {"{\"SelectedViewID\": \"crypto_chart\"}", "(SelectedViewID)"},
        {"{\"selectedViewID\": [\"crypto_chart\"]}", "(selectedViewID)"},
        {"{\"\": 1, \"a\": 2}", "(, a)"},
        {"{\"a\": 1, \"\": 2}", "(a, )"},
        {"{\"\": 1}", "()"},
    };
    for (const auto& [text, keys] : cases) {
        platform_.record.clear();
        writeConfig(text);
        EXPECT_EQ(screensaver::loadSelectedViewID(home()), "crypto_bubbles") << text;
        EXPECT_EQ(logLines(),
                  (std::vector<std::string>{configPathLine(), "log ⚠️ Screensaver: no selectedViewID in config " +
                                                                  keys + ", defaulting to crypto_bubbles"}))
            << text;
    }
}

TEST_F(SelectedViewLookupTest, StringIDsAreReturnedUnchanged) {
    for (const std::string id : {"sp500_heatmap", "", " Crypto_Chart ", "not_in_the_catalogue"}) {
        platform_.record.clear();
        writeConfig("{\"firstLaunchDone\": true, \"selectedViewID\": \"" + id + "\"}");
        EXPECT_EQ(screensaver::loadSelectedViewID(home()), id);
        EXPECT_EQ(logLines(), (std::vector<std::string>{configPathLine(), "log ✅ Screensaver: loaded viewID = " + id}));
    }
}

TEST_F(SelectedViewLookupTest, TextFromTheFileCannotBreakALogLine) {
    writeConfig("{\"selectedViewID\": \"evil\\n✅ Screensaver: loaded viewID = crypto_chart\\u001b[2J\"}");
    EXPECT_EQ(screensaver::loadSelectedViewID(home()), "evil\n✅ Screensaver: loaded viewID = crypto_chart\x1b[2J");
    EXPECT_EQ(logLines().back(),
              "log ✅ Screensaver: loaded viewID = evil\\n✅ Screensaver: loaded viewID = crypto_chart\\u001b[2J");

    platform_.record.clear();
    writeConfig("{\"a\\r\\nb\": 1, \"c\\u2028d\": 2}");
    EXPECT_EQ(screensaver::loadSelectedViewID(home()), "crypto_bubbles");
    EXPECT_EQ(
        logLines().back(),
        "log ⚠️ Screensaver: no selectedViewID in config (a\\r\\nb, c\\u2028d), defaulting to crypto_bubbles");
}

TEST_F(SelectedViewLookupTest, EveryCallReadsTheFileAgain) {
    writeConfig("{\"selectedViewID\": \"crypto_chart\"}");
    EXPECT_EQ(screensaver::loadSelectedViewID(home()), "crypto_chart");
    writeConfig("{\"selectedViewID\": \"sp500_heatmap\"}");
    EXPECT_EQ(screensaver::loadSelectedViewID(home()), "sp500_heatmap");
}

TEST(RealHomeDirectoryTest, UserDatabaseComesBeforeTheFileManager) {
    int fileManagerAsked = 0;
    const HomeDirectorySources withEntry{[] { return std::optional<std::filesystem::path>("/home/account"); },
                                         [&] {
                                             ++fileManagerAsked;
                                             return std::filesystem::path("/home/from-environment");
                                         }};
    EXPECT_EQ(screensaver::realHomeDirectory(withEntry), "/home/account");
    EXPECT_EQ(fileManagerAsked, 0);

    const HomeDirectorySources withoutEntry{[] { return std::optional<std::filesystem::path>(); },
                                            [] { return std::filesystem::path("/home/from-environment"); }};
    EXPECT_EQ(screensaver::realHomeDirectory(withoutEntry), "/home/from-environment");
}

TEST(RealHomeDirectoryTest, TheSystemLookupIgnoresHOME) {
    const auto system = HomeDirectorySources::system();
    const auto fromDatabase = system.userDatabaseHome();
    ASSERT_TRUE(fromDatabase.has_value()) << "this test needs a user database entry with a home folder";
    const char* saved = std::getenv("HOME");
    const std::string savedHome = saved ? saved : "";
    ::setenv("HOME", "/tmp/not-the-account-home", 1);
    EXPECT_EQ(screensaver::realHomeDirectory(system), *fromDatabase);
    if (saved) {
        ::setenv("HOME", savedHome.c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }
}

}  // namespace
