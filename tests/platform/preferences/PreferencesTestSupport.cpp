#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/device/Device.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/objc/Class.h"
#include "platform/preferences/PreferencesClasses.h"

#include <fstream>

namespace kavro::test {

// Defined inside the namespace so that the classes are registered by their plain
// names, as rows and Info.plist name them.
KAVRO_OBJC_CLASS_IMPLEMENTATION(TestListController, PSListController,
                                .method("tapped", &TestListController::tapped)
                                    .method("tappedWith:", &TestListController::tappedWith))
KAVRO_OBJC_CLASS_IMPLEMENTATION(TestSubtitleCell, PSTableCell, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(TestOnOffControl, UIControl, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(TestOnOffCell, PSSwitchTableCell, )

std::shared_ptr<PSSpecifierArray> TestListController::specifiers() {
  if (!specifiers_) specifiers_ = loadSpecifiersFromPlistName("Root", shared_from_this());
  return specifiers_;
}

std::shared_ptr<PSTableCell> TestSubtitleCell::initWithStyle(UITableViewCellStyle, const std::string& reuseIdentifier,
                                                             const std::shared_ptr<PSSpecifier>& specifier) {
  PSTableCell::initWithStyle(UITableViewCellStyleSubtitle, reuseIdentifier, specifier);
  detailTextLabel()->setText(specifier->propertyForKey("subtitle").stringOr(""));
  detailTextLabel()->setNumberOfLines(specifier->propertyForKey("lines").integerValue());
  return self<PSTableCell>();
}

void TestSubtitleCell::refreshCellContentsWithSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
  PSTableCell::refreshCellContentsWithSpecifier(specifier);
  ++refreshes;
}

PreferencesTest::PreferencesTest() {
  kavro::platform::preferences::registerPreferencesClasses();
  NSBundle::registerLoader("PreferencesTest", [] {
    return std::vector<const Class*>{TestListController::classObject(), TestSubtitleCell::classObject(),
                                     TestOnOffControl::classObject(), TestOnOffCell::classObject()};
  });
  std::filesystem::create_directories(device().resolve(kBundlePath));
  writeList("Info", PlistValue::Dictionary{{"CFBundleExecutable", "PreferencesTest"},
                                           {"CFBundleIdentifier", "com.example.preferencestest"},
                                           {"NSPrincipalClass", "TestListController"}});
  NSBundle::bundleWithPath(kBundlePath)->load();
}

void PreferencesTest::writeList(const std::string& name, const PlistValue& list) {
  auto bytes = *NSPropertyListSerialization::dataWithPropertyList(list, NSPropertyListFormat::xml);
  writeListBytes(name, std::string(bytes.begin(), bytes.end()));
}

void PreferencesTest::writeListBytes(const std::string& name, const std::string& bytes) {
  writeBundleFile(name + ".plist", bytes);
}

void PreferencesTest::writeBundleFile(const std::string& relativePath, const std::string& bytes) {
  writeFileBytes(device().resolve(std::string(kBundlePath) + "/" + relativePath), bytesOf(bytes));
}

void PreferencesTest::writeRoot(const PlistValue::Array& items) {
  writeList("Root", PlistValue::Dictionary{{"title", "Test"}, {"items", items}});
}

std::shared_ptr<TestListController> PreferencesTest::showPage() {
  auto page = alloc<TestListController>();
  page->init();
  navigation = alloc<UINavigationController>()->initWithRootViewController(page);
  page->view();
  page->table()->layoutIfNeeded();
  return page;
}

std::shared_ptr<TestListController> PreferencesTest::showPageInWindow() {
  auto page = alloc<TestListController>();
  page->init();
  navigation = alloc<UINavigationController>()->initWithRootViewController(page);
  window = alloc<UIWindow>()->init();
  window->setRootViewController(navigation);
  window->makeKeyAndVisible();
  wait(1);
  window->layoutIfNeeded();
  finger.emplace(settings(), window);
  return page;
}

CGPoint PreferencesTest::centreOf(const std::shared_ptr<UIView>& view) {
  CGRect frame = view->frameInWindow();
  return {CGRectGetMidX(frame), CGRectGetMidY(frame)};
}

void PreferencesTest::tapView(const std::shared_ptr<UIView>& view) { finger->tap(centreOf(view)); }

std::shared_ptr<UIViewController> PreferencesTest::topPage() {
  wait(1);
  if (window) window->layoutIfNeeded();
  auto top = navigation->topViewController();
  if (auto list = std::dynamic_pointer_cast<PSListController>(top); list && list->table()) list->table()->layoutIfNeeded();
  return top;
}

std::vector<kavro::platform::DeviceEvent> PreferencesTest::eventsNamed(const std::string& name) {
  std::vector<kavro::platform::DeviceEvent> found;
  for (const auto& event : device().events())
    if (event.event == name) found.push_back(event);
  return found;
}

std::vector<std::uint8_t> PreferencesTest::domainFileBytes(const std::string& domain) {
  return readFileBytes(NSUserDefaults::standardUserDefaults()->pathForDomain(domain));
}

PlistValue item(const std::string& cell, const std::string& label, PlistValue::Dictionary extra) {
  extra["cell"] = cell;
  extra["label"] = label;
  return extra;
}

}  // namespace kavro::test
