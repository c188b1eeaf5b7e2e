#include "sim/springboard/SpringBoardApp.h"

namespace kavro::sim {

SpringBoardApp::SpringBoardApp() {
  extension_ = std::make_shared<ShortcutsExtension>();
  window_ = alloc<UIWindow>()->init();
  home_ = std::static_pointer_cast<HomeScreenController>(alloc<HomeScreenController>()->init());
  home_->setExtension(extension_);
  std::weak_ptr<HomeScreenController> weak = home_;
  extension_->setShowMenuHandler([weak](const std::string& application) {
    if (auto home = weak.lock()) home->showShortcutMenu(application);
  });
  window_->setRootViewController(home_);
  window_->makeKeyAndVisible();
}

}  // namespace kavro::sim
