#include "sim/springboard/SpringBoardApp.h"

#include "sim/core/Simulator.h"
#include "sim/springboard/HomeScreenQueries.h"

namespace kavro::sim {

ApplicationKind SpringBoardApp::kind() {
  ApplicationKind kind;
  kind.processName = kProcessName;
  kind.bundleIdentifier = kBundleIdentifier;
  kind.role = ApplicationKind::Role::homeScreen;
  kind.make = [](Simulator& simulator) { return std::make_unique<SpringBoardApp>(simulator); };
  kind.queries = homeScreenQueries();
  kind.dumpMembers = homeScreenDumpMembers();
  kind.buttonLabels = {homeScreenIconLabel};
  return kind;
}

SpringBoardApp::SpringBoardApp(Simulator& simulator) {
  extension_ = std::make_shared<ShortcutsExtension>();
  window_ = alloc<UIWindow>()->init();
  home_ = std::static_pointer_cast<HomeScreenController>(alloc<HomeScreenController>()->init());
  home_->setExtension(extension_);
  std::weak_ptr<HomeScreenController> weak = home_;
  extension_->setShowMenuHandler([weak](const std::string& application) {
    if (auto home = weak.lock()) home->showShortcutMenu(application);
  });
  home_->setApplicationLauncher(
      [&simulator](const std::string& identifier) { return simulator.bringApplicationToFront(identifier); });
  window_->setRootViewController(home_);
  window_->makeKeyAndVisible();
}

void SpringBoardApp::presentPicker(const std::string& key) { home_->presentPicker(key); }

void SpringBoardApp::showHomeScreen() { home_->closeApplication(false); }

void SpringBoardApp::homeGesture() { home_->goHome(); }

}  // namespace kavro::sim
