// The application workspace and icons on a device with 2,000 installed applications
// (600 system, 1,400 user; names in Latin upper and lower case, digits, Chinese,
// Cyrillic and Greek; every 17th hidden, every 7th without an icon):
//   allInstalledApplications, cold (first call of a fresh process) and warm
//   applicationProxyForIdentifier, warm, for an installed and an unknown identifier
//   _applicationIconImageForBundleIdentifier, warm (a screenful of 12 rows)
//   baselines: listing the same folders and stat()ing every Info.plist, nothing more;
//              parsing the 2,000 Info.plists from memory
// The device lives in a fresh folder under $TMPDIR (or /tmp), removed afterwards.

#include "platform/device/Device.h"
#include "platform/device/Process.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/mobilecoreservices/ApplicationIcons.h"
#include "platform/mobilecoreservices/IconPixels.h"
#include "platform/mobilecoreservices/LSApplicationProxy.h"
#include "platform/mobilecoreservices/LSApplicationWorkspace.h"
#include "platform/uikit/UIImage.h"

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kSystemApplications = 600;
constexpr int kUserApplications = 1400;

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}

std::string displayName(int index) {
  static const char* const kStems[] = {"Photos", "iMovie", "1Password", "微信", "Яндекс Карты", "Ελληνικά",
                                       "eBay", "Zebra", "8 Ball", "カメラ+", "Notes", "weather"};
  return std::string(kStems[index % 12]) + " " + std::to_string(index);
}

PlistValue infoPlist(int index) {
  std::string identifier = "com.example.app" + std::to_string(index);
  PlistValue::Dictionary info{
      {"CFBundleIdentifier", identifier},
      {"CFBundleDisplayName", displayName(index)},
      {"CFBundleName", "App" + std::to_string(index)},
      {"CFBundleExecutable", "App" + std::to_string(index)},
      {"CFBundleShortVersionString", "1.0"},
      {"CFBundleVersion", "1"},
      {"MinimumOSVersion", "15.0"},
      {"UIDeviceFamily", PlistValue::Array{1, 2}},
  };
  if (index % 7 != 0)
    info["CFBundleIcons"] = PlistValue::Dictionary{
        {"CFBundlePrimaryIcon", PlistValue::Dictionary{{"CFBundleIconFiles", PlistValue::Array{"AppIcon60x60"}}}}};
  if (index % 17 == 0) info["SBAppTags"] = PlistValue::Array{"SBInternalAppTag", "hidden"};
  return info;
}

std::string containerName(int index) {
  char name[40];
  std::snprintf(name, sizeof name, "%08X-0000-4000-8000-%012d", static_cast<unsigned>(index * 2654435761u), index);
  return name;
}

class BenchmarkDevice {
 public:
  BenchmarkDevice() {
    std::string pattern = (fs::temp_directory_path() / "kavro-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    device_ = std::make_unique<kavro::platform::Device>(folder_ / "device");
    std::vector<std::vector<std::uint8_t>> icons;
    for (int variant = 0; variant < 8; ++variant)
      icons.push_back(kavro::platform::mobilecoreservices::drawPlaceholderIcon("artwork" + std::to_string(variant), 180));
    for (int index = 0; index < kSystemApplications + kUserApplications; ++index) {
      std::string folderName = "App" + std::to_string(index) + ".app";
      fs::path bundle = index < kSystemApplications
                            ? device_->resolve("/Applications/" + folderName)
                            : device_->resolve("/var/containers/Bundle/Application/" + containerName(index) + "/" +
                                               folderName);
      writeFile(bundle / "Info.plist",
                *NSPropertyListSerialization::dataWithPropertyList(infoPlist(index), NSPropertyListFormat::xml));
      if (index % 7 != 0) writeFile(bundle / "AppIcon60x60@3x.png", icons[index % icons.size()]);
    }
    kavro::platform::mobilecoreservices::registerApplicationIcons();
  }
  ~BenchmarkDevice() {
    device_.reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  kavro::platform::Device& device() { return *device_; }

 private:
  fs::path folder_;
  std::unique_ptr<kavro::platform::Device> device_;
};

BenchmarkDevice& benchmarkDevice() {
  static BenchmarkDevice device;
  return device;
}

// A process for the warm benchmarks: it has enumerated once already.
kavro::platform::Process& warmProcess() {
  kavro::platform::Device& device = benchmarkDevice().device();
  if (kavro::platform::Process* process = device.process("warm")) return *process;
  kavro::platform::Process& process = device.launch("warm", "com.apple.Preferences");
  kavro::platform::ProcessScope scope(process);
  LSApplicationWorkspace::defaultWorkspace()->allInstalledApplications();
  return process;
}

void BM_AllInstalledApplicationsCold(benchmark::State& state) {
  kavro::platform::Device& device = benchmarkDevice().device();
  std::size_t count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    kavro::platform::Process& process = device.launch("cold", "com.apple.Preferences");
    state.ResumeTiming();
    {
      kavro::platform::ProcessScope scope(process);
      auto applications = LSApplicationWorkspace::defaultWorkspace()->allInstalledApplications();
      count = applications.size();
      benchmark::DoNotOptimize(applications);
    }
    state.PauseTiming();
    device.terminate("cold");
    state.ResumeTiming();
  }
  state.counters["applications"] = static_cast<double>(count);
}
BENCHMARK(BM_AllInstalledApplicationsCold)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_AllInstalledApplicationsWarm(benchmark::State& state) {
  kavro::platform::ProcessScope scope(warmProcess());
  std::size_t count = 0;
  for (auto _ : state) {
    auto applications = LSApplicationWorkspace::defaultWorkspace()->allInstalledApplications();
    count = applications.size();
    benchmark::DoNotOptimize(applications);
  }
  state.counters["applications"] = static_cast<double>(count);
}
BENCHMARK(BM_AllInstalledApplicationsWarm)->Unit(benchmark::kMillisecond);

void BM_ApplicationProxyForInstalledIdentifier(benchmark::State& state) {
  kavro::platform::ProcessScope scope(warmProcess());
  int index = 0;
  for (auto _ : state) {
    auto proxy = LSApplicationProxy::applicationProxyForIdentifier("com.example.app" + std::to_string(index));
    benchmark::DoNotOptimize(proxy);
    index = (index + 97) % (kSystemApplications + kUserApplications);
  }
}
BENCHMARK(BM_ApplicationProxyForInstalledIdentifier)->Unit(benchmark::kMicrosecond);

void BM_ApplicationProxyForUnknownIdentifier(benchmark::State& state) {
  kavro::platform::ProcessScope scope(warmProcess());
  for (auto _ : state) {
    auto proxy = LSApplicationProxy::applicationProxyForIdentifier("com.example.uninstalled");
    benchmark::DoNotOptimize(proxy);
  }
}
BENCHMARK(BM_ApplicationProxyForUnknownIdentifier)->Unit(benchmark::kMicrosecond);

// The rows of one screen of the picker, reloaded: 12 icons, some of them placeholders.
void BM_ApplicationIconWarm(benchmark::State& state) {
  kavro::platform::ProcessScope scope(warmProcess());
  std::vector<std::string> rows;
  for (int index = 100; index < 112; ++index) rows.push_back("com.example.app" + std::to_string(index));
  rows.back() = "com.example.uninstalled";
  for (const auto& identifier : rows) UIImage::_applicationIconImageForBundleIdentifier(identifier, 1, 3);
  for (auto _ : state) {
    for (const auto& identifier : rows)
      benchmark::DoNotOptimize(UIImage::_applicationIconImageForBundleIdentifier(identifier, 1, 3));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * rows.size()));
}
BENCHMARK(BM_ApplicationIconWarm)->Unit(benchmark::kMicrosecond);

// What any enumeration must do at the least: list the folders and stat() each Info.plist.
void BM_BaselineListFoldersAndStatInfoPlists(benchmark::State& state) {
  kavro::platform::Device& device = benchmarkDevice().device();
  const fs::path system = device.resolve("/Applications");
  const fs::path user = device.resolve("/var/containers/Bundle/Application");
  auto list = [](const fs::path& folder) {
    std::vector<std::string> names;
    if (DIR* directory = ::opendir(folder.c_str())) {
      while (const dirent* entry = ::readdir(directory))
        if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
      ::closedir(directory);
    }
    return names;
  };
  for (auto _ : state) {
    struct stat status {};
    int found = 0;
    for (const auto& name : list(system)) found += ::stat((system / name / "Info.plist").c_str(), &status) == 0;
    for (const auto& container : list(user))
      for (const auto& name : list(user / container))
        found += ::stat((user / container / name / "Info.plist").c_str(), &status) == 0;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_BaselineListFoldersAndStatInfoPlists)->Unit(benchmark::kMillisecond);

// What a cold enumeration must do at the least besides that: parse every Info.plist,
// here from bytes already in memory.
void BM_BaselineParseInfoPlists(benchmark::State& state) {
  std::vector<std::vector<std::uint8_t>> files;
  for (int index = 0; index < kSystemApplications + kUserApplications; ++index)
    files.push_back(*NSPropertyListSerialization::dataWithPropertyList(infoPlist(index), NSPropertyListFormat::xml));
  for (auto _ : state)
    for (const auto& bytes : files) benchmark::DoNotOptimize(NSPropertyListSerialization::propertyListWithData(bytes));
}
BENCHMARK(BM_BaselineParseInfoPlists)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
