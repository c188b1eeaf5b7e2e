// Live reload's two halves: the batching of file changes on a clock the test
// moves (a burst is one batch, a busy folder still gets its batch in bounded
// time, folders are batched apart), and the watcher on real files with a short
// timeout (a save through a temporary file and a rename gives one reload naming
// the file; a file in a folder made after watching began is seen; an editor's
// swap file alone reloads nothing; an entry kept beside the folder is watched).

#include "sim/web/server/ChangeBatch.h"
#include "sim/web/server/LiveReload.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <boost/asio/io_context.hpp>

#include <chrono>
#include <fstream>

namespace kavro::sim {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = ChangeBatch::Clock;

TEST(ChangeBatchTest, ABurstIsOneBatchDueWhenTheFolderIsQuiet) {
  ChangeBatch batch;
  Clock::time_point start{};
  EXPECT_FALSE(batch.nextDue());
  batch.add(0, "Root.plist.tmp", start);
  batch.add(0, "Root.plist", start + 30ms);
  batch.add(0, "Root.plist", start + 60ms);
  EXPECT_EQ(batch.nextDue(), start + 60ms + ChangeBatch::kQuietTime);
  EXPECT_TRUE(batch.takeDue(start + 150ms).empty()) << "still within the quiet time of the last change";
  auto due = batch.takeDue(start + 160ms);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0].files, (std::vector<std::string>{"Root.plist", "Root.plist.tmp"}));
  EXPECT_TRUE(batch.takeDue(start + 10s).empty()) << "taken once";
  EXPECT_FALSE(batch.nextDue());
}

TEST(ChangeBatchTest, AFolderThatKeepsChangingGetsItsBatchWithinTheLongestWaitAndFoldersStayApart) {
  ChangeBatch batch;
  Clock::time_point start{};
  for (auto t = 0ms; t <= 900ms; t += 50ms) batch.add(0, "log.txt", start + t);
  batch.add(1, "Root.plist", start + 200ms);
  // Folder 0 has been busy since 0: due at kLongestWait; folder 1 at 300 ms.
  auto due = batch.takeDue(start + 300ms);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0].folder, 1u);
  due = batch.takeDue(start + ChangeBatch::kLongestWait);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0].folder, 0u);
}

// A watcher on a real folder, run until a reload comes or the time is up.
class WatcherTest : public ::testing::Test {
 protected:
  WatcherTest() {
    fs::create_directories(bundle);
    std::ofstream(bundle / "Root.plist") << "{ items = (); }";
  }
  void startWatching(bool builtIn = false) {
    reload.emplace(io, std::vector<BundleSource>{{"Tides", bundle, builtIn}},
                   [this](const BundleSource& source, const std::vector<std::string>& files) {
                     EXPECT_EQ(source.name, "Tides");
                     batches.push_back(files);
                   });
  }
  // Runs the loop until `count` batches came, or for at most `limit`.
  void runUntil(std::size_t count, std::chrono::milliseconds limit = 2000ms) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (batches.size() < count && std::chrono::steady_clock::now() < end) {
      io.restart();
      io.run_for(20ms);
    }
  }
  // Runs the loop for `time` (to see that nothing comes).
  void runFor(std::chrono::milliseconds time) { runUntil(~std::size_t{0}, time); }

  test::TemporaryFolder folder;
  fs::path bundle = folder.path() / "Tides.bundle";
  boost::asio::io_context io;
  std::optional<LiveReload> reload;
  std::vector<std::vector<std::string>> batches;
};

TEST_F(WatcherTest, ASaveThroughATemporaryFileAndARenameIsOneReloadNamingTheFiles) {
  startWatching();
  std::ofstream(bundle / "Root.plist.tmp-1") << "{ items = ( { cell = PSGroupCell; } ); }";
  fs::rename(bundle / "Root.plist.tmp-1", bundle / "Root.plist");
  runUntil(1);
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0], (std::vector<std::string>{"Root.plist", "Root.plist.tmp-1"}));
  runFor(300ms);
  EXPECT_EQ(batches.size(), 1u) << "one burst, one reload";
}

TEST_F(WatcherTest, FilesInNewFoldersAndTheEntryBesideAreSeenAndSwapFilesAreNot) {
  startWatching();
  std::ofstream(bundle / ".Root.plist.swp") << "swap";
  std::ofstream(bundle / "Root.plist~") << "backup";
  runFor(400ms);
  EXPECT_TRUE(batches.empty()) << "an editor's leftovers alone reload nothing";

  fs::create_directories(bundle / "sub" / "deeper");
  runUntil(1);
  batches.clear();
  std::ofstream(bundle / "sub" / "deeper" / "Time.plist") << "{ items = (); }";
  runUntil(1);
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0], std::vector<std::string>{"sub/deeper/Time.plist"});

  batches.clear();
  std::ofstream(folder.path() / "Other.plist") << "{}";
  std::ofstream(folder.path() / "Tides.plist") << "{ entry = { label = Tides; }; }";
  runUntil(1);
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0], std::vector<std::string>{"../Tides.plist"}) << "only the bundle's own entry beside it";
}

TEST_F(WatcherTest, NothingComesAfterStopAndAMissingFolderIsAClearError) {
  startWatching();
  reload->stop();
  std::ofstream(bundle / "Root.plist") << "{}";
  runFor(300ms);
  EXPECT_TRUE(batches.empty());
  try {
    LiveReload missing(io, {{"Gone", folder.path() / "Gone.bundle", false}}, [](auto&, auto&) {});
    FAIL() << "a folder that does not exist cannot be watched";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("Gone.bundle"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace kavro::sim
