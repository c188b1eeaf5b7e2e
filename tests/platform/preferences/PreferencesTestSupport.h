#pragma once
// A preference bundle made inside the test device: tests write its specifier lists,
// and loading it registers the classes below, so that bundleForClass finds it.

#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSSwitchTableCell.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UISwitch.h"
#include "tests/support/DeviceFixture.h"

namespace kavro::test {

// The bundle's page: loads "Root" on first use and offers two row actions.
class TestListController : public PSListController {
  KAVRO_OBJC_CLASS(TestListController)
 public:
  std::shared_ptr<PSSpecifierArray> specifiers() override;
  void tapped() { ++taps; }
  void tappedWith(const id& sender) { senders.push_back(std::dynamic_pointer_cast<PSSpecifier>(sender)); }
  int taps = 0;
  std::vector<std::shared_ptr<PSSpecifier>> senders;
};

// Takes its detail text from the row once, at creation, as the bundle's cells do.
class TestSubtitleCell : public PSTableCell {
  KAVRO_OBJC_CLASS(TestSubtitleCell)
 public:
  std::shared_ptr<PSTableCell> initWithStyle(UITableViewCellStyle style, const std::string& reuseIdentifier,
                                             const std::shared_ptr<PSSpecifier>& specifier) override;
  void refreshCellContentsWithSpecifier(const std::shared_ptr<PSSpecifier>& specifier) override;
  int refreshes = 0;
};

// An on/off control that is no UISwitch, and a switch cell that uses it. Like the
// bundle's switch, it announces every change of state, also one made by code.
class TestOnOffControl : public UIControl, public kavro::platform::uikit::OnOffControl {
  KAVRO_OBJC_CLASS(TestOnOffControl)
 public:
  bool isOn() const override { return on; }
  void setOn(bool value, bool animated) override {
    bool changed = value != on;
    on = value, lastSetAnimated = animated;
    if (changed) sendActionsForControlEvents(UIControlEventValueChanged);
  }
  bool on = false, lastSetAnimated = true;
};
class TestOnOffCell : public PSSwitchTableCell {
  KAVRO_OBJC_CLASS(TestOnOffCell)
 public:
  std::shared_ptr<UIControl> newControl() override { return alloc<TestOnOffControl>(); }
};

class PreferencesTest : public DeviceTest {
 protected:
  PreferencesTest();
  // Writes NAME.plist into the bundle.
  void writeListBytes(const std::string& name, const std::string& bytes);
  void writeList(const std::string& name, const PlistValue& list);
  void writeRoot(const PlistValue::Array& items);
  // The bundle's page at the root of `navigation`, its table laid out.
  std::shared_ptr<TestListController> showPage();
  std::shared_ptr<UINavigationController> navigation;
};

// A list item: {"cell": CELL, "label": LABEL} and `extra`.
PlistValue item(const std::string& cell, const std::string& label, PlistValue::Dictionary extra = {});

}  // namespace kavro::test
