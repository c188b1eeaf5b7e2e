#pragma once
// The simulated iPhone as the simulator's front ends use it: the device folder,
// the processes of its applications with their screens, the front-most process,
// one finger, and the system's side of a relaunch request. Both front ends (the
// script runner and the web server) act on it only through input() and read it
// only through readings(), so that both follow the same rules.
//
// The simulator knows its applications only as ApplicationKinds and Applications
// (sim/core/ApplicationKind.h): which applications the phone has is the
// assembly's choice (sim/phone/Phone.h), and what each adds to the queries, the
// dump and the buttons joins the core's own tables here.

#include "platform/device/Device.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIWindow.h"
#include "sim/core/ApplicationKind.h"
#include "sim/core/BundleInstaller.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kavro::sim {

class Application;
class Input;
class Readings;

class Simulator {
 public:
  // How long the home screen takes to come back before Settings reopens its page.
  static constexpr double kRelaunchDelay = 0.5;

  // Prepares the device folder (from the sample device when it is new) and starts
  // the home screen, as the phone does when it boots. `applications` must hold one
  // home screen and one Settings, each process named once (std::invalid_argument
  // otherwise).
  Simulator(const std::filesystem::path& deviceFolder, std::vector<ApplicationKind> applications);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  kavro::platform::Device& device() { return *device_; }
  // Every input, and every reading of the device.
  Input& input() { return *input_; }
  Readings& readings() { return *readings_; }

  // The applications, in the order the assembly gave them.
  const std::vector<ApplicationKind>& applications() const { return kinds_; }
  bool isProcessName(const std::string& name) const { return kindOf(name) != nullptr; }
  // The process names for a message: "settings or springboard".
  std::string processNames() const;
  const std::string& homeScreenProcessName() const { return home_->processName; }
  const std::string& settingsProcessName() const { return settings_->processName; }

  // A process with its application, both started on first use.
  kavro::platform::Process& process(const std::string& name);
  Application& application(const std::string& name);
  // The application of a process that runs, or nullptr.
  Application* runningApplication(const std::string& name);
  bool isRunning(const std::string& process) const { return device_->process(process) != nullptr; }

  // The process whose screen is in front, and its key window.
  const std::string& frontProcessName() const { return front_; }
  kavro::platform::Process& frontProcess();
  std::shared_ptr<UIWindow> frontWindow();
  void bringToFront(const std::string& process);
  // Brings forward the application whose bundle identifier is `identifier`, when
  // it runs in a process of its own (Settings, from its home-screen icon), as it
  // is. False when no process runs that application.
  bool bringApplicationToFront(const std::string& identifier);
  // The identifier of the application a person sees in front: the front-most
  // process's (Application::frontApplication), or "" on the home screen.
  std::string frontApplication();
  // Whether the home screen itself is what shows: its process in front, with no
  // application opened over it.
  bool isHomeScreenInFront();
  // The address of what a person sees: the front application's (Settings:
  // prefs:root=NAME of a bundle's page), "" on the home screen or Settings' root page.
  std::string address();

  // Commands.
  // Opens a URL in Settings and brings it to the front (`open settings` opens the
  // bundle's page). False when Settings has no page for it (Settings still comes
  // to the front, as it was).
  bool openURL(const std::string& url);
  // Shows the home screen: its process in front, no application over it.
  void showHomeScreen();
  // What the home gesture does: the application in front goes away (Settings
  // goes behind, or the home screen's opened application closes) and the home
  // screen shows; on the home screen itself, the home screen's own gesture.
  void goHome();
  // Presents a picker for the list `key` in `process`, over whatever it shows.
  void openPicker(const std::string& key, const std::string& process);
  // Pops the top page of Settings' navigation; false when there is none.
  bool back();
  void setAppearance(kavro::platform::Appearance appearance);

  // Bundles installed again while the device runs.
  // The bundle NAME's files were replaced: every running process reads the bundle
  // anew, and each application brings what it shows of it up to date.
  void bundleReinstalled(const std::string& name);
  // The latest failed reinstall of each bundle whose files could not be read,
  // until one succeeds: by bundle name.
  const std::map<std::string, ReinstallProblem>& reloadProblems() const { return reloadProblems_; }
  void setReloadProblem(const std::string& name, std::optional<ReinstallProblem> problem);

  // The one finger, on the front-most window: made anew (cancelling a touch in
  // flight) when the front-most window changed since it went down.
  kavro::platform::uikit::TouchDriver& finger();
  bool isFingerDown() const { return finger_ && finger_->isTouching(); }

  // The core's tables joined with what each application adds, in the order of
  // the applications.
  const std::vector<QueryKind>& queries() const { return queries_; }
  const std::vector<DumpMember>& dumpMembers() const { return dumpMembers_; }
  const std::vector<ButtonLabel>& buttonLabels() const { return buttonLabels_; }

 private:
  const ApplicationKind* kindOf(const std::string& process) const;
  const ApplicationKind& requireKind(const std::string& process) const;
  void joinTables();
  void handleRelaunch(const kavro::platform::RelaunchRequest& request);

  std::vector<ApplicationKind> kinds_;
  const ApplicationKind* home_ = nullptr;
  const ApplicationKind* settings_ = nullptr;
  std::vector<QueryKind> queries_;
  std::vector<DumpMember> dumpMembers_;
  std::vector<ButtonLabel> buttonLabels_;

  std::unique_ptr<kavro::platform::Device> device_;
  std::unique_ptr<Input> input_;
  std::unique_ptr<Readings> readings_;
  std::string front_;
  std::optional<kavro::platform::uikit::TouchDriver> finger_;
  std::string fingerProcess_;
  UIWindow* fingerWindow_ = nullptr;
  std::map<std::string, ReinstallProblem> reloadProblems_;
};

}  // namespace kavro::sim
