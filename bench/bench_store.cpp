// The preference store against the bare system calls it is built on. Each store
// benchmark runs beside its baseline in the same run:
//   cached read of `enabled`         vs  a bare stat() of the domain file
//   read after an outside write      (reported for reference)
//   write of a 100-element list      vs  a bare write + fsync + rename + folder fsync
//                                        of the same bytes
//   reading a domain holding a list of N strings, N from 5,000 to 200,000 (time per
//                                        element stays flat: reading is linear)
//   a write next to a 5,000-entry list
//   8 writer processes x 40 writes of distinct keys, each in its own store on one
//                                        folder: keys kept and the slowest single write
// Files live in a fresh folder under $TMPDIR (or /tmp), removed afterwards.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
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

// `count` identifiers; variants 0 and 1 differ in every element.
PlistValue identifierList(int variant, int count = 100) {
  PlistValue::Array list;
  list.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
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

// A fresh store reads the whole file each time.
void BM_ReadDomainWithLongList(benchmark::State& state) {
  BenchmarkFolder folder;
  const int count = static_cast<int>(state.range(0));
  writeFile(folder.domainFile(), bytesOf({{"enabled", true}, {"list", identifierList(0, count)}}));
  for (auto _ : state) {
    auto defaults = NSUserDefaults::defaultsWithDirectory(folder.path());
    const PlistValue list = defaults->objectForKey("list", kDomain);
    if (!list.isArray() || list.asArray()->size() != static_cast<std::size_t>(count))
      state.SkipWithError("the list was not read whole");
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ReadDomainWithLongList)->Arg(5'000)->Arg(50'000)->Arg(200'000)->Unit(benchmark::kMillisecond);

void BM_WriteBesideFiveThousandEntryList(benchmark::State& state) {
  BenchmarkFolder folder;
  auto defaults = NSUserDefaults::defaultsWithDirectory(folder.path());
  defaults->setPersistentDomain({{"enabled", true}, {"list", identifierList(0, 5'000)}}, kDomain);
  bool enabled = false;
  for (auto _ : state) {
    enabled = !enabled;
    if (!defaults->setObject(enabled, "enabled", kDomain)) state.SkipWithError("the write failed");
  }
}
BENCHMARK(BM_WriteBesideFiveThousandEntryList)->Unit(benchmark::kMillisecond);

// Forks the writers; each sends back its slowest write in microseconds, or -1 when
// a write failed.
void BM_ConcurrentWriterProcesses(benchmark::State& state) {
  constexpr int kProcesses = 8;
  constexpr int kWritesEach = 40;
  double slowest = 0;
  std::size_t kept = 0;
  for (auto _ : state) {
    BenchmarkFolder folder;
    int results[2];
    if (::pipe(results) != 0) return state.SkipWithError("pipe failed");
    std::vector<pid_t> writers;
    for (int process = 0; process < kProcesses; ++process) {
      pid_t pid = ::fork();
      if (pid == 0) {
        ::close(results[0]);
        auto defaults = NSUserDefaults::defaultsWithDirectory(folder.path());
        long long worst = 0;
        for (int write = 0; write < kWritesEach; ++write) {
          const std::string key = "writer-" + std::to_string(process) + "-" + std::to_string(write);
          auto start = std::chrono::steady_clock::now();
          bool ok = defaults->setObject(write, key, kDomain);
          auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
          worst = ok ? std::max<long long>(worst, took.count()) : -1;
          if (!ok) break;
        }
        benchmark::DoNotOptimize(::write(results[1], &worst, sizeof worst));
        ::_exit(0);
      }
      writers.push_back(pid);
    }
    ::close(results[1]);
    long long worst = 0;
    for (std::size_t n = 0; n < writers.size(); ++n) {
      long long writerWorst = -1;
      if (::read(results[0], &writerWorst, sizeof writerWorst) != sizeof writerWorst || writerWorst < 0)
        state.SkipWithError("a writer failed");
      worst = std::max(worst, writerWorst);
    }
    ::close(results[0]);
    for (pid_t pid : writers) ::waitpid(pid, nullptr, 0);
    slowest = std::max(slowest, worst / 1000.0);
    kept = NSUserDefaults::defaultsWithDirectory(folder.path())->persistentDomainForName(kDomain).size();
    if (kept != kProcesses * kWritesEach) state.SkipWithError("a write was lost");
  }
  state.counters["kept"] = static_cast<double>(kept);
  state.counters["slowest_write_ms"] = slowest;
}
BENCHMARK(BM_ConcurrentWriterProcesses)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
