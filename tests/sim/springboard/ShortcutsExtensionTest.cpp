// The home screen's stand-in of the extension, played as scenarios through
// `kavro-sim run` on a fresh device each: when the menus carry a dock (the stored
// settings as read when the home screen started), what the dock shows, and what
// its icons, its add button and the picker's notification do.

#include "platform/foundation/NSUserDefaults.h"
#include "tests/support/DeviceFixture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string readText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The last line of a program's messages (the sample device's broken applications
// are named before it).
std::string lastLine(const std::string& text) {
  std::string line, last;
  std::istringstream lines(text);
  while (std::getline(lines, line))
    if (!line.empty()) last = line;
  return last;
}

class ExtensionScenario : public ::testing::Test {
 protected:
  fs::path device() const { return folder_.path() / "device"; }

  // Stores values in the domain before the device starts, as if set earlier.
  void store(const PlistValue::Dictionary& values) {
    auto defaults =
        NSUserDefaults::defaultsWithDirectory(device() / "var/jb/var/mobile/Library/Preferences");
    ASSERT_TRUE(defaults->setPersistentDomain(values, "com.qelm.kavroprefs"));
  }

  // Plays a script in kavro-sim on the device; returns its exit status and keeps
  // what it printed.
  int play(const std::string& script) {
    const fs::path path = folder_.path() / "scenario.ksim";
    const fs::path outPath = folder_.path() / "out", errPath = folder_.path() / "err";
    std::ofstream(path) << script;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> arguments = {KAVRO_SIM_BINARY, "run", "--device", device().string(), path.string()};
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, KAVRO_SIM_BINARY, &actions, nullptr, argv.data(), environ) == 0) {
      int raw = 0;
      while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
      }
      status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    }
    posix_spawn_file_actions_destroy(&actions);
    out = readText(outPath);
    err = readText(errPath);
    return status;
  }

  // The dumps the script printed, in order.
  std::vector<json> dumps() const {
    std::vector<json> list;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
      if (!line.empty()) list.push_back(json::parse(line));
    return list;
  }

  // The events of a dump's log named `event`.
  static std::vector<json> events(const json& dump, const std::string& event) {
    std::vector<json> found;
    for (auto& entry : dump["log"])
      if (entry["event"] == event) found.push_back(entry);
    return found;
  }

  std::string out, err;

 private:
  kavro::test::TemporaryFolder folder_;
};

// Opens Settings on a new device and closes the guide.
constexpr const char* kOpenSettings =
    "open settings\nwait 1\ntap button:Dismiss\nwait 0.5\n";
// Applies the stored settings: the home screen restarts, Settings comes back.
constexpr const char* kRespring =
    "open settings\nwait 1\ntap button:checkmark.circle.fill\nwait 0.5\ntap action:Respring\nwait 1.5\n";
// Opens Safari's menu on the home screen.
constexpr const char* kSafariMenu = "open springboard\nlong-press icon:com.apple.mobilesafari\nwait 0.5\n";
// Closes the menu with a tap on the blurred home screen around it.
constexpr const char* kCloseMenu = "tap-at 195 100\nwait 0.5\nexpect /menu null\n";

TEST_F(ExtensionScenario, SettingsTakeEffectWhenTheHomeScreenRestartsAndAResetTakesThemAway) {
  std::string script = std::string(kSafariMenu) +
                       // Disabled (nothing stored): the menu is the platform's alone.
                       "expect /menu/title Safari\n"
                       "expect /menu/dock null\nexpect /menu/add null\n"
                       "expect /menu/actions [\"Edit Shortcuts\"]\n"
                       "expect /alert null\nexpect /top HomeScreenController\n" +
                       kCloseMenu + kOpenSettings +
                       // Enabled, and Safari given three shortcuts in Settings.
                       "tap switch\nwait 0.5\n"
                       "open picker com.apple.mobilesafari settings\nwait 1\n"
                       "tap cell:Calculator\ntap cell:\"App Store\"\ntap cell:Books\n"
                       "tap button:arrow.left.circle.fill\nwait 1\n"
                       "expect /prefs/com.apple.mobilesafari [\"com.apple.calculator\",\"com.apple.AppStore\",\"com.apple.iBooks\"]\n" +
                       // Not yet applied: the running home screen read "off".
                       kSafariMenu + "expect /menu/dock null\n" + kCloseMenu +
                       // Applied: the dock, in the stored order.
                       kRespring + kSafariMenu + "dump\n" + kCloseMenu +
                       // The full reset erases everything; applied, the dock is gone.
                       "open settings\nwait 1\ntap cell:\"Reset Settings\"\nwait 0.5\n"
                       "tap action:\"Reset Settings\"\nwait 1\ntap action:Respring\nwait 1.5\n"
                       "expect /prefs {}\n" +
                       kSafariMenu + "expect /menu/dock null\nexpect /menu/actions [\"Edit Shortcuts\"]\n";
  ASSERT_EQ(play(script), 0) << err;
  json applied = dumps().at(0);
  json dock = applied["menu"]["dock"];
  ASSERT_EQ(dock.size(), 3u);
  EXPECT_EQ(dock[0]["id"], "com.apple.calculator");
  EXPECT_EQ(dock[1]["id"], "com.apple.AppStore");
  EXPECT_EQ(dock[2]["id"], "com.apple.iBooks");
  EXPECT_EQ(dock[1]["name"], "App Store");
  EXPECT_TRUE(applied["menu"]["add"].is_null());
  // The shortcuts are buttons a person can tap, beside the menu's action, and the
  // icons under the blur are not.
  std::vector<std::string> labels;
  for (auto& button : applied["buttons"]) labels.push_back(button["label"]);
  EXPECT_EQ(labels, (std::vector<std::string>{"Edit Shortcuts", "com.apple.iBooks", "com.apple.AppStore",
                                              "com.apple.calculator"}));
  for (auto& shortcut : dock) {
    double x = shortcut["frame"][0], width = shortcut["frame"][2];
    EXPECT_GE(x, 0);
    EXPECT_LE(x + width, 390);
  }
}

TEST_F(ExtensionScenario, ABlacklistedApplicationShowsNoDockWhileOthersDo) {
  store({{"enabled", true},
         {"blacklist", PlistValue::Array{"com.apple.mobilesafari"}},
         {"com.apple.mobilesafari", PlistValue::Array{"com.apple.calculator"}},
         {"com.apple.Music", PlistValue::Array{"com.apple.calculator"}}});
  ASSERT_EQ(play(std::string(kSafariMenu) + "expect /menu/dock null\nexpect /menu/add null\n" + kCloseMenu +
                 "long-press icon:com.apple.Music\nwait 0.5\n"
                 "expect /menu/dock/0/id com.apple.calculator\n"),
            0)
      << err;
}

TEST_F(ExtensionScenario, TheAddButtonOpensThePickerAndTheMenuComesBackWithTheNewShortcut) {
  store({{"enabled", true}});
  ASSERT_EQ(play("open springboard\nlong-press icon:com.apple.calculator\nwait 0.5\n"
                 "expect /menu/dock []\n"
                 "dump\n"
                 "tap add-shortcut\nwait 1\n"
                 "expect /menu null\nexpect /top KavroApplicationSelector\n"
                 "expect /table/sections/0/rows 0\n"
                 "tap cell:Books\n"
                 "expect /prefs/com.apple.calculator [\"com.apple.iBooks\"]\n"
                 "tap button:arrow.left.circle.fill\nwait 1\n"
                 "dump\n"),
            0)
      << err;
  auto states = dumps();
  json first = states.at(0)["menu"]["add"];
  ASSERT_TRUE(first.is_array());
  bool addIsAButton = false;
  for (auto& button : states.at(0)["buttons"])
    addIsAButton = addIsAButton || (button["label"] == "plus.circle.fill" && button["frame"] == first);
  EXPECT_TRUE(addIsAButton);

  json back = states.at(1);
  EXPECT_EQ(back["top"], "HomeScreenController");
  EXPECT_EQ(back["menu"]["app"], "com.apple.calculator");
  ASSERT_EQ(back["menu"]["dock"].size(), 1u);
  EXPECT_EQ(back["menu"]["dock"][0]["id"], "com.apple.iBooks");
  EXPECT_EQ(back["menu"]["dock"][0]["name"], "Books");
  // In the add button's place.
  EXPECT_EQ(back["menu"]["dock"][0]["frame"], first);
  EXPECT_TRUE(back["menu"]["add"].is_null());
  auto notified = events(back, "notify");
  ASSERT_EQ(notified.size(), 1u);
  EXPECT_EQ(notified[0]["name"], "com.qelm.kavroprefs/show.dock");
  EXPECT_EQ(notified[0]["process"], "springboard");
}

TEST_F(ExtensionScenario, ALongPressOnAShortcutEditsThePressedApplicationsList) {
  store({{"enabled", true},
         {"com.apple.mobilesafari", PlistValue::Array{"com.apple.calculator", "com.apple.AppStore"}}});
  ASSERT_EQ(play(std::string(kSafariMenu) +
                 "long-press shortcut:com.apple.AppStore\nwait 1\n"
                 "expect /top KavroApplicationSelector\n"
                 "expect /table/sections/0/rows 2\n"
                 "expect /table/sections/0/cells/1/text \"App Store\"\n"
                 "swipe row:0,0\n"
                 "expect /prefs/com.apple.mobilesafari [\"com.apple.AppStore\"]\n"
                 "tap button:arrow.left.circle.fill\nwait 1\n"
                 "dump\n"),
            0)
      << err;
  json menu = dumps().at(0)["menu"];
  EXPECT_EQ(menu["app"], "com.apple.mobilesafari");
  ASSERT_EQ(menu["dock"].size(), 1u);
  EXPECT_EQ(menu["dock"][0]["id"], "com.apple.AppStore");
}

TEST_F(ExtensionScenario, TappingAShortcutOpensItsApplicationWithAHapticTapAndHomeTakesItAway) {
  store({{"enabled", true}, {"com.apple.mobilesafari", PlistValue::Array{"com.apple.calculator"}}});
  ASSERT_EQ(play(std::string(kSafariMenu) + "dump\ntap shortcut:com.apple.calculator\n"
                 "expect /front com.apple.calculator\nexpect /menu null\nexpect /buttons []\n"
                 "wait 1\ndump\n"
                 "home\nwait 0.5\n"
                 "expect /front null\nexpect /buttons/0/label com.apple.Music\n"),
            0)
      << err;
  json opened = dumps().at(1);
  ASSERT_EQ(opened["log"].size(), 2u) << opened["log"];
  EXPECT_EQ(opened["log"][0], json::parse(R"({"t": 1.1, "event": "haptic"})"));
  EXPECT_EQ(opened["log"][1], json::parse(R"({"t": 1.1, "event": "open", "app": "com.apple.calculator"})"));
  EXPECT_EQ(opened["process"], "springboard");
}

TEST_F(ExtensionScenario, WithHapticFeedbackOffTheApplicationOpensWithoutAHapticTap) {
  store({{"enabled", true},
         {"hapticFeedback", false},
         {"com.apple.mobilesafari", PlistValue::Array{"com.apple.calculator"}}});
  ASSERT_EQ(play(std::string(kSafariMenu) + "dump\ntap shortcut:com.apple.calculator\nwait 1\ndump\n"), 0) << err;
  json opened = dumps().at(1);
  EXPECT_EQ(opened["front"], "com.apple.calculator");
  EXPECT_EQ(events(opened, "open").size(), 1u);
  EXPECT_TRUE(events(opened, "haptic").empty());
}

TEST_F(ExtensionScenario, IdentifiersThatNameNoVisibleApplicationAreLeftOut) {
  store({{"enabled", true},
         {"com.apple.mobilesafari",
          PlistValue::Array{"com.example.gone", "", "com.apple.DemoApp", 42, "com.apple.calculator",
                            PlistValue::Dictionary{}, "com.apple.calculator", "com.apple.Maps"}},
         // Not a list at all: no shortcuts.
         {"com.apple.Music", "com.apple.calculator"}});
  ASSERT_EQ(play(std::string(kSafariMenu) + "dump\n" + kCloseMenu +
                 "long-press icon:com.apple.Music\nwait 0.5\nexpect /menu/dock []\n"),
            0)
      << err;
  json dock = dumps().at(0)["menu"]["dock"];
  ASSERT_EQ(dock.size(), 2u) << dock;
  EXPECT_EQ(dock[0]["id"], "com.apple.calculator");
  EXPECT_EQ(dock[1]["id"], "com.apple.Maps");
}

TEST_F(ExtensionScenario, QueriesOnTheHomeScreenSayWhatIsMissingOrCovered) {
  store({{"enabled", true}, {"com.apple.mobilesafari", PlistValue::Array{"com.apple.calculator"}}});
  EXPECT_EQ(play("open springboard\ntap shortcut:com.apple.calculator\n"), 2);
  EXPECT_EQ(lastLine(err), "line 2: no quick-action menu is open (long-press an icon first)");
  EXPECT_EQ(play(std::string(kSafariMenu) + "tap add-shortcut\n"), 2);
  EXPECT_EQ(lastLine(err), "line 4: the menu of \"com.apple.mobilesafari\" shows no add button");
  EXPECT_EQ(play(std::string(kSafariMenu) + "tap shortcut:com.apple.Maps\n"), 2);
  EXPECT_EQ(lastLine(err), "line 4: the menu's dock has no shortcut to \"com.apple.Maps\"");
  EXPECT_EQ(play(std::string(kSafariMenu) + "tap shortcut:com.apple.calculator\nlong-press icon:com.apple.Music\n"), 2);
  EXPECT_EQ(lastLine(err), "line 5: \"com.apple.calculator\" is in front of the home screen (home first)");
}

}  // namespace
