// What assistive technologies read from views (labels, buttons by title or symbol,
// on/off controls, rows, the search field) and how materials with a style of their
// own show what lies over them in that style, whatever the appearance.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UISearchBar.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/UIViewPrivate.h"
#include "platform/uikit/UIVisualEffectView.h"
#include "platform/uikit/UIVisualEffectViewPrivate.h"
#include "platform/uikit/UIWindow.h"
#include "platform/uikit/_UIBackdropView.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

namespace {

using kavro::test::DeviceTest;
using kavro::platform::uikit::MaterialInternals;
using kavro::platform::uikit::ViewInternals;

class AccessibilityTest : public DeviceTest {};

TEST_F(AccessibilityTest, ElementsTakeTheirNamesAndStatesFromWhatTheyShow) {
  auto plain = alloc<UIView>()->init();
  EXPECT_FALSE(plain->isAccessibilityElement());

  auto label = alloc<UILabel>()->initWithFrame(CGRectZero);
  EXPECT_FALSE(label->isAccessibilityElement()) << "an empty label reads nothing";
  label->setText("General");
  EXPECT_TRUE(label->isAccessibilityElement());
  EXPECT_EQ(label->accessibilityLabel(), "General");
  EXPECT_EQ(label->accessibilityTraits(), UIAccessibilityTraitStaticText);

  // A button is named by its title, else by its image's symbol; disabled, it says so.
  auto titled = UIButton::buttonWithType(UIButtonTypeSystem);
  titled->setTitle("Done", UIControlStateNormal);
  titled->setImage(UIImage::systemImageNamed("checkmark"), UIControlStateNormal);
  EXPECT_EQ(titled->accessibilityLabel(), "Done");
  auto symbol = UIButton::buttonWithType(UIButtonTypeCustom);
  symbol->setImage(UIImage::systemImageNamed("info.circle.fill"), UIControlStateNormal);
  EXPECT_EQ(symbol->accessibilityLabel(), "info.circle.fill");
  EXPECT_EQ(symbol->accessibilityTraits(), UIAccessibilityTraitButton);
  symbol->setEnabled(false);
  EXPECT_EQ(symbol->accessibilityTraits(), UIAccessibilityTraitButton | UIAccessibilityTraitNotEnabled);
  // What the app sets wins.
  symbol->setAccessibilityLabel("About");
  EXPECT_EQ(symbol->accessibilityLabel(), "About");

  // On/off controls are toggles valued "1" or "0"; other controls give their parts.
  auto onOff = alloc<UISwitch>()->initWithFrame(CGRectZero);
  EXPECT_TRUE(onOff->isAccessibilityElement());
  EXPECT_TRUE(onOff->accessibilityTraits() & UIAccessibilityTraitToggleButton);
  EXPECT_EQ(onOff->accessibilityValue(), "0");
  onOff->setOn(true);
  EXPECT_EQ(onOff->accessibilityValue(), "1");
  EXPECT_FALSE(alloc<UIControl>()->initWithFrame(CGRectZero)->isAccessibilityElement());
}

TEST_F(AccessibilityTest, RowsReadTheirTextAndDetailAndSearchFieldsTheirPlaceholderAndText) {
  auto cell = alloc<UITableViewCell>()->initWithStyle(UITableViewCellStyleSubtitle, "row");
  cell->textLabel()->setText("Safari");
  cell->detailTextLabel()->setText("com.apple.mobilesafari");
  EXPECT_TRUE(cell->isAccessibilityElement());
  EXPECT_EQ(cell->accessibilityLabel(), "Safari, com.apple.mobilesafari");
  EXPECT_EQ(cell->accessibilityTraits(), UIAccessibilityTraitNone);
  cell->setAccessoryType(UITableViewCellAccessoryCheckmark);
  EXPECT_EQ(cell->accessibilityTraits(), UIAccessibilityTraitSelected);

  auto window = alloc<UIWindow>()->init();
  auto bar = alloc<UISearchBar>()->initWithFrame(CGRectMake(0, 100, 390, 52));
  window->addSubview(bar);
  bar->setPlaceholder("Find");
  window->layoutIfNeeded();
  std::shared_ptr<UIView> field;
  for (auto& subview : bar->subviews())
    if (subview->isAccessibilityElement() && subview->accessibilityTraits() == UIAccessibilityTraitSearchField)
      field = subview;
  ASSERT_TRUE(field) << "the field is one element";
  EXPECT_EQ(field->accessibilityLabel(), "Find");
  EXPECT_EQ(field->accessibilityValue(), "");
  bar->becomeFirstResponder();
  bar->insertText("sa");
  window->layoutIfNeeded();
  EXPECT_EQ(field->accessibilityValue(), "sa");
}

class MaterialTest : public DeviceTest {
 protected:
  UIUserInterfaceStyle styleOf(const std::shared_ptr<UIView>& view) {
    return view->traitCollection()->userInterfaceStyle();
  }
};

// Counts the trait changes a view is told of.
class Watcher : public UIView {
 public:
  int changes = 0;
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>&) override { ++changes; }
};

TEST_F(MaterialTest, ADarkBackdropShowsThePageItBacksDarkInEitherAppearance) {
  auto window = alloc<UIWindow>()->init();
  window->makeKeyAndVisible();
  auto page = alloc<UIView>()->initWithFrame(window->bounds());
  auto label = alloc<UILabel>()->initWithFrame(CGRectMake(16, 100, 200, 30));
  auto watcher = std::make_shared<Watcher>();
  watcher->initWithFrame(CGRectZero);
  page->addSubview(label);
  page->addSubview(watcher);
  window->addSubview(page);
  EXPECT_EQ(styleOf(label), UIUserInterfaceStyleLight);

  auto backdrop = alloc<_UIBackdropView>()->initWithFrame(CGRectZero, true, _UIBackdropViewSettings::settingsForStyle(2));
  page->insertSubview(backdrop, 0);
  EXPECT_EQ(backdrop->frame().size.width, page->bounds().size.width) << "it fills the page";
  EXPECT_EQ(styleOf(label), UIUserInterfaceStyleDark);
  EXPECT_EQ(styleOf(page), UIUserInterfaceStyleDark);
  EXPECT_EQ(styleOf(window), UIUserInterfaceStyleLight) << "only what the backdrop backs";
  // Secondary text resolves light on it: legible on the dark material.
  EXPECT_GT(UIColor::secondaryLabelColor()->rgba(styleOf(label)).red, 0.8);

  // The appearance changes; the page over the material does not, and hears nothing.
  device().setAppearance(kavro::platform::Appearance::dark);
  device().setAppearance(kavro::platform::Appearance::light);
  EXPECT_EQ(watcher->changes, 0);
  EXPECT_EQ(styleOf(label), UIUserInterfaceStyleDark);

  backdrop->removeFromSuperview();
  EXPECT_EQ(styleOf(label), UIUserInterfaceStyleLight) << "without the backdrop the page follows the appearance";
  device().setAppearance(kavro::platform::Appearance::dark);
  EXPECT_EQ(watcher->changes, 1);
  EXPECT_EQ(styleOf(label), UIUserInterfaceStyleDark);
}

TEST_F(MaterialTest, MaterialsKeepTheirOwnLookAndSystemMaterialsFollowTheAppearance) {
  auto backdrop = alloc<_UIBackdropView>()->initWithFrame(CGRectZero, false, _UIBackdropViewSettings::settingsForStyle(2));
  backdrop->set_blurRadius(30);
  backdrop->set_saturationDeltaFactor(0);
  auto dark = MaterialInternals::look(*backdrop, UIUserInterfaceStyleLight);
  ASSERT_TRUE(dark);
  EXPECT_STREQ(dark->kind, "backdrop");
  EXPECT_EQ(dark->blurRadius, 30);
  EXPECT_EQ(dark->saturation, 0);
  EXPECT_LT(dark->tint.red, 0.2) << "a dark material stays dark in light appearance";
  EXPECT_EQ(MaterialInternals::look(*backdrop, UIUserInterfaceStyleDark)->tint, dark->tint);

  auto light = alloc<UIVisualEffectView>()->initWithEffect(UIBlurEffect::effectWithStyle(UIBlurEffectStyleLight));
  EXPECT_GT(MaterialInternals::look(*light, UIUserInterfaceStyleDark)->tint.red, 0.9);
  EXPECT_EQ(ViewInternals::interfaceStyle(*light->contentView(), UIUserInterfaceStyleDark), UIUserInterfaceStyleLight);

  auto system =
      alloc<UIVisualEffectView>()->initWithEffect(UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemChromeMaterial));
  EXPECT_GT(MaterialInternals::look(*system, UIUserInterfaceStyleLight)->tint.red, 0.9);
  EXPECT_LT(MaterialInternals::look(*system, UIUserInterfaceStyleDark)->tint.red, 0.2);
  EXPECT_EQ(ViewInternals::interfaceStyle(*system->contentView(), UIUserInterfaceStyleDark), UIUserInterfaceStyleDark);

  // An effect view without an effect shows only its content.
  EXPECT_FALSE(MaterialInternals::look(*alloc<UIVisualEffectView>()->initWithFrame(CGRectZero), UIUserInterfaceStyleLight));
  EXPECT_FALSE(MaterialInternals::look(*alloc<UIView>()->init(), UIUserInterfaceStyleLight));
}

}  // namespace
