// Page dots: one per page laid out in the middle, the current one in its colour,
// hidden for a single page when asked, and taps on either side turning one page.

#include "platform/objc/Class.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIPageControl.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

namespace kavro::test {

// Counts the value-changed events of a control.
class PageChanges : public NSObject {
  KAVRO_OBJC_CLASS(PageChanges)
 public:
  void changed(const id&) { ++count; }
  int count = 0;
};

KAVRO_OBJC_CLASS_IMPLEMENTATION(PageChanges, NSObject, .method("changed:", &PageChanges::changed))

namespace {

class PageControlTest : public DeviceTest {
 protected:
  PageControlTest() {
    window = alloc<UIWindow>()->init();
    window->makeKeyAndVisible();
    control = alloc<UIPageControl>()->initWithFrame(CGRectMake(95, 700, 200, UIPageControl::kHeight));
    control->setNumberOfPages(3);
    changes = alloc<PageChanges>();
    control->addTarget(changes, "changed:", UIControlEventValueChanged);
    window->addSubview(control);
    window->layoutIfNeeded();
  }
  CGPoint dotCenter(long page) {
    CGRect frame = control->indicatorViews()[static_cast<std::size_t>(page)]->frameInWindow();
    return {CGRectGetMidX(frame), CGRectGetMidY(frame)};
  }
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIPageControl> control;
  std::shared_ptr<PageChanges> changes;
};

TEST_F(PageControlTest, DotsAreCentredAndTheCurrentOneStandsOut) {
  ASSERT_EQ(control->indicatorViews().size(), 3u);
  EXPECT_DOUBLE_EQ(dotCenter(1).x, CGRectGetMidX(control->frame()));
  auto colour = [&](long page) {
    return control->indicatorViews()[static_cast<std::size_t>(page)]->backgroundColor();
  };
  EXPECT_FALSE(UIColorEqual(colour(0), colour(1)));
  EXPECT_TRUE(UIColorEqual(colour(1), colour(2)));

  // The current page stays among the pages; code that sets it sends nothing.
  control->setCurrentPage(7);
  EXPECT_EQ(control->currentPage(), 2);
  control->setNumberOfPages(2);
  EXPECT_EQ(control->currentPage(), 1);
  EXPECT_EQ(control->indicatorViews().size(), 2u);
  EXPECT_EQ(changes->count, 0);
  control->setNumberOfPages(1);
  control->setHidesForSinglePage(true);
  EXPECT_TRUE(control->indicatorViews()[0]->isHidden());
}

TEST_F(PageControlTest, ATapOnEitherSideTurnsOnePage) {
  kavro::platform::uikit::TouchDriver finger(settings(), window);
  CGPoint middle = dotCenter(0);
  finger.tap({CGRectGetMaxX(control->frameInWindow()) - 5, middle.y});
  EXPECT_EQ(control->currentPage(), 1);
  EXPECT_EQ(changes->count, 1);
  finger.tap({CGRectGetMaxX(control->frameInWindow()) - 5, middle.y});
  EXPECT_EQ(control->currentPage(), 2);
  // Past the last page there is nowhere to go and nothing changes.
  finger.tap({CGRectGetMaxX(control->frameInWindow()) - 5, middle.y});
  EXPECT_EQ(control->currentPage(), 2);
  EXPECT_EQ(changes->count, 2);
  finger.tap({control->frameInWindow().origin.x + 5, middle.y});
  EXPECT_EQ(control->currentPage(), 1);
  EXPECT_EQ(changes->count, 3);

  // A lone page hidden for being single takes no taps.
  control->setNumberOfPages(1);
  control->setHidesForSinglePage(true);
  finger.tap({control->frameInWindow().origin.x + 5, middle.y});
  EXPECT_EQ(changes->count, 3);
}

}  // namespace
}  // namespace kavro::test
