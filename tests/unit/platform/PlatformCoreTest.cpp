#include "platform/AtomicFileReplacement.h"
#include "platform/Bundle.h"
#include "platform/ConfinedPath.h"
#include "platform/FileURL.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/linux/XdgAutostartLoginItem.h"
#include "shared/BoundedFile.h"
#include "tests/support/CallOrder.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace {

namespace fs = std::filesystem;
using testing_support::TemporaryFolder;
using testing_support::TemporaryHome;

TEST(ConfinedPathTest, OnlyRegularFilesInsideTheFolderAreServed) {
    TemporaryFolder folder;
    const auto root = folder.path() / "Resources";
    fs::create_directories(root / "js");
    std::ofstream(root / "index.html") << "page";
    std::ofstream(root / "js/app.js") << "script";
    std::ofstream(folder.path() / "secret.txt") << "outside";
    fs::create_symlink(folder.path() / "secret.txt", root / "link.txt");
    fs::create_symlink(folder.path(), root / "up");

    EXPECT_EQ(platform::confinedFile(root, "/index.html"), fs::canonical(root / "index.html"));
    EXPECT_EQ(platform::confinedFile(root, "/js/../js/app.js"), fs::canonical(root / "js/app.js"));
    for (const char* outside : {"/../secret.txt", "/js/../../secret.txt", "/link.txt", "/up/secret.txt", "/", "/js",
                                "/missing.html", "../secret.txt"}) {
        EXPECT_FALSE(platform::confinedFile(root, outside).has_value()) << outside;
    }
    EXPECT_FALSE(platform::confinedFile(root, std::string("/index.html\0.png", 15)).has_value());
    EXPECT_FALSE(platform::confinedFile(folder.path() / "nowhere", "/index.html").has_value());
}

TEST(FileURLTest, PathsRoundTripThroughEncodedURLs) {
    const fs::path path = "/home/me/My Apps/Tavelo Live Wallpaper.app/Contents/Resources/index#1%.html";
    const std::string url = platform::fileURLFromPath(path);
    EXPECT_EQ(url.rfind("file:///home/me/My%20Apps/", 0), 0u) << url;
    EXPECT_EQ(platform::pathFromFileURL(url), path);
    EXPECT_EQ(platform::pathFromFileURL(url + "?darkened=1"), path);
    EXPECT_EQ(platform::queryOfURL(url + "?darkened=1"), "darkened=1");
    EXPECT_EQ(platform::fileURLFromPath("/a/b", true), "file:///a/b/");
    EXPECT_FALSE(platform::pathFromFileURL("https://example.org/index.html").has_value());
    EXPECT_FALSE(platform::pathFromFileURL("file://otherhost/etc/passwd").has_value());
}

TEST(BundleTest, ReadsInfoStringsAndFindsItselfFromItsBinaries) {
    TemporaryFolder folder;
    const auto bundle = testing_support::makeBundle(folder.path(), "Tavelo Live Wallpaper.app", {"index.html"});
    std::ofstream(bundle / "Contents/Info.json") << R"({"CFBundleName": "Tavelo Live Wallpaper", "Version": 3})";
    const platform::Bundle found(bundle);
    EXPECT_EQ(found.infoString("CFBundleName"), "Tavelo Live Wallpaper");
    EXPECT_FALSE(found.infoString("Version").has_value());
    EXPECT_FALSE(found.infoString("Missing").has_value());
    EXPECT_FALSE(found.urlForResource("chartIndex", "html").has_value());
    EXPECT_FALSE(found.urlForResource("../Info", "json").has_value());

    EXPECT_EQ(platform::Bundle::locate(folder.path() / "bin/tavelo-live-wallpaper", "Tavelo Live Wallpaper.app")
                  ->bundlePath(),
              bundle);
    EXPECT_EQ(platform::Bundle::locate(bundle / "Contents/Linux/module.so", "Tavelo Live Wallpaper.app")->bundlePath(),
              bundle);
    EXPECT_FALSE(platform::Bundle::locate(folder.path() / "bin/x", "Other.app").has_value());
}

TEST(BoundedFileTest, DevicesFoldersAndFilesBeyondTheBoundAreUnreadable) {
    TemporaryFolder folder;
    EXPECT_FALSE(readBoundedFile("/dev/zero").has_value());
    EXPECT_FALSE(readBoundedFile(folder.path()).has_value());
    std::ofstream(folder.path() / "small") << "{}";
    EXPECT_EQ(readBoundedFile(folder.path() / "small"), "{}");
    std::ofstream(folder.path() / "empty") << "";
    EXPECT_EQ(readBoundedFile(folder.path() / "empty"), "");
    std::ofstream(folder.path() / "exact") << std::string(1000, 'e');
    EXPECT_EQ(readBoundedFile(folder.path() / "exact", 1000), std::string(1000, 'e'));
    EXPECT_FALSE(readBoundedFile(folder.path() / "exact", 999).has_value());
}

TEST(BoundedFileTest, FilesOfAnyPlausibleSizeAreReadWholeByteForByte) {
    TemporaryFolder folder;
    // Not a multiple of any buffer size, with every byte value in it.
    std::string content;
    for (std::size_t i = 0; i < (std::size_t{3} << 20) + 17; ++i) {
        content.push_back(static_cast<char>(i * 7 % 256));
    }
    std::ofstream(folder.path() / "large", std::ios::binary) << content;
    const auto read = readBoundedFile(folder.path() / "large");
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(*read == content) << "read " << read->size() << " of " << content.size() << " bytes";
}

TEST(NotificationCenterTest, DeliversSynchronouslyToObserversOfTheNameOnly) {
    platform::NotificationCenter center;
    std::vector<std::string> heard;
    int first = 0, second = 0;
    center.addObserver(&first, "A", [&](const platform::Notification& n) {
        heard.push_back("first " + std::any_cast<std::string>(n.object));
        center.removeObserver(&second);  // removed while a post is being delivered
    });
    center.addObserver(&second, "A", [&](const platform::Notification&) { heard.push_back("second"); });
    center.addObserver(&second, "B", [&](const platform::Notification&) { heard.push_back("B"); });

    center.post("A", std::string("x"));
    EXPECT_EQ(heard, std::vector<std::string>{"first x"});
    center.post("B");
    EXPECT_EQ(heard.size(), 1u);
}

TEST(AtomicFileReplacementTest, ASaveRemovesTemporariesAKilledSaveLeftButNothingElse) {
    testing_support::TemporaryFolder folder;
    const auto target = folder.path() / "config.json";
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    auto makeFile = [&](const std::string& name, bool aged) {
        std::ofstream(folder.path() / name) << "partial";
        if (aged) {
            fs::last_write_time(folder.path() / name, old);
        }
    };
    makeFile(".config.json.Ab3xZ9", true);   // left by a killed save
    makeFile(".config.json.Qq1234", false);  // a save that runs right now
    makeFile(".config.json.Ab3xZ", true);    // not our pattern: five letters
    makeFile(".config.json.Ab3-Z9", true);   // not our pattern: a dash
    makeFile(".other.json.Ab3xZ9", true);    // another file's
    makeFile("config.json.Ab3xZ9", true);    // not hidden
    makeFile("keep", true);
    fs::create_symlink(folder.path() / "keep", folder.path() / ".config.json.Link12");

    ASSERT_TRUE(platform::replaceFileAtomically(target, "{}"));
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        left.insert(entry.path().filename().string());
    }
    EXPECT_EQ(left,
              (std::set<std::string>{"config.json", ".config.json.Qq1234", ".config.json.Ab3xZ", ".config.json.Ab3-Z9",
                                     ".other.json.Ab3xZ9", "config.json.Ab3xZ9", "keep", ".config.json.Link12"}));
    std::ifstream saved(target);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>()), "{}");
}

class XdgAutostartTest : public ::testing::Test {
protected:
    TemporaryHome home;
    void SetUp() override { ::unsetenv("XDG_CONFIG_HOME"); }
};

TEST_F(XdgAutostartTest, RegisteringWritesAnEntryThatRunsTheLauncherAndUnregisteringRemovesIt) {
    platform::XdgAutostartLoginItem item("tavelo-live-wallpaper", "/opt/My Apps/bin/tavelo-live-wallpaper");
    EXPECT_EQ(item.status(), platform::LoginItemStatus::notRegistered);
    EXPECT_EQ(item.registerItem(), std::nullopt);
    EXPECT_EQ(item.entryPath(), home.path() / ".config/autostart/tavelo-live-wallpaper.desktop");
    EXPECT_EQ(item.status(), platform::LoginItemStatus::enabled);

    std::ifstream entry(item.entryPath());
    const std::string text((std::istreambuf_iterator<char>(entry)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=\"/opt/My Apps/bin/tavelo-live-wallpaper\"\n"), std::string::npos) << text;
    // Skipped by the session once the program is gone.
    EXPECT_NE(text.find("\nTryExec=/opt/My Apps/bin/tavelo-live-wallpaper\n"), std::string::npos) << text;

    EXPECT_EQ(item.unregisterItem(), std::nullopt);
    EXPECT_EQ(item.status(), platform::LoginItemStatus::notRegistered);
    EXPECT_EQ(item.unregisterItem(), std::nullopt) << "nothing to remove is no failure";
}

TEST_F(XdgAutostartTest, AnEntryTheDesktopSwitchedOffIsNotEnabled) {
    platform::XdgAutostartLoginItem item("tavelo-live-wallpaper", "/usr/bin/tavelo-live-wallpaper");
    ASSERT_EQ(item.registerItem(), std::nullopt);
    std::ofstream(item.entryPath(), std::ios::app) << "Hidden=true\n";
    EXPECT_EQ(item.status(), platform::LoginItemStatus::notRegistered);
}

TEST_F(XdgAutostartTest, FailuresAreReportedWithAReason) {
    fs::create_directories(home.path() / ".config");
    std::ofstream(home.path() / ".config/autostart") << "a file where the folder should be";
    platform::XdgAutostartLoginItem item("tavelo-live-wallpaper", "/usr/bin/tavelo-live-wallpaper");
    const auto failure = item.registerItem();
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find(".config/autostart"), std::string::npos) << *failure;

    platform::XdgAutostartLoginItem withoutLauncher("tavelo-live-wallpaper", "");
    EXPECT_TRUE(withoutLauncher.registerItem().has_value());
}

TEST(XdgAutostartExecTest, TryExecIsThePlainPathWithStringEscapes) {
    EXPECT_EQ(platform::XdgAutostartLoginItem::tryExecValueFor("/opt/My Apps/100%/$x\"y"), "/opt/My Apps/100%/$x\"y");
    EXPECT_EQ(platform::XdgAutostartLoginItem::tryExecValueFor("/a\\b/c\nd\te"), "/a\\\\b/c\\nd\\te")
        << "a line break in the path must not end the line";
}

// Reads an Exec value back as a desktop-entry reader does: first the string
// escapes of the file, then the one double-quoted argument.
std::string readExecArgument(const std::string& value) {
    std::string unescaped;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            unescaped += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next == 's' ? ' ' : next;
        } else {
            unescaped += value[i];
        }
    }
    EXPECT_GE(unescaped.size(), 2u);
    EXPECT_EQ(unescaped.front(), '"');
    EXPECT_EQ(unescaped.back(), '"');
    std::string argument;
    for (size_t i = 1; i + 1 < unescaped.size(); ++i) {
        if (unescaped[i] == '\\') {
            argument += unescaped[++i];
        } else if (unescaped[i] == '%') {
            EXPECT_EQ(unescaped[++i], '%') << "a lone percent sign would be a field code";
            argument += '%';
        } else {
            EXPECT_TRUE(unescaped[i] != '"' && unescaped[i] != '`' && unescaped[i] != '$') << unescaped;
            argument += unescaped[i];
        }
    }
    return argument;
}

TEST_F(XdgAutostartTest, ALineBreakInTheInstallPathStaysInsideTheExecValue) {
    const std::string launcher = "/opt/x\nHidden=true\nExec=/tmp/evil\r\t%u/\"$HOME`\\/bin/tavelo";
    platform::XdgAutostartLoginItem item("tavelo-live-wallpaper", launcher);
    ASSERT_EQ(item.registerItem(), std::nullopt);
    EXPECT_EQ(item.status(), platform::LoginItemStatus::enabled) << "no Hidden key was injected";

    std::ifstream entry(item.entryPath());
    std::vector<std::string> keys;
    std::string exec;
    for (std::string line; std::getline(entry, line);) {
        EXPECT_EQ(line.find('\r'), std::string::npos);
        if (const auto equals = line.find('='); equals != std::string::npos) {
            keys.push_back(line.substr(0, equals));
            if (keys.back() == "Exec") {
                exec = line.substr(equals + 1);
            }
        }
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"Type", "Name", "Comment", "TryExec", "Exec", "Icon", "Terminal",
                                              "X-GNOME-Autostart-enabled"}));
    EXPECT_EQ(readExecArgument(exec), launcher);
}

TEST_F(XdgAutostartTest, APathNoEntryCanCarryIsRefusedWithOneLineAndNoFile) {
    std::vector<std::string> lines;
    platform::setLogSink([&lines](std::string_view text) { lines.emplace_back(text); });
    for (const std::string& launcher : {std::string("/opt/\x1b[2Jbin/tavelo"), std::string("/opt/\xff\xfe/tavelo"),
                                        std::string("/opt/\xc0\xaf"
                                                    "bin/tavelo")}) {
        platform::XdgAutostartLoginItem item("tavelo-live-wallpaper", launcher);
        EXPECT_EQ(platform::XdgAutostartLoginItem::execValueFor(launcher), std::nullopt);
        EXPECT_TRUE(item.registerItem().has_value());
        EXPECT_FALSE(fs::exists(item.entryPath()));
    }
    platform::setLogSink({});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("❌ Not starting at login: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("\\u001b[2J"), std::string::npos) << "the path is shown escaped: " << lines[0];
    // Text outside ASCII that is proper UTF-8 is a fine path.
    EXPECT_EQ(readExecArgument(*platform::XdgAutostartLoginItem::execValueFor("/home/jos\xc3\xa9/tavelo")),
              "/home/jos\xc3\xa9/tavelo");
}

TEST(XdgAutostartExecTest, QuotesReservedCharactersAsDesktopEntriesRequire) {
    EXPECT_EQ(platform::XdgAutostartLoginItem::execValueFor("/usr/bin/app"), "\"/usr/bin/app\"");
    EXPECT_EQ(platform::XdgAutostartLoginItem::execValueFor("/a$b/100%/c\"d"), "\"/a\\\\$b/100%%/c\\\\\"d\"");
}

// The ordering checks the other tests rely on must fail when a call is missing:
// "not found" is no position that comes first.
TEST(CallOrderTest, OrderChecksFailForMissingCallsAndWrongOrder) {
    platform::fake::CallRecord record;
    for (const char* call : {"a.one", "b.two", "a.three", "c.four"}) {
        record.add(call);
    }
    EXPECT_TRUE(testing_support::callsInOrder(record, {"a.", "b.", "c."}));
    EXPECT_FALSE(testing_support::callsInOrder(record, {"b.", "a."}));
    EXPECT_FALSE(testing_support::callsInOrder(record, {"missing", "a."}));
    EXPECT_FALSE(testing_support::callsInOrder(record, {"a.", "missing"}));
    EXPECT_FALSE(testing_support::callsInOrder(record, {"a.", "a."})) << "one call is not in order with itself";

    EXPECT_TRUE(testing_support::allCallsBefore(record, "b.", "c."));
    EXPECT_FALSE(testing_support::allCallsBefore(record, "a.", "b.")) << "a.three comes after b.two";
    EXPECT_FALSE(testing_support::allCallsBefore(record, "missing", "c."));
    EXPECT_FALSE(testing_support::allCallsBefore(record, "a.", "missing"));
}

}  // namespace
