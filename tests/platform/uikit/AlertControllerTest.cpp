// How alerts and action sheets lay out what they hold: an alert is a 270-point box in
// the middle of the screen with two actions side by side and other counts stacked;
// a sheet spans the screen less its margins above the home indicator, its cancel
// action apart at the bottom. Texts wrap within the box and push the actions down.

#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void expectRect(const CGRect& actual, const CGRect& expected) {
  EXPECT_NEAR(actual.origin.x, expected.origin.x, 1e-9);
  EXPECT_NEAR(actual.origin.y, expected.origin.y, 1e-9);
  EXPECT_EQ(actual.size, expected.size);
}

class AlertControllerTest : public kavro::test::DeviceTest {
 protected:
  AlertControllerTest() {
    window = alloc<UIWindow>()->init();
    root = alloc<UIViewController>()->init();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
  }
  std::shared_ptr<UIAlertController> show(UIAlertControllerStyle style, const std::string& message,
                                          const std::vector<std::pair<std::string, UIAlertActionStyle>>& actions) {
    auto alert = UIAlertController::alertControllerWithTitle("Title", message, style);
    for (const auto& [title, actionStyle] : actions)
      alert->addAction(UIAlertAction::actionWithTitle(title, actionStyle, [this, title = title](auto&) { picked.push_back(title); }));
    root->presentViewController(alert, false, nullptr);
    wait(1);
    window->layoutIfNeeded();
    return alert;
  }
  CGRect button(const std::shared_ptr<UIAlertController>& alert, std::size_t index) {
    return alert->buttonForAction(alert->actions()[index])->frameInWindow();
  }
  // The box that holds an action's button.
  std::shared_ptr<UIView> box(const std::shared_ptr<UIAlertController>& alert, std::size_t index = 0) {
    return alert->buttonForAction(alert->actions()[index])->superview();
  }
  CGSize screen() const { return window->bounds().size; }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIViewController> root;
  std::vector<std::string> picked;
};

TEST_F(AlertControllerTest, AnAlertIsACentredBoxWithTwoActionsSideBySideAndMoreStacked) {
  auto two = show(UIAlertControllerStyleAlert, "Message",
                  {{"Reset Settings", UIAlertActionStyleDestructive}, {"Cancel", UIAlertActionStyleDefault}});
  CGRect frame = box(two)->frameInWindow();
  EXPECT_EQ(frame.size.width, 270);
  EXPECT_EQ(CGRectGetMidX(frame), screen().width / 2);
  EXPECT_EQ(CGRectGetMidY(frame), screen().height / 2);
  EXPECT_EQ(button(two, 0), CGRectMake(frame.origin.x, CGRectGetMaxY(frame) - 44, 135, 44));
  EXPECT_EQ(button(two, 1), CGRectMake(frame.origin.x + 135, CGRectGetMaxY(frame) - 44, 135, 44));
  auto destructive = two->buttonForAction(two->actions()[0]);
  EXPECT_TRUE(UIColorEqual(destructive->titleColorForState(UIControlStateNormal), UIColor::systemRedColor()));
  root->dismissViewControllerAnimated(false, nullptr);
  wait(1);

  auto three = show(UIAlertControllerStyleAlert, "", {{"A", UIAlertActionStyleDefault},
                                                      {"B", UIAlertActionStyleDefault},
                                                      {"C", UIAlertActionStyleCancel}});
  CGRect stacked = box(three)->frameInWindow();
  for (std::size_t i = 0; i < 3; ++i)
    expectRect(button(three, i), CGRectMake(stacked.origin.x, CGRectGetMaxY(stacked) - 44 * (3 - static_cast<CGFloat>(i)), 270, 44));
}

TEST_F(AlertControllerTest, ALongerMessageWrapsInsideTheBoxAndPushesTheActionsDown) {
  auto shortAlert = show(UIAlertControllerStyleAlert, "Short", {{"OK", UIAlertActionStyleDefault}});
  CGFloat shortTop = button(shortAlert, 0).origin.y - box(shortAlert)->frameInWindow().origin.y;
  root->dismissViewControllerAnimated(false, nullptr);
  wait(1);
  auto longAlert = show(UIAlertControllerStyleAlert,
                        "All settings will be lost and the home screen restarts after you confirm this. Continue?",
                        {{"OK", UIAlertActionStyleDefault}});
  CGFloat longTop = button(longAlert, 0).origin.y - box(longAlert)->frameInWindow().origin.y;
  EXPECT_GT(longTop, shortTop);
  for (auto& view : box(longAlert)->subviews()) {
    auto label = std::dynamic_pointer_cast<UILabel>(view);
    if (!label) continue;
    EXPECT_LE(CGRectGetMaxX(label->frame()), 270 - 16);
    EXPECT_EQ(label->textAlignment(), NSTextAlignmentCenter);
    if (label->text() != "Title") {
      EXPECT_GT(label->linesForWidth(label->frame().size.width).size(), 1u);
    }
  }
}

TEST_F(AlertControllerTest, ASheetSitsAboveTheHomeIndicatorWithItsCancelActionApart) {
  auto sheet = show(UIAlertControllerStyleActionSheet, "Applying changes requires a respring",
                    {{"Cancel", UIAlertActionStyleCancel}, {"Respring", UIAlertActionStyleDefault}});
  CGRect cancel = button(sheet, 0);
  CGRect respring = button(sheet, 1);
  EXPECT_EQ(cancel, CGRectMake(8, screen().height - 34 - 57, screen().width - 16, 57));
  CGRect frame = box(sheet, 1)->frameInWindow();
  EXPECT_EQ(frame.origin.x, 8);
  EXPECT_EQ(frame.size.width, screen().width - 16);
  EXPECT_EQ(CGRectGetMaxY(frame), cancel.origin.y - 8);
  EXPECT_EQ(respring, CGRectMake(8, CGRectGetMaxY(frame) - 57, screen().width - 16, 57));
  // The cancel action is drawn apart from the box, in a rounded button of its own.
  EXPECT_NE(box(sheet, 0), box(sheet, 1));
}

TEST_F(AlertControllerTest, ADisabledActionIgnoresTapsAndASecondPickIsIgnored) {
  auto alert = UIAlertController::alertControllerWithTitle("Title", "", UIAlertControllerStyleAlert);
  auto off = UIAlertAction::actionWithTitle("Off", UIAlertActionStyleDefault, [this](auto&) { picked.push_back("Off"); });
  off->setEnabled(false);
  alert->addAction(off);
  alert->addAction(UIAlertAction::actionWithTitle("On", UIAlertActionStyleDefault, [this](auto&) { picked.push_back("On"); }));
  root->presentViewController(alert, false, nullptr);
  wait(1);
  window->layoutIfNeeded();
  kavro::platform::uikit::TouchDriver finger(settings(), window);
  auto tapOn = [&](std::size_t index) {
    CGRect frame = button(alert, index);
    finger.tap({CGRectGetMidX(frame), CGRectGetMidY(frame)});
  };
  tapOn(0);
  wait(1);
  EXPECT_TRUE(picked.empty());
  EXPECT_EQ(root->presentedViewController(), alert);
  tapOn(1);
  alert->pickAction(alert->actions()[1]);
  wait(1);
  EXPECT_EQ(picked, std::vector<std::string>{"On"});
  EXPECT_FALSE(root->presentedViewController());
}

}  // namespace
