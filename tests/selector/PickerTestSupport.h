#pragma once
// A device with applications of our choosing and a picker shown in a window, as the
// settings page or the home screen presents it.

#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIWindow.h"
#include "selector/KavroApplicationSelector.h"
#include "tests/support/DeviceFixture.h"

#include <optional>
#include <string>
#include <vector>

namespace kavro::test {

struct TestApplication {
  std::string identifier;
  std::optional<std::string> name;
  std::vector<std::string> tags = {};
};

class PickerTest : public DeviceTest {
 protected:
  // Installs applications as system .app bundles of the device.
  void install(const std::vector<TestApplication>& applications);
  // Shows a picker for `key` in the current process, presented from a window's root
  // page, and lets its presentation finish.
  std::shared_ptr<KavroApplicationSelector> openPicker(const std::string& key);
  // Closes the picker with its back button and lets the dismissal finish.
  void closePicker();

  // Touch helpers, through the window.
  void tapRow(long section, long row);
  void tapButton(const std::string& symbolOrTitle);
  void swipeRow(long section, long row);

  // What the table shows now.
  std::vector<std::string> rowTexts(long section);
  std::vector<std::string> checkedTexts();
  std::vector<std::string> stored(const std::string& key);
  // The stored object under `key`, or nil; storing as another process would.
  PlistValue storedValue(const std::string& key);
  void store(const PlistValue& value, const std::string& key);
  void storeList(const std::string& key, const std::vector<std::string>& identifiers);

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIViewController> root;
  std::shared_ptr<UINavigationController> navigation;
  std::shared_ptr<KavroApplicationSelector> picker;
};

}  // namespace kavro::test
