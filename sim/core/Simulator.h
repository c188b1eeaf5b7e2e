#pragma once
// The simulated iPhone as the simulator's front ends use it: the device folder, the
// settings and springboard processes with their screens, the front-most process,
// one finger, and the system's side of a relaunch request. Both front ends (the
// script runner and the web server) act on it only through input() and read it
// only through readings(), so that both follow the same rules.

#include "platform/device/Device.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIWindow.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class UIViewController;

namespace kavro::sim {

class SettingsApp;
class SpringBoardApp;
class Input;
class Readings;

class Simulator {
 public:
  // How long the home screen takes to come back before Settings reopens its page.
  static constexpr double kRelaunchDelay = 0.5;

  // Prepares the device folder (from the sample device when it is new) and starts
  // the home screen, as the phone does when it boots.
  explicit Simulator(const std::filesystem::path& deviceFolder);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  kavro::platform::Device& device() { return *device_; }
  // Every input, and every reading of the device.
  Input& input() { return *input_; }
  Readings& readings() { return *readings_; }

  static bool isProcessName(const std::string& name) { return name == "settings" || name == "springboard"; }

  // The processes, started on first use.
  kavro::platform::Process& settings();
  kavro::platform::Process& springboard();
  SettingsApp& settingsApp();
  SpringBoardApp& springBoardApp();
  bool isRunning(const std::string& process) const { return device_->process(process) != nullptr; }

  // The process whose screen is in front, and its key window.
  const std::string& frontProcessName() const { return front_; }
  kavro::platform::Process& frontProcess();
  std::shared_ptr<UIWindow> frontWindow();
  void bringToFront(const std::string& process);

  // Commands.
  void openSettings();
  // Shows the home screen: springboard in front, no application over it.
  void openSpringboard();
  // What the home gesture does: the application in front goes away (Settings
  // goes behind, or springboard's opened application closes) and the home screen
  // shows; on the home screen itself its menu closes or it turns to its first page.
  void goHome();
  // The identifier of the application in front of the home screen:
  // "com.apple.Preferences" while Settings is in front, the application opened in
  // springboard, or "" on the home screen.
  std::string frontApplication();
  // Presents a picker for the list `key` in `process`, over whatever it shows.
  void openPicker(const std::string& key, const std::string& process);
  // Pops the top page of the settings navigation stack; false when there is none.
  bool back();
  void setAppearance(kavro::platform::Appearance appearance);

  // The one finger, on the front-most window: made anew (cancelling a touch in
  // flight) when the front-most window changed since it went down.
  kavro::platform::uikit::TouchDriver& finger();
  bool isFingerDown() const { return finger_ && finger_->isTouching(); }

  // The front-most controller of a process's window: the top of the chain of
  // presented controllers.
  static std::shared_ptr<UIViewController> frontMostController(const std::shared_ptr<UIWindow>& window);

 private:
  void handleRelaunch(const kavro::platform::RelaunchRequest& request);

  std::unique_ptr<kavro::platform::Device> device_;
  std::unique_ptr<Input> input_;
  std::unique_ptr<Readings> readings_;
  std::string front_ = "springboard";
  std::optional<kavro::platform::uikit::TouchDriver> finger_;
  std::string fingerProcess_;
  UIWindow* fingerWindow_ = nullptr;
};

}  // namespace kavro::sim
