#pragma once
// A preference bundle made inside the test device: tests write its specifier lists,
// and loading it registers the classes below, so that bundleForClass finds it.

#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSSwitchTableCell.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/DeviceFixture.h"

#include <optional>

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
  static constexpr const char* kBundlePath = "/var/jb/Library/PreferenceBundles/Test.bundle";

  PreferencesTest();
  // Writes NAME.plist into the bundle (NAME may name a folder: "sub/More").
  void writeListBytes(const std::string& name, const std::string& bytes);
  void writeList(const std::string& name, const PlistValue& list);
  void writeRoot(const PlistValue::Array& items);
  // Writes a file at a path inside the bundle ("de.lproj/Root.strings").
  void writeBundleFile(const std::string& relativePath, const std::string& bytes);
  // The bundle's page at the root of `navigation`, its table laid out.
  std::shared_ptr<TestListController> showPage();
  std::shared_ptr<UINavigationController> navigation;

  // The bundle's page in a key window, shown and laid out, with a finger on it.
  std::shared_ptr<TestListController> showPageInWindow();
  std::shared_ptr<UIWindow> window;
  std::optional<kavro::platform::uikit::TouchDriver> finger;
  // The centre of a view in window coordinates, and a tap there.
  static CGPoint centreOf(const std::shared_ptr<UIView>& view);
  void tapView(const std::shared_ptr<UIView>& view);
  // The front page of `navigation` once its transition has ended, laid out.
  std::shared_ptr<UIViewController> topPage();

  // The events of one kind in the device's log.
  std::vector<kavro::platform::DeviceEvent> eventsNamed(const std::string& name);
  // The bytes of a domain's file; empty when it has none.
  std::vector<std::uint8_t> domainFileBytes(const std::string& domain);
};

// A list item: {"cell": CELL, "label": LABEL} and `extra`.
PlistValue item(const std::string& cell, const std::string& label, PlistValue::Dictionary extra = {});

}  // namespace kavro::test
