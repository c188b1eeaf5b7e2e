// The simulator's one layer under both front ends: whose the finger is, where it
// may go, when typing has somewhere to go, and what the readings consume.

#include "platform/uikit/TouchDriver.h"
#include "sim/core/Input.h"
#include "sim/core/Readings.h"
#include "sim/core/Screen.h"
#include "sim/core/Simulator.h"
#include "tests/sim/ScriptedSimulator.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>


namespace kavro::sim {
namespace {

using nlohmann::json;

class InputTest : public test::ScriptedSimulatorTest {
 protected:
  InputTest() : input(simulator.input()) {}

  // The picker for a test list, presented in Settings.
  void openPicker() {
    input.openPicker("test", "settings");
    wait(1);
  }
  // Where a row of the front-most table is on the screen now (its window y).
  double rowTop(long section, long row) {
    json state = simulator.readings().state();
    for (auto& cell : state["table"]["sections"][section]["cells"])
      if (cell["row"] == row) return cell["frame"][1];
    ADD_FAILURE() << "row " << section << "," << row << " has no cell";
    return 0;
  }

  Input& input;
};

TEST_F(InputTest, TheFingerBelongsToWhoeverPutItDownAndOthersAreRefused) {
  openPicker();
  input.touchDown(CGPoint{200, 500}, 1);
  EXPECT_THROW(input.touchDown(CGPoint{100, 400}, 2), InputRefused);
  EXPECT_THROW(input.touchMove(0, 20, 2), InputRefused);
  EXPECT_THROW(input.touchUp(false, 2), InputRefused);
  EXPECT_EQ(input.touchOwner(), Input::Owner{1});
  // The owner's touch went on as if nothing happened.
  input.touchMove(0, -30, 1);
  EXPECT_EQ(simulator.finger().location().y, 470);
  // A client that goes away takes only its own finger with it.
  input.releaseOwner(2);
  EXPECT_TRUE(input.isTouching());
  input.releaseOwner(1);
  EXPECT_FALSE(input.isTouching());
  EXPECT_THROW(input.touchUp(false, 1), InputRefused);
  // The same owner pressing again starts a new touch.
  input.touchDown(CGPoint{200, 500}, 2);
  input.touchDown(CGPoint{210, 500}, 2);
  input.touchCancel(2);
  EXPECT_FALSE(input.isTouching());
}

TEST_F(InputTest, AFingerCannotLeaveTheGlass) {
  input.openSettings();
  input.touchDown(CGPoint{-50, -3});
  EXPECT_EQ(simulator.finger().location().x, 0);
  EXPECT_EQ(simulator.finger().location().y, 0);
  input.touchMoveTo(CGPoint{1000, 5000});
  EXPECT_EQ(simulator.finger().location().x, kavro::platform::Device::kScreenWidth);
  EXPECT_EQ(simulator.finger().location().y, kavro::platform::Device::kScreenHeight);
  input.touchCancel();
}

TEST_F(InputTest, ASwipeUpFromTheBottomEdgeIsTheSystemsHomeGesture) {
  openPicker();
  // Up from above the home indicator: the application's own drag.
  input.touchDown(CGPoint{195, 700});
  input.touchMove(0, -200);
  input.touchUp();
  EXPECT_EQ(simulator.frontProcessName(), "settings");
  // Up from the home indicator: once it has risen far enough the system takes the
  // touch (the picker's table hears it cancelled) and the home screen shows; the
  // rest of the touch is the system's, and ends as any touch does.
  auto table = [&] {
    kavro::platform::ProcessScope scope(simulator.settingsProcess());
    return Screen(simulator.frontWindow()).table();
  }();
  input.touchDown(CGPoint{195, 830});
  input.touchMove(0, -Input::kHomeGestureDistance + 1);
  EXPECT_EQ(simulator.frontProcessName(), "settings");
  EXPECT_TRUE(table->isTracking());
  input.touchMove(0, -1);
  EXPECT_EQ(simulator.frontProcessName(), "springboard");
  EXPECT_FALSE(table->isTracking());
  EXPECT_TRUE(input.isTouching());
  input.touchMove(0, -300);
  EXPECT_THROW(input.touchDown(CGPoint{100, 100}, 7), InputRefused);
  input.touchUp();
  EXPECT_FALSE(input.isTouching());
  // Settings kept its page behind the home screen.
  input.bringToFront("settings");
  EXPECT_EQ(simulator.readings().state()["top"], "KavroApplicationSelector");
  EXPECT_EQ(simulator.readings().state()["front"], "com.apple.Preferences");
  // The script's `home` is the same swipe.
  EXPECT_EQ(run("home\nexpect /process springboard\nexpect /front null\n"), 0) << err.str();
}

TEST_F(InputTest, TypingNeedsAFieldBeingEditedWhicheverFrontEndTypes) {
  openPicker();
  EXPECT_FALSE(input.hasEditedField());
  EXPECT_THROW(input.type("saf"), InputRefused);
  EXPECT_THROW(input.backspace(1), InputRefused);
  EXPECT_EQ(run("type saf\n"), 2);
  EXPECT_EQ(err.str(), "line 1: no field is being edited (focus search first)\n");

  input.focusSearch();
  EXPECT_TRUE(input.hasEditedField());
  input.type("sáf");
  input.backspace(1);
  EXPECT_EQ(simulator.readings().state()["search"]["text"], "sá");
  input.searchCancel();
  wait(1);
  EXPECT_FALSE(input.hasEditedField());
  EXPECT_EQ(run("type x\n"), 2);
}

TEST_F(InputTest, EscapeEndsTheSearchAsCancelDoesAndReturnIsTheFieldsOwnKey) {
  openPicker();
  EXPECT_THROW(input.returnKey(), InputRefused);
  EXPECT_THROW(input.escapeKey(), InputRefused);
  input.focusSearch();
  input.type("cal");
  input.returnKey();
  EXPECT_EQ(simulator.readings().state()["search"], json::parse(R"({"text": "cal", "editing": true})"));
  input.escapeKey();
  wait(1);
  EXPECT_FALSE(input.hasEditedField());
  EXPECT_EQ(simulator.readings().state()["search"]["text"], "");
  // The same as a tap of Cancel: the whole catalogue is listed again.
  input.focusSearch();
  input.searchCancel();
  wait(1);
  json byCancel = simulator.readings().state();
  input.focusSearch();
  input.escapeKey();
  wait(1);
  EXPECT_EQ(simulator.readings().state()["table"], byCancel["table"]);
}

TEST_F(InputTest, TheWheelScrollsTheViewUnderItWithoutDisturbingAFinger) {
  openPicker();
  const double top = rowTop(1, 0);
  EXPECT_TRUE(input.wheel(CGPoint{200, 600}, 0, 90));
  EXPECT_NEAR(rowTop(1, 0), top - 90, 0.01);
  EXPECT_FALSE(input.wheel(CGPoint{200, 600}, 80, 0)) << "the table does not move sideways";
  // Another client's finger down elsewhere goes on as it was.
  input.touchDown(CGPoint{200, 120}, 7);
  EXPECT_TRUE(input.wheel(CGPoint{200, 600}, 0, -5000));
  EXPECT_NEAR(rowTop(1, 0), top, 0.01) << "held at the top";
  EXPECT_EQ(input.touchOwner(), Input::Owner{7});
  input.touchCancel(7);
}

TEST_F(InputTest, AFlickMovesTheTableUnderItAndItCoasts) {
  openPicker();
  auto offset = [&] {
    kavro::platform::ProcessScope scope(simulator.frontProcess());
    return Screen(simulator.frontWindow()).table()->contentOffset().y;
  };
  const double before = offset();
  const double start = simulator.device().now();
  ASSERT_EQ(run("flick row:1,4 0 -300\nwait 4\n"), 0) << err.str();
  EXPECT_GT(offset() - before, 600) << "the table coasts on after the finger lifts";
  EXPECT_NEAR(simulator.device().now() - start, Input::kFlickDuration + 4, 1e-9);
  EXPECT_EQ(run("flick row:1,4 0\n"), 2);
  EXPECT_EQ(err.str(), "line 1: usage: flick QUERY DX DY\n");
}

TEST_F(InputTest, OnlyTheScriptsDumpConsumesTheLog) {
  input.openSettings();
  wait(1);
  auto state = simulator.readings().state();
  ASSERT_FALSE(state["log"].empty());
  EXPECT_EQ(simulator.readings().state()["log"], state["log"]);
  EXPECT_EQ(simulator.readings().dump()["log"], state["log"]);
  EXPECT_TRUE(simulator.readings().dump()["log"].empty());
  auto events = simulator.readings().eventsAfter(0);
  EXPECT_EQ(events.back()["seq"], simulator.readings().lastEventSequence());
}

TEST_F(InputTest, AnInputRefusedForAnotherClientsFingerScrollsNothingFirst) {
  openPicker();
  auto offset = [&] {
    kavro::platform::ProcessScope scope(simulator.frontProcess());
    return Screen(simulator.frontWindow()).table()->contentOffset().y;
  };
  const double before = offset();
  input.touchDown(CGPoint{200, 120}, 7);
  EXPECT_THROW(input.tap("row:1,40"), InputRefused);
  EXPECT_THROW(input.swipe("row:1,40"), InputRefused);
  EXPECT_THROW(input.longPress("row:1,40"), InputRefused);
  EXPECT_EQ(offset(), before);
  EXPECT_EQ(input.touchOwner(), Input::Owner{7});
  input.touchCancel(7);
  // Free again, the same query scrolls its row into view.
  input.scrollTo("row:1,40");
  EXPECT_GT(offset(), before);
}

}  // namespace
}  // namespace kavro::sim
