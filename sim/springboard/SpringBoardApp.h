#pragma once
// The springboard process's application: its key window, showing the home screen,
// and the stand-in of the home-screen extension, which reads the preference domain
// when the home screen starts (so again after every relaunch).

#include "platform/uikit/UIWindow.h"
#include "sim/springboard/HomeScreenController.h"
#include "sim/springboard/ShortcutsExtension.h"

#include <memory>

namespace kavro::sim {

class SpringBoardApp {
 public:
  SpringBoardApp();
  const std::shared_ptr<UIWindow>& window() const { return window_; }
  std::shared_ptr<HomeScreenController> homeScreen() const { return home_; }

 private:
  std::shared_ptr<ShortcutsExtension> extension_;
  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<HomeScreenController> home_;
};

}  // namespace kavro::sim
