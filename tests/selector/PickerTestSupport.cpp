#include "tests/selector/PickerTestSupport.h"

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/foundation/NSUserDefaults.h"
#include "store/Preferences.h"

#include <fstream>

namespace kavro::test {

void PickerTest::install(const std::vector<TestApplication>& applications) {
  int index = 0;
  for (auto& application : applications) {
    PlistValue::Dictionary info{{"CFBundleIdentifier", application.identifier}};
    if (application.name) info["CFBundleDisplayName"] = *application.name;
    if (!application.tags.empty()) info["SBAppTags"] = PlistValue::Array(application.tags.begin(), application.tags.end());
    auto folder = device().resolve("/Applications/App" + std::to_string(index++) + ".app");
    std::filesystem::create_directories(folder);
    auto bytes = NSPropertyListSerialization::dataWithPropertyList(PlistValue(info), NSPropertyListFormat::xml);
    std::ofstream(folder / "Info.plist", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
  }
}

std::shared_ptr<KavroApplicationSelector> PickerTest::openPicker(const std::string& key) {
  if (!window) {
    window = alloc<UIWindow>()->init();
    root = alloc<UIViewController>()->init();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
  }
  picker = alloc<KavroApplicationSelector>()->initWithIdentifier(key);
  navigation = alloc<UINavigationController>()->initWithRootViewController(picker);
  navigation->navigationBar()->setPrefersLargeTitles(true);
  root->presentViewController(navigation, true, nullptr);
  wait(1);
  window->layoutIfNeeded();
  return picker;
}

void PickerTest::closePicker() {
  tapButton("arrow.left.circle.fill");
  wait(1);
}

namespace {
CGPoint center(const UIView& view) {
  CGRect frame = view.frameInWindow();
  return {CGRectGetMidX(frame), CGRectGetMidY(frame)};
}
}  // namespace

void PickerTest::tapRow(long section, long row) {
  auto table = picker->tableView();
  table->scrollToRowAtIndexPath({section, row}, UITableViewScrollPositionNone, false);
  window->layoutIfNeeded();
  auto cell = table->cellForRowAtIndexPath({section, row});
  ASSERT_TRUE(cell) << "row " << section << "," << row << " has no cell";
  kavro::platform::uikit::TouchDriver(kavro::platform::Process::current(), window).tap(center(*cell));
  window->layoutIfNeeded();
}

void PickerTest::tapButton(const std::string& label) {
  window->layoutIfNeeded();
  for (auto& items : {picker->navigationItem()->leftBarButtonItems(), picker->navigationItem()->rightBarButtonItems()}) {
    for (auto& item : items) {
      auto button = std::dynamic_pointer_cast<UIButton>(item->customView());
      if (!button) continue;
      auto image = button->currentBackgroundImage();
      if (button->currentTitle() == label || (image && image->symbolName() == label)) {
        kavro::platform::uikit::TouchDriver(kavro::platform::Process::current(), window).tap(center(*button));
        window->layoutIfNeeded();
        return;
      }
    }
  }
  FAIL() << "no bar button " << label;
}

void PickerTest::swipeRow(long section, long row) {
  auto table = picker->tableView();
  table->scrollToRowAtIndexPath({section, row}, UITableViewScrollPositionNone, false);
  window->layoutIfNeeded();
  auto cell = table->cellForRowAtIndexPath({section, row});
  ASSERT_TRUE(cell);
  CGRect frame = cell->frameInWindow();
  kavro::platform::uikit::TouchDriver finger(kavro::platform::Process::current(), window);
  finger.down({CGRectGetMaxX(frame) - 10, CGRectGetMidY(frame)});
  for (int i = 0; i < 6; ++i) finger.move(-55, 0);
  finger.up();
  window->layoutIfNeeded();
}

std::vector<std::string> PickerTest::rowTexts(long section) {
  auto table = picker->tableView();
  window->layoutIfNeeded();
  std::vector<std::string> texts;
  for (long row = 0; row < table->numberOfRowsInSection(section); ++row) {
    table->scrollToRowAtIndexPath({section, row}, UITableViewScrollPositionNone, false);
    window->layoutIfNeeded();
    texts.push_back(table->cellForRowAtIndexPath({section, row})->textLabel()->text());
  }
  return texts;
}

std::vector<std::string> PickerTest::checkedTexts() {
  auto table = picker->tableView();
  std::vector<std::string> texts;
  for (long row = 0; row < table->numberOfRowsInSection(1); ++row) {
    table->scrollToRowAtIndexPath({1, row}, UITableViewScrollPositionNone, false);
    window->layoutIfNeeded();
    auto cell = table->cellForRowAtIndexPath({1, row});
    if (cell->accessoryType() == UITableViewCellAccessoryCheckmark) texts.push_back(cell->textLabel()->text());
  }
  return texts;
}

std::vector<std::string> PickerTest::stored(const std::string& key) {
  PlistValue value = storedValue(key);
  std::vector<std::string> list;
  if (const PlistValue::Array* array = value.asArray())
    for (auto& element : *array) list.push_back(element.stringOr("<" + std::string(PlistValue::typeName(element.type())) + ">"));
  return list;
}

PlistValue PickerTest::storedValue(const std::string& key) {
  return NSUserDefaults::standardUserDefaults()->objectForKey(key, kavro::store::kDomain);
}

void PickerTest::store(const PlistValue& value, const std::string& key) {
  ASSERT_TRUE(NSUserDefaults::standardUserDefaults()->setObject(value, key, kavro::store::kDomain));
}

void PickerTest::storeList(const std::string& key, const std::vector<std::string>& identifiers) {
  store(PlistValue(PlistValue::Array(identifiers.begin(), identifiers.end())), key);
}

}  // namespace kavro::test
