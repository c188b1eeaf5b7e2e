// What the page may count on and what it may not know: every frame carries the
// system's chrome (status bar with its time and indicators, the notch, the home
// indicator) as views drawn with the fields of any other view, in the colour that
// suits what lies behind; and the page's sources name no platform class, so that
// all it draws comes from the tree.

#include "sim/core/Input.h"
#include "sim/core/Readings.h"
#include "sim/phone/Phone.h"
#include "sim/render/SystemChrome.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace kavro::sim {
namespace {

using nlohmann::json;

// Every view of a list of trees, depth first.
void eachView(const json& views, const std::function<void(const json&)>& visit) {
  for (auto& view : views) {
    visit(view);
    const json kids = view.value("kids", json::array());
    eachView(kids, visit);
  }
}

json viewNamed(const json& chrome, const std::string& name) {
  json found;
  eachView(chrome, [&](const json& view) {
    if (found.is_null() && view["k"] == name) found = view;
  });
  return found;
}

TEST(SystemChrome, IsDrawnWithTheFieldsOfAnyViewInTheContentColour) {
  for (auto content : {StatusBarContent::light, StatusBarContent::dark}) {
    json chrome = json::parse(systemChrome(content));
    const std::string colour = content == StatusBarContent::light ? "#FFFFFFFF" : "#000000FF";
    ASSERT_TRUE(chrome.is_array());
    // The fields the page draws every view with, and a label's.
    const std::set<std::string> viewFields{"k", "f", "a", "bg", "r", "border", "text", "path", "kids"};
    const std::set<std::string> textFields{"font", "color", "align", "n", "clock", "heights"};
    eachView(chrome, [&](const json& view) {
      for (auto& [field, value] : view.items()) {
        EXPECT_TRUE(viewFields.count(field)) << field << " in " << view["k"];
      }
      const json text = view.value("text", json::object());
      for (auto& [field, value] : text.items()) {
        EXPECT_TRUE(textFields.count(field)) << "text." << field;
      }
      if (view.contains("bg") && view["k"] != "Notch") {
        EXPECT_EQ(view["bg"], colour) << view["k"];
      }
    });
    json bar = viewNamed(chrome, "StatusBar");
    EXPECT_EQ(bar["f"], json::array({0, 0, 390, 47}));
    json notch = viewNamed(chrome, "Notch");
    EXPECT_EQ(notch["bg"], "#000000FF") << "the notch is black over any screen";
    EXPECT_GT(notch["r"].get<double>(), 0);
    json time = viewNamed(chrome, "StatusBarTime")["text"];
    EXPECT_EQ(time["clock"], "H:mm") << "the page shows the time of day by its clock";
    EXPECT_EQ(time["color"], colour);
    EXPECT_EQ(viewNamed(chrome, "StatusBarWiFi")["path"]["stroke"][1], colour);
    EXPECT_EQ(viewNamed(chrome, "StatusBarBattery")["border"][1], colour);
    json home = viewNamed(chrome, "HomeIndicator");
    EXPECT_EQ(home["f"], json::array({0, 810, 390, 34}));
    json homeBar = viewNamed(chrome, "HomeIndicatorBar");
    EXPECT_EQ(homeBar["r"], 2.5);
    EXPECT_GE(homeBar["f"][1].get<double>(), 810);
  }
}

// The frame's members as the server sends them.
json picture(Phone& phone) { return json::parse("{" + phone.readings().picture() + "}"); }

TEST(SystemChrome, EveryFrameCarriesItLightOverTheWallpaperAndInDark) {
  test::TemporaryFolder folder;
  Phone phone(folder.path() / "device");
  auto contentColour = [](const json& frame) {
    return viewNamed(frame["chrome"], "StatusBarTime")["text"]["color"];
  };
  phone.input().openSettings();
  phone.device().advance(1);
  json settings = picture(phone);
  EXPECT_FALSE(settings.contains("statusBar")) << "the chrome says it all";
  EXPECT_FALSE(settings.contains("tint")) << "the caret's colour comes with the caret";
  EXPECT_EQ(contentColour(settings), "#000000FF") << "dark over the light Settings screen";
  phone.input().setAppearance(kavro::platform::Appearance::dark);
  phone.device().advance(1);
  EXPECT_EQ(contentColour(picture(phone)), "#FFFFFFFF");
  phone.input().setAppearance(kavro::platform::Appearance::light);
  phone.input().openSpringboard();
  phone.device().advance(1);
  json home = picture(phone);
  EXPECT_EQ(home["process"], "springboard");
  EXPECT_EQ(contentColour(home), "#FFFFFFFF") << "light over the wallpaper";
}

TEST(RenderContract, CellsCarryOnlyWhatIsRead) {
  test::TemporaryFolder folder;
  Phone phone(folder.path() / "device");
  phone.input().openSettings();
  phone.device().advance(1);
  json frame = picture(phone);
  int cells = 0;
  eachView(json::array({frame["root"]}), [&](const json& view) {
    if (!view.contains("cell")) return;
    ++cells;
    EXPECT_FALSE(view["cell"].contains("editing"));
    EXPECT_FALSE(view["cell"].contains("corners")) << "a group's corners are the views' own r and rounded";
  });
  EXPECT_GT(cells, 0);
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The page draws only what the tree says: none of its sources names a platform
// class (a class prefix UI, NS, CA or an underscore-prefixed private one), so it
// can find no view by its kind.
TEST(RenderContract, ThePageNamesNoPlatformClass) {
  const std::filesystem::path page = std::filesystem::path(KAVRO_SOURCE_DIR) / "sim" / "web" / "page";
  const std::regex className(R"(\b_?(UI|NS|CA)[A-Z][a-z][A-Za-z]*)");
  int sources = 0;
  for (auto& entry : std::filesystem::recursive_directory_iterator(page)) {
    if (entry.path().extension() != ".js" && entry.path().extension() != ".html") continue;
    ++sources;
    std::string text = readFile(entry.path());
    std::smatch found;
    EXPECT_FALSE(std::regex_search(text, found, className))
        << entry.path().filename() << " names " << found.str();
  }
  EXPECT_GT(sources, 3) << "the page's modules are found";
}

}  // namespace
}  // namespace kavro::sim
