// Auto Layout: equality constraints solved into frames, and a contradictory set
// resolved by giving one constraint up.

#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIView.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

namespace {

using kavro::test::DeviceTest;

std::shared_ptr<UIView> makeView(CGRect frame, bool constrained) {
  auto view = alloc<UIView>()->initWithFrame(frame);
  view->setTranslatesAutoresizingMaskIntoConstraints(!constrained);
  return view;
}

class LayoutConstraintTest : public DeviceTest {};

TEST_F(LayoutConstraintTest, PlacesViewsByEdgesCentresAndSizes) {
  auto container = makeView(CGRectMake(0, 0, 300, 200), false);
  auto child = makeView(CGRectZero, true);
  auto badge = makeView(CGRectZero, true);
  container->addSubview(child);
  container->addSubview(badge);
  NSLayoutConstraint::activateConstraints({
      child->topAnchor()->constraintEqualToAnchor(container->topAnchor(), 10),
      child->leadingAnchor()->constraintEqualToAnchor(container->leadingAnchor(), 20),
      child->trailingAnchor()->constraintEqualToAnchor(container->trailingAnchor(), -20),
      child->heightAnchor()->constraintEqualToConstant(50),
      badge->centerXAnchor()->constraintEqualToAnchor(child->centerXAnchor()),
      badge->topAnchor()->constraintEqualToAnchor(child->bottomAnchor(), 5),
      badge->widthAnchor()->constraintEqualToAnchor(child->widthAnchor(), 0.5, 0),
      badge->heightAnchor()->constraintEqualToConstant(20),
  });
  container->layoutIfNeeded();
  EXPECT_EQ(child->frame(), CGRectMake(20, 10, 260, 50));
  EXPECT_EQ(badge->frame(), CGRectMake(85, 65, 130, 20));

  // A new width for the container moves what hangs on its edges at the next layout.
  container->setFrame(CGRectMake(0, 0, 400, 200));
  container->layoutIfNeeded();
  EXPECT_EQ(child->frame(), CGRectMake(20, 10, 360, 50));
  EXPECT_EQ(badge->frame().origin.x, 110);
}

TEST_F(LayoutConstraintTest, ContradictionGivesUpTheLatestPositionalConstraintAndKeepsSizes) {
  // The settings page's header: the switch cannot both hang 20 points under the
  // picture and sit on the header's bottom with a height of 40.
  auto header = makeView(CGRectMake(0, 0, 390, 250), false);
  auto picture = makeView(CGRectMake(0, 0, 200, 250), true);
  auto control = makeView(CGRectMake(0, 0, 50, 40), true);
  header->addSubview(picture);
  header->addSubview(control);
  auto sitsOnBottom = control->bottomAnchor()->constraintEqualToAnchor(header->bottomAnchor());
  auto height = control->heightAnchor()->constraintEqualToConstant(40);
  NSLayoutConstraint::activateConstraints({
      picture->topAnchor()->constraintEqualToAnchor(header->topAnchor(), 40),
      picture->leadingAnchor()->constraintEqualToAnchor(header->leadingAnchor()),
      picture->trailingAnchor()->constraintEqualToAnchor(header->trailingAnchor()),
      picture->bottomAnchor()->constraintEqualToAnchor(header->bottomAnchor(), -80),
      control->topAnchor()->constraintEqualToAnchor(picture->bottomAnchor(), 20),
      sitsOnBottom,
      control->centerXAnchor()->constraintEqualToAnchor(picture->centerXAnchor()),
      control->widthAnchor()->constraintEqualToConstant(50),
      height,
  });
  testing::internal::CaptureStderr();
  header->layoutIfNeeded();
  std::string log = testing::internal::GetCapturedStderr();

  EXPECT_EQ(picture->frame(), CGRectMake(0, 40, 390, 130));
  EXPECT_EQ(control->frame(), CGRectMake(170, 190, 50, 40));
  EXPECT_TRUE(sitsOnBottom->isBroken());
  EXPECT_FALSE(height->isBroken());
  EXPECT_NE(log.find("Will attempt to recover by breaking constraint"), std::string::npos);
  EXPECT_NE(log.find("breaking constraint <NSLayoutConstraint UIView.bottom == UIView.bottom * 1 + 0>"),
            std::string::npos);

  // The broken constraint stays given up: later layouts neither revive nor log it.
  testing::internal::CaptureStderr();
  header->setNeedsLayout();
  header->layoutIfNeeded();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(control->frame().origin.y, 190);
}

TEST_F(LayoutConstraintTest, ConstraintsBetweenUnrelatedViewsAreRefused) {
  auto a = makeView(CGRectZero, true);
  auto b = makeView(CGRectZero, true);
  auto constraint = a->topAnchor()->constraintEqualToAnchor(b->topAnchor());
  testing::internal::CaptureStderr();
  constraint->setActive(true);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("no common ancestor"), std::string::npos);
  EXPECT_FALSE(constraint->isActive());
}

TEST_F(LayoutConstraintTest, DeactivatedConstraintsNoLongerPlace) {
  auto container = makeView(CGRectMake(0, 0, 100, 100), false);
  auto child = makeView(CGRectMake(5, 5, 10, 10), true);
  container->addSubview(child);
  auto top = child->topAnchor()->constraintEqualToAnchor(container->topAnchor(), 30);
  top->setActive(true);
  container->layoutIfNeeded();
  EXPECT_EQ(child->frame().origin.y, 30);
  top->setActive(false);
  child->setFrame(CGRectMake(5, 5, 10, 10));
  container->layoutIfNeeded();
  EXPECT_EQ(child->frame().origin.y, 5);
}

}  // namespace
