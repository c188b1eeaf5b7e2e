// The application picker on a device with 2,000 installed applications and a stored
// list of 500 identifiers. Each figure includes everything a person's action costs:
// the touches through the window, the store reads and the durable store write, the
// table reload and the cells it asks for, and the end-of-turn layout.
//   OpenPicker: a new picker, its catalogue built, presented and laid out
//   TapToggle: a tap on a row of "All Applications" (adds, then removes)
//   Swipe: a full swipe on a row of "Current Applications" (the row is put back
//          outside the timing)
//   Reorder: moving a row of "Current Applications" down by one (and back)
//   SearchKeystroke: one character typed into the search field (and deleted)
//   CoastFrame: one frame (1/60 s of the clock) of the table coasting after a
//               flick: the motion's step, the rows scrolling in and their layout
//   DurableWrite: the store's durable write of the 500-entry list alone, what each
//          of TapToggle, Swipe and Reorder includes once; the rest of an action is
//          the picker's and the table's share
// The device lives in a fresh folder under $TMPDIR (or /tmp), removed afterwards.

#include "platform/PlatformClasses.h"
#include "platform/device/Device.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIWindow.h"
#include "selector/KavroApplicationSelector.h"
#include "platform/foundation/NSUserDefaults.h"
#include "store/KavroIdentifierList.h"
#include "store/Preferences.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kApplications = 2000;
constexpr int kListed = 500;

struct PickerBench {
  fs::path folder;
  std::unique_ptr<kavro::platform::Device> device;
  kavro::platform::Process* process = nullptr;
  std::unique_ptr<kavro::platform::ProcessScope> scope;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIViewController> root;
  std::shared_ptr<KavroApplicationSelector> picker;

  PickerBench() {
    const char* temp = std::getenv("TMPDIR");
    std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/kavro-picker-XXXXXX";
    folder = ::mkdtemp(pattern.data());
    static const char* const kStems[] = {"Photos", "iMovie", "1Password", "微信", "Яндекс", "eBay", "Zebra", "Notes"};
    for (int i = 0; i < kApplications; ++i) {
      PlistValue::Dictionary info{{"CFBundleIdentifier", "com.example.app" + std::to_string(i)},
                                  {"CFBundleDisplayName", std::string(kStems[i % 8]) + " " + std::to_string(i)}};
      if (i % 17 == 0) info["SBAppTags"] = PlistValue::Array{"hidden"};
      auto bytes = NSPropertyListSerialization::dataWithPropertyList(PlistValue(info), NSPropertyListFormat::binary);
      fs::path app = folder / "device/Applications" / ("App" + std::to_string(i) + ".app");
      fs::create_directories(app);
      std::ofstream(app / "Info.plist", std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
    }
    kavro::platform::registerPlatformClasses();
    device = std::make_unique<kavro::platform::Device>(folder / "device");
    process = &device->launch("settings", "com.apple.Preferences");
    scope = std::make_unique<kavro::platform::ProcessScope>(*process);
    PlistValue::Array listed;
    for (int i = 0; i < kListed; ++i) listed.push_back("com.example.app" + std::to_string(i * 3 + 1));
    NSUserDefaults::standardUserDefaults()->setObject(PlistValue(listed), kavro::store::kBlacklistKey,
                                                      kavro::store::kDomain);
    window = alloc<UIWindow>()->init();
    root = alloc<UIViewController>()->init();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
  }
  ~PickerBench() {
    picker.reset();
    root.reset();
    window.reset();
    scope.reset();
    device.reset();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  void open() {
    if (root->presentedViewController()) {
      root->dismissViewControllerAnimated(false, nullptr);
      device->runUntilIdle();
    }
    picker = alloc<KavroApplicationSelector>()->initWithIdentifier(kavro::store::kBlacklistKey);
    auto navigation = alloc<UINavigationController>()->initWithRootViewController(picker);
    root->presentViewController(navigation, false, nullptr);
    device->runUntilIdle();
  }
  CGPoint cellCenter(long section, long row) {
    auto table = picker->tableView();
    table->scrollToRowAtIndexPath({section, row}, UITableViewScrollPositionNone, false);
    window->layoutIfNeeded();
    CGRect frame = table->cellForRowAtIndexPath({section, row})->frameInWindow();
    return {CGRectGetMidX(frame), CGRectGetMidY(frame)};
  }
};

PickerBench& bench() {
  static PickerBench instance;
  return instance;
}

void OpenPicker(benchmark::State& state) {
  auto& b = bench();
  for (auto _ : state) b.open();
  state.counters["catalogue"] = static_cast<double>(b.picker->applications().size());
}
BENCHMARK(OpenPicker)->Unit(benchmark::kMillisecond);

void TapToggle(benchmark::State& state) {
  auto& b = bench();
  b.open();
  kavro::platform::uikit::TouchDriver finger(*b.process, b.window);
  long listed = kavro::store::KavroIdentifierList::read(kavro::store::kBlacklistKey).count();
  for (auto _ : state) {
    // The row moves as "Current Applications" grows and shrinks: find it anew.
    state.PauseTiming();
    CGPoint point = b.cellCenter(1, 2);
    state.ResumeTiming();
    finger.tap(point);
  }
  if (kavro::store::KavroIdentifierList::read(kavro::store::kBlacklistKey).count() == listed && state.iterations() % 2)
    state.SkipWithError("the taps changed nothing");
}
BENCHMARK(TapToggle)->Unit(benchmark::kMicrosecond);

void Swipe(benchmark::State& state) {
  auto& b = bench();
  b.open();
  CGPoint point = b.cellCenter(0, 0);
  kavro::platform::uikit::TouchDriver finger(*b.process, b.window);
  for (auto _ : state) {
    finger.down({370, point.y});
    for (int i = 0; i < 5; ++i) finger.move(-70, 0);
    finger.up();
    state.PauseTiming();
    auto list = kavro::store::KavroIdentifierList::read(kavro::store::kBlacklistKey);
    list.append("com.example.app1");
    list.move(list.count() - 1, 0);
    list.write();
    b.picker->tableView()->reloadData();
    b.window->layoutIfNeeded();
    state.ResumeTiming();
  }
}
BENCHMARK(Swipe)->Unit(benchmark::kMicrosecond);

// Row 0 down by one, then back: the same move each time, alternating direction.
[[gnu::noinline]] void reorderOnce(PickerBench& b, long step) {
  if (step % 2 == 0)
    b.picker->moveRowAtIndexPath(b.picker->tableView(), {0, 0}, {0, 1});
  else
    b.picker->moveRowAtIndexPath(b.picker->tableView(), {0, 1}, {0, 0});
  b.window->layoutIfNeeded();
}

void Reorder(benchmark::State& state) {
  auto& b = bench();
  b.open();
  b.picker->tableView()->setEditing(true);
  b.window->layoutIfNeeded();
  long step = 0;
  for (auto _ : state) reorderOnce(b, step++);
}
BENCHMARK(Reorder)->Unit(benchmark::kMicrosecond);

void SearchKeystroke(benchmark::State& state) {
  auto& b = bench();
  b.open();
  auto searchBar = b.picker->searchController()->searchBar();
  b.device->dispatch(*b.process, [&] { searchBar->becomeFirstResponder(); });
  b.device->dispatch(*b.process, [&] { searchBar->insertText("o"); });
  long step = 0;
  for (auto _ : state) {
    if (step++ % 2 == 0)
      b.device->dispatch(*b.process, [&] { searchBar->insertText("t"); });
    else
      b.device->dispatch(*b.process, [&] { searchBar->deleteBackward(); });
  }
}
BENCHMARK(SearchKeystroke)->Unit(benchmark::kMicrosecond);

void CoastFrame(benchmark::State& state) {
  auto& b = bench();
  b.open();
  auto table = b.picker->tableView();
  kavro::platform::uikit::TouchDriver finger(*b.process, b.window);
  CGFloat direction = -1;
  for (auto _ : state) {
    if (!table->isDecelerating()) {
      // A fresh flick, turning round at either end of the 2,000 rows.
      state.PauseTiming();
      CGFloat offset = table->contentOffset().y;
      if (offset > table->maximumContentOffset().y - 20000) direction = 1;
      if (offset < table->minimumContentOffset().y + 20000) direction = -1;
      finger.down({200, 500});
      finger.flick(0, direction * 300);
      state.ResumeTiming();
    }
    b.device->advance(1.0 / 60);
  }
}
BENCHMARK(CoastFrame)->Unit(benchmark::kMicrosecond);
// The write every edit ends with, through the platform's store: the list with and
// without one more identifier in turn, so that each write changes the file.
void DurableWrite(benchmark::State& state) {
  auto& b = bench();
  b.open();
  auto defaults = NSUserDefaults::standardUserDefaults();
  PlistValue stored = defaults->objectForKey(kavro::store::kBlacklistKey, kavro::store::kDomain);
  PlistValue::Array longer = *stored.asArray();
  longer.push_back(PlistValue("com.example.extra"));
  const PlistValue lists[2] = {PlistValue(longer), stored};
  long step = 0;
  for (auto _ : state) defaults->setObject(lists[step++ % 2], kavro::store::kBlacklistKey, kavro::store::kDomain);
  defaults->setObject(stored, kavro::store::kBlacklistKey, kavro::store::kDomain);
}
BENCHMARK(DurableWrite)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
