#include "platform/device/RunLoop.h"

#include "platform/device/Device.h"

#include <algorithm>
#include <limits>

namespace kavro::platform {

RunLoop::Handle RunLoop::schedule(double time, std::function<void()> work) {
  Handle handle = nextHandle_++;
  Key key{time, handle};
  queue_.emplace(key, std::move(work));
  keys_.emplace(handle, key);
  return handle;
}

RunLoop::Handle RunLoop::performAfter(double delay, std::function<void()> work) {
  return schedule(now() + (delay > 0 ? delay : 0), std::move(work));
}

bool RunLoop::cancel(Handle handle) {
  auto found = keys_.find(handle);
  if (found == keys_.end()) return false;
  queue_.erase(found->second);
  keys_.erase(found);
  return true;
}

bool RunLoop::isScheduled(Handle handle) const { return keys_.count(handle) != 0; }

RunLoop::Handle RunLoop::addTurnObserver(std::function<void()> observer) {
  Handle handle = nextHandle_++;
  observers_.emplace_back(handle, std::move(observer));
  return handle;
}

void RunLoop::removeTurnObserver(Handle handle) {
  std::erase_if(observers_, [handle](auto& entry) { return entry.first == handle; });
}

double RunLoop::now() const { return device_.now(); }

double RunLoop::nextFireTime() const {
  return queue_.empty() ? std::numeric_limits<double>::infinity() : queue_.begin()->first.time;
}

bool RunLoop::runNextDue(double time) {
  if (queue_.empty() || queue_.begin()->first.time > time) return false;
  auto first = queue_.begin();
  std::function<void()> work = std::move(first->second);
  keys_.erase(first->first.sequence);
  queue_.erase(first);
  work();
  return true;
}

void RunLoop::endTurn() {
  // Observers may add or remove observers: run over a copy, in which one added now
  // waits for the next turn, and one removed now (its owner may be gone) is skipped.
  auto observers = observers_;
  for (auto& [handle, observer] : observers) {
    bool registered = std::any_of(observers_.begin(), observers_.end(),
                                  [handle = handle](auto& entry) { return entry.first == handle; });
    if (registered) observer();
  }
}

void RunLoop::clear() {
  queue_.clear();
  keys_.clear();
  observers_.clear();
}

}  // namespace kavro::platform
