// The preference store shared by real processes: concurrent writers lose nothing,
// a writer killed at any moment leaves a whole file, and every read sees a change
// made from outside, even one that keeps the file's size and modification time.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "tests/support/DeviceFixture.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
constexpr const char* kSharedDomain = "com.example.shared";

// Runs `body` in a child process; its result is the child's exit status.
pid_t forkChild(const std::function<bool()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body() ? 0 : 1);
  return pid;
}

int waitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

Bytes serialize(const PlistValue::Dictionary& domain) {
  return *NSPropertyListSerialization::dataWithPropertyList(PlistValue(domain), NSPropertyListFormat::binary);
}

void writeAll(int fd, const Bytes& bytes) {
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
}

class PreferenceStoreProcesses : public ::testing::Test {
 protected:
  fs::path folder() const { return temporary_.path() / "Preferences"; }
  fs::path domainFile() const { return folder() / (std::string(kSharedDomain) + ".plist"); }
  kavro::test::TemporaryFolder temporary_;
};

TEST_F(PreferenceStoreProcesses, ConcurrentWritersOfDistinctKeysLoseNothing) {
  constexpr int kWriters = 8;
  constexpr int kWritesEach = 50;
  std::vector<pid_t> writers;
  for (int writer = 0; writer < kWriters; ++writer) {
    writers.push_back(forkChild([&, writer] {
      auto store = NSUserDefaults::defaultsWithDirectory(folder());
      for (int write = 0; write < kWritesEach; ++write) {
        const std::string key = "w" + std::to_string(writer) + "." + std::to_string(write);
        if (!store->setObject(write, key, kSharedDomain)) return false;
        // Rewriting a shared key keeps it contended the whole time.
        if (!store->setObject(writer * 1000 + write, "last", kSharedDomain)) return false;
        if (store->objectForKey(key, kSharedDomain) != PlistValue(write)) return false;
      }
      return true;
    }));
  }
  for (pid_t pid : writers) EXPECT_EQ(waitFor(pid), 0);

  auto store = NSUserDefaults::defaultsWithDirectory(folder());
  auto domain = store->persistentDomainForName(kSharedDomain);
  EXPECT_EQ(domain.size(), std::size_t(kWriters * kWritesEach + 1));
  for (int writer = 0; writer < kWriters; ++writer)
    for (int write = 0; write < kWritesEach; ++write)
      EXPECT_EQ(domain["w" + std::to_string(writer) + "." + std::to_string(write)], PlistValue(write));
  EXPECT_EQ(domain["last"].integerValue() % 1000, kWritesEach - 1);
}

TEST_F(PreferenceStoreProcesses, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
  std::mt19937 random(7);
  auto observer = NSUserDefaults::defaultsWithDirectory(folder());
  for (int round = 0; round < 12; ++round) {
    int progress[2];
    ASSERT_EQ(::pipe(progress), 0);
    pid_t writer = forkChild([&] {
      ::close(progress[0]);
      auto store = NSUserDefaults::defaultsWithDirectory(folder());
      for (int generation = 0;; ++generation) {
        // Every element names its generation, so a mixed list would show.
        PlistValue::Array list(200 + generation % 50, PlistValue("generation " + std::to_string(generation)));
        store->setObject(list, "list", kSharedDomain);
        store->setObject(generation, "generation", kSharedDomain);
        char tick = 1;
        if (::write(progress[1], &tick, 1) != 1) return false;
      }
    });
    ::close(progress[1]);
    char tick;
    for (unsigned ticks = random() % 4 + 1; ticks > 0; --ticks) ASSERT_EQ(::read(progress[0], &tick, 1), 1);
    // Then a random stretch of reading before the kill lands mid-write somewhere.
    for (unsigned reads = random() % 300; reads > 0; --reads) observer->objectForKey("list", kSharedDomain);
    ::kill(writer, SIGKILL);
    EXPECT_TRUE(WIFSIGNALED(waitFor(writer)));
    ::close(progress[0]);

    std::string error;
    auto stored = NSPropertyListSerialization::propertyListWithContentsOfFile(domainFile(), &error);
    ASSERT_TRUE(stored) << error;
    const PlistValue& list = (*stored)["list"];
    ASSERT_TRUE(list.isArray());
    for (const auto& element : *list.asArray()) EXPECT_EQ(element, list.asArray()->front());
    EXPECT_EQ(observer->objectForKey("list", kSharedDomain), list);
  }
  // The dead writers' lock is gone and their leftovers do not stand in the way.
  EXPECT_TRUE(observer->setObject(true, "after", kSharedDomain));
  EXPECT_FALSE(fs::exists(domainFile().string() + ".tmp"));
}

TEST_F(PreferenceStoreProcesses, ReadsSeeChangesFromOutsideEvenWithSameSizeAndTime) {
  auto writer = NSUserDefaults::defaultsWithDirectory(folder());
  auto reader = NSUserDefaults::defaultsWithDirectory(folder());
  ASSERT_TRUE(writer->setObject("aaaa", "value", kSharedDomain));
  EXPECT_EQ(reader->objectForKey("value", kSharedDomain), PlistValue("aaaa"));

  // Another store object on the same folder: its write is seen at once.
  ASSERT_TRUE(writer->setObject("bbbb", "value", kSharedDomain));
  EXPECT_EQ(reader->objectForKey("value", kSharedDomain), PlistValue("bbbb"));

  // A replacement by rename with the same size and modification time.
  struct stat original {};
  ASSERT_EQ(::stat(domainFile().c_str(), &original), 0);
  const Bytes replacement = serialize({{"value", "cccc"}});
  ASSERT_EQ(replacement.size(), static_cast<std::size_t>(original.st_size));
  const fs::path prepared = folder() / "prepared";
  {
    int fd = ::open(prepared.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    writeAll(fd, replacement);
    const struct timespec times[2] = {original.st_atim, original.st_mtim};
    ASSERT_EQ(::futimens(fd, times), 0);
    ::close(fd);
  }
  ASSERT_EQ(::rename(prepared.c_str(), domainFile().c_str()), 0);
  EXPECT_EQ(reader->objectForKey("value", kSharedDomain), PlistValue("cccc"));

  // An edit in place by a process that does not use the store, with the same size
  // and the modification time put back.
  pid_t editor = forkChild([&] {
    struct stat before {};
    int fd = ::open(domainFile().c_str(), O_WRONLY);
    if (fd < 0 || ::fstat(fd, &before) != 0) return false;
    const Bytes edited = serialize({{"value", "dddd"}});
    if (::pwrite(fd, edited.data(), edited.size(), 0) != static_cast<ssize_t>(edited.size())) return false;
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    return ::futimens(fd, times) == 0 && ::close(fd) == 0;
  });
  ASSERT_EQ(waitFor(editor), 0);
  EXPECT_EQ(reader->objectForKey("value", kSharedDomain), PlistValue("dddd"));
  EXPECT_EQ(writer->objectForKey("value", kSharedDomain), PlistValue("dddd"));

  // A removal from outside reads as an empty domain.
  ASSERT_TRUE(fs::remove(domainFile()));
  EXPECT_TRUE(reader->objectForKey("value", kSharedDomain).isNil());
  // A writer that last saw "dddd" starts from the file as it is now.
  ASSERT_TRUE(writer->setObject(1, "other", kSharedDomain));
  EXPECT_EQ(reader->persistentDomainForName(kSharedDomain), (PlistValue::Dictionary{{"other", 1}}));
}

}  // namespace
