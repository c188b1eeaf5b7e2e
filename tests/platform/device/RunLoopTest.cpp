// Run loops on the virtual clock: work runs in order of time and then of queuing
// however the clock is advanced (checked against a model on generated schedules),
// inside its own process, never turning the clock back; cancelled work never runs;
// end-of-turn observers follow every turn, and one removed during a turn is not
// called again.

#include "platform/device/Device.h"
#include "platform/device/RunLoop.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using kavro::platform::Process;
using kavro::platform::RunLoop;
using kavro::test::DeviceTest;

// What ran, and the clock when it did.
struct Ran {
  int label;
  double at;
  friend bool operator==(const Ran&, const Ran&) = default;
};

// A generated piece of work: when it is queued for, and the delays of the work it
// queues itself when it runs (which queues nothing further).
struct PlannedWork {
  double time;
  std::vector<double> followUps;
};

// The schedule as the run loop's contract says it runs, worked out without a run
// loop: the earliest time first, ties in order of queuing; the clock moves to a
// piece's time unless that lies in the past; follow-ups are queued that long after
// the clock at which their parent ran.
std::vector<Ran> expectedOrder(const std::vector<PlannedWork>& plan, double start, double horizon) {
  struct Pending {
    double time;
    int sequence;
    int label;
    const std::vector<double>* followUps;
  };
  std::vector<Pending> pending;
  int sequence = 0;
  for (std::size_t i = 0; i < plan.size(); ++i)
    pending.push_back({plan[i].time, sequence++, static_cast<int>(i), &plan[i].followUps});
  std::vector<Ran> order;
  double clock = start;
  for (;;) {
    auto next = std::min_element(pending.begin(), pending.end(), [](const Pending& a, const Pending& b) {
      return a.time != b.time ? a.time < b.time : a.sequence < b.sequence;
    });
    if (next == pending.end() || next->time > horizon) break;
    Pending piece = *next;
    pending.erase(next);
    clock = std::max(clock, piece.time);
    order.push_back({piece.label, clock});
    if (!piece.followUps) continue;
    for (std::size_t k = 0; k < piece.followUps->size(); ++k)
      pending.push_back({clock + (*piece.followUps)[k], sequence++, 1000 * (piece.label + 1) + static_cast<int>(k),
                         nullptr});
  }
  return order;
}

class RunLoopTest : public DeviceTest {
 protected:
  RunLoop& loop() { return settings().mainRunLoop(); }
  std::vector<Ran> ran;
  void note(int label) { ran.push_back({label, device().now()}); }
};

TEST_F(RunLoopTest, WorkRunsInOrderOfTimeThenOfQueuingHoweverTheClockIsAdvanced) {
  std::mt19937 random(20250316);
  auto uniform = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
  auto count = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    ran.clear();
    double start = device().now();
    // Times drawn from a few moments, so that many pieces share one; some lie in
    // the past.
    std::vector<PlannedWork> plan(static_cast<std::size_t>(count(1, 12)));
    for (auto& work : plan) {
      work.time = start + 0.25 * count(-2, 8);
      for (int k = count(0, 2); k > 0; --k) work.followUps.push_back(count(0, 1) ? 0 : 0.25 * count(0, 4));
    }
    for (std::size_t i = 0; i < plan.size(); ++i) {
      int label = static_cast<int>(i);
      const std::vector<double>& followUps = plan[i].followUps;
      loop().schedule(plan[i].time, [this, label, &followUps] {
        note(label);
        for (std::size_t k = 0; k < followUps.size(); ++k) {
          int child = 1000 * (label + 1) + static_cast<int>(k);
          loop().performAfter(followUps[k], [this, child] { note(child); });
        }
      });
    }
    // Far enough for every follow-up; the clock is advanced in random steps.
    double horizon = start + 4;
    while (device().now() < horizon) device().advance(std::min(uniform(0, 0.7), horizon - device().now()));
    ASSERT_FALSE(loop().hasWork());
    ASSERT_EQ(ran, expectedOrder(plan, start, horizon));
  }
}

TEST_F(RunLoopTest, WorkQueuedForAPastMomentRunsAtTheNextTurnWithoutTurningTheClockBack) {
  wait(2);
  loop().schedule(0.5, [this] { note(1); });
  loop().performSoon([this] { note(2); });
  EXPECT_TRUE(ran.empty());  // queuing runs nothing
  device().runUntilIdle();
  // Its moment is earlier than now, so it goes first, at the present time.
  EXPECT_EQ(ran, (std::vector<Ran>{{1, 2.0}, {2, 2.0}}));
  EXPECT_EQ(device().now(), 2.0);
}

TEST_F(RunLoopTest, WorkOfSeveralProcessesRunsInOrderOfTimeEachInsideItsProcess) {
  Process& home = springboard();
  std::vector<std::pair<std::string, double>> order;
  auto record = [&] { order.emplace_back(Process::current().name(), device().now()); };
  home.mainRunLoop().schedule(0.3, record);
  settings().mainRunLoop().schedule(0.1, record);
  home.mainRunLoop().schedule(0.2, record);
  settings().mainRunLoop().schedule(0.4, record);
  wait(1);
  EXPECT_EQ(order, (std::vector<std::pair<std::string, double>>{
                       {"settings", 0.1}, {"springboard", 0.2}, {"springboard", 0.3}, {"settings", 0.4}}));
  EXPECT_EQ(&Process::current(), &settings());  // the test's own process again
}

TEST_F(RunLoopTest, AtOneMomentTheProcessStartedFirstRunsItsWorkFirst) {
  Process& home = springboard();  // started after settings
  std::vector<std::string> order;
  home.mainRunLoop().schedule(0.5, [&] { order.push_back("springboard 1"); });
  settings().mainRunLoop().schedule(0.5, [&] { order.push_back("settings 1"); });
  home.mainRunLoop().schedule(0.5, [&] { order.push_back("springboard 2"); });
  settings().mainRunLoop().schedule(0.5, [&] { order.push_back("settings 2"); });
  wait(1);
  EXPECT_EQ(order, (std::vector<std::string>{"settings 1", "settings 2", "springboard 1", "springboard 2"}));
}

TEST_F(RunLoopTest, WorkRunsOnlyWhenTheClockReachesItsMoment) {
  loop().performAfter(0.5, [this] { note(1); });
  wait(0.4999);
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(loop().nextFireTime(), 0.5);
  wait(0.0001);
  EXPECT_EQ(ran.size(), 1u);
  EXPECT_EQ(loop().nextFireTime(), std::numeric_limits<double>::infinity());
}

// ---------------------------------------------------------------------------
// Cancelling

TEST_F(RunLoopTest, CancelledWorkNeverRunsAndTheLoopSaysWhatItCancelled) {
  RunLoop::Handle first = loop().performAfter(0.1, [this] { note(1); });
  RunLoop::Handle second = loop().performAfter(0.1, [this] { note(2); });
  EXPECT_TRUE(loop().isScheduled(second));
  EXPECT_TRUE(loop().cancel(second));
  EXPECT_FALSE(loop().isScheduled(second));
  EXPECT_FALSE(loop().cancel(second));  // already cancelled
  EXPECT_EQ(loop().pendingCount(), 1u);
  wait(1);
  EXPECT_EQ(ran, (std::vector<Ran>{{1, 0.1}}));
  EXPECT_FALSE(loop().isScheduled(first));
  EXPECT_FALSE(loop().cancel(first));  // already ran
}

TEST_F(RunLoopTest, WorkCanCancelWorkDueAtTheSameMomentOrLater) {
  RunLoop::Handle sameMoment = 0, later = 0;
  loop().performAfter(0.2, [&] {
    note(1);
    EXPECT_TRUE(loop().cancel(sameMoment));
    EXPECT_TRUE(loop().cancel(later));
  });
  sameMoment = loop().performAfter(0.2, [this] { note(2); });
  later = loop().performAfter(0.3, [this] { note(3); });
  wait(1);
  EXPECT_EQ(ran, (std::vector<Ran>{{1, 0.2}}));
}

TEST_F(RunLoopTest, RunningWorkIsNoLongerScheduledAndCannotCancelItself) {
  RunLoop::Handle self = 0;
  bool cancelled = true;
  self = loop().performSoon([&] {
    cancelled = loop().cancel(self);
    note(1);
  });
  device().runUntilIdle();
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(ran.size(), 1u);
}

// ---------------------------------------------------------------------------
// End-of-turn observers

TEST_F(RunLoopTest, ObserversFollowEveryPieceOfWorkAndEveryEventInsideTheirProcess) {
  std::vector<std::string> order;
  loop().addTurnObserver([&] { order.push_back("turn in " + Process::current().name()); });
  loop().performAfter(0.1, [&] { order.push_back("work"); });
  loop().performAfter(0.2, [&] { order.push_back("work"); });
  wait(1);
  // One turn after each piece of work, and the turn every advance ends with.
  EXPECT_EQ(order, (std::vector<std::string>{"work", "turn in settings", "work", "turn in settings",
                                             "turn in settings"}));

  order.clear();
  device().dispatch(settings(), [&] { order.push_back("event"); });
  EXPECT_EQ(order, (std::vector<std::string>{"event", "turn in settings", "turn in settings"}));
}

TEST_F(RunLoopTest, ObserversOfOneProcessDoNotFollowTheTurnsOfAnother) {
  Process& home = springboard();
  int settingsTurns = 0;
  loop().addTurnObserver([&] { ++settingsTurns; });
  home.mainRunLoop().performAfter(0.1, [] {});
  home.mainRunLoop().performAfter(0.2, [] {});
  wait(1);
  EXPECT_EQ(settingsTurns, 1);  // only the one every advance ends with
}

TEST_F(RunLoopTest, AnObserverRemovedDuringATurnIsNotCalledAgainEvenInThatTurn) {
  std::vector<std::string> order;
  RunLoop::Handle second = 0;
  loop().addTurnObserver([&] {
    order.push_back("first");
    loop().removeTurnObserver(second);
  });
  second = loop().addTurnObserver([&] { order.push_back("second"); });
  device().runUntilIdle();
  device().runUntilIdle();
  EXPECT_EQ(order, (std::vector<std::string>{"first", "first"}));
}

TEST_F(RunLoopTest, AnObserverAddedDuringATurnFirstRunsAtTheNextTurn) {
  std::vector<std::string> order;
  bool added = false;
  loop().addTurnObserver([&] {
    order.push_back("first");
    if (added) return;
    added = true;
    loop().addTurnObserver([&] { order.push_back("added"); });
  });
  device().runUntilIdle();
  EXPECT_EQ(order, (std::vector<std::string>{"first"}));
  device().runUntilIdle();
  EXPECT_EQ(order, (std::vector<std::string>{"first", "first", "added"}));
}

TEST_F(RunLoopTest, AnObserverCanRemoveItself) {
  int calls = 0;
  RunLoop::Handle handle = 0;
  handle = loop().addTurnObserver([&] {
    ++calls;
    loop().removeTurnObserver(handle);
  });
  device().runUntilIdle();
  device().runUntilIdle();
  EXPECT_EQ(calls, 1);
}

}  // namespace
