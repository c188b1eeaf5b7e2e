// Switch rows: the control shows the stored value (else the row's default) when
// the cell is made and on every display; a value change of the control is stored
// in the row's domain and announced when the row names a notification.

#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/foundation/NSUserDefaults.h"

#include <algorithm>

namespace kavro::test {
namespace {

constexpr const char* kDomain = "com.example.switches";

class SwitchRowsTest : public PreferencesTest {
 protected:
  std::shared_ptr<NSUserDefaults> defaults() { return NSUserDefaults::standardUserDefaults(); }
  long notifications() {
    return std::count_if(device().events().begin(), device().events().end(),
                         [](const kavro::platform::DeviceEvent& event) { return event.event == "notify"; });
  }
  std::shared_ptr<UIControl> controlAt(long row) {
    auto cell = std::dynamic_pointer_cast<PSSwitchTableCell>(page->table()->cellForRowAtIndexPath({0, row}));
    return cell ? cell->control() : nullptr;
  }
  bool isOn(long row) { return dynamic_cast<kavro::platform::uikit::OnOffControl&>(*controlAt(row)).isOn(); }
  // A person flips the control: its state changes and it says so.
  void flip(long row) {
    auto control = controlAt(row);
    bool announces = std::dynamic_pointer_cast<TestOnOffControl>(control) != nullptr;
    dynamic_cast<kavro::platform::uikit::OnOffControl&>(*control).setOn(!isOn(row), false);
    if (!announces) control->sendActionsForControlEvents(UIControlEventValueChanged);
  }
  std::shared_ptr<TestListController> page;
};

PlistValue switchRow(const std::string& label, const std::string& key, PlistValue::Dictionary extra = {}) {
  extra["key"] = key;
  extra["defaults"] = kDomain;
  return item("PSSwitchCell", label, std::move(extra));
}

TEST_F(SwitchRowsTest, ControlsShowTheStoredValueElseTheDefault) {
  defaults()->setObject(PlistValue(false), "storedOff", kDomain);
  defaults()->setObject(PlistValue(true), "custom", kDomain);
  writeRoot({switchRow("Default on", "defaultOn", {{"default", true}}), switchRow("No default", "noDefault"),
             switchRow("Stored off", "storedOff", {{"default", true}}),
             switchRow("Custom control", "custom", {{"cellClass", "TestOnOffCell"}}),
             switchRow("Custom default", "customDefault", {{"cellClass", "TestOnOffCell"}, {"default", true}})});
  page = showPage();

  // Showing values stores nothing, even through a control that announces every change.
  EXPECT_TRUE(defaults()->objectForKey("customDefault", kDomain).isNil());
  EXPECT_TRUE(std::dynamic_pointer_cast<TestOnOffControl>(controlAt(4))->on);
  EXPECT_TRUE(std::dynamic_pointer_cast<UISwitch>(controlAt(0)));
  EXPECT_EQ(page->table()->cellForRowAtIndexPath({0, 0})->accessoryView(), controlAt(0));
  EXPECT_TRUE(isOn(0));
  EXPECT_FALSE(isOn(1));
  EXPECT_FALSE(isOn(2));
  // Any control with the on/off operations stands in for the switch, set without animation.
  auto custom = std::dynamic_pointer_cast<TestOnOffControl>(controlAt(3));
  ASSERT_TRUE(custom);
  EXPECT_TRUE(custom->on);
  EXPECT_FALSE(custom->lastSetAnimated);

  // Another process changes a value: the next display shows it.
  defaults()->setObject(PlistValue(true), "storedOff", kDomain);
  page->table()->reloadData();
  page->table()->layoutIfNeeded();
  EXPECT_TRUE(isOn(2));
}

TEST_F(SwitchRowsTest, ValueChangesAreStoredAndAnnounced) {
  writeRoot({switchRow("Announced", "announced", {{"default", false}, {"PostNotification", "com.example/changed"}}),
             switchRow("Quiet", "quiet", {{"default", true}}),
             switchRow("Custom control", "custom", {{"cellClass", "TestOnOffCell"}}),
             item("PSSwitchCell", "Unbound", {{"default", true}})});
  page = showPage();

  flip(0);
  EXPECT_EQ(defaults()->objectForKey("announced", kDomain), PlistValue(true));
  EXPECT_EQ(notifications(), 1);
  EXPECT_EQ(std::get<std::string>(*device().events().back().field("name")), "com.example/changed");

  flip(1);
  flip(2);
  EXPECT_EQ(defaults()->objectForKey("quiet", kDomain), PlistValue(false));
  EXPECT_EQ(defaults()->objectForKey("custom", kDomain), PlistValue(true));
  EXPECT_EQ(notifications(), 1);

  ::testing::internal::CaptureStderr();
  flip(3);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("names no \"key\""), std::string::npos);
  EXPECT_EQ(defaults()->persistentDomainNames(), std::vector<std::string>{kDomain});
}

}  // namespace
}  // namespace kavro::test
