#include "sim/core/Simulator.h"

#include "platform/PlatformClasses.h"
#include "platform/foundation/NSBundlePrivate.h"
#include "platform/uikit/UIApplication.h"
#include "rootpage/BundleExecutable.h"
#include "sim/core/Application.h"
#include "sim/core/Input.h"
#include "sim/core/Readings.h"
#include "sim/core/SampleDevice.h"

#include <set>
#include <stdexcept>

namespace kavro::sim {

namespace {

using Role = ApplicationKind::Role;

// The classes of the platform and the bundle's executable, registered once per program.
void registerClassesOnce() {
  static bool registered = [] {
    kavro::platform::registerPlatformClasses();
    kavro::registerBundleExecutable();
    return true;
  }();
  (void)registered;
}

// An application lives as a singleton of its process, and goes with it.
struct ApplicationHolder {
  std::unique_ptr<Application> application;
};

// The one application of `role`; throws when there is none or more than one.
const ApplicationKind* onlyOne(const std::vector<ApplicationKind>& kinds, Role role, const char* what) {
  const ApplicationKind* found = nullptr;
  for (const ApplicationKind& kind : kinds) {
    if (kind.role != role) continue;
    if (found) throw std::invalid_argument(std::string("the phone has more than one ") + what);
    found = &kind;
  }
  if (!found) throw std::invalid_argument(std::string("the phone has no ") + what);
  return found;
}

void checkKinds(const std::vector<ApplicationKind>& kinds) {
  std::set<std::string> names;
  for (const ApplicationKind& kind : kinds) {
    if (kind.processName.empty() || !kind.make) throw std::invalid_argument("an application needs a process and a maker");
    if (!names.insert(kind.processName).second)
      throw std::invalid_argument("two applications share the process \"" + kind.processName + "\"");
  }
}

}  // namespace

Simulator::Simulator(const std::filesystem::path& deviceFolder, std::vector<ApplicationKind> applications)
    : kinds_(std::move(applications)) {
  checkKinds(kinds_);
  home_ = onlyOne(kinds_, Role::homeScreen, "home screen");
  settings_ = onlyOne(kinds_, Role::settings, "Settings");
  joinTables();
  prepareDevice(deviceFolder);
  registerClassesOnce();
  device_ = std::make_unique<kavro::platform::Device>(deviceFolder);
  device_->setRelaunchHandler([this](const kavro::platform::RelaunchRequest& request) { handleRelaunch(request); });
  input_ = std::make_unique<Input>(*this);
  readings_ = std::make_unique<Readings>(*this);
  front_ = home_->processName;
  // The home screen starts with the device, so its extension reads the stored
  // settings now, not when it is first looked at.
  process(front_);
}

Simulator::~Simulator() {
  readings_.reset();
  input_.reset();
  finger_.reset();
  device_.reset();
}

void Simulator::joinTables() {
  queries_ = coreQueries();
  dumpMembers_ = Dumper::coreMembers();
  buttonLabels_ = {Screen::platformButtonLabel};
  for (const ApplicationKind& kind : kinds_) {
    queries_.insert(queries_.end(), kind.queries.begin(), kind.queries.end());
    dumpMembers_.insert(dumpMembers_.end(), kind.dumpMembers.begin(), kind.dumpMembers.end());
    buttonLabels_.insert(buttonLabels_.end(), kind.buttonLabels.begin(), kind.buttonLabels.end());
  }
}

const ApplicationKind* Simulator::kindOf(const std::string& process) const {
  for (const ApplicationKind& kind : kinds_)
    if (kind.processName == process) return &kind;
  return nullptr;
}

const ApplicationKind& Simulator::requireKind(const std::string& process) const {
  const ApplicationKind* kind = kindOf(process);
  if (!kind) throw std::invalid_argument("no process is named \"" + process + "\"");
  return *kind;
}

std::string Simulator::processNames() const {
  std::string names;
  for (std::size_t i = 0; i < kinds_.size(); ++i)
    names += (i == 0 ? "" : i + 1 == kinds_.size() ? " or " : ", ") + kinds_[i].processName;
  return names;
}

kavro::platform::Process& Simulator::process(const std::string& name) {
  const ApplicationKind& kind = requireKind(name);
  kavro::platform::Process& process = device_->launch(kind.processName, kind.bundleIdentifier);
  kavro::platform::ProcessScope scope(process);
  auto holder = process.singleton<ApplicationHolder>([] { return std::make_shared<ApplicationHolder>(); });
  if (!holder->application) {
    holder->application = kind.make(*this);
    device_->runUntilIdle();
  }
  return process;
}

Application& Simulator::application(const std::string& name) {
  return *process(name).existingSingleton<ApplicationHolder>()->application;
}

Application* Simulator::runningApplication(const std::string& name) {
  kavro::platform::Process* running = device_->process(name);
  auto holder = running ? running->existingSingleton<ApplicationHolder>() : nullptr;
  return holder ? holder->application.get() : nullptr;
}

kavro::platform::Process& Simulator::frontProcess() { return process(front_); }

std::shared_ptr<UIWindow> Simulator::frontWindow() {
  kavro::platform::Process& process = frontProcess();
  kavro::platform::ProcessScope scope(process);
  return UIApplication::sharedApplication()->keyWindow();
}

void Simulator::bringToFront(const std::string& process) {
  requireKind(process);
  front_ = process;
  frontProcess();
}

bool Simulator::bringApplicationToFront(const std::string& identifier) {
  for (const ApplicationKind& kind : kinds_) {
    if (kind.bundleIdentifier != identifier) continue;
    application(kind.processName);
    front_ = kind.processName;
    return true;
  }
  return false;
}

std::string Simulator::frontApplication() {
  Application* front = runningApplication(front_);
  if (!front) return "";
  kavro::platform::ProcessScope scope(*device_->process(front_));
  return front->frontApplication();
}

std::string Simulator::address() {
  Application* front = runningApplication(front_);
  if (!front) return "";
  kavro::platform::ProcessScope scope(*device_->process(front_));
  return front->address();
}

bool Simulator::isHomeScreenInFront() { return front_ == home_->processName && frontApplication().empty(); }

bool Simulator::openURL(const std::string& url) {
  Application& settings = application(settings_->processName);
  bool opened = false;
  device_->dispatch(process(settings_->processName), [&] { opened = settings.openURL(url); });
  front_ = settings_->processName;
  return opened;
}

void Simulator::showHomeScreen() {
  Application& home = application(home_->processName);
  device_->dispatch(process(home_->processName), [&] { home.showHomeScreen(); });
  front_ = home_->processName;
}

void Simulator::goHome() {
  Application& home = application(home_->processName);
  bool wasInFront = front_ == home_->processName;
  front_ = home_->processName;
  device_->dispatch(process(home_->processName), [&] {
    if (wasInFront)
      home.homeGesture();
    else
      home.showHomeScreen();
  });
}

void Simulator::openPicker(const std::string& key, const std::string& processName) {
  Application& application = this->application(processName);
  front_ = processName;
  device_->dispatch(process(processName), [&] { application.presentPicker(key); });
}

bool Simulator::back() {
  Application& settings = application(settings_->processName);
  bool popped = false;
  device_->dispatch(process(settings_->processName), [&] { popped = settings.back(); });
  front_ = settings_->processName;
  return popped;
}

void Simulator::setAppearance(kavro::platform::Appearance appearance) { device_->setAppearance(appearance); }

void Simulator::bundleReinstalled(const std::string& name) {
  const std::string path = installedBundlePath(name);
  // The pictures' URLs carry their files' versions: made anew for the new files.
  readings_->assets().filesChanged();
  for (const ApplicationKind& kind : kinds_) {
    Application* application = runningApplication(kind.processName);
    if (!application) continue;
    device_->dispatch(*device_->process(kind.processName), [&] {
      kavro::platform::foundation::BundleInternals::rereadBundleAtPath(path);
      application->bundleReinstalled(name);
    });
  }
}

void Simulator::setReloadProblem(const std::string& name, std::optional<ReinstallProblem> problem) {
  if (problem)
    reloadProblems_[name] = std::move(*problem);
  else
    reloadProblems_.erase(name);
}

kavro::platform::uikit::TouchDriver& Simulator::finger() {
  auto window = frontWindow();
  if (!finger_ || fingerProcess_ != front_ || fingerWindow_ != window.get()) {
    if (finger_ && finger_->isTouching()) finger_->cancel();
    finger_.emplace(frontProcess(), window);
    fingerProcess_ = front_;
    fingerWindow_ = window.get();
  }
  return *finger_;
}

void Simulator::handleRelaunch(const kavro::platform::RelaunchRequest& request) {
  // The home screen restarts at once: everything it held goes.
  const std::string& home = home_->processName;
  if (finger_ && fingerProcess_ == home) finger_.reset();
  device_->terminate(home);
  process(home);
  front_ = home;
  // Then the system opens the request's URL in Settings.
  std::string url = request.targetURL;
  kavro::platform::Process& settingsProcess = process(settings_->processName);
  settingsProcess.mainRunLoop().performAfter(kRelaunchDelay, [this, url] {
    application(settings_->processName).openURL(url);
    front_ = settings_->processName;
  });
}

}  // namespace kavro::sim
