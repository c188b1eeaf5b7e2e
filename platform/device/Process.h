#pragma once
// A simulated process of the device: its main bundle identifier, its main run loop
// and its singletons (standardUserDefaults, sharedApplication, defaultWorkspace...).
// Platform code reaches the process it runs in through Process::current(), which a
// ProcessScope sets while code of that process runs.

#include "platform/device/RunLoop.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <typeindex>
#include <vector>

namespace kavro::platform {

class Device;

class Process {
 public:
  Process(Device& device, std::string name, std::string bundleIdentifier);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // The process whose code is running; aborts with a message when there is none.
  static Process& current();
  static Process* currentOrNull();

  const std::string& name() const { return name_; }
  const std::string& bundleIdentifier() const { return bundleIdentifier_; }
  Device& device() const { return device_; }
  RunLoop& mainRunLoop() { return runLoop_; }

  // The process's one instance of T, made by `make` on first use.
  template <class T, class Make>
  std::shared_ptr<T> singleton(Make make) {
    std::type_index key(typeid(T));
    for (auto& [type, instance] : singletons_)
      if (type == key) return std::static_pointer_cast<T>(instance);
    std::shared_ptr<T> instance = make();
    singletons_.emplace_back(key, instance);
    return instance;
  }
  // The singleton of type T if it has been made, else nullptr.
  template <class T>
  std::shared_ptr<T> existingSingleton() const {
    for (auto& [type, instance] : singletons_)
      if (type == std::type_index(typeid(T))) return std::static_pointer_cast<T>(instance);
    return nullptr;
  }

  // Classes this process behaves as if it did not have (see NSClassFromString).
  void setClassHidden(const std::string& className, bool hidden);
  bool isClassHidden(const std::string& className) const;

  // Discards everything the process holds: singletons (so windows, pages and
  // defaults), then queued work. Runs inside the process's scope.
  void tearDown();

 private:
  Device& device_;
  std::string name_;
  std::string bundleIdentifier_;
  RunLoop runLoop_;
  std::vector<std::pair<std::type_index, std::shared_ptr<void>>> singletons_;
  std::set<std::string> hiddenClasses_;
};

// Makes `process` the current process until the scope ends; scopes nest.
class ProcessScope {
 public:
  explicit ProcessScope(Process& process);
  ~ProcessScope();
  ProcessScope(const ProcessScope&) = delete;
  ProcessScope& operator=(const ProcessScope&) = delete;

 private:
  Process* previous_;
};

}  // namespace kavro::platform
