#include "platform/device/Process.h"

#include "platform/device/Device.h"

#include <cstdio>
#include <cstdlib>

namespace kavro::platform {

namespace {
thread_local Process* currentProcess = nullptr;
}

Process::Process(Device& device, std::string name, std::string bundleIdentifier)
    : device_(device),
      name_(std::move(name)),
      bundleIdentifier_(std::move(bundleIdentifier)),
      runLoop_(device) {}

Process::~Process() { tearDown(); }

Process& Process::current() {
  if (!currentProcess) {
    std::fprintf(stderr,
                 "kavro platform: no simulated process is running; platform code must run "
                 "inside a kavro::platform::ProcessScope\n");
    std::abort();
  }
  return *currentProcess;
}

Process* Process::currentOrNull() { return currentProcess; }

void Process::setClassHidden(const std::string& className, bool hidden) {
  if (hidden)
    hiddenClasses_.insert(className);
  else
    hiddenClasses_.erase(className);
}

bool Process::isClassHidden(const std::string& className) const {
  return hiddenClasses_.count(className) != 0;
}

void Process::tearDown() {
  ProcessScope scope(*this);
  // Release singletons newest first: later ones may use earlier ones while they go.
  while (!singletons_.empty()) {
    auto last = std::move(singletons_.back().second);
    singletons_.pop_back();
    last.reset();
  }
  runLoop_.clear();
}

ProcessScope::ProcessScope(Process& process) : previous_(currentProcess) {
  currentProcess = &process;
}

ProcessScope::~ProcessScope() { currentProcess = previous_; }

}  // namespace kavro::platform
