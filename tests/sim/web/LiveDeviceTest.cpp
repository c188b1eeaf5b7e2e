// The device as the web server runs it, on a real clock the test moves: the
// device's clock follows it, makes up a stall by running what fell due in order,
// goes on past work that throws, and frames are made anew only when something may
// have changed, with a new `seq` only when the picture did; the panel holds the
// stored values of every installed bundle's domains.

#include "platform/foundation/NSUserDefaults.h"
#include "sim/core/BundleInstaller.h"
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

TEST_F(LiveDeviceTest, ThePanelHoldsTheStoredValuesOfEveryDomainTheBundlesName) {
  // A bundle whose rows name a domain of its own, and one name that is no plain
  // file name (which would lead out of the preferences folder).
  auto bundle = folder_.path() / "Dials.bundle";
  test::writeFileBytes(bundle / "Info.plist", test::bytesOf(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>CFBundleName</key><string>Dials</string></dict></plist>)"));
  test::writeFileBytes(bundle / "Root.plist", test::bytesOf(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>items</key><array>
  <dict><key>cell</key><string>PSSwitchCell</string><key>defaults</key><string>org.example.dials</string>
    <key>key</key><string>loud</string></dict>
  <dict><key>cell</key><string>PSSwitchCell</string><key>defaults</key><string>../../escape</string>
    <key>key</key><string>x</string></dict>
</array></dict></plist>)"));
  auto device = folder_.path() / "device";
  installPreferenceBundle(device, bundle);
  auto preferences = device / "var/jb/var/mobile/Library/Preferences";
  test::writeFileBytes(preferences / "../../escape.plist", test::bytesOf("not to be read"));

  json panel = live_.panel();
  ASSERT_TRUE(panel["domains"].is_object());
  EXPECT_EQ(panel["domains"]["org.example.dials"], json::object()) << "no file yet";
  EXPECT_EQ(panel["domains"]["com.qelm.kavroprefs"], panel["prefs"]);
  EXPECT_FALSE(panel["domains"].contains("../../escape"));

  // Another program writes both domains: each is read as it is now.
  auto other = NSUserDefaults::defaultsWithDirectory(preferences);
  ASSERT_TRUE(other->setObject(PlistValue(std::int64_t{7}), "volume", "org.example.dials"));
  ASSERT_TRUE(other->setObject(PlistValue(std::string("Ada")), "name", "org.example.dials"));
  ASSERT_TRUE(other->setObject(PlistValue(true), "enabled", "com.qelm.kavroprefs"));
  panel = live_.panel();
  EXPECT_EQ(panel["domains"]["org.example.dials"], json({{"volume", 7}, {"name", "Ada"}}));
  EXPECT_EQ(panel["prefs"]["enabled"], true);
  EXPECT_EQ(panel["domains"]["com.qelm.kavroprefs"], panel["prefs"]);
  EXPECT_EQ(panel["domains"].size(), 2u);
}

}  // namespace
}  // namespace kavro::sim
