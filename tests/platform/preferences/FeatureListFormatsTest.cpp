// One specifier list that uses every feature of the format, written as XML, binary
// and old-style text: each shows the same rows (capabilities, icons by scale,
// localized texts for the device's language, disabled rows, unknown cell classes);
// showing, scrolling and switching language write nothing. Generated hostile lists
// (wrong types everywhere, unknown names) show and take taps without a crash.

#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/device/Device.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/OldStylePropertyListWriter.h"
#include "platform/preferences/PSTableCell.h"

#include <png.h>

#include <random>

namespace kavro::test {
namespace {

constexpr const char* kDomain = "com.example.every";

std::string pngOfSide(unsigned side) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = image.height = side;
  image.format = PNG_FORMAT_RGBA;
  std::vector<unsigned char> pixels(side * side * 4, 0x80);
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  std::string bytes(size, '\0');
  png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr);
  return bytes;
}

PlistValue bound(const std::string& cell, const std::string& label, const std::string& key,
                 PlistValue::Dictionary extra = {}) {
  extra["key"] = key;
  extra["defaults"] = kDomain;
  return item(cell, label, std::move(extra));
}

// Every feature, with numbers and booleans given as strings, as the text form needs.
PlistValue::Array everyFeature() {
  using A = PlistValue::Array;
  return {
      item("PSGroupCell", "Controls", {{"footerText", "Footer"}, {"footerAlignment", "1"}}),
      bound("PSSwitchCell", "Switch", "switch", {{"default", "1"}, {"PostNotification", "com.example/changed"}}),
      bound("PSSliderCell", "Slider", "slider", {{"min", "1"}, {"max", "9"}, {"default", "4"}, {"showValue", "YES"}}),
      bound("PSSegmentCell", "Segment", "segment", {{"validTitles", A{"One", "Two"}}, {"validValues", A{"1", "2"}}}),
      bound("PSEditTextCell", "Text", "text", {{"placeholder", "Name"}, {"height", "60"}}),
      bound("PSSecureEditTextCell", "Secret", "secret", {{"keyboard", "numbers"}}),
      bound("PSLinkListCell", "Choice", "choice",
            {{"validTitles", A{"Low", "High"}}, {"validValues", A{"l", "h"}}, {"default", "h"}}),
      item("PSGroupCell", "Other", {{"headerCellClass", "XXHeaderCell"}}),
      item("PSStaticTextCell", "Static"),
      bound("PSTitleValueCell", "Title value", "text"),
      item("PSButtonCell", "Missing action", {{"action", "noSuchAction:"}, {"icon", "Icon"}}),
      item("PSButtonCell", "Link", {{"url", "https://example.com"}}),
      item("PSLinkCell", "Child", {{"detail", "XXChildController"}}),
      PlistValue::Dictionary{{"label", "No cell"}, {"detail", "PSListController"}},
      bound("PSSwitchCell", "Own class", "own", {{"cellClass", "XXSwitchCell"}, {"enabled", "NO"}}),
      item("PSStaticTextCell", "Phones only", {{"requiredCapabilities", A{"telephony"}}}),
      item("PSStaticTextCell", "Old phones only", {{"requiredCapabilities", A{"armv7"}}}),
  };
}

std::string encoded(const PlistValue& list, NSPropertyListFormat format) {
  if (format == NSPropertyListFormat::openStep) return kavro::platform::foundation::OldStylePropertyListWriter::write(list);
  auto bytes = *NSPropertyListSerialization::dataWithPropertyList(list, format);
  return std::string(bytes.begin(), bytes.end());
}

class FeatureListFormatsTest : public PreferencesTest, public ::testing::WithParamInterface<NSPropertyListFormat> {
 protected:
  // "TYPE label" for every row the page shows, in order.
  std::vector<std::string> shownRows(const std::shared_ptr<PSListController>& page) {
    std::vector<std::string> rows;
    auto table = page->table();
    for (long section = 0; section < table->numberOfSections(); ++section)
      for (long row = 0; row < table->numberOfRowsInSection(section); ++row) {
        auto specifier = page->specifierAtIndexPath({section, row});
        rows.push_back(std::string(PSSpecifier::nameOfCellType(specifier->cellType())) + " " + specifier->name());
      }
    return rows;
  }
  void writeBundle() {
    writeListBytes("Root", encoded(PlistValue::Dictionary{{"title", "Every"}, {"items", everyFeature()}}, GetParam()));
    writeBundleFile("de.lproj/Root.strings", "/* German */\n\"Switch\" = \"Schalter\";\nFooter = \"Fußnote\";\n");
    writeBundleFile("Base.lproj/Root.strings", "\"Static\" = \"Statisch\";");
    writeBundleFile("Icon.png", pngOfSide(29));
    writeBundleFile("Icon@2x.png", pngOfSide(58));
    writeBundleFile("Icon@3x.png", pngOfSide(87));
  }
};

TEST_P(FeatureListFormatsTest, EveryFeatureShowsTheSameInEachFormatAndNothingIsWritten) {
  writeBundle();
  ::testing::internal::CaptureStderr();
  auto page = showPageInWindow();
  EXPECT_EQ(shownRows(page), (std::vector<std::string>{
                                 "PSSwitchCell Switch", "PSSliderCell Slider", "PSSegmentCell Segment",
                                 "PSEditTextCell Text", "PSSecureEditTextCell Secret", "PSLinkListCell Choice",
                                 "PSStaticTextCell Statisch", "PSTitleValueCell Title value",
                                 "PSButtonCell Missing action", "PSButtonCell Link", "PSLinkCell Child",
                                 "PSLinkCell No cell", "PSSwitchCell Own class", "PSStaticTextCell Phones only"}));
  EXPECT_EQ(page->titleForFooterInSection(page->table(), 0), std::optional<std::string>("Footer"));
  EXPECT_EQ(page->heightForRowAtIndexPath(page->table(), {0, 3}), std::optional<CGFloat>(60));

  auto icon = page->specifierAtIndexPath({1, 2})->objectPropertyForKey("iconImage");
  ASSERT_TRUE(std::dynamic_pointer_cast<UIImage>(icon));
  EXPECT_EQ(std::dynamic_pointer_cast<UIImage>(icon)->scale(), 3);
  page->table()->scrollToRowAtIndexPath({1, 7}, UITableViewScrollPositionBottom, false);
  page->table()->layoutIfNeeded();
  auto own = std::dynamic_pointer_cast<PSTableCell>(page->table()->cellForRowAtIndexPath({1, 6}));
  ASSERT_TRUE(own);
  EXPECT_FALSE(own->isCellEnabled());
  EXPECT_EQ(own->control()->isEnabled(), false);

  ASSERT_TRUE(device().setLanguage("de"));
  page->reloadSpecifiers();
  page->table()->layoutIfNeeded();
  EXPECT_EQ(page->specifierAtIndexPath({0, 0})->name(), "Schalter");
  EXPECT_EQ(page->titleForFooterInSection(page->table(), 0), std::optional<std::string>("Fußnote"));
  EXPECT_EQ(page->specifierAtIndexPath({1, 0})->name(), "Statisch");
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(domainFileBytes(kDomain).empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, FeatureListFormatsTest,
                         ::testing::Values(NSPropertyListFormat::xml, NSPropertyListFormat::binary,
                                           NSPropertyListFormat::openStep));

// Lists of random items: random cells, keys with values of random types, unknown
// names. The page shows them, lays them out and takes a tap on every row.
class HostileListsTest : public PreferencesTest {
 protected:
  PlistValue randomValue(std::mt19937& random) {
    switch (random() % 7) {
      case 0: return static_cast<long long>(random() % 200) - 100;
      case 1: return (random() % 2) == 0;
      case 2: return static_cast<double>(random() % 1000) / 7.0;
      case 3: return PlistValue::Array{"A", 1, PlistValue::Dictionary{}};
      case 4: return PlistValue::Dictionary{{"x", "y"}};
      case 5: return NSData{{1, 2, 3}};
      default: return kWords[random() % std::size(kWords)];
    }
  }
  PlistValue randomItem(std::mt19937& random) {
    PlistValue::Dictionary entry;
    for (const char* key : kKeys)
      if (random() % 3 == 0) entry[key] = random() % 2 ? PlistValue(kWords[random() % std::size(kWords)]) : randomValue(random);
    if (random() % 10 == 0) return randomValue(random);
    return entry;
  }
  static constexpr const char* kKeys[] = {"cell", "label", "key", "defaults", "default", "detail", "action",
                                          "cellClass", "validTitles", "validValues", "min", "max", "enabled",
                                          "height", "icon", "requiredCapabilities", "footerAlignment", "plist",
                                          "titlesDataSource", "url", "isSegmented", "segmentCount", "keyboard"};
  static constexpr const char* kWords[] = {
      "PSSwitchCell", "PSSliderCell", "PSSegmentCell", "PSEditTextCell", "PSLinkListCell", "PSLinkCell",
      "PSButtonCell", "PSGroupCell", "PSTitleValueCell", "PSNoSuchCell", "Root", "com.example.hostile",
      "XXRootListController", "PSListController", "PSListItemsController", "tapped:", "", "../../etc/passwd",
      "numbers", "telephony"};
};

TEST_F(HostileListsTest, RandomListsShowAndTakeTaps) {
  std::mt19937 random(20261208);
  ::testing::internal::CaptureStderr();
  for (int round = 0; round < 12; ++round) {
    PlistValue::Array items;
    for (int index = 0; index < 25; ++index) items.push_back(randomItem(random));
    writeRoot(items);
    auto page = showPageInWindow();
    auto table = page->table();
    for (long section = 0; section < table->numberOfSections(); ++section)
      for (long row = 0; row < table->numberOfRowsInSection(section); ++row) {
        table->scrollToRowAtIndexPath({section, row}, UITableViewScrollPositionMiddle, false);
        table->layoutIfNeeded();
        if (auto cell = table->cellForRowAtIndexPath({section, row})) tapView(cell);
        while (navigation->viewControllers().size() > 1) navigation->popViewControllerAnimated(false);
        topPage();
      }
  }
  ::testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace kavro::test
