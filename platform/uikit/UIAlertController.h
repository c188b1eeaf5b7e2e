#pragma once
// Alerts and action sheets: a title, a message and actions with styles. Picking an
// action dismisses the alert and then runs the action's handler, as the platform
// does.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"

#include <functional>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIAlertAction;

enum UIAlertControllerStyle : long {
  UIAlertControllerStyleActionSheet = 0,
  UIAlertControllerStyleAlert = 1,
};

enum UIAlertActionStyle : long {
  UIAlertActionStyleDefault = 0,
  UIAlertActionStyleCancel = 1,
  UIAlertActionStyleDestructive = 2,
};

class UIAlertAction : public NSObject {
  KAVRO_OBJC_CLASS(UIAlertAction)
 public:
  using Handler = std::function<void(const std::shared_ptr<UIAlertAction>&)>;
  static std::shared_ptr<UIAlertAction> actionWithTitle(const std::string& title, UIAlertActionStyle style,
                                                        Handler handler);
  const std::string& title() const { return title_; }
  UIAlertActionStyle style() const { return style_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  const Handler& handler() const { return handler_; }

 private:
  std::string title_;
  UIAlertActionStyle style_ = UIAlertActionStyleDefault;
  bool enabled_ = true;
  Handler handler_;
};

class UIAlertController : public UIViewController {
  KAVRO_OBJC_CLASS(UIAlertController)
 public:
  static std::shared_ptr<UIAlertController> alertControllerWithTitle(const std::string& title,
                                                                     const std::string& message,
                                                                     UIAlertControllerStyle style);
  void addAction(const std::shared_ptr<UIAlertAction>& action);
  const std::vector<std::shared_ptr<UIAlertAction>>& actions() const { return actions_; }
  const std::string& message() const { return message_; }
  void setMessage(const std::string& message) { message_ = message; }
  UIAlertControllerStyle preferredStyle() const { return style_; }

  void loadView() override;
  bool fadesInPresentation() const override { return true; }
  // The button drawn for an action, once the view is loaded.
  std::shared_ptr<UIButton> buttonForAction(const std::shared_ptr<UIAlertAction>& action) const;
  // Picks an action as a tap on its button does.
  void pickAction(const std::shared_ptr<UIAlertAction>& action);

 private:
  void actionButtonTapped(const std::shared_ptr<UIButton>& sender);
  bool isSheet() const;
  // Lays the alert out anew: its box (text, then actions) centred, or a sheet's
  // box at the bottom with its cancel action apart below it.
  void layoutAlert();
  // The title and message at the top of the box; returns where the actions begin.
  CGFloat addTextLabels(UIView& box);
  // The actions but `cancel` from `top` down; returns the box's height.
  CGFloat addActionButtons(UIView& box, CGFloat top, std::optional<std::size_t> cancel,
                           std::vector<std::shared_ptr<UIButton>>& byAction);
  std::shared_ptr<UIButton> addCancelButton(UIView& root, const UIAlertAction& action, CGFloat bottom);
  std::shared_ptr<UIButton> makeActionButton(const UIAlertAction& action);
  std::string message_;
  UIAlertControllerStyle style_ = UIAlertControllerStyleAlert;
  std::vector<std::shared_ptr<UIAlertAction>> actions_;
  std::vector<std::shared_ptr<UIButton>> buttons_;
  bool picked_ = false;
};
