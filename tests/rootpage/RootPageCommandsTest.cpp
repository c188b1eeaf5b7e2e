// The page's commands: apply and the relaunch it asks for, the guide sheet, the
// reset of every setting and the opening of the application picker.

#include "platform/onboardingkit/OBWelcomeController.h"
#include "platform/uikit/UIAlertController.h"
#include "selector/KavroApplicationSelector.h"
#include "store/Preferences.h"
#include "tests/rootpage/RootPageHarness.h"

#include <gtest/gtest.h>

namespace kavro::test {
namespace {

class RootPageCommandsTest : public RootPageTest {
 protected:
  RootPageCommandsTest() {
    store(PlistValue::Array{}, "blacklist");  // the domain's file exists: no guide
    openPage();
  }
  std::shared_ptr<UIAlertController> alert() { return std::dynamic_pointer_cast<UIAlertController>(presented()); }
  // Title, message, style and actions (title:style) of the alert on screen.
  std::string shownAlert() {
    if (!alert()) return "no alert";
    std::string text = alert()->title() + "|" + alert()->message() + "|" + std::to_string(alert()->preferredStyle());
    for (auto& action : alert()->actions()) text += "|" + action->title() + ":" + std::to_string(action->style());
    return text;
  }
  void pick(const std::string& title) {
    for (auto& action : alert()->actions())
      if (action->title() == title) tap(alert()->buttonForAction(action));
    wait(1);
  }
  const std::string respringSheet = "Kavro|Applying changes requires a respring|0|Respring:0";
};

TEST_F(RootPageCommandsTest, ApplyAsksAndThenRequestsTheRelaunch) {
  auto before = device().lastEventSequence();
  tap(page->apply()->customView());
  std::vector<std::string> order;
  for (auto& event : device().eventsAfter(before)) order.push_back(event.event);
  EXPECT_EQ(order, (std::vector<std::string>{"sound", "present"}));
  EXPECT_EQ(shownAlert(), respringSheet);
  wait(1);
  EXPECT_TRUE(relaunches.empty());
  pick("Respring");
  EXPECT_FALSE(presented());
  ASSERT_EQ(relaunches.size(), 1u);
  EXPECT_EQ(relaunches[0].reason, "RestartRenderServer");
  EXPECT_EQ(relaunches[0].options, 4);
  EXPECT_EQ(relaunches[0].targetURL, "prefs:root=Kavro");

  for (const char* name : {"SBSRelaunchAction", "FBSSystemService"}) {
    settings().setClassHidden(name, true);
    page->applyChanges();
    wait(1);
    EXPECT_EQ(shownAlert(), respringSheet) << name;
    pick("Respring");
    EXPECT_FALSE(presented());
    EXPECT_EQ(relaunches.size(), 1u) << name;
    settings().setClassHidden(name, false);
  }
}

TEST_F(RootPageCommandsTest, GuideShowsItsTextsAndClosesByButtonOrSwipe) {
  device().setAppearance(kavro::platform::Appearance::dark);
  markEvents();
  tap(page->info()->customView());
  wait(1);
  auto sheet = page->infoController();
  ASSERT_EQ(presented(), sheet);
  EXPECT_EQ(sheet->title() + "|" + sheet->detailText(), "Kavro|Please review the following guide before using the tweak");
  EXPECT_EQ(sheet->icon()->fileName(), "constellation-dark.png");
  std::vector<std::string> items;
  for (auto& item : sheet->bulletedItems()) items.push_back(item.title + "|" + item.description + "|" + item.image->symbolName());
  EXPECT_EQ(items, (std::vector<std::string>{
      "Acessing Shortcuts|3D Touch on an apps icon to view & manage its shortcuts|hand.point.up.fill",
      "Adding Apps|When adding to an app that does not have any shortcuts yet, tap the \u2A01 button. To add shortcuts "
      "to an app that already has exisiting shortcuts, long press on any shortcut icon to open application "
      "picker.|plus.circle.fill",
      "Removing Apps|To remove an app shortcut, long press on any existing shortcut to open the application picker. "
      "Swipe left on an app in the current apps section and tap the \u24E7 button.|minus.circle.fill",
      "Rearranging Apps|To rearrange app shortcuts, long press on any existing shortcut to open the application "
      "picker. Tap the \u21D5 button and drag shortcuts to their desired position.|arrow.up.and.down.circle.fill"}));

  auto button = sheet->buttonTray()->buttons().at(0);
  EXPECT_EQ(button->titleForState(UIControlStateNormal), "Dismiss");
  tap(button);
  wait(1);
  EXPECT_FALSE(presented());
  page->showInfo();
  wait(1);
  EXPECT_NE(page->infoController(), sheet);
  EXPECT_TRUE(page->infoController()->interactiveDismiss());
  wait(1);
  EXPECT_FALSE(presented());
  EXPECT_EQ(feedbackSounds(), 2);  // one for each showing; dismissing plays nothing
}

TEST_F(RootPageCommandsTest, ResetErasesEveryKeyOnlyWhenConfirmed) {
  store(true, "enabled");
  store(PlistValue::Array{"com.apple.mobilesafari"}, "dock");
  reappear();
  auto file = device().resolve(store::kPreferencesFilePath);
  auto written = std::filesystem::last_write_time(file);
  for (const std::string answer : {"Cancel", "Reset Settings"}) {
    markEvents();
    tapRow(2, 0);  // "Reset Settings"
    wait(1);
    EXPECT_EQ(shownAlert(), "Kavro\n|All settings will be lost. Continue?|1|Reset Settings:2|Cancel:0");
    pick(answer);
    if (answer == "Cancel") {
      EXPECT_FALSE(presented());
      EXPECT_EQ(feedbackSounds(), 0);
      EXPECT_EQ(std::filesystem::last_write_time(file), written);
    }
  }
  EXPECT_EQ(feedbackSounds(), 2);  // the reset's and apply's
  EXPECT_EQ(shownAlert(), respringSheet);
  for (const char* key : {"enabled", "blacklist", "dock"}) EXPECT_TRUE(storedValue(key).isNil()) << key;
  EXPECT_TRUE(page->enableSwitch()->isOn());  // until the page appears again
  pick("Respring");
  reappear();
  EXPECT_FALSE(page->enableSwitch()->isOn());
}

TEST_F(RootPageCommandsTest, BlacklistedAppsRowOpensANewPickerEachTime) {
  std::vector<std::shared_ptr<KavroApplicationSelector>> selectors;
  for (int opening = 0; opening < 2; ++opening) {
    tapRow(1, 0);  // "Blacklisted Apps"
    wait(1);
    auto picker = std::dynamic_pointer_cast<UINavigationController>(presented());
    ASSERT_TRUE(picker && picker->navigationBar()->prefersLargeTitles());
    selectors.push_back(std::dynamic_pointer_cast<KavroApplicationSelector>(picker->topViewController()));
    ASSERT_TRUE(selectors.back());
    EXPECT_EQ(selectors.back()->identifier(), "blacklist");
    selectors.back()->dismiss(nullptr);
    wait(1);
  }
  EXPECT_NE(selectors[0], selectors[1]);
}

}  // namespace
}  // namespace kavro::test
