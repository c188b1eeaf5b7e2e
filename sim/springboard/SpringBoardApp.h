#pragma once
// The springboard process's application: its key window, showing the home screen,
// and the stand-in of the home-screen extension, which reads the preference domain
// when the home screen starts (so again after every relaunch). It plays the home
// screen's part for the system (ApplicationKind::Role::homeScreen).

#include "platform/uikit/UIWindow.h"
#include "sim/core/Application.h"
#include "sim/core/ApplicationKind.h"
#include "sim/springboard/HomeScreenController.h"
#include "sim/springboard/ShortcutsExtension.h"

#include <memory>

namespace kavro::sim {

class Simulator;

class SpringBoardApp : public Application {
 public:
  static constexpr const char* kProcessName = "springboard";
  static constexpr const char* kBundleIdentifier = "com.apple.springboard";
  // What the core knows of the home screen: with its queries, its dump member
  // and its icons as buttons (HomeScreenQueries.h).
  static ApplicationKind kind();

  // Inside the springboard process. A tap on the icon of an application that
  // runs in a process of its own brings it forward through `simulator`.
  explicit SpringBoardApp(Simulator& simulator);

  std::shared_ptr<UIWindow> window() const override { return window_; }
  std::shared_ptr<HomeScreenController> homeScreen() const { return home_; }
  // The application opened over the home screen, or "".
  std::string frontApplication() const override { return home_->frontApplication(); }

  // The extension's picker over the home screen.
  void presentPicker(const std::string& key) override;
  // An opened application goes at once; an open menu stays.
  void showHomeScreen() override;
  // The opened application closes, else the open menu, else the grid turns back
  // to its first page.
  void homeGesture() override;

 private:
  std::shared_ptr<ShortcutsExtension> extension_;
  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<HomeScreenController> home_;
};

}  // namespace kavro::sim
