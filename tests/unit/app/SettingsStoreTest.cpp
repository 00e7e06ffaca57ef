#include "app/SettingsFile.h"
#include "app/SettingsStore.h"
#include "platform/fake/RecordingPlatform.h"
#include "tests/support/AppLaunch.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <thread>

namespace {

using testing_support::FreshSettingsStore;
using testing_support::TemporaryHome;

class SettingsStoreTest : public ::testing::Test {
protected:
    TemporaryHome home;
    platform::fake::RecordingPlatform recorder;  // any log line would show up here
    FreshSettingsStore store;

    nlohmann::json savedDocument() { return nlohmann::json::parse(home.readSettings()); }
};

TEST_F(SettingsStoreTest, NoFileKeepsTheDefaultsAndTheFirstSaveCreatesFolderAndFile) {
    store.load();
    EXPECT_EQ(store.selectedViewID(), "crypto_bubbles");
    EXPECT_FALSE(store.firstLaunchDone());
    EXPECT_FALSE(std::filesystem::exists(home.settingsFile()));

    store.markFirstLaunchDone();
    EXPECT_EQ(savedDocument(), (nlohmann::json{{"selectedViewID", "crypto_bubbles"}, {"firstLaunchDone", true}}));
    EXPECT_TRUE(recorder.record.calls().empty()) << "the store never logs";
}

TEST_F(SettingsStoreTest, UnusableFilesChangeNothingAndAreReplacedByTheNextSave) {
    for (const std::string text : {"", "not json", "[\"sp500_heatmap\"]", "\"sp500_heatmap\"", "42", "null",
                                   "{\"selectedViewID\": \"sp500_heatmap\"", "{\"selectedViewID\": \"\xff\"}"}) {
        SCOPED_TRACE(text);
        FreshSettingsStore fresh;
        home.writeSettings(text);
        fresh.load();
        EXPECT_EQ(fresh.selectedViewID(), "crypto_bubbles");
        EXPECT_FALSE(fresh.firstLaunchDone());
        fresh.saveSelectedView("crypto_chart");
        EXPECT_EQ(savedDocument(), (nlohmann::json{{"selectedViewID", "crypto_chart"}, {"firstLaunchDone", false}}));
    }
}

TEST_F(SettingsStoreTest, EachMemberFallsBackToItsDefaultOnItsOwn) {
    const struct {
        const char* text;
        const char* id;
        bool done;
    } cases[] = {
        {R"({"selectedViewID": 5})", "crypto_bubbles", false},
        {R"({"selectedViewID": "sp500_heatmap"})", "sp500_heatmap", false},
        {R"({"firstLaunchDone": true})", "crypto_bubbles", true},
        {R"({"selectedViewID": "", "firstLaunchDone": false})", "", false},
        {R"({"selectedViewID": null, "firstLaunchDone": "true"})", "crypto_bubbles", false},
        {R"({"selectedViewID": ["crypto_chart"], "firstLaunchDone": 1})", "crypto_bubbles", true},
        {R"({"selectedViewID": {"id": "x"}, "firstLaunchDone": 0})", "crypto_bubbles", false},
        {R"({"firstLaunchDone": 2})", "crypto_bubbles", false},
        {R"({"selectedViewID": "stocks_chart", "firstLaunchDone": 1.0})", "stocks_chart", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FreshSettingsStore fresh;
        fresh.markFirstLaunchDone();  // a value the file must override
        home.writeSettings(c.text);
        fresh.load();
        EXPECT_EQ(fresh.selectedViewID(), c.id);
        EXPECT_EQ(fresh.firstLaunchDone(), c.done);
    }
}

TEST_F(SettingsStoreTest, EverySaveWritesBothMembersAndDropsOthers) {
    home.writeSettings(R"({"selectedViewID": "crypto_chart", "firstLaunchDone": true, "theme": "dark", "n": [1]})");
    store.load();

    store.saveSelectedView("sp500_heatmap");
    EXPECT_EQ(savedDocument(), (nlohmann::json{{"selectedViewID", "sp500_heatmap"}, {"firstLaunchDone", true}}));

    FreshSettingsStore other;
    other.saveSelectedView("stocks_chart");
    other.markFirstLaunchDone();
    EXPECT_EQ(savedDocument(), (nlohmann::json{{"selectedViewID", "stocks_chart"}, {"firstLaunchDone", true}}));

    FreshSettingsStore reader;
    reader.load();
    EXPECT_EQ(reader.selectedViewID(), "stocks_chart");
    EXPECT_TRUE(reader.firstLaunchDone());
    EXPECT_NE(home.readSettings().find('\n'), std::string::npos) << "pretty-printed";
}

TEST_F(SettingsStoreTest, LargeValidFilesLoadAndSpecialFilesCountAsUnreadableWithoutBlocking) {
    // Padded by some tool or by hand: still the user's choice and a finished first launch.
    home.writeSettings("{\"pad\": \"" + std::string(std::size_t{2} << 20, ' ') +
                       "\", \"selectedViewID\": \"sp500_heatmap\", \"firstLaunchDone\": true}");
    store.load();
    EXPECT_EQ(store.selectedViewID(), "sp500_heatmap");
    EXPECT_TRUE(store.firstLaunchDone());

    FreshSettingsStore fresh;
    std::filesystem::remove(home.settingsFile());
    ASSERT_EQ(::mkfifo(home.settingsFile().c_str(), 0600), 0);
    fresh.load();  // a FIFO with no writer would block a plain read forever
    EXPECT_EQ(fresh.selectedViewID(), "crypto_bubbles");
    EXPECT_FALSE(fresh.firstLaunchDone());
}

TEST_F(SettingsStoreTest, AFailedWriteKeepsTheNewValueInMemoryAndLeavesNoTemporaryFiles) {
    // A folder in the file's place makes the final rename fail, even for root.
    std::filesystem::create_directories(home.settingsFile() / "occupied");
    store.saveSelectedView("sp500_heatmap");
    EXPECT_EQ(store.selectedViewID(), "sp500_heatmap");
    EXPECT_TRUE(std::filesystem::is_directory(home.settingsFile()));
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.settingsFile().parent_path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1u) << "the temporary file is removed after a failed replace";
}

TEST_F(SettingsStoreTest, AnUnwritableApplicationSupportFolderIsNoFailure) {
    // A file where the folder should be: creating the folder and writing both fail.
    std::filesystem::create_directories(home.path() / "Library");
    std::ofstream(home.path() / "Library/Application Support") << "in the way";
    store.saveSelectedView("crypto_chart");
    store.markFirstLaunchDone();
    EXPECT_EQ(store.selectedViewID(), "crypto_chart");
    EXPECT_TRUE(store.firstLaunchDone());
}

TEST_F(SettingsStoreTest, ReadersNeverSeeAHalfWrittenFile) {
    store.saveSelectedView("crypto_chart");
    std::atomic<bool> done{false};
    std::atomic<int> invalid{0};
    std::thread reader([&] {
        while (!done) {
            std::ifstream input(home.settingsFile());
            const std::string text((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
            if (!parseSettingsFile(text)) {
                ++invalid;
            }
        }
    });
    for (int i = 0; i < 300; ++i) {
        store.saveSelectedView(i % 2 ? "sp500_heatmap" : "crypto_chart");
    }
    done = true;
    reader.join();
    EXPECT_EQ(invalid, 0);
}

TEST(SettingsFileTest, SerializedTextReadsBackUnchangedAndStaysValidForAnyViewID) {
    for (const std::string id : {"crypto_bubbles", "", "with \"quotes\" and \\ and \n", "ünïcödé 🫧"}) {
        const StoredSettings settings{id, true};
        EXPECT_EQ(parseSettingsFile(serializeSettingsFile(settings)), settings);
    }
    // Bytes that are not UTF-8 cannot come from a parsed file, but must never make a save throw.
    EXPECT_TRUE(parseSettingsFile(serializeSettingsFile({"\xff\xfe", false})).has_value());
}

}  // namespace
