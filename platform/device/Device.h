#pragma once
// The simulated iPhone: a folder in which every absolute iOS path resolves, a
// virtual clock shared by its processes, its appearance, its Darwin notification
// centre and the log of what it did that an observer could hear or see.

#include "platform/device/DeviceCapabilities.h"
#include "platform/device/DeviceEvent.h"
#include "platform/device/Process.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::platform {

enum class Appearance { light, dark };

// A request to relaunch the home screen, as the system service receives it.
struct RelaunchRequest {
  std::string reason;
  std::int64_t options = 0;
  std::string targetURL;
};

class Device {
 public:
  static constexpr double kScreenWidth = 390;
  static constexpr double kScreenHeight = 844;
  static constexpr double kScreenScale = 3;

  // A device whose file system is the folder `root` (created if missing).
  explicit Device(std::filesystem::path root);
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // The device of the current process.
  static Device& current();

  const std::filesystem::path& rootPath() const { return root_; }
  // An absolute iOS path ("/var/jb/x") as a path inside the device folder. The path
  // is normalised first, so ".." cannot climb out of the device. A relative path is
  // returned unchanged.
  std::filesystem::path resolve(std::string_view iosPath) const;

  // Processes.
  Process& launch(const std::string& name, const std::string& bundleIdentifier);
  Process* process(const std::string& name) const;
  std::vector<Process*> processes() const;
  // Ends a process: everything it held is discarded.
  void terminate(const std::string& name);

  // The virtual clock, in seconds since the device started.
  double now() const { return now_; }
  // Moves the clock forward by `seconds`, running every piece of queued work that
  // falls due on the way, in order of time (then of queuing), each inside its
  // process, followed by that process's end-of-turn observers.
  void advance(double seconds);
  // Runs what is due now (a zero advance): the turn after an event.
  void runUntilIdle() { advance(0); }
  // Runs one event (a touch, a command) inside `process`, then what it made due now.
  void dispatch(Process& process, const std::function<void()>& event);

  // Appearance, observed by each process's UIKit.
  Appearance appearance() const { return appearance_; }
  void setAppearance(Appearance appearance);
  std::uint64_t addAppearanceObserver(Process& process, std::function<void()> observer);
  void removeAppearanceObserver(std::uint64_t token);

  // The language the user chose, as a language tag ("en", "de", "pt-BR"): what
  // bundles show their localized strings in. English unless a host sets another.
  const std::string& language() const { return language_; }
  // False, changing nothing, for a tag that is empty, longer than 35 characters
  // or holds anything but letters, digits, "-" and "_" (it names folders).
  bool setLanguage(const std::string& language);
  // What the device offers, for rows and bundles that require a capability.
  DeviceCapabilities& capabilities() { return capabilities_; }
  const DeviceCapabilities& capabilities() const { return capabilities_; }

  // The event log. Events stay until the log is trimmed; readers keep a cursor.
  void record(DeviceEvent event);
  const std::deque<DeviceEvent>& events() const { return events_; }
  // Events with a sequence number greater than `after`.
  std::vector<DeviceEvent> eventsAfter(std::uint64_t after) const;
  std::uint64_t lastEventSequence() const { return nextEventSequence_ - 1; }

  // Darwin notifications: seen by observers in every process of the device.
  void postDarwinNotification(const std::string& name);
  std::uint64_t addDarwinObserver(Process& process, const std::string& name,
                                  std::function<void(const std::string&)> callback);
  void removeDarwinObserver(std::uint64_t token);

  // The system's side of a relaunch request; the host (the simulator) installs it.
  void setRelaunchHandler(std::function<void(const RelaunchRequest&)> handler);
  void requestRelaunch(const RelaunchRequest& request);

 private:
  struct AppearanceObserver {
    std::uint64_t token;
    Process* process;
    std::function<void()> callback;
  };
  struct DarwinObserver {
    std::uint64_t token;
    Process* process;
    std::string name;
    std::function<void(const std::string&)> callback;
  };

  std::filesystem::path root_;
  std::vector<std::unique_ptr<Process>> processes_;
  double now_ = 0;
  Appearance appearance_ = Appearance::light;
  std::string language_ = "en";
  DeviceCapabilities capabilities_;
  std::uint64_t nextToken_ = 1;
  std::vector<AppearanceObserver> appearanceObservers_;
  std::vector<DarwinObserver> darwinObservers_;
  std::deque<DeviceEvent> events_;
  std::uint64_t nextEventSequence_ = 1;
  std::function<void(const RelaunchRequest&)> relaunchHandler_;
};

}  // namespace kavro::platform
