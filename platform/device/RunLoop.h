#pragma once
// The main run loop of a simulated process. Work is queued for a moment of the
// device's virtual clock and runs, in order of time and then of queuing, only when
// the device's clock is advanced. Nothing here reads the wall clock.

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace kavro::platform {

class Device;

class RunLoop {
 public:
  using Handle = std::uint64_t;

  explicit RunLoop(Device& device) : device_(device) {}
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // Queues `work` to run when the clock reaches `time` (seconds on the device clock).
  // Work queued for a moment already past runs at the next turn.
  Handle schedule(double time, std::function<void()> work);
  // Queues `work` to run `delay` seconds from now.
  Handle performAfter(double delay, std::function<void()> work);
  // Queues `work` for the next turn, after what is already queued for now.
  Handle performSoon(std::function<void()> work) { return performAfter(0, std::move(work)); }
  // Removes queued work; returns false when it already ran or was cancelled.
  bool cancel(Handle handle);
  bool isScheduled(Handle handle) const;

  // Runs `observer` after every turn of this loop (one piece of work or one event):
  // layout passes and display updates hang here. An observer added during a turn
  // first runs at the next; one removed is never called again, even later in the
  // turn that removed it.
  Handle addTurnObserver(std::function<void()> observer);
  void removeTurnObserver(Handle handle);

  double now() const;
  // The time of the earliest queued work, or +infinity.
  double nextFireTime() const;
  bool hasWork() const { return !queue_.empty(); }
  std::size_t pendingCount() const { return queue_.size(); }

  // Runs the earliest queued work if it is due at `time` or before; used by Device.
  bool runNextDue(double time);
  // Runs the turn observers; called by Device after each turn of this process.
  void endTurn();
  void clear();

 private:
  struct Key {
    double time;
    Handle sequence;
    friend bool operator<(const Key& a, const Key& b) {
      return a.time < b.time || (a.time == b.time && a.sequence < b.sequence);
    }
  };
  Device& device_;
  Handle nextHandle_ = 1;
  std::map<Key, std::function<void()>> queue_;
  std::map<Handle, Key> keys_;
  std::vector<std::pair<Handle, std::function<void()>>> observers_;
};

}  // namespace kavro::platform
