#pragma once
// The current process's application object: its windows, the key window, and the
// sending of actions to targets. It passes appearance changes of the device on to
// the views and view controllers of its windows.

#include "platform/objc/NSObject.h"
#include "platform/uikit/UIResponder.h"

#include <cstdint>
#include <memory>
#include <vector>

class UIWindow;
class UIView;
class UIEvent;
class UITraitCollection;

class UIApplication : public UIResponder {
  KAVRO_OBJC_CLASS(UIApplication)
 public:
  UIApplication();
  ~UIApplication() override;

  static std::shared_ptr<UIApplication> sharedApplication();

  std::shared_ptr<UIWindow> keyWindow() const { return keyWindow_.lock(); }
  const std::vector<std::shared_ptr<UIWindow>>& windows() const { return windows_; }

  // Sends `action` to `target`; without a target, to the first responder that
  // answers it along the responder chain starting at `sender`.
  bool sendAction(const SEL& action, const id& target, const id& sender,
                  const std::shared_ptr<UIEvent>& event);

  // Window bookkeeping, used by UIWindow.
  void addWindow(const std::shared_ptr<UIWindow>& window);
  void removeWindow(const std::shared_ptr<UIWindow>& window);
  void setKeyWindow(const std::shared_ptr<UIWindow>& window);

 private:
  void appearanceDidChange();
  static void refreshSafeAreas(const std::shared_ptr<UIView>& view);
  std::vector<std::shared_ptr<UIWindow>> windows_;
  std::weak_ptr<UIWindow> keyWindow_;
  std::uint64_t appearanceObserver_ = 0;
  std::uint64_t layoutObserver_ = 0;
  std::shared_ptr<UITraitCollection> lastTraits_;
};
