#include "platform/device/Device.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace kavro::platform {

namespace {
// Work that keeps queueing more work for the same instant would never let the
// clock move; past this many turns at one instant the device stops with a message.
constexpr int kMaxTurnsPerInstant = 1'000'000;
constexpr std::size_t kMaxLoggedEvents = 10'000;
}  // namespace

Device::Device(std::filesystem::path root) : root_(std::move(root)) {
  std::filesystem::create_directories(root_);
}

Device::~Device() {
  // Processes go newest first, each inside its own scope.
  while (!processes_.empty()) processes_.pop_back();
}

Device& Device::current() { return Process::current().device(); }

std::filesystem::path Device::resolve(std::string_view iosPath) const {
  std::filesystem::path path(iosPath);
  if (!path.is_absolute()) return path;
  std::filesystem::path inside;
  for (const auto& part : path.lexically_normal().relative_path()) {
    if (part == "..") {
      if (!inside.empty()) inside = inside.parent_path();
    } else if (part != "." && !part.empty()) {
      inside /= part;
    }
  }
  return root_ / inside;
}

Process& Device::launch(const std::string& name, const std::string& bundleIdentifier) {
  if (Process* existing = process(name)) return *existing;
  processes_.push_back(std::make_unique<Process>(*this, name, bundleIdentifier));
  return *processes_.back();
}

Process* Device::process(const std::string& name) const {
  for (auto& process : processes_)
    if (process->name() == name) return process.get();
  return nullptr;
}

std::vector<Process*> Device::processes() const {
  std::vector<Process*> result;
  for (auto& process : processes_) result.push_back(process.get());
  return result;
}

void Device::terminate(const std::string& name) {
  auto found = std::find_if(processes_.begin(), processes_.end(),
                            [&](auto& process) { return process->name() == name; });
  if (found == processes_.end()) return;
  Process* dying = found->get();
  // Tear down while the process is still listed, so that code running during the
  // teardown can still find it; observers registered meanwhile go with it too.
  dying->tearDown();
  std::erase_if(appearanceObservers_, [&](auto& o) { return o.process == dying; });
  std::erase_if(darwinObservers_, [&](auto& o) { return o.process == dying; });
  processes_.erase(std::find_if(processes_.begin(), processes_.end(),
                                [&](auto& process) { return process.get() == dying; }));
}

void Device::advance(double seconds) {
  double target = now_ + (seconds > 0 ? seconds : 0);
  int turnsAtThisInstant = 0;
  double instant = now_;
  for (;;) {
    Process* next = nullptr;
    double nextTime = std::numeric_limits<double>::infinity();
    for (auto& process : processes_) {
      double time = process->mainRunLoop().nextFireTime();
      if (time < nextTime) {
        nextTime = time;
        next = process.get();
      }
    }
    if (!next || nextTime > target) break;
    if (nextTime > now_) now_ = nextTime;
    if (now_ == instant) {
      if (++turnsAtThisInstant > kMaxTurnsPerInstant) {
        std::fprintf(stderr, "kavro platform: work keeps requeueing itself at t=%g\n", now_);
        std::abort();
      }
    } else {
      instant = now_;
      turnsAtThisInstant = 0;
    }
    ProcessScope scope(*next);
    next->mainRunLoop().runNextDue(now_);
    next->mainRunLoop().endTurn();
  }
  now_ = target;
  // Every advance ends with a turn of each run loop, so that changes made between
  // events (by a test, a host) are laid out as they would be before the next frame.
  for (Process* process : processes()) {
    ProcessScope scope(*process);
    process->mainRunLoop().endTurn();
  }
}

void Device::dispatch(Process& process, const std::function<void()>& event) {
  {
    ProcessScope scope(process);
    event();
    process.mainRunLoop().endTurn();
  }
  runUntilIdle();
}

void Device::setAppearance(Appearance appearance) {
  if (appearance_ == appearance) return;
  appearance_ = appearance;
  auto observers = appearanceObservers_;
  for (auto& observer : observers) {
    ProcessScope scope(*observer.process);
    observer.callback();
    observer.process->mainRunLoop().endTurn();
  }
}

std::uint64_t Device::addAppearanceObserver(Process& process, std::function<void()> observer) {
  std::uint64_t token = nextToken_++;
  appearanceObservers_.push_back({token, &process, std::move(observer)});
  return token;
}

void Device::removeAppearanceObserver(std::uint64_t token) {
  std::erase_if(appearanceObservers_, [token](auto& o) { return o.token == token; });
}

bool Device::setLanguage(const std::string& language) {
  constexpr std::size_t kLongestTag = 35;
  if (language.empty() || language.size() > kLongestTag) return false;
  for (char c : language) {
    bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!allowed) return false;
  }
  language_ = language;
  return true;
}

void Device::record(DeviceEvent event) {
  event.sequence = nextEventSequence_++;
  event.time = now_;
  if (event.process.empty())
    if (Process* process = Process::currentOrNull()) event.process = process->name();
  events_.push_back(std::move(event));
  while (events_.size() > kMaxLoggedEvents) events_.pop_front();
}

std::vector<DeviceEvent> Device::eventsAfter(std::uint64_t after) const {
  std::vector<DeviceEvent> result;
  for (auto& event : events_)
    if (event.sequence > after) result.push_back(event);
  return result;
}

void Device::postDarwinNotification(const std::string& name) {
  record({.event = "notify", .fields = {{"name", name}}});
  // Delivery is asynchronous: each observer hears it on its own process's run loop.
  for (auto& observer : darwinObservers_) {
    if (observer.name != name) continue;
    auto callback = observer.callback;
    observer.process->mainRunLoop().performSoon([callback, name] { callback(name); });
  }
}

std::uint64_t Device::addDarwinObserver(Process& process, const std::string& name,
                                        std::function<void(const std::string&)> callback) {
  std::uint64_t token = nextToken_++;
  darwinObservers_.push_back({token, &process, name, std::move(callback)});
  return token;
}

void Device::removeDarwinObserver(std::uint64_t token) {
  std::erase_if(darwinObservers_, [token](auto& o) { return o.token == token; });
}

void Device::setRelaunchHandler(std::function<void(const RelaunchRequest&)> handler) {
  relaunchHandler_ = std::move(handler);
}

void Device::requestRelaunch(const RelaunchRequest& request) {
  record({.event = "relaunch",
          .fields = {{"reason", request.reason},
                     {"options", request.options},
                     {"url", request.targetURL}}});
  if (relaunchHandler_) relaunchHandler_(request);
}

}  // namespace kavro::platform
