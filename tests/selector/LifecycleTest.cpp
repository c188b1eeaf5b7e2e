// The picker in its two hosts: the key window's tint while it is shown, and the
// notification for the home-screen extension, posted once, only in the home-screen
// process, after the picker has fully disappeared. Two pickers on one key in the two
// processes see each other's writes at their next reload.

#include "tests/selector/PickerTestSupport.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIViewPrivate.h"
#include "store/Preferences.h"

namespace kavro::test {
namespace {

class LifecycleTest : public PickerTest {
 protected:
  LifecycleTest() { install({{"com.example.a", "Alpha"}, {"com.example.b", "Beta"}}); }
  long notifications() {
    long count = 0;
    for (auto& event : device().events())
      if (event.event == "notify" && std::get<std::string>(*event.field("name")) == "com.qelm.kavroprefs/show.dock")
        ++count;
    return count;
  }
  std::string windowTint() {
    auto tint = kavro::platform::uikit::ViewInternals::ownTintColor(*UIApplication::sharedApplication()->keyWindow());
    return tint ? tint->hexString(UIUserInterfaceStyleLight) : "none";
  }
};

TEST_F(LifecycleTest, InSettingsClosingPostsNothingAndKeepsThePageTint) {
  openPicker("blacklist");
  EXPECT_EQ(windowTint(), "#6B63C2FF");
  closePicker();
  EXPECT_EQ(notifications(), 0);
  EXPECT_EQ(windowTint(), "#6B63C2FF");
}

TEST_F(LifecycleTest, InTheHomeScreenClosingPostsOnceAfterTheDismissal) {
  kavro::platform::ProcessScope scope(springboard());
  openPicker("com.example.a");
  EXPECT_EQ(windowTint(), "#6B63C2FF");
  auto& runLoop = springboard().mainRunLoop();
  (void)runLoop;
  // Back button: the notification waits for the end of the dismissal.
  window->layoutIfNeeded();
  picker->dismiss(nullptr);
  EXPECT_EQ(notifications(), 0);
  wait(0.1);
  EXPECT_EQ(notifications(), 0);
  wait(1);
  EXPECT_EQ(notifications(), 1);
  EXPECT_EQ(windowTint(), "none");
  wait(1);
  EXPECT_EQ(notifications(), 1);
}

TEST_F(LifecycleTest, PickersInBothProcessesSeeEachOthersWrites) {
  auto settingsPicker = openPicker("shared");
  auto settingsWindow = window;
  tapRow(1, 0);  // Alpha, from Settings
  {
    kavro::platform::ProcessScope scope(springboard());
    window = nullptr;
    openPicker("shared");
    EXPECT_EQ(rowTexts(0), (std::vector<std::string>{"Alpha"}));
    tapRow(1, 1);  // Beta, from the home screen
  }
  window = settingsWindow;
  picker = settingsPicker;
  EXPECT_EQ(stored("shared"), (std::vector<std::string>{"com.example.a", "com.example.b"}));
  picker->tableView()->reloadData();
  EXPECT_EQ(rowTexts(0), (std::vector<std::string>{"Alpha", "Beta"}));
}

}  // namespace
}  // namespace kavro::test
