// Slider rows under a finger: the slider shows the stored number (else the row's
// default, else its minimum) within "min" and "max"; a drag or a tap on the track is
// stored when the finger lifts, never before and never when nothing changed; a
// cancelled touch shows the stored value again; "showValue" and "isSegmented" rows.

#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/preferences/PSSliderTableCell.h"
#include "platform/uikit/UISliderPrivate.h"

namespace kavro::test {
namespace {

constexpr const char* kSliderDomain = "com.example.sliders";

PlistValue sliderRow(const std::string& label, const std::string& key, PlistValue::Dictionary extra = {}) {
  extra["key"] = key;
  extra["defaults"] = kSliderDomain;
  return item("PSSliderCell", label, std::move(extra));
}

class SliderRowsTest : public PreferencesTest {
 protected:
  std::shared_ptr<PSSliderTableCell> cellAt(long row) {
    return std::dynamic_pointer_cast<PSSliderTableCell>(page->table()->cellForRowAtIndexPath({0, row}));
  }
  std::shared_ptr<PSSegmentableSlider> sliderAt(long row) { return cellAt(row)->slider(); }
  // The window point over a slider's track where its thumb stands at `fraction`.
  static CGPoint pointAt(const std::shared_ptr<UISlider>& slider, double fraction) {
    CGRect frame = slider->frameInWindow();
    CGFloat travel = frame.size.width - UISlider::kThumbSize;
    return {frame.origin.x + UISlider::kThumbSize / 2 + travel * fraction, CGRectGetMidY(frame)};
  }
  static CGPoint thumbOf(const std::shared_ptr<UISlider>& slider) {
    return centreOf(kavro::platform::uikit::SliderInternals::thumbView(*slider));
  }
  PlistValue stored(const std::string& key) { return NSUserDefaults::standardUserDefaults()->objectForKey(key, kSliderDomain); }
  std::shared_ptr<TestListController> page;
};

TEST_F(SliderRowsTest, SlidersShowTheStoredNumberElseTheDefaultWithinTheirRange) {
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue(7), "stored", kSliderDomain);
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue("loud"), "mistyped", kSliderDomain);
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue(500), "beyond", kSliderDomain);
  auto before = domainFileBytes(kSliderDomain);
  writeRoot({sliderRow("Stored", "stored", {{"min", 0}, {"max", 10}, {"default", 2}}),
             sliderRow("Default", "absent", {{"min", 0}, {"max", 10}, {"default", 2.5}}),
             sliderRow("Mistyped", "mistyped", {{"min", 0}, {"max", 10}, {"default", 4}}),
             sliderRow("Beyond", "beyond", {{"min", "-5"}, {"max", "5"}}),
             sliderRow("Plain", "plain"),
             sliderRow("Backwards", "backwards", {{"min", 8}, {"max", 3}, {"default", 9}})});
  page = showPageInWindow();

  EXPECT_EQ(sliderAt(0)->value(), 7);
  EXPECT_EQ(sliderAt(0)->maximumValue(), 10);
  EXPECT_EQ(sliderAt(1)->value(), 2.5);
  EXPECT_EQ(sliderAt(2)->value(), 4);
  EXPECT_EQ(sliderAt(3)->value(), 5);
  EXPECT_EQ(sliderAt(3)->minimumValue(), -5);
  EXPECT_EQ(sliderAt(4)->value(), 0);
  EXPECT_EQ(sliderAt(4)->maximumValue(), 1);
  EXPECT_EQ(sliderAt(5)->minimumValue(), 8);
  EXPECT_EQ(sliderAt(5)->maximumValue(), 8);
  EXPECT_EQ(cellAt(0)->control(), sliderAt(0));
  // Showing values writes nothing, even a value clamped or read as absent.
  EXPECT_EQ(domainFileBytes(kSliderDomain), before);

  // The title first, the slider after it.
  auto cell = cellAt(0);
  EXPECT_EQ(cell->textLabel()->text(), "Stored");
  EXPECT_LE(CGRectGetMaxX(cell->textLabel()->frameInWindow()), CGRectGetMinX(sliderAt(0)->frameInWindow()));
  EXPECT_EQ(cell->selectionStyle(), UITableViewCellSelectionStyleNone);
}

TEST_F(SliderRowsTest, ADragIsStoredWhenTheFingerLifts) {
  writeRoot({sliderRow("Volume", "volume", {{"min", 0}, {"max", 100}, {"default", 0}, {"PostNotification", "com.example/v"}})});
  page = showPageInWindow();
  auto slider = sliderAt(0);
  finger->down(thumbOf(slider));
  finger->drag(pointAt(slider, 0.5).x - thumbOf(slider).x, 0, 0.2);
  EXPECT_NEAR(slider->value(), 50, 1e-6);
  EXPECT_TRUE(stored("volume").isNil());
  EXPECT_TRUE(eventsNamed("notify").empty());
  finger->up();
  ASSERT_TRUE(stored("volume").isReal());
  EXPECT_NEAR(stored("volume").doubleValue(), 50, 1e-6);
  auto notes = eventsNamed("notify");
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(std::get<std::string>(*notes[0].field("name")), "com.example/v");

  // A tap on the track: stored at once, on its lift.
  finger->tap(pointAt(slider, 0.25));
  EXPECT_NEAR(stored("volume").doubleValue(), 25, 1e-6);
  // Touched and let go where it was: nothing new to store.
  auto bytes = domainFileBytes(kSliderDomain);
  finger->tap(thumbOf(slider));
  EXPECT_EQ(domainFileBytes(kSliderDomain), bytes);
  EXPECT_EQ(eventsNamed("notify").size(), 2u);
}

TEST_F(SliderRowsTest, ACancelledTouchShowsTheStoredValueAgain) {
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue(0.2), "level", kSliderDomain);
  writeRoot({sliderRow("Level", "level")});
  page = showPageInWindow();
  auto slider = sliderAt(0);
  finger->down(thumbOf(slider));
  finger->move(80, 0);
  EXPECT_GT(slider->value(), 0.2);
  finger->cancel();
  EXPECT_DOUBLE_EQ(slider->value(), 0.2);
  EXPECT_EQ(stored("level"), PlistValue(0.2));
}

TEST_F(SliderRowsTest, ValueLabelsAndSteps) {
  writeRoot({sliderRow("Shown", "shown", {{"min", 0}, {"max", 1}, {"default", 0.5}, {"showValue", true}}),
             sliderRow("Steps", "steps", {{"min", 0}, {"max", 10}, {"isSegmented", "YES"}, {"segmentCount", "5"}}),
             sliderRow("Wild steps", "wild", {{"isSegmented", true}, {"segmentCount", -3}})});
  page = showPageInWindow();
  auto shown = cellAt(0);
  ASSERT_TRUE(shown->valueLabel());
  EXPECT_EQ(shown->valueLabel()->text(), "0.5");
  EXPECT_LE(CGRectGetMaxX(shown->slider()->frameInWindow()), CGRectGetMinX(shown->valueLabel()->frameInWindow()));
  finger->down(thumbOf(shown->slider()));
  finger->moveTo(pointAt(shown->slider(), 0.75));
  EXPECT_EQ(shown->valueLabel()->text(), "0.75");
  finger->up();
  EXPECT_EQ(cellAt(1)->valueLabel(), nullptr);

  auto steps = sliderAt(1);
  for (double fraction : {0.0, 0.13, 0.31, 0.5, 0.69, 0.95, 1.0}) {
    finger->tap(pointAt(steps, fraction));
    double value = stored("steps").doubleValue();
    EXPECT_DOUBLE_EQ(value, 2 * std::round(value / 2)) << fraction;
    EXPECT_NEAR(value, fraction * 10, 1.0 + 1e-9);
  }
  EXPECT_EQ(stored("steps"), PlistValue(10.0));
  // At least one step, whatever the list says.
  EXPECT_EQ(sliderAt(2)->segmentCount(), 1);
  finger->tap(pointAt(sliderAt(2), 0.4));
  EXPECT_TRUE(stored("wild").isNil());  // snapped back to where it was
  finger->tap(pointAt(sliderAt(2), 0.6));
  EXPECT_EQ(stored("wild"), PlistValue(1.0));
}

TEST_F(SliderRowsTest, DisabledSlidersTakeNoTouches) {
  writeRoot({sliderRow("Off", "off", {{"enabled", false}, {"default", 0.3}})});
  page = showPageInWindow();
  finger->tap(pointAt(sliderAt(0), 0.9));
  EXPECT_DOUBLE_EQ(sliderAt(0)->value(), 0.3);
  EXPECT_FALSE(sliderAt(0)->isEnabled());
  EXPECT_FALSE(cellAt(0)->isCellEnabled());
  EXPECT_TRUE(stored("off").isNil());
}

}  // namespace
}  // namespace kavro::test
