// What the pages are sent, without sockets: a page's welcome, then only what
// changed, frames paced on the server's steady clock (a time the test gives), and
// stored values written behind the simulator's back seen within a second.

#include "sim/phone/Phone.h"
#include "sim/web/server/LiveDevice.h"
#include "sim/web/server/PageUpdates.h"
#include "store/Preferences.h"
#include "tests/support/DeviceFixture.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavro::sim {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

class PageUpdatesTest : public ::testing::Test {
 protected:
  PageUpdatesTest() : simulator_(folder_.path() / "device"), live_(simulator_, [this] { return clock_; }) {
    simulator_.input().openSpringboard();
    simulator_.input().openSettings();
    clock_ = 2;
    live_.catchUp();
  }

  // Collects what is sent, as (type, frame) pairs with the messages' JSON.
  struct Sent {
    std::vector<json> messages;
    std::vector<std::string> types() const {
      std::vector<std::string> names;
      for (auto& message : messages) names.push_back(message["type"]);
      return names;
    }
  };
  PageUpdates::Send collect(Sent& sent) {
    return [&sent](const PageUpdates::Message& message, bool frame) {
      json parsed = json::parse(*message);
      EXPECT_EQ(frame, parsed["type"] == "frame") << *message;
      sent.messages.push_back(std::move(parsed));
    };
  }
  void change(kavro::platform::Appearance appearance) {
    simulator_.input().setAppearance(appearance);
    live_.inputApplied();
  }

  test::TemporaryFolder folder_;
  double clock_ = 0;
  Phone simulator_;
  LiveDevice live_;
  PageUpdates::Clock::time_point start_ = PageUpdates::Clock::time_point() + 1h;
};

TEST_F(PageUpdatesTest, APageIsWelcomedThenSentOnlyWhatChanged) {
  PageUpdates updates(live_, /*paced=*/false);
  Sent welcome;
  updates.welcome(4, /*first=*/true, collect(welcome));
  EXPECT_EQ(welcome.types(), (std::vector<std::string>{"hello", "panel", "events", "frame"}));
  EXPECT_EQ(welcome.messages[0]["client"], 4);
  EXPECT_EQ(welcome.messages[2]["history"], true);

  Sent idle;
  updates.push(start_, collect(idle));
  EXPECT_TRUE(idle.messages.empty()) << idle.messages.front().dump();

  Sent changed;
  change(kavro::platform::Appearance::dark);
  updates.push(start_ + 1ms, collect(changed));
  EXPECT_EQ(changed.types(), (std::vector<std::string>{"frame", "panel"}));
  EXPECT_EQ(changed.messages[1]["appearance"], "dark");

  // The guide dismissed: its events, each once.
  Sent events;
  simulator_.input().tap("button:Dismiss");
  live_.inputApplied();
  clock_ += 1;
  live_.catchUp();
  updates.push(start_ + 2ms, collect(events));
  ASSERT_EQ(events.types(), (std::vector<std::string>{"frame", "events"}));
  Sent again;
  updates.push(start_ + 3ms, collect(again));
  EXPECT_TRUE(again.messages.empty());
}

TEST_F(PageUpdatesTest, FramesArePacedAndAWaitingFrameGoesOutWhenItsTimeComes) {
  PageUpdates updates(live_, /*paced=*/true);
  Sent ignored, first, early, due;
  updates.welcome(1, true, collect(ignored));
  change(kavro::platform::Appearance::dark);
  updates.push(start_, collect(first));
  EXPECT_EQ(first.types().front(), "frame");
  change(kavro::platform::Appearance::light);
  updates.push(start_ + 4ms, collect(early));
  EXPECT_EQ(early.types(), (std::vector<std::string>{"panel"})) << "the frame waits out the interval";
  EXPECT_EQ(updates.nextLook(start_ + 4ms, true), start_ + PageUpdates::kFrameInterval);
  updates.push(start_ + PageUpdates::kFrameInterval, collect(due));
  ASSERT_EQ(due.types(), (std::vector<std::string>{"frame"}));
  EXPECT_EQ(due.messages[0]["appearance"], "light");
  // Nothing moving and nobody waiting: the next look is the idle one.
  EXPECT_LE(updates.nextLook(start_ + 20ms, true), start_ + 20ms + PageUpdates::kIdleInterval);
  EXPECT_GT(updates.nextLook(start_ + 20ms, true), start_ + 20ms + PageUpdates::kFrameInterval);
}

TEST_F(PageUpdatesTest, StoredValuesWrittenFromOutsideAreSeenWithinASecond) {
  PageUpdates updates(live_, false);
  Sent ignored, soon, later;
  updates.welcome(1, true, collect(ignored));
  updates.push(start_, collect(ignored));
  {
    kavro::platform::ProcessScope scope(simulator_.settingsProcess());
    kavro::store::writeEnabled(true);  // no input: as another program would
  }
  updates.push(start_ + 500ms, collect(soon));
  EXPECT_TRUE(soon.messages.empty());
  updates.push(start_ + PageUpdates::kIdleInterval, collect(later));
  ASSERT_EQ(later.types(), (std::vector<std::string>{"panel"}));
  EXPECT_EQ(later.messages[0]["prefs"]["enabled"], true);
}

TEST_F(PageUpdatesTest, WithNobodyConnectedTheNextPageGetsEverythingAnew) {
  PageUpdates updates(live_, false);
  Sent ignored, afterwards;
  updates.welcome(1, true, collect(ignored));
  updates.forget();
  updates.push(start_, collect(afterwards));
  EXPECT_EQ(afterwards.types(), (std::vector<std::string>{"frame", "panel"}));
}

}  // namespace
}  // namespace kavro::sim
