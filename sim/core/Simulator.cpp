#include "sim/core/Simulator.h"

#include "platform/PlatformClasses.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINavigationController.h"
#include "rootpage/BundleExecutable.h"
#include "sim/core/Input.h"
#include "sim/core/Readings.h"
#include "sim/core/SampleDevice.h"
#include "sim/settings/SettingsApp.h"
#include "sim/springboard/SpringBoardApp.h"

#include <stdexcept>

namespace kavro::sim {

namespace {

constexpr const char* kSettingsProcess = "settings";
constexpr const char* kSpringboardProcess = "springboard";
constexpr const char* kSettingsIdentifier = "com.apple.Preferences";
constexpr const char* kSpringboardIdentifier = "com.apple.springboard";
constexpr const char* kRootPageURL = "prefs:root=Kavro";

// The classes of the platform and the bundle's executable, registered once per program.
void registerClassesOnce() {
  static bool registered = [] {
    kavro::platform::registerPlatformClasses();
    kavro::registerBundleExecutable();
    return true;
  }();
  (void)registered;
}

// The host applications live as singletons of their processes.
struct SettingsHost {
  std::unique_ptr<SettingsApp> app;
};
struct SpringBoardHost {
  std::unique_ptr<SpringBoardApp> app;
};

}  // namespace

Simulator::Simulator(const std::filesystem::path& deviceFolder) {
  prepareDevice(deviceFolder);
  registerClassesOnce();
  device_ = std::make_unique<kavro::platform::Device>(deviceFolder);
  device_->setRelaunchHandler([this](const kavro::platform::RelaunchRequest& request) { handleRelaunch(request); });
  input_ = std::make_unique<Input>(*this);
  readings_ = std::make_unique<Readings>(*this);
  // The home screen starts with the device, so its extension reads the stored
  // settings now, not when it is first looked at.
  springboard();
}

Simulator::~Simulator() {
  readings_.reset();
  input_.reset();
  finger_.reset();
  device_.reset();
}

kavro::platform::Process& Simulator::settings() {
  kavro::platform::Process& process = device_->launch(kSettingsProcess, kSettingsIdentifier);
  settingsApp();
  return process;
}

kavro::platform::Process& Simulator::springboard() {
  kavro::platform::Process& process = device_->launch(kSpringboardProcess, kSpringboardIdentifier);
  springBoardApp();
  return process;
}

SettingsApp& Simulator::settingsApp() {
  kavro::platform::Process& process = device_->launch(kSettingsProcess, kSettingsIdentifier);
  kavro::platform::ProcessScope scope(process);
  auto host = process.singleton<SettingsHost>([] { return std::make_shared<SettingsHost>(); });
  if (!host->app) {
    host->app = std::make_unique<SettingsApp>();
    device_->runUntilIdle();
  }
  return *host->app;
}

SpringBoardApp& Simulator::springBoardApp() {
  kavro::platform::Process& process = device_->launch(kSpringboardProcess, kSpringboardIdentifier);
  kavro::platform::ProcessScope scope(process);
  auto host = process.singleton<SpringBoardHost>([] { return std::make_shared<SpringBoardHost>(); });
  if (!host->app) {
    host->app = std::make_unique<SpringBoardApp>();
    // Settings' icon brings the Settings process forward, as it is.
    host->app->homeScreen()->setSettingsLauncher([this] {
      settingsApp();
      front_ = kSettingsProcess;
    });
    device_->runUntilIdle();
  }
  return *host->app;
}

kavro::platform::Process& Simulator::frontProcess() {
  return front_ == kSettingsProcess ? settings() : springboard();
}

std::shared_ptr<UIWindow> Simulator::frontWindow() {
  kavro::platform::Process& process = frontProcess();
  kavro::platform::ProcessScope scope(process);
  return UIApplication::sharedApplication()->keyWindow();
}

void Simulator::bringToFront(const std::string& process) {
  if (!isProcessName(process)) throw std::invalid_argument("no process is named \"" + process + "\"");
  front_ = process;
  frontProcess();
}

void Simulator::openSettings() {
  SettingsApp& app = settingsApp();
  kavro::platform::Process& process = settings();
  device_->dispatch(process, [&] { app.openURL(kRootPageURL); });
  front_ = kSettingsProcess;
}

void Simulator::openSpringboard() {
  SpringBoardApp& app = springBoardApp();
  device_->dispatch(springboard(), [&] { app.homeScreen()->closeApplication(false); });
  front_ = kSpringboardProcess;
}

void Simulator::goHome() {
  SpringBoardApp& app = springBoardApp();
  bool fromSettings = front_ != kSpringboardProcess;
  front_ = kSpringboardProcess;
  device_->dispatch(springboard(), [&] {
    auto home = app.homeScreen();
    if (fromSettings)
      home->closeApplication(false);
    else
      home->goHome();
  });
}

std::string Simulator::frontApplication() {
  if (front_ == kSettingsProcess) return kSettingsIdentifier;
  if (!isRunning(kSpringboardProcess)) return "";
  kavro::platform::ProcessScope scope(springboard());
  return springBoardApp().homeScreen()->frontApplication();
}

void Simulator::openPicker(const std::string& key, const std::string& processName) {
  if (!isProcessName(processName)) throw std::invalid_argument("no process is named \"" + processName + "\"");
  if (processName == kSettingsProcess) {
    settingsApp();
  } else {
    springBoardApp();
  }
  kavro::platform::Process& process = *device_->process(processName);
  front_ = processName;
  device_->dispatch(process, [&] {
    if (processName == kSpringboardProcess) {
      springBoardApp().homeScreen()->presentPicker(key);
    } else {
      auto host = frontMostController(UIApplication::sharedApplication()->keyWindow());
      HomeScreenController::presentPickerFrom(host, key);
    }
  });
}

bool Simulator::back() {
  SettingsApp& app = settingsApp();
  bool popped = false;
  device_->dispatch(settings(), [&] { popped = app.navigationController()->popViewControllerAnimated(true) != nullptr; });
  front_ = kSettingsProcess;
  return popped;
}

void Simulator::setAppearance(kavro::platform::Appearance appearance) { device_->setAppearance(appearance); }

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

std::shared_ptr<UIViewController> Simulator::frontMostController(const std::shared_ptr<UIWindow>& window) {
  if (!window) return nullptr;
  auto controller = window->rootViewController();
  while (controller && controller->presentedViewController()) controller = controller->presentedViewController();
  return controller;
}

void Simulator::handleRelaunch(const kavro::platform::RelaunchRequest& request) {
  // The home screen restarts at once: everything it held goes.
  if (finger_ && fingerProcess_ == kSpringboardProcess) finger_.reset();
  device_->terminate(kSpringboardProcess);
  springboard();
  front_ = kSpringboardProcess;
  // Then the system opens the request's URL in Settings.
  std::string url = request.targetURL;
  kavro::platform::Process& settingsProcess = settings();
  settingsProcess.mainRunLoop().performAfter(kRelaunchDelay, [this, url] {
    settingsApp().openURL(url);
    front_ = kSettingsProcess;
  });
}

}  // namespace kavro::sim
