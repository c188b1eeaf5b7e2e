// The core under applications of its own making, so that what it promises holds
// for any application and not only for Settings and the home screen: which
// applications a phone may have, when each starts, where URLs, the home gesture
// and a relaunch go, and how an application's query kinds, dump members and
// buttons join the core's tables.

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"
#include "sim/core/Application.h"
#include "sim/core/Input.h"
#include "sim/core/Readings.h"
#include "sim/core/Simulator.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace kavro::sim {
namespace {

using Role = ApplicationKind::Role;
using nlohmann::json;

// What the test applications were asked to do, in order, each as "PROCESS: CALL".
struct Journal {
  std::vector<std::string> calls;
  int made = 0;
};

// An application with a window whose page holds one label, named after its
// process, that a tap reaches.
class TestApplication : public Application {
 public:
  TestApplication(std::string process, Journal& journal) : process_(std::move(process)), journal_(journal) {
    ++journal_.made;
    window_ = alloc<UIWindow>()->init();
    auto page = alloc<UIViewController>()->init();
    window_->setRootViewController(page);
    window_->makeKeyAndVisible();
    label_ = alloc<UILabel>()->initWithFrame(CGRectMake(20, 200, 200, 40));
    label_->setText("probe-" + process_);
    label_->setUserInteractionEnabled(true);
    page->view()->addSubview(label_);
  }
  std::shared_ptr<UIWindow> window() const override { return window_; }
  std::string frontApplication() const override { return "com.example." + process_; }
  bool openURL(const std::string& url) override {
    note("open " + url);
    return true;
  }
  bool back() override {
    note("back");
    return false;
  }
  void showHomeScreen() override { note("show home screen"); }
  void homeGesture() override { note("home gesture"); }

 private:
  void note(const std::string& call) { journal_.calls.push_back(process_ + ": " + call); }

  std::string process_;
  Journal& journal_;
  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<UILabel> label_;
};

// A label whose text begins with "probe-" is a button named by its text.
std::string probeLabel(const Screen&, const UIView& view) {
  auto label = dynamic_cast<const UILabel*>(&view);
  return label && label->text().starts_with("probe-") ? label->text() : "";
}

// `probe:TEXT` finds the label TEXT; `thing` finds nothing to look in.
std::optional<QueryMatch> findProbe(const Screen& screen, const QueryText& query) {
  for (auto& button : screen.buttons())
    if (button.label == query.argument) return matchOf(button.view);
  throw InputError("no probe " + query.argument);
}
std::optional<QueryMatch> findNothing(const Screen&, const QueryText&) { return std::nullopt; }
std::optional<QueryMatch> findAnyProbe(const Screen& screen, const QueryText&) {
  return matchOf(screen.buttons().front().view);
}

ApplicationKind kind(const std::string& process, Role role, Journal& journal) {
  ApplicationKind kind;
  kind.processName = process;
  kind.bundleIdentifier = "com.example." + process;
  kind.role = role;
  kind.make = [process, &journal](Simulator&) { return std::make_unique<TestApplication>(process, journal); };
  return kind;
}

class TestPhone : public ::testing::Test {
 protected:
  std::vector<ApplicationKind> kinds() {
    ApplicationKind home = kind("home", Role::homeScreen, homeJournal);
    home.queries = {{"probe", false, "probe", findProbe},
                    {"thing", false, "first place", findNothing},
                    {"thing", false, "second place", findNothing}};
    home.dumpMembers = {{"probeButtons", [](const DumpContext& c) {
                           return nlohmann::json(c.screen.buttons().size());
                         }}};
    home.buttonLabels = {probeLabel};
    ApplicationKind prefs = kind("prefs", Role::settings, prefsJournal);
    prefs.queries = {{"other", false, "other place", findNothing}, {"other", false, "", findAnyProbe}};
    return {prefs, home, kind("extra", Role::application, extraJournal)};
  }
  std::filesystem::path device() const { return folder.path() / "device"; }

  test::TemporaryFolder folder;
  Journal homeJournal, prefsJournal, extraJournal;
};

TEST_F(TestPhone, APhoneNeedsOneHomeScreenOneSettingsAndProcessesOfDistinctNames) {
  auto refused = [&](std::vector<ApplicationKind> kinds) {
    EXPECT_THROW(Simulator(device(), std::move(kinds)), std::invalid_argument);
    EXPECT_FALSE(std::filesystem::exists(device())) << "a refused phone prepares no device";
  };
  refused({kind("prefs", Role::settings, prefsJournal)});
  refused({kind("home", Role::homeScreen, homeJournal)});
  refused({kind("home", Role::homeScreen, homeJournal), kind("prefs", Role::settings, prefsJournal),
           kind("other", Role::settings, extraJournal)});
  refused({kind("home", Role::homeScreen, homeJournal), kind("home", Role::settings, prefsJournal)});
  ApplicationKind unmade = kind("prefs", Role::settings, prefsJournal);
  unmade.make = nullptr;
  refused({kind("home", Role::homeScreen, homeJournal), unmade});
  EXPECT_EQ(homeJournal.made + prefsJournal.made, 0);
}

TEST_F(TestPhone, TheHomeScreenStartsWithTheDeviceAndOthersOnFirstUse) {
  Simulator simulator(device(), kinds());
  EXPECT_EQ(homeJournal.made, 1);
  EXPECT_EQ(prefsJournal.made + extraJournal.made, 0);
  EXPECT_EQ(simulator.frontProcessName(), "home");
  EXPECT_FALSE(simulator.isHomeScreenInFront()) << "the test home screen names itself in front";
  EXPECT_EQ(simulator.processNames(), "prefs, home or extra");
  EXPECT_EQ(simulator.runningApplication("extra"), nullptr);
  simulator.input().bringToFront("extra");
  EXPECT_EQ(extraJournal.made, 1);
  EXPECT_EQ(simulator.readings().state()["front"], "com.example.extra");
  EXPECT_THROW(simulator.input().bringToFront("nowhere"), InputError);
  EXPECT_EQ(simulator.frontProcessName(), "extra");
}

TEST_F(TestPhone, URLsOpenInSettingsAndBackPopsSettingsWhateverIsInFront) {
  Simulator simulator(device(), kinds());
  simulator.input().openSettings();
  EXPECT_EQ(simulator.frontProcessName(), "prefs");
  simulator.input().bringToFront("extra");
  EXPECT_THROW(simulator.input().back(), InputError);
  EXPECT_EQ(simulator.frontProcessName(), "prefs");
  EXPECT_EQ(prefsJournal.calls, (std::vector<std::string>{"prefs: open prefs:root=Kavro", "prefs: back"}));
  EXPECT_TRUE(homeJournal.calls.empty());
}

TEST_F(TestPhone, TheHomeGestureShowsTheHomeScreenFromElsewhereAndIsItsOwnThere) {
  Simulator simulator(device(), kinds());
  simulator.input().home();
  simulator.input().bringToFront("extra");
  simulator.input().home();
  simulator.input().openSpringboard();
  EXPECT_EQ(simulator.frontProcessName(), "home");
  EXPECT_EQ(homeJournal.calls,
            (std::vector<std::string>{"home: home gesture", "home: show home screen", "home: show home screen"}));
}

TEST_F(TestPhone, ARelaunchRestartsTheHomeScreenAtOnceAndOpensItsURLInSettingsLater) {
  Simulator simulator(device(), kinds());
  simulator.input().bringToFront("extra");
  simulator.device().requestRelaunch({"RestartRenderServer", 4, "prefs:root=Elsewhere"});
  EXPECT_EQ(homeJournal.made, 2);
  EXPECT_EQ(simulator.frontProcessName(), "home");
  simulator.device().advance(Simulator::kRelaunchDelay - 0.01);
  EXPECT_TRUE(prefsJournal.calls.empty());
  simulator.device().advance(0.02);
  EXPECT_EQ(prefsJournal.calls, std::vector<std::string>{"prefs: open prefs:root=Elsewhere"});
  EXPECT_EQ(simulator.frontProcessName(), "prefs");
}

TEST_F(TestPhone, AnApplicationsQueriesDumpMembersAndButtonsJoinTheCoresTables) {
  Simulator simulator(device(), kinds());
  json state = simulator.readings().state();
  EXPECT_EQ(state["probeButtons"], 1);
  ASSERT_EQ(state["buttons"].size(), 1u);
  EXPECT_EQ(state["buttons"][0]["label"], "probe-home");
  EXPECT_EQ(state["buttons"][0]["frame"], json::parse("[20, 200, 200, 40]"));
  EXPECT_TRUE(state.contains("switches")) << "the core's own members stay";

  QueryMatch match = resolveQuery(simulator, "probe:probe-home");
  EXPECT_EQ(match.point.x, 120);
  EXPECT_EQ(match.point.y, 220);
  EXPECT_THROW(resolveQuery(simulator, "probe:probe-prefs"), InputError);
  // Kinds of one name are tried in order, across applications; when none has
  // anything to look in, the error names each place.
  try {
    resolveQuery(simulator, "thing");
    ADD_FAILURE() << "a query with nothing to look in matched";
  } catch (const InputError& error) {
    EXPECT_STREQ(error.what(), "no first place or second place is shown");
  }
  EXPECT_EQ(resolveQuery(simulator, "other").view, match.view);
  EXPECT_THROW(resolveQuery(simulator, "probes:x"), InputError);
  // The core's own queries still answer first.
  EXPECT_THROW(resolveQuery(simulator, "row:0,0"), InputError);
}

TEST_F(TestPhone, AnIconOfAnApplicationWithAProcessOfItsOwnBringsThatProcessForward) {
  Simulator simulator(device(), kinds());
  EXPECT_FALSE(simulator.bringApplicationToFront("com.example.nothing"));
  EXPECT_EQ(simulator.frontProcessName(), "home");
  EXPECT_TRUE(simulator.bringApplicationToFront("com.example.extra"));
  EXPECT_EQ(simulator.frontProcessName(), "extra");
  EXPECT_EQ(extraJournal.made, 1);
}

}  // namespace
}  // namespace kavro::sim
