// Segment rows under a finger: the segments are the row's titles, the selected one
// the stored value's (else the default's, else none); a tap on a segment stores its
// value, of whatever type the list gives; values are matched as numbers too.

#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/preferences/PSSegmentTableCell.h"
#include "platform/uikit/UISegmentedControlPrivate.h"

namespace kavro::test {
namespace {

constexpr const char* kSegmentDomain = "com.example.segments";

PlistValue segmentRow(const std::string& label, const std::string& key, PlistValue::Array titles,
                      PlistValue::Array values, PlistValue::Dictionary extra = {}) {
  extra["key"] = key;
  extra["defaults"] = kSegmentDomain;
  extra["validTitles"] = std::move(titles);
  extra["validValues"] = std::move(values);
  return item("PSSegmentCell", label, std::move(extra));
}

class SegmentRowsTest : public PreferencesTest {
 protected:
  std::shared_ptr<UISegmentedControl> controlAt(long row) {
    auto cell = std::dynamic_pointer_cast<PSSegmentTableCell>(page->table()->cellForRowAtIndexPath({0, row}));
    return cell ? cell->segmentedControl() : nullptr;
  }
  void tapSegment(long row, long segment) {
    const auto& labels = kavro::platform::uikit::SegmentedControlInternals::segmentLabels(*controlAt(row));
    tapView(labels[static_cast<std::size_t>(segment)]);
  }
  PlistValue stored(const std::string& key) {
    return NSUserDefaults::standardUserDefaults()->objectForKey(key, kSegmentDomain);
  }
  std::shared_ptr<TestListController> page;
};

TEST_F(SegmentRowsTest, TheStoredValuesSegmentIsSelected) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setObject(PlistValue(2), "size", kSegmentDomain);
  defaults->setObject(PlistValue("2"), "textual", kSegmentDomain);
  defaults->setObject(PlistValue(PlistValue::Array{}), "mistyped", kSegmentDomain);
  writeRoot({segmentRow("Size", "size", {"S", "M", "L"}, {1, 2, 3}, {{"default", 1}}),
             segmentRow("Textual", "textual", {"S", "M", "L"}, {1.0, 2.0, 3.0}),
             segmentRow("Mistyped", "mistyped", {"A", "B"}, {"a", "b"}, {{"default", "b"}}),
             segmentRow("None", "none", {"A", "B"}, {"a", "b"}),
             segmentRow("Uneven", "uneven", {"A", "B", "C"}, {"a", "b"})});
  ::testing::internal::CaptureStderr();
  page = showPageInWindow();
  std::string errors = ::testing::internal::GetCapturedStderr();

  EXPECT_EQ(controlAt(0)->numberOfSegments(), 3);
  EXPECT_EQ(controlAt(0)->titleForSegmentAtIndex(2), "L");
  EXPECT_EQ(controlAt(0)->selectedSegmentIndex(), 1);
  EXPECT_EQ(controlAt(1)->selectedSegmentIndex(), 1);
  EXPECT_EQ(controlAt(2)->selectedSegmentIndex(), 1);
  EXPECT_EQ(controlAt(3)->selectedSegmentIndex(), UISegmentedControlNoSegment);
  EXPECT_EQ(controlAt(4)->numberOfSegments(), 2);
  EXPECT_NE(errors.find("has 3 titles for 2 values; only the first 2 are choices"), std::string::npos);
  EXPECT_EQ(stored("mistyped"), PlistValue(PlistValue::Array{}));
}

TEST_F(SegmentRowsTest, ATapStoresTheSegmentsValue) {
  writeRoot({segmentRow("Mode", "mode", {"Off", "Auto", "On"}, {false, "auto", 1},
                        {{"default", "auto"}, {"PostNotification", "com.example/mode"}})});
  page = showPageInWindow();
  tapSegment(0, 1);  // the shown one: nothing to store
  EXPECT_TRUE(stored("mode").isNil());
  tapSegment(0, 0);
  EXPECT_EQ(stored("mode"), PlistValue(false));
  tapSegment(0, 2);
  EXPECT_EQ(stored("mode"), PlistValue(1));
  EXPECT_EQ(controlAt(0)->selectedSegmentIndex(), 2);
  EXPECT_EQ(eventsNamed("notify").size(), 2u);
  // Another process stores a value: the next display shows it.
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue("auto"), "mode", kSegmentDomain);
  page->table()->reloadData();
  page->table()->layoutIfNeeded();
  EXPECT_EQ(controlAt(0)->selectedSegmentIndex(), 1);
}

TEST_F(SegmentRowsTest, RowsWithoutChoicesShowAnEmptyControl) {
  writeRoot({item("PSSegmentCell", "Bare", {{"key", "bare"}, {"defaults", kSegmentDomain}}),
             item("PSSegmentCell", "From code", {{"titlesDataSource", "titles"}, {"key", "code"},
                                                 {"defaults", kSegmentDomain}})});
  page = showPageInWindow();
  EXPECT_EQ(controlAt(0)->numberOfSegments(), 0);
  EXPECT_EQ(controlAt(1)->numberOfSegments(), 0);
  tapView(controlAt(0));
  EXPECT_TRUE(domainFileBytes(kSegmentDomain).empty());
}

}  // namespace
}  // namespace kavro::test
