#include "tests/rootpage/RootPageHarness.h"

#include "platform/PlatformClasses.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/objc/Class.h"
#include "rootpage/BundleExecutable.h"
#include "store/Preferences.h"

#include <fstream>

namespace kavro::test {

RootPageTest::RootPageTest() {
  kavro::platform::registerPlatformClasses();
  registerBundleExecutable();
  // The bundle's files, as the simulator installs them from resources/.
  std::filesystem::path bundle = device().resolve(kBundlePath);
  std::filesystem::create_directories(bundle);
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(KAVRO_SOURCE_DIR) / "resources"))
    std::filesystem::copy_file(entry.path(), bundle / entry.path().filename());
  device().setRelaunchHandler([this](const kavro::platform::RelaunchRequest& request) { relaunches.push_back(request); });
  window = alloc<UIWindow>()->init();
  navigation = alloc<UINavigationController>()->initWithRootViewController(alloc<UIViewController>()->init());
  window->setRootViewController(navigation);
  window->makeKeyAndVisible();
  finger.emplace(settings(), window);
}

std::shared_ptr<KavroRootListController> RootPageTest::makePage() {
  auto bundle = NSBundle::bundleWithPath(kBundlePath);
  EXPECT_TRUE(bundle && bundle->load());
  auto made = std::dynamic_pointer_cast<KavroRootListController>(bundle->principalClass()->alloc());
  made->init();
  made->setTitle("Kavro");
  return made;
}

void RootPageTest::openPage() {
  page = makePage();
  navigation->pushViewController(page, true);
  wait(1);
}

void RootPageTest::reappear() {
  navigation->pushViewController(alloc<UIViewController>()->init(), false);
  navigation->popViewControllerAnimated(false);
  wait(1);
}

void RootPageTest::writeRoot(const PlistValue::Array& items) {
  auto bytes = *NSPropertyListSerialization::dataWithPropertyList(
      PlistValue::Dictionary{{"title", "Kavro"}, {"items", items}}, NSPropertyListFormat::xml);
  std::ofstream(device().resolve(std::string(kBundlePath) + "/Root.plist"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

CGPoint RootPageTest::centreOf(const std::shared_ptr<UIView>& view) {
  window->layoutIfNeeded();
  CGRect frame = view->frameInWindow();
  return CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame));
}

void RootPageTest::tapRow(long section, long row) {
  window->layoutIfNeeded();
  auto table = page->table();
  CGRect rect = table->convertRectToView(table->rectForRowAtIndexPath({section, row}), nullptr);
  finger->tap(CGPointMake(CGRectGetMidX(rect), CGRectGetMidY(rect)));
}

int RootPageTest::feedbackSounds() {
  int count = 0;
  for (const auto& event : device().eventsAfter(mark_))
    count += event.event == "sound" && *event.field("id") == kavro::platform::DeviceEvent::Field(std::int64_t{1519});
  return count;
}

std::optional<bool> RootPageTest::storedFlag(const std::string& key) {
  PlistValue value = NSUserDefaults::standardUserDefaults()->objectForKey(key, store::kDomain);
  return value.isBoolean() ? std::optional<bool>(value.boolValue()) : std::nullopt;
}

void RootPageTest::store(const PlistValue& value, const std::string& key) {
  ASSERT_TRUE(NSUserDefaults::standardUserDefaults()->setObject(value, key, store::kDomain));
}

PlistValue RootPageTest::storedValue(const std::string& key) {
  return NSUserDefaults::standardUserDefaults()->objectForKey(key, store::kDomain);
}

PlistValue rootItem(const std::string& cell, const std::string& label, PlistValue::Dictionary extra) {
  extra["cell"] = cell;
  if (!label.empty()) extra["label"] = label;
  return extra;
}

}  // namespace kavro::test
