#include "app/SettingsFile.h"
#include "app/SettingsStore.h"
#include "app/UnusableSettingsFile.h"
#include "platform/fake/RecordingPlatform.h"
#include "tests/support/AppLaunch.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <functional>
#include <set>
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

// What is left in the settings folder besides config.json: the files set aside.
std::vector<std::filesystem::path> asideFiles(const std::filesystem::path& settingsFile) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(settingsFile.parent_path())) {
        if (entry.path().filename().string().starts_with("config.json.unusable-")) {
            found.push_back(entry.path());
        }
    }
    return found;
}

TEST_F(SettingsStoreTest, AnUnusableFileIsSetAsideWithOneLineAndIsNoFirstLaunch) {
    for (const std::string text : {"", "not json", "[\"sp500_heatmap\"]", "\"sp500_heatmap\"", "42", "null",
                                   "{\"selectedViewID\": \"sp500_heatmap\"", "{\"selectedViewID\": \"\xff\"}"}) {
        SCOPED_TRACE(text);
        std::filesystem::remove_all(home.path() / "Library");
        recorder.record.clear();
        FreshSettingsStore fresh;
        home.writeSettings(text);
        fresh.load();
        EXPECT_EQ(fresh.selectedViewID(), "crypto_bubbles");
        EXPECT_TRUE(fresh.firstLaunchDone()) << "a file was there: the first launch is long past";
        const auto aside = asideFiles(home.settingsFile());
        ASSERT_EQ(aside.size(), 1u);
        std::ifstream kept(aside.front(), std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), text) << "kept byte for byte";
        ASSERT_EQ(recorder.record.calls().size(), 1u);
        EXPECT_EQ(recorder.record.calls().front(), "log ⚠️ Settings: " + home.settingsFile().string() +
                                                       " cannot be used (not a JSON object); kept as " +
                                                       aside.front().string() + ", starting from the defaults");

        fresh.saveSelectedView("crypto_chart");
        EXPECT_EQ(savedDocument(), (nlohmann::json{{"selectedViewID", "crypto_chart"}, {"firstLaunchDone", true}}));
        EXPECT_EQ(asideFiles(home.settingsFile()).size(), 1u) << "the save leaves the kept file alone";
    }
}

TEST_F(SettingsStoreTest, FilesThatCannotBeReadAtAllAreSetAsideWithoutBlocking) {
    const auto settings = home.settingsFile();
    const struct {
        const char* kind;
        std::function<void()> make;
        const char* problem;
    } cases[] = {
        {"FIFO", [&] { ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0); }, "a FIFO"},
        {"link to /dev/zero", [&] { std::filesystem::create_symlink("/dev/zero", settings); }, "a device"},
        {"folder", [&] { std::filesystem::create_directory(settings); }, "a folder"},
        {"link loop", [&] { std::filesystem::create_symlink(settings, settings); },
         "Too many levels of symbolic links"},
        {"100 MB of valid JSON",
         [&] {
             std::ofstream(settings, std::ios::binary)
                 << R"({"selectedViewID": "sp500_heatmap", "firstLaunchDone": false, "pad": ")"
                 << std::string(std::size_t{100} << 20, 'x') << "\"}";
         },
         "larger than 16777216 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        std::filesystem::remove_all(home.path() / "Library");
        std::filesystem::create_directories(settings.parent_path());
        c.make();
        recorder.record.clear();
        FreshSettingsStore fresh;
        fresh.load();  // a FIFO with no writer would block a plain read forever
        EXPECT_EQ(fresh.selectedViewID(), "crypto_bubbles");
        EXPECT_TRUE(fresh.firstLaunchDone());
        const auto aside = asideFiles(settings);
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(
            recorder.record.calls(),
            std::vector<std::string>{"log ⚠️ Settings: " + settings.string() + " cannot be used (" + c.problem +
                                     "); kept as " + aside.front().string() + ", starting from the defaults"});
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(settings)));
        fresh.saveSelectedView("stocks_chart");
        EXPECT_EQ(savedDocument(), (nlohmann::json{{"selectedViewID", "stocks_chart"}, {"firstLaunchDone", true}}));
    }
}

TEST_F(SettingsStoreTest, AsideNamesCarryTheTimeAndNeverReplaceAnEarlierOne) {
    EXPECT_EQ(asideNameFor("/h/config.json", 1738367999),
              std::filesystem::path("/h/config.json.unusable-20250131-235959"));
    // Two unusable files within one second: both kept.
    for (int i = 0; i < 3; ++i) {
        home.writeSettings("broken " + std::to_string(i));
        FreshSettingsStore fresh;
        fresh.load();
    }
    std::set<std::string> contents;
    for (const auto& aside : asideFiles(home.settingsFile())) {
        std::ifstream kept(aside);
        contents.insert(std::string(std::istreambuf_iterator<char>(kept), {}));
    }
    EXPECT_EQ(contents, (std::set<std::string>{"broken 0", "broken 1", "broken 2"}));
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

TEST_F(SettingsStoreTest, LargeValidFilesWithinTheBoundLoad) {
    // Padded by some tool or by hand: still the user's choice and a finished first launch.
    home.writeSettings("{\"pad\": \"" + std::string(std::size_t{2} << 20, ' ') +
                       "\", \"selectedViewID\": \"sp500_heatmap\", \"firstLaunchDone\": true}");
    store.load();
    EXPECT_EQ(store.selectedViewID(), "sp500_heatmap");
    EXPECT_TRUE(store.firstLaunchDone());
}

TEST_F(SettingsStoreTest, AFailedSaveIsLoggedKeepsTheValueAndTheNextChangeSavesIt) {
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
    const auto failures =
        recorder.record.matching("log ❌ Settings: cannot save " + home.settingsFile().string() + ": ");
    ASSERT_EQ(failures.size(), 1u) << ::testing::PrintToString(recorder.record.calls());
    EXPECT_TRUE(failures.front().ends_with("; the choice holds until quit and is saved again at the next change"));

    // Once the way is clear, the next change writes both values, the earlier one too.
    std::filesystem::remove_all(home.settingsFile());
    store.markFirstLaunchDone();
    EXPECT_EQ(savedDocument(), (nlohmann::json{{"selectedViewID", "sp500_heatmap"}, {"firstLaunchDone", true}}));
}

TEST_F(SettingsStoreTest, ALinkedSettingsFileIsWrittenThroughItsLinkAndStaysALink) {
    // A dotfiles setup: config.json links (relatively, through a second link) to a file elsewhere.
    testing_support::TemporaryFolder dotfiles;
    const auto real =
        dotfiles.write("tavelo/config.json", R"({"selectedViewID": "crypto_chart", "firstLaunchDone": true})");
    std::filesystem::create_symlink(real, dotfiles.path() / "current");
    std::filesystem::create_directories(home.settingsFile().parent_path());
    std::filesystem::create_symlink(
        std::filesystem::relative(dotfiles.path() / "current", home.settingsFile().parent_path()), home.settingsFile());
    store.load();
    EXPECT_EQ(store.selectedViewID(), "crypto_chart");

    store.saveSelectedView("sp500_heatmap");
    EXPECT_TRUE(std::filesystem::is_symlink(home.settingsFile()));
    EXPECT_TRUE(std::filesystem::is_symlink(dotfiles.path() / "current"));
    EXPECT_EQ(savedDocument(), (nlohmann::json{{"selectedViewID", "sp500_heatmap"}, {"firstLaunchDone", true}}));
    std::ifstream input(real);
    EXPECT_EQ(nlohmann::json::parse(input)["selectedViewID"], "sp500_heatmap");
    // Atomic there too: no temporary file is left beside the real file or the link.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(real.parent_path()), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.settingsFile().parent_path()), {}), 1);

    // A link to a file that does not exist yet is no unusable file: it is created through the link.
    std::filesystem::remove(real);
    FreshSettingsStore fresh;
    fresh.load();
    EXPECT_FALSE(fresh.firstLaunchDone());
    fresh.markFirstLaunchDone();
    EXPECT_TRUE(std::filesystem::is_regular_file(real));
    EXPECT_TRUE(std::filesystem::is_symlink(home.settingsFile()));
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
