#pragma once
// The bundle installed in a test device and its page hosted as Settings hosts it
// (loaded through NSBundle, pushed on a navigation stack in the key window), with a
// finger on that window, the device's log, relaunch requests and the stored domain.

#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIWindow.h"
#include "rootpage/KavroRootListController.h"
#include "tests/support/DeviceFixture.h"

namespace kavro::test {

class RootPageTest : public DeviceTest {
 protected:
  RootPageTest();
  // The principal page as Settings makes it; openPage pushes one and lets it settle.
  std::shared_ptr<KavroRootListController> makePage();
  void openPage();
  // Covers the page with another one and uncovers it.
  void reappear();
  // What the page's stack presents (the stack presents for its pages).
  std::shared_ptr<UIViewController> presented() const { return navigation->presentedViewController(); }
  void writeRoot(const PlistValue::Array& items);

  CGPoint centreOf(const std::shared_ptr<UIView>& view);
  void tap(const std::shared_ptr<UIView>& view) { finger->tap(centreOf(view)); }
  void tapRow(long section, long row);

  // Sounds 1519 since the last mark.
  void markEvents() { mark_ = device().lastEventSequence(); }
  int feedbackSounds();
  // A stored boolean; nullopt when the key is absent or holds another type.
  std::optional<bool> storedFlag(const std::string& key);
  void store(const PlistValue& value, const std::string& key);
  // The stored object under `key`, or nil.
  PlistValue storedValue(const std::string& key);

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UINavigationController> navigation;
  std::optional<kavro::platform::uikit::TouchDriver> finger;
  std::shared_ptr<KavroRootListController> page;
  std::vector<kavro::platform::RelaunchRequest> relaunches;

 private:
  std::uint64_t mark_ = 0;
};

// {"cell": CELL, "label": LABEL (none when empty)} and `extra`.
PlistValue rootItem(const std::string& cell, const std::string& label, PlistValue::Dictionary extra = {});

}  // namespace kavro::test
