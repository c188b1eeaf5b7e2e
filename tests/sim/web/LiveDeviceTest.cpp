// The device as the web server runs it, on a real clock the test moves: the
// device's clock follows it, makes up a stall by running what fell due in order,
// goes on past work that throws, and frames are made anew only when something may
// have changed, with a new `seq` only when the picture did.

#include "sim/phone/Phone.h"
#include "sim/web/server/LiveDevice.h"
#include "tests/support/DeviceFixture.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavro::sim {
namespace {

using nlohmann::json;

class LiveDeviceTest : public ::testing::Test {
 protected:
  LiveDeviceTest() : simulator_(folder_.path() / "device"), live_(simulator_, [this] { return clock_; }) {
    simulator_.input().openSpringboard();
    simulator_.input().openSettings();
    pass(2);  // the first-run guide has come up
  }

  // Real time goes on by `seconds`, and the device catches up.
  void pass(double seconds) {
    clock_ += seconds;
    live_.catchUp();
  }
  double deviceNow() { return simulator_.device().now(); }
  kavro::platform::RunLoop& runLoop() { return simulator_.springBoardProcess().mainRunLoop(); }

  test::TemporaryFolder folder_;
  double clock_ = 0;
  Phone simulator_;
  LiveDevice live_;
};

TEST_F(LiveDeviceTest, TheDevicesClockFollowsTheRealClockAndNeverGoesBack) {
  double start = deviceNow();
  pass(0.25);
  EXPECT_DOUBLE_EQ(deviceNow(), start + 0.25);
  pass(0);
  EXPECT_DOUBLE_EQ(deviceNow(), start + 0.25);
  // A real clock that steps back is not followed, and the device waits for it.
  pass(-1);
  EXPECT_DOUBLE_EQ(deviceNow(), start + 0.25);
  pass(1.5);
  EXPECT_DOUBLE_EQ(deviceNow(), start + 0.75);
}

TEST_F(LiveDeviceTest, AfterAStallWhatFellDueRunsInOrderAtItsOwnTime) {
  double start = deviceNow();
  std::vector<double> ranAt;
  for (double delay : {3.0, 1.0, 2.0}) runLoop().performAfter(delay, [&] { ranAt.push_back(deviceNow()); });
  EXPECT_LE(live_.secondsUntilNextWork(), 1.0);
  std::uint64_t changes = live_.changeCount();
  pass(10);
  EXPECT_EQ(ranAt, (std::vector<double>{start + 1, start + 2, start + 3}));
  EXPECT_DOUBLE_EQ(deviceNow(), start + 10);
  EXPECT_GT(live_.changeCount(), changes) << "work that ran may have changed the screen";
  // Nothing ran: nothing changed.
  changes = live_.changeCount();
  runLoop().performAfter(100, [] {});
  pass(1);
  EXPECT_EQ(live_.changeCount(), changes);
  EXPECT_NEAR(live_.secondsUntilNextWork(), 99, 1e-9);
}

TEST_F(LiveDeviceTest, WorkThatThrowsRunsOnceAndTheDeviceStillCatchesUp) {
  double start = deviceNow();
  int throws = 0;
  bool later = false;
  runLoop().performAfter(1, [&] {
    ++throws;
    throw std::runtime_error("a broken timer");
  });
  runLoop().performAfter(2, [&] { later = true; });
  EXPECT_THROW(pass(5), std::runtime_error);
  // The next look, with no more real time gone, runs the rest of what was due.
  EXPECT_NO_THROW(live_.catchUp());
  EXPECT_EQ(throws, 1);
  EXPECT_TRUE(later);
  EXPECT_DOUBLE_EQ(deviceNow(), start + 5);
  pass(1);
  EXPECT_DOUBLE_EQ(deviceNow(), start + 6);
}

TEST_F(LiveDeviceTest, AFrameIsKeptUntilSomethingChangesAndItsSeqOnlyWhenThePictureDoes) {
  LiveDevice::Frame first = live_.frame();
  ASSERT_TRUE(first.json);
  EXPECT_EQ(json::parse(*first.json)["type"], "frame");
  // Time alone, with nothing moving, and an input that changed nothing: the same
  // frame.
  pass(1);
  EXPECT_EQ(live_.frame().json, first.json);
  live_.inputApplied();
  EXPECT_EQ(live_.frame().sequence, first.sequence);
  EXPECT_EQ(live_.frame().json, first.json);

  simulator_.input().setAppearance(kavro::platform::Appearance::dark);
  live_.inputApplied();
  LiveDevice::Frame dark = live_.frame();
  EXPECT_EQ(dark.sequence, first.sequence + 1);
  EXPECT_EQ(json::parse(*dark.json)["appearance"], "dark");
  EXPECT_EQ(live_.panel()["appearance"], "dark");
}

TEST_F(LiveDeviceTest, WhileAnAnimationRunsEachLookAtALaterTimeIsANewPicture) {
  simulator_.input().tap("button:Dismiss");  // the guide's sheet slides away
  live_.inputApplied();
  std::uint64_t sequence = live_.frame().sequence;
  ASSERT_TRUE(live_.isAnimating());
  int frames = 0;
  for (int step = 0; step < 200 && live_.isAnimating(); ++step) {
    pass(1.0 / 60);
    std::uint64_t next = live_.frame().sequence;
    EXPECT_GE(next, sequence);
    frames += next != sequence;
    sequence = next;
  }
  EXPECT_FALSE(live_.isAnimating());
  EXPECT_GT(frames, 5);
  // Settled: the picture stays as it is.
  pass(1);
  EXPECT_EQ(live_.frame().sequence, sequence);
}

}  // namespace
}  // namespace kavro::sim
