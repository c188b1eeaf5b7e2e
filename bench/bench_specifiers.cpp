// Opening preference pages, from a fresh page object to its first laid-out frame
// (the page in a window, its table laid out, its visible cells made):
//   a 30-row page of every cell kind (switch, slider, segment, text, secure text,
//   link-list, title-value, static text, button, link, groups with footers), its
//   list read from the bundle in XML, binary or old-style text each time;
//   a link-list row's choices page of 30 choices.
// The device lives in a fresh folder under $TMPDIR (or /tmp), removed afterwards.

#include "platform/PlatformClasses.h"
#include "platform/device/Device.h"
#include "platform/device/Process.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/OldStylePropertyListWriter.h"
#include "platform/preferences/PSListControllerPrivate.h"
#include "platform/preferences/PSListItemsController.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIWindow.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;
constexpr const char* kBundle = "/var/jb/Library/PreferenceBundles/Bench.bundle";
constexpr const char* kDomain = "com.example.bench";

PlistValue row(const std::string& cell, const std::string& label, PlistValue::Dictionary extra = {}) {
  extra["cell"] = cell;
  extra["label"] = label;
  if (cell != "PSGroupCell" && cell != "PSButtonCell" && cell != "PSLinkCell" && cell != "PSStaticTextCell") {
    extra["key"] = label;
    extra["defaults"] = kDomain;
  }
  return extra;
}

PlistValue::Array choices(int count, bool titles) {
  PlistValue::Array values;
  for (int index = 0; index < count; ++index)
    values.push_back(titles ? PlistValue("Choice " + std::to_string(index)) : PlistValue(std::to_string(index)));
  return values;
}

// Three sections of ten rows, every cell kind in each.
PlistValue everyKindList() {
  PlistValue::Array items;
  for (int section = 0; section < 3; ++section) {
    std::string n = std::to_string(section);
    items.push_back(row("PSGroupCell", "Group " + n, {{"footerText", "What the rows of group " + n + " do."}}));
    items.push_back(row("PSSwitchCell", "switch" + n, {{"default", true}}));
    items.push_back(row("PSSliderCell", "slider" + n, {{"min", 0}, {"max", 10}, {"default", 4}, {"showValue", true}}));
    items.push_back(row("PSSegmentCell", "segment" + n, {{"validTitles", choices(3, true)}, {"validValues", choices(3, false)}}));
    items.push_back(row("PSEditTextCell", "text" + n, {{"placeholder", "Name"}}));
    items.push_back(row("PSSecureEditTextCell", "secret" + n, {{"placeholder", "Password"}}));
    items.push_back(row("PSLinkListCell", "list" + n, {{"validTitles", choices(30, true)}, {"validValues", choices(30, false)}}));
    items.push_back(row("PSTitleValueCell", "title" + n));
    items.push_back(row("PSStaticTextCell", "Static " + n));
    items.push_back(row("PSButtonCell", "Button " + n, {{"action", "noSuchAction:"}}));
  }
  items.push_back(row("PSGroupCell", "Links"));
  items.push_back(row("PSLinkCell", "Link", {{"detail", "PSListController"}}));
  items.push_back(row("PSLinkCell", "Another link", {{"detail", "XXAnotherController"}}));
  return PlistValue::Dictionary{{"title", "Bench"}, {"items", items}};
}

class BenchmarkDevice {
 public:
  BenchmarkDevice() {
    std::string pattern = (fs::temp_directory_path() / "kavro-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    device_ = std::make_unique<kavro::platform::Device>(folder_ / "device");
    kavro::platform::registerPlatformClasses();
    process_ = &device_->launch("settings", "com.apple.Preferences");
    kavro::platform::ProcessScope scope(*process_);
    PlistValue list = everyKindList();
    writeFile("Xml.plist", *NSPropertyListSerialization::dataWithPropertyList(list, NSPropertyListFormat::xml));
    writeFile("Binary.plist", *NSPropertyListSerialization::dataWithPropertyList(list, NSPropertyListFormat::binary));
    std::string text = kavro::platform::foundation::OldStylePropertyListWriter::write(list);
    writeFile("Text.plist", std::vector<std::uint8_t>(text.begin(), text.end()));
    bundle_ = NSBundle::bundleWithPath(kBundle);
  }
  ~BenchmarkDevice() {
    bundle_.reset();
    device_.reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  kavro::platform::Process& process() { return *process_; }
  const std::shared_ptr<NSBundle>& bundle() const { return bundle_; }

 private:
  void writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    fs::path path = device_->resolve(std::string(kBundle) + "/" + name);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
  }
  fs::path folder_;
  std::unique_ptr<kavro::platform::Device> device_;
  kavro::platform::Process* process_ = nullptr;
  std::shared_ptr<NSBundle> bundle_;
};

BenchmarkDevice& benchmarkDevice() {
  static BenchmarkDevice device;
  return device;
}

// Shows `page` in a window and lays it out: its first frame. Returns the number of
// cells on screen.
std::size_t showFirstFrame(const std::shared_ptr<PSListController>& page) {
  auto window = alloc<UIWindow>()->init();
  window->setRootViewController(alloc<UINavigationController>()->initWithRootViewController(page));
  window->makeKeyAndVisible();
  window->layoutIfNeeded();
  page->table()->layoutIfNeeded();
  return page->table()->visibleCells().size();
}

void BM_OpenEveryKindPage(benchmark::State& state, const char* listName) {
  kavro::platform::ProcessScope scope(benchmarkDevice().process());
  for (auto _ : state) {
    auto page = alloc<PSListController>();
    page->init();
    kavro::platform::preferences::ListControllerInternals::showList(*page, benchmarkDevice().bundle(), listName);
    state.counters["cells"] = static_cast<double>(showFirstFrame(page));
  }
}
BENCHMARK_CAPTURE(BM_OpenEveryKindPage, xml, "Xml")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenEveryKindPage, binary, "Binary")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenEveryKindPage, oldStyleText, "Text")->Unit(benchmark::kMillisecond);

void BM_OpenChoicesPage(benchmark::State& state) {
  kavro::platform::ProcessScope scope(benchmarkDevice().process());
  auto owner = alloc<PSListController>();
  owner->init();
  auto linkList = PSSpecifier::preferenceSpecifierNamed("Choices", owner, PSCellType::linkList);
  linkList->setProperty(choices(30, true), "validTitles");
  linkList->setProperty(choices(30, false), "validValues");
  linkList->setProperty("choice", "key");
  linkList->setProperty(kDomain, "defaults");
  for (auto _ : state) {
    auto page = alloc<PSListItemsController>();
    page->init();
    page->setSpecifier(linkList);
    state.counters["cells"] = static_cast<double>(showFirstFrame(page));
  }
}
BENCHMARK(BM_OpenChoicesPage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
