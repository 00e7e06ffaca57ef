#include "viewsite/SiteFiles.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

class SiteFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        base = fs::temp_directory_path() / ("site-files-" + std::to_string(::getpid()));
        fs::remove_all(base);
        fs::create_directories(base / "site" / "data");
        fs::create_directories(base / "site" / "css");
        fs::create_directories(base / "overlay");
        write(base / "site" / "index.html");
        write(base / "site" / "view.html");
        write(base / "site" / "css" / "pages.css");
        write(base / "site" / "data" / "sp500.json");
        write(base / "site" / "data" / "indices.json");
        write(base / "overlay" / "sp500.json");
        write(base / "overlay" / ".sp500.json.XyZ123");
        write(base / "secret.txt");
        fs::create_symlink(base / "secret.txt", base / "site" / "leak.txt");
        fs::create_symlink(base / "secret.txt", base / "overlay" / "indices.json");
        fs::create_symlink("view.html", base / "site" / "alias.html");
    }
    void TearDown() override { fs::remove_all(base); }
    static void write(const fs::path& path) { std::ofstream(path) << path.filename().string(); }

    viewsite::SiteFiles files() const { return {base / "site", base / "overlay"}; }
    fs::path base;
};

TEST_F(SiteFilesTest, ServesFilesOfTheSiteAndTheIndexOfAFolder) {
    EXPECT_EQ(files().resolve("/view.html"), fs::canonical(base / "site" / "view.html"));
    EXPECT_EQ(files().resolve("/css/pages.css"), fs::canonical(base / "site" / "css" / "pages.css"));
    EXPECT_EQ(files().resolve("/"), fs::canonical(base / "site" / "index.html"));
    EXPECT_EQ(files().resolve("/alias.html"), fs::canonical(base / "site" / "view.html"));
    EXPECT_EQ(files().resolve("/missing.html"), std::nullopt);
    EXPECT_EQ(files().resolve("/css"), std::nullopt);  // a folder is no file
}

TEST_F(SiteFilesTest, RefusesEveryWayOutOfTheFolder) {
    for (const char* path : {"/../secret.txt", "/css/../../secret.txt", "/data/../../secret.txt", "/leak.txt", "/..",
                             "//secret.txt/..", "/css/..\\..\\secret.txt", "relative.html", ""}) {
        EXPECT_EQ(files().resolve(path), std::nullopt) << path;
    }
    EXPECT_EQ(files().resolve(std::string("/view.html\0.png", 15)), std::nullopt);
}

TEST_F(SiteFilesTest, DataFolderOverlaysTheShippedDataButHidesItsTemporaryFiles) {
    EXPECT_EQ(files().resolve("/data/sp500.json"), fs::canonical(base / "overlay" / "sp500.json"));
    // A link out of the data folder is refused there; the shipped file is served.
    EXPECT_EQ(files().resolve("/data/indices.json"), fs::canonical(base / "site" / "data" / "indices.json"));
    EXPECT_EQ(files().resolve("/data/.sp500.json.XyZ123"), std::nullopt);
    EXPECT_EQ(files().resolve("/.well-known/x"), std::nullopt);
    // The overlay never serves anything but data.
    EXPECT_EQ(viewsite::SiteFiles(base / "site", base / "overlay").resolve("/sp500.json"), std::nullopt);
}

TEST_F(SiteFilesTest, WithoutADataFolderTheShippedDataIsServed) {
    EXPECT_EQ(viewsite::SiteFiles(base / "site", {}).resolve("/data/sp500.json"),
              fs::canonical(base / "site" / "data" / "sp500.json"));
}

}  // namespace

namespace {

TEST_F(SiteFilesTest, DataIsServedAsJsonOnlyAndScriptsFromTheScriptFolderOnly) {
    // A script planted in the writable data folder, or shipped beside the data, is never served.
    write(base / "overlay" / "sp500.js");
    write(base / "site" / "data" / "indices.js");
    write(base / "overlay" / "notes.html");
    fs::create_directories(base / "site" / "js");
    write(base / "site" / "js" / "heatmap.js");
    write(base / "site" / "css" / "stray.js");
    EXPECT_FALSE(files().resolve("/data/sp500.js"));
    EXPECT_FALSE(files().resolve("/data/indices.js"));
    EXPECT_FALSE(files().resolve("/data/notes.html"));
    EXPECT_FALSE(files().resolve("/data/"));
    EXPECT_FALSE(files().resolve("/css/stray.js"));
    EXPECT_EQ(files().resolve("/data/sp500.json"), fs::canonical(base / "overlay" / "sp500.json"));
    EXPECT_EQ(files().resolve("/js/heatmap.js"), fs::canonical(base / "site" / "js" / "heatmap.js"));
}

}  // namespace
