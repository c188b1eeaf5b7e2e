#include "sim/web/server/LiveDevice.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/PreferenceDomainStore.h"
#include "platform/uikit/UIWindow.h"
#include "sim/core/AppearanceNames.h"
#include "sim/core/BundleInstaller.h"
#include "sim/core/Dump.h"
#include "sim/core/PlistJson.h"
#include "sim/core/Simulator.h"
#include "store/Preferences.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace kavro::sim {

using nlohmann::json;

namespace {

LiveDevice::Clock steadyClock() {
  auto start = std::chrono::steady_clock::now();
  return [start] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
}

// The device time at which the earliest queued work of any process is due.
double nextFireTime(kavro::platform::Device& device) {
  double next = std::numeric_limits<double>::infinity();
  for (kavro::platform::Process* process : device.processes()) next = std::min(next, process->mainRunLoop().nextFireTime());
  return next;
}

// The stored values of Kavro's domain and of every domain the bundles name, each
// read as `prefs` is (in the front process; {} for a domain with no file). A name
// the store would refuse (no plain file name) is left out. Each read sees the file
// as it is now: the store looks again only when the file changed.
json storedDomains(Simulator& simulator, const std::vector<InstalledBundleSummary>& bundles) {
  kavro::platform::ProcessScope scope(simulator.frontProcess());
  auto defaults = NSUserDefaults::standardUserDefaults();
  json domains = json::object();
  auto add = [&](const std::string& domain) {
    if (domains.contains(domain) ||
        !kavro::platform::foundation::PreferenceDomainStore::isValidDomainName(domain, nullptr))
      return;
    json stored = PlistJson::toJson(PlistValue(defaults->persistentDomainForName(domain)));
    domains[domain] = stored.is_null() ? json::object() : std::move(stored);
  };
  add(kavro::store::kDomain);
  for (auto& bundle : bundles)
    for (auto& domain : bundle.domains) add(domain);
  return domains;
}

}  // namespace

LiveDevice::LiveDevice(Simulator& simulator, Clock clock)
    : simulator_(simulator), clock_(clock ? std::move(clock) : steadyClock()) {
  lastClock_ = clock_();
}

Input& LiveDevice::input() { return simulator_.input(); }

Readings& LiveDevice::readings() { return simulator_.readings(); }

void LiveDevice::catchUp() {
  double now = clock_();
  double elapsed = std::max(0.0, now - lastClock_) + behind_;
  if (elapsed <= 0) return;
  // Moved first: work that throws is not run again at every later call.
  lastClock_ = std::max(lastClock_, now);
  behind_ = 0;
  kavro::platform::Device& device = simulator_.device();
  double target = device.now() + elapsed;
  if (nextFireTime(device) <= target) ++changes_;
  try {
    device.advance(elapsed);
  } catch (...) {
    // The device stopped at the work that threw: the rest of the way, and the
    // work due on it, is made up at the next call.
    behind_ = std::max(0.0, target - device.now());
    throw;
  }
}

bool LiveDevice::isAnimating() const {
  return frame_.json && framePictureTime_ < simulator_.readings().pictureAnimationsEnd();
}

double LiveDevice::secondsUntilNextWork() const {
  kavro::platform::Device& device = simulator_.device();
  double next = nextFireTime(device);
  if (next == std::numeric_limits<double>::infinity()) return std::numeric_limits<double>::max();
  return std::max(0.0, next - device.now());
}

LiveDevice::Frame LiveDevice::frame() {
  catchUp();
  kavro::platform::Device& device = simulator_.device();
  // While an animation of the latest picture runs the picture changes with the
  // clock (and once more where the animation ends).
  bool animated = isAnimating() && device.now() > framePictureTime_;
  if (frame_.json && changes_ == frameChanges_ && !animated) return frame_;
  frameChanges_ = changes_;
  framePictureTime_ = device.now();
  std::string picture = simulator_.readings().picture();
  if (frame_.json && picture == framePicture_) return frame_;
  framePicture_ = std::move(picture);
  ++frame_.sequence;
  auto body = std::make_shared<std::string>();
  body->reserve(framePicture_.size() + 64);
  *body += "{\"type\":\"frame\",\"seq\":" + std::to_string(frame_.sequence) +
           ",\"t\":" + Dumper::number(device.now()).dump() + ",";
  *body += framePicture_;
  *body += '}';
  frame_.json = std::move(body);
  return frame_;
}

json LiveDevice::panel() {
  catchUp();
  kavro::platform::Device& device = simulator_.device();
  json panel = simulator_.readings().prefs();
  panel["type"] = "panel";
  panel["t"] = Dumper::number(device.now());
  panel["process"] = simulator_.frontProcessName();
  panel["appearance"] = appearanceName(device.appearance());
  panel["language"] = device.language();
  panel["address"] = simulator_.address();
  json bundles = json::array();
  std::vector<InstalledBundleSummary> summaries = installedBundleSummaries(device.rootPath());
  for (auto& bundle : summaries)
    bundles.push_back({{"name", bundle.name}, {"label", bundle.label}, {"domains", bundle.domains}});
  panel["bundles"] = std::move(bundles);
  panel["domains"] = storedDomains(simulator_, summaries);
  panel["reloadErrors"] = simulator_.readings().reloadProblems();
  return panel;
}

json LiveDevice::screen() {
  return {{"width", kavro::platform::Device::kScreenWidth},
          {"height", kavro::platform::Device::kScreenHeight},
          {"scale", kavro::platform::Device::kScreenScale},
          {"statusBar", UIWindow::kStatusBarHeight},
          {"homeIndicator", UIWindow::kHomeIndicatorHeight}};
}

}  // namespace kavro::sim
