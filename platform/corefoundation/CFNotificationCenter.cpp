#include "platform/corefoundation/CFNotificationCenter.h"

#include "platform/device/Device.h"

#include <map>
#include <memory>
#include <vector>

// One Darwin centre stands for the device's; registrations are kept per process.
struct __CFNotificationCenter {};

namespace {

__CFNotificationCenter darwinCenter;

struct Registrations {
  std::vector<std::pair<void*, std::uint64_t>> tokens;
  ~Registrations() {
    if (kavro::platform::Process* process = kavro::platform::Process::currentOrNull())
      for (auto& [observer, token] : tokens) process->device().removeDarwinObserver(token);
  }
};

std::shared_ptr<Registrations> registrations() {
  return kavro::platform::Process::current().singleton<Registrations>([] { return std::make_shared<Registrations>(); });
}

}  // namespace

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter() { return &darwinCenter; }

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, const std::string& name, const void*,
                                          const void*, bool) {
  if (center != &darwinCenter || name.empty()) return;
  kavro::platform::Device::current().postDarwinNotification(name);
}

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, void* observer, CFNotificationCallback callback,
                                     const std::string& name, const void*, CFNotificationSuspensionBehavior) {
  if (center != &darwinCenter || !callback) return;
  kavro::platform::Process& process = kavro::platform::Process::current();
  auto token = process.device().addDarwinObserver(process, name, [center, observer, callback](const std::string& n) {
    callback(center, observer, n, nullptr, nullptr);
  });
  registrations()->tokens.emplace_back(observer, token);
}

void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, void* observer) {
  if (center != &darwinCenter) return;
  auto list = registrations();
  std::erase_if(list->tokens, [&](auto& entry) {
    if (entry.first != observer) return false;
    kavro::platform::Device::current().removeDarwinObserver(entry.second);
    return true;
  });
}
