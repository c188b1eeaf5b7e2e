// Modal presentation, alerts and navigation: the order of the appearance calls,
// completions after the transition on the clock, refused double presentations and
// alert actions that run their handler after the alert has gone.

#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kavro::test::DeviceTest;

// Records its appearance calls as "name:call".
class Page : public UIViewController {
 public:
  std::string name;
  std::vector<std::string>* journal = nullptr;
  void viewDidLoad() override { note("load"); }
  void viewWillAppear(bool) override { note("willAppear"); }
  void viewDidAppear(bool) override { note("didAppear"); }
  void viewWillDisappear(bool) override { note("willDisappear"); }
  void viewDidDisappear(bool) override { note("didDisappear"); }

 private:
  void note(const std::string& call) {
    if (journal) journal->push_back(name + ":" + call);
  }
};

class PresentationTest : public DeviceTest {
 protected:
  std::shared_ptr<Page> page(const std::string& name) {
    auto made = std::make_shared<Page>();
    made->init();
    made->name = name;
    made->journal = &journal;
    return made;
  }
  void show(const std::shared_ptr<UIViewController>& root) {
    window = alloc<UIWindow>()->init();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    journal.clear();
  }
  std::vector<std::string> journal;
  std::shared_ptr<UIWindow> window;
};

TEST_F(PresentationTest, ASheetAppearsAfterItsTransitionAndCoversNothing) {
  auto root = page("root");
  show(root);
  auto sheet = page("sheet");
  bool completed = false;
  root->presentViewController(sheet, true, [&] { completed = true; });
  EXPECT_EQ(journal, (std::vector<std::string>{"sheet:load", "sheet:willAppear"}));
  EXPECT_FALSE(completed);  // never from inside the call
  wait(UIViewController::kTransitionDuration);
  EXPECT_TRUE(completed);
  EXPECT_EQ(journal.back(), "sheet:didAppear");
  EXPECT_EQ(sheet->presentingViewController(), root);
  EXPECT_EQ(sheet->viewIfLoaded()->frame(), CGRectMake(0, 57, 390, 787));

  // A second presentation while one is shown is refused and completes nothing.
  bool second = false;
  testing::internal::CaptureStderr();
  root->presentViewController(page("other"), true, [&] { second = true; });
  EXPECT_NE(testing::internal::GetCapturedStderr().find("already presenting"), std::string::npos);
  wait(1);
  EXPECT_FALSE(second);
  EXPECT_EQ(root->presentedViewController(), sheet);

  // Pulled down, it goes; a sheet that is modal in presentation does not.
  sheet->setModalInPresentation(true);
  EXPECT_FALSE(sheet->interactiveDismiss());
  sheet->setModalInPresentation(false);
  EXPECT_TRUE(sheet->interactiveDismiss());
  wait(UIViewController::kTransitionDuration);
  EXPECT_FALSE(root->presentedViewController());
  EXPECT_EQ(journal.back(), "sheet:didDisappear");
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "root:willDisappear"), 0);
}

TEST_F(PresentationTest, DismissingWithNothingPresentedStillCompletesAtTheNextTurn) {
  auto root = page("root");
  show(root);
  int completions = 0;
  root->dismissViewControllerAnimated(true, [&] { ++completions; });
  EXPECT_EQ(completions, 0);
  wait(0);
  EXPECT_EQ(completions, 1);
}

TEST_F(PresentationTest, AnAlertActionDismissesTheAlertThenRunsItsHandlerOnce) {
  auto root = page("root");
  show(root);
  std::vector<std::string> picked;
  auto alert = UIAlertController::alertControllerWithTitle("Title", "Message", UIAlertControllerStyleActionSheet);
  alert->addAction(UIAlertAction::actionWithTitle("Go", UIAlertActionStyleDefault, [&](auto& action) {
    picked.push_back(action->title());
    // The handler sees the alert gone: its presenter can present again.
    EXPECT_FALSE(root->presentedViewController());
  }));
  root->presentViewController(alert, true, nullptr);
  wait(1);
  auto button = alert->buttonForAction(alert->actions()[0]);
  ASSERT_TRUE(button);
  CGRect frame = button->frameInWindow();
  kavro::platform::uikit::TouchDriver finger(settings(), window);
  finger.tap({CGRectGetMidX(frame), CGRectGetMidY(frame)});
  finger.tap({CGRectGetMidX(frame), CGRectGetMidY(frame)});
  EXPECT_TRUE(picked.empty());
  wait(1);
  EXPECT_EQ(picked, (std::vector<std::string>{"Go"}));
}

TEST_F(PresentationTest, NavigationPushAndPopSendAppearanceToTheTopPageOnly) {
  auto first = page("first");
  auto navigation = alloc<UINavigationController>()->initWithRootViewController(first);
  show(navigation);
  auto second = page("second");
  navigation->pushViewController(second, true);
  wait(UIViewController::kTransitionDuration);
  EXPECT_EQ(journal, (std::vector<std::string>{"second:load", "first:willDisappear", "second:willAppear",
                                               "first:didDisappear", "second:didAppear"}));
  EXPECT_EQ(navigation->navigationBar()->backItem(), first->navigationItem());
  EXPECT_EQ(second->navigationController(), navigation);

  journal.clear();
  navigation->popViewControllerAnimated(true);
  wait(UIViewController::kTransitionDuration);
  EXPECT_EQ(journal, (std::vector<std::string>{"second:willDisappear", "first:willAppear", "second:didDisappear",
                                               "first:didAppear"}));
  EXPECT_FALSE(second->parentViewController());
  EXPECT_EQ(navigation->topViewController(), first);
}

TEST_F(PresentationTest, ThePageUnderALargeTitleBarGetsItsInsetFromTheBar) {
  auto first = page("first");
  auto navigation = alloc<UINavigationController>()->initWithRootViewController(first);
  navigation->navigationBar()->setPrefersLargeTitles(true);
  show(navigation);
  window->layoutIfNeeded();
  EXPECT_EQ(navigation->navigationBar()->frame(), CGRectMake(0, 47, 390, 96));
  EXPECT_EQ(first->coveredTopInWindow(), 143);
  first->navigationItem()->setLargeTitleDisplayMode(UINavigationItemLargeTitleDisplayModeNever);
  window->layoutIfNeeded();
  EXPECT_EQ(navigation->navigationBar()->frame().size.height, 44);
}

}  // namespace

namespace {

TEST_F(PresentationTest, APageInANavigationStackPresentsAndDismissesThroughIt) {
  auto first = page("first");
  auto navigation = alloc<UINavigationController>()->initWithRootViewController(first);
  show(navigation);
  auto sheet = page("sheet");
  first->presentViewController(sheet, false, nullptr);
  wait(0);
  EXPECT_EQ(navigation->presentedViewController(), sheet);
  EXPECT_EQ(first->presentedViewController(), sheet);
  first->dismissViewControllerAnimated(false, nullptr);
  wait(0);
  EXPECT_FALSE(navigation->presentedViewController());

  // A push finishing after a pop already brought the page back leaves its view.
  auto second = page("second");
  navigation->pushViewController(second, false);
  navigation->popViewControllerAnimated(false);
  wait(1);
  EXPECT_EQ(navigation->topViewController(), first);
  EXPECT_TRUE(first->viewIfLoaded()->window());
}

}  // namespace
