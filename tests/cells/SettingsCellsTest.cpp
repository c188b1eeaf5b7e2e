// The two cells the "Root" rows name, as the page shows them: how many lines of
// subtitle each draws, their label colours under the page's tint, the switch row's
// medium switch in the page's accent, its sound and the row value it keeps.

#include "cells/KavroSwitchTableCell.h"
#include "cells/KavroTableCell.h"
#include "platform/uikit/UIViewPrivate.h"
#include "style/Style.h"
#include "tests/rootpage/RootPageHarness.h"

#include <gtest/gtest.h>

namespace kavro::test {
namespace {

bool same(const std::shared_ptr<UIColor>& a, const std::shared_ptr<UIColor>& b) { return UIColorEqual(a, b); }

constexpr const char* kLongSubtitle =
    "Shows the shortcuts on every application icon of the home screen, the dock and the library included, "
    "whatever the folder they are in";

class SettingsCellsTest : public RootPageTest {
 protected:
  SettingsCellsTest() {
    PlistValue::Dictionary bare = {{"cellClass", "KavroSwitchTableCell"}, {"key", "flag"},
                                   {"defaults", "com.qelm.kavroprefs"}, {"default", false}};
    PlistValue::Dictionary flag = bare, plain = {{"cellClass", "KavroTableCell"}}, oneLine = plain;
    flag["subtitle"] = plain["subtitle"] = oneLine["subtitle"] = kLongSubtitle;
    oneLine["lines"] = 1;
    writeRoot({rootItem("PSSwitchCell", "Flag", flag), rootItem("PSSwitchCell", "Bare", bare),
               rootItem("PSButtonCell", "Plain", plain), rootItem("PSStaticTextCell", "One line", oneLine)});
    store(PlistValue::Array{}, "blacklist");  // the domain's file exists: no guide
    openPage();
  }
  template <class Cell>
  std::shared_ptr<Cell> shown(long row) {
    window->layoutIfNeeded();
    return std::dynamic_pointer_cast<Cell>(page->table()->cellForRowAtIndexPath({0, row}));
  }
  // The lines a label draws at its laid-out width.
  static std::vector<std::string> drawn(const std::shared_ptr<UILabel>& label) {
    return label->linesForWidth(label->frame().size.width);
  }
};

TEST_F(SettingsCellsTest, SwitchRowsShowTheirTitleOnOneLineAndTheirSubtitleOnUpToTwo) {
  auto cell = shown<KavroSwitchTableCell>(0);
  ASSERT_TRUE(cell);
  EXPECT_EQ(drawn(cell->textLabel()), std::vector<std::string>{"Flag"});
  auto subtitle = drawn(cell->detailTextLabel());
  ASSERT_EQ(subtitle.size(), 2u);
  EXPECT_EQ(subtitle[0].substr(0, 9), "Shows the");
  EXPECT_TRUE(drawn(shown<KavroSwitchTableCell>(1)->detailTextLabel()).empty());  // a row without subtitle
}

TEST_F(SettingsCellsTest, SwitchRowLabelsKeepTheLabelColoursUnderThePagesTint) {
  auto cell = shown<KavroSwitchTableCell>(0);
  ASSERT_TRUE(cell);
  EXPECT_TRUE(same(cell->detailTextLabel()->textColor(), UIColor::secondaryLabelColor()));
  EXPECT_TRUE(same(cell->textLabel()->textColor(), UIColor::labelColor()));
  // A tint change (the page tints the window) leaves the label colours alone.
  window->setTintColor(UIColor::redColor());
  EXPECT_TRUE(same(cell->textLabel()->textColor(), UIColor::labelColor()));
  EXPECT_TRUE(same(cell->detailTextLabel()->textColor(), UIColor::secondaryLabelColor()));
}

TEST_F(SettingsCellsTest, SwitchRowsShowAMediumSwitchInTheirTrailingHalf) {
  auto cell = shown<KavroSwitchTableCell>(0);
  auto control = std::dynamic_pointer_cast<KavroSwitch>(cell->control());
  ASSERT_TRUE(control);
  auto medium = alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeMedium, KavroSwitchStateOff);
  EXPECT_EQ(control->frame().size, medium->frame().size);
  CGRect row = cell->frameInWindow(), placed = control->frameInWindow();
  EXPECT_GT(CGRectGetMinX(placed), CGRectGetMidX(row));
  EXPECT_LE(CGRectGetMaxX(placed), CGRectGetMaxX(row));
}

TEST_F(SettingsCellsTest, ASwitchRowsThumbShowsThePagesAccentWhileOn) {
  auto control = std::dynamic_pointer_cast<KavroSwitch>(shown<KavroSwitchTableCell>(0)->control());
  ASSERT_TRUE(control);
  auto thumbShows = [&] {
    return *kavro::platform::uikit::ViewInternals::presentationBackgroundColor(*control->switchThumb(),
                                                                                UIUserInterfaceStyleLight);
  };
  UIColor::RGBA accent = kavro::style::accentColor()->rgba();
  EXPECT_NE(thumbShows(), accent);
  tap(control->switchThumb());
  wait(0.4);
  ASSERT_TRUE(control->isOn());
  EXPECT_EQ(thumbShows(), accent);
}

TEST_F(SettingsCellsTest, PlainRowsShowAsManySubtitleLinesAsTheRowAsksLeftAligned) {
  auto all = shown<KavroTableCell>(2);
  auto one = shown<KavroTableCell>(3);
  ASSERT_TRUE(all && one);
  EXPECT_GT(drawn(all->detailTextLabel()).size(), 2u);
  EXPECT_EQ(drawn(one->detailTextLabel()).size(), 1u);
  EXPECT_EQ(all->detailTextLabel()->textAlignment(), NSTextAlignmentLeft);
  // The row grows with its lines.
  EXPECT_GT(all->frame().size.height, one->frame().size.height);
  // A button row's title would take the tint; these keep the label colours.
  EXPECT_TRUE(same(all->textLabel()->textColor(), UIColor::labelColor()));
  EXPECT_TRUE(same(all->detailTextLabel()->textColor(), UIColor::secondaryLabelColor()));
}

TEST_F(SettingsCellsTest, SwitchTapsSoundAndDragsDoNotWhileTheRowValueFollows) {
  auto cell = std::dynamic_pointer_cast<KavroSwitchTableCell>(page->table()->cellForRowAtIndexPath({0, 0}));
  auto control = std::dynamic_pointer_cast<KavroSwitch>(cell->control());
  EXPECT_FALSE(control->isOn());
  markEvents();
  tap(control->switchThumb());
  EXPECT_EQ(feedbackSounds(), 1);  // at the tap, before the flip
  wait(0.4);
  EXPECT_EQ(storedFlag("flag"), true);
  CGRect track = control->track()->frameInWindow();
  finger->tap(CGPointMake(CGRectGetMinX(track) + 2, CGRectGetMidY(track)));
  wait(0.4);
  EXPECT_EQ(feedbackSounds(), 2);
  EXPECT_EQ(storedFlag("flag"), false);
  finger->down(centreOf(control->switchThumb()));
  finger->move(10, 0);
  finger->move(0, 150);
  finger->up();
  wait(0.4);
  EXPECT_TRUE(control->isOn());
  EXPECT_EQ(storedFlag("flag"), true);
  EXPECT_EQ(feedbackSounds(), 2);
}

}  // namespace
}  // namespace kavro::test
