// The preference store against the bare system calls it is built on. Each store
// benchmark runs beside its baseline in the same run:
//   cached read of `enabled`         vs  a bare stat() of the domain file
//   read after an outside write      (reported for reference)
//   write of a 100-element list      vs  a bare write + fsync + rename + folder fsync
//                                        of the same bytes
// Files live in a fresh folder under $TMPDIR (or /tmp), removed afterwards.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;
constexpr const char* kDomain = "com.qelm.kavroprefs";

class BenchmarkFolder {
 public:
  BenchmarkFolder() {
    std::string pattern = (fs::temp_directory_path() / "kavro-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~BenchmarkFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }
  fs::path domainFile() const { return path_ / (std::string(kDomain) + ".plist"); }

 private:
  fs::path path_;
};

PlistValue identifierList(int variant) {
  PlistValue::Array list;
  for (int i = 0; i < 100; ++i)
    list.push_back("com.example.application" + std::to_string(i) + (variant ? ".b" : ".a"));
  return PlistValue(std::move(list));
}

PlistValue::Dictionary sampleDomain(int variant) {
  return {{"enabled", variant == 0}, {"blacklist", identifierList(variant)}};
}

std::vector<std::uint8_t> bytesOf(const PlistValue::Dictionary& domain) {
  return *NSPropertyListSerialization::dataWithPropertyList(PlistValue(domain), NSPropertyListFormat::binary);
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
    throw std::runtime_error("cannot write " + path.string());
  ::close(fd);
}

// Waits, by reading, until the file clock has ticked past the domain file's change
// time, so that the store's snapshot of it is settled and reads cost one stat.
void letTheFileClockPass(NSUserDefaults& defaults) {
  struct timespec start {}, now {};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &start);
  do {
    benchmark::DoNotOptimize(defaults.objectForKey("enabled", kDomain));
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  } while (now.tv_sec == start.tv_sec && now.tv_nsec - start.tv_nsec < 20'000'000);
}

void BM_BareStat(benchmark::State& state) {
  BenchmarkFolder folder;
  writeFile(folder.domainFile(), bytesOf(sampleDomain(0)));
  const std::string path = folder.domainFile().string();
  struct stat status {};
  for (auto _ : state) benchmark::DoNotOptimize(::stat(path.c_str(), &status));
}
BENCHMARK(BM_BareStat);

void BM_CachedReadOfEnabled(benchmark::State& state) {
  BenchmarkFolder folder;
  auto defaults = NSUserDefaults::defaultsWithDirectory(folder.path());
  defaults->setPersistentDomain(sampleDomain(0), kDomain);
  letTheFileClockPass(*defaults);
  for (auto _ : state) benchmark::DoNotOptimize(defaults->objectForKey("enabled", kDomain).boolValue());
}
BENCHMARK(BM_CachedReadOfEnabled);

// Before each read, the domain file is replaced by rename from outside the store,
// as another process's write replaces it; only the read is timed.
void BM_ReadAfterAnotherProcessWrite(benchmark::State& state) {
  BenchmarkFolder folder;
  const fs::path prepared[2] = {folder.path() / "prepared-0", folder.path() / "prepared-1"};
  for (int variant = 0; variant < 2; ++variant) writeFile(prepared[variant], bytesOf(sampleDomain(variant)));
  const fs::path incoming = folder.path() / "incoming";
  auto defaults = NSUserDefaults::defaultsWithDirectory(folder.path());
  int variant = 0;
  for (auto _ : state) {
    variant ^= 1;
    ::link(prepared[variant].c_str(), incoming.c_str());
    ::rename(incoming.c_str(), folder.domainFile().c_str());
    auto start = std::chrono::steady_clock::now();
    bool enabled = defaults->objectForKey("enabled", kDomain).boolValue();
    auto end = std::chrono::steady_clock::now();
    if (enabled != (variant == 0)) state.SkipWithError("the read missed the replacement");
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}
BENCHMARK(BM_ReadAfterAnotherProcessWrite)->UseManualTime();

void BM_BareDurableWrite(benchmark::State& state) {
  BenchmarkFolder folder;
  const std::vector<std::uint8_t> bytes[2] = {bytesOf(sampleDomain(0)), bytesOf(sampleDomain(1))};
  const std::string path = folder.domainFile().string();
  const std::string temporary = path + ".tmp";
  int variant = 0;
  for (auto _ : state) {
    variant ^= 1;
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    benchmark::DoNotOptimize(::write(fd, bytes[variant].data(), bytes[variant].size()));
    ::fsync(fd);
    ::close(fd);
    ::rename(temporary.c_str(), path.c_str());
    int directory = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(directory);
    ::close(directory);
  }
}
BENCHMARK(BM_BareDurableWrite)->MinTime(2.0);

void BM_WriteOfHundredElementList(benchmark::State& state) {
  BenchmarkFolder folder;
  auto defaults = NSUserDefaults::defaultsWithDirectory(folder.path());
  defaults->setPersistentDomain(sampleDomain(0), kDomain);
  const PlistValue lists[2] = {identifierList(0), identifierList(1)};
  int variant = 0;
  for (auto _ : state) {
    variant ^= 1;
    if (!defaults->setObject(lists[variant], "blacklist", kDomain)) state.SkipWithError("the write failed");
  }
}
BENCHMARK(BM_WriteOfHundredElementList)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
