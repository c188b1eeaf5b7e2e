#include "sim/core/Application.h"

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIWindow.h"
#include "selector/KavroApplicationSelector.h"
#include "sim/core/Screen.h"

#include <cstdio>

namespace kavro::sim {

Application::~Application() = default;

std::string Application::address() { return ""; }

bool Application::openURL(const std::string& url) {
  std::fprintf(stderr, "the application cannot open %s\n", url.c_str());
  return false;
}

void Application::presentPicker(const std::string& key) { presentPickerFrom(Screen::frontMostController(window()), key); }

void Application::bundleReinstalled(const std::string&) {}

bool Application::back() { return false; }

void Application::showHomeScreen() {}

void Application::homeGesture() {}

void Application::presentPickerFrom(const std::shared_ptr<UIViewController>& host, const std::string& key) {
  if (!host) return;
  auto selector = alloc<KavroApplicationSelector>()->initWithIdentifier(key);
  auto navigation = alloc<UINavigationController>()->initWithRootViewController(selector);
  navigation->navigationBar()->setPrefersLargeTitles(true);
  host->presentViewController(navigation, true, nullptr);
}

}  // namespace kavro::sim
