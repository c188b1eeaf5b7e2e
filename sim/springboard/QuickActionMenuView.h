#pragma once
// An application's quick-action menu, drawn as the platform draws a context menu
// on the home screen: the home screen blurred behind it, the pressed icon lifted
// above the blur, and a rounded platter beside the icon holding the menu's title,
// the extension's dock (a row of small shortcut icons that scrolls sideways, or
// the add button when there are none) and the menu's actions. A tap on the blur
// closes it. Every part is a view, so the render tree draws it as it draws any.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIVisualEffectView.h"
#include "sim/springboard/HomeScreenIconView.h"
#include "sim/springboard/QuickActionMenuButton.h"
#include "sim/springboard/ShortcutsExtension.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kavro::sim {

class QuickActionMenuView : public UIView {
  KAVRO_OBJC_CLASS(QuickActionMenuView)
 public:
  struct Content {
    std::string application;
    std::string title;
    // Nothing: the extension shows no dock; empty: the add button.
    std::optional<std::vector<Shortcut>> dock;
    std::vector<std::string> actions;
  };

  // The platter and where it goes.
  static constexpr CGFloat kWidth = 250;
  static constexpr CGFloat kCornerRadius = 13;
  static constexpr CGFloat kScreenMargin = 16;
  static constexpr CGFloat kGapToIcon = 10;
  // Its rows.
  static constexpr CGFloat kTitleHeight = 36;
  static constexpr CGFloat kTitleFontSize = 13;
  static constexpr CGFloat kDockHeight = 72;
  static constexpr CGFloat kShortcutSize = 44;
  static constexpr CGFloat kShortcutSpacing = 12;
  static constexpr CGFloat kDockInset = 14;
  static constexpr CGFloat kGroupGap = 8;
  static constexpr CGFloat kHairline = 1.0 / 3;
  // Coming and going, and how far the platter slides in from the icon.
  static constexpr double kShowDuration = 0.25;
  static constexpr double kHideDuration = 0.2;
  static constexpr CGFloat kSlide = 8;
  // The symbols of the add button and of the actions.
  static constexpr const char* kAddSymbol = "plus.circle.fill";
  static constexpr const char* kActionSymbol = "square.grid.2x2.fill";

  // A menu covering `bounds` (the window's) for `content`, beside the icon picture
  // at `anchor` (window coordinates) showing `icon`.
  std::shared_ptr<QuickActionMenuView> initWithContent(CGRect bounds, Content content, CGRect anchor,
                                                       std::shared_ptr<UIImage> icon);

  void setActionHandler(std::function<void(const std::string&)> handler) { actionHandler_ = std::move(handler); }
  void setShortcutTapHandler(std::function<void(const std::string&)> handler) { tapHandler_ = std::move(handler); }
  void setShortcutLongPressHandler(std::function<void(const std::string&)> handler) {
    longPressHandler_ = std::move(handler);
  }
  void setAddHandler(std::function<void()> handler) { addHandler_ = std::move(handler); }
  // A tap on the blur around the platter.
  void setDismissHandler(std::function<void()> handler) { dismissHandler_ = std::move(handler); }

  // Fades in, the platter sliding out of the icon.
  void show();
  // Fades out and leaves its superview, then runs `completion`. From the moment it
  // begins to go it takes no touches.
  void hide(std::function<void()> completion);
  bool isHiding() const { return hiding_; }

  const Content& content() const { return content_; }
  const std::shared_ptr<UIView>& platter() const { return platter_; }
  const std::vector<std::shared_ptr<HomeScreenIconView>>& shortcutViews() const { return shortcuts_; }
  std::shared_ptr<HomeScreenIconView> shortcutView(const std::string& identifier) const;
  const std::shared_ptr<UIButton>& addButton() const { return addButton_; }
  std::shared_ptr<UIButton> actionButton(const std::string& title) const;
  // Scrolls the dock so that a shortcut is in view.
  void scrollShortcutIntoView(const std::string& identifier);

 private:
  // The platter and its rows, top to bottom; each row's builder takes the y it
  // starts at and gives the y after it.
  void buildPlatter();
  CGFloat buildTitle();
  CGFloat buildDock(CGFloat y);
  void buildActions(CGFloat y);
  // A shortcut's icon, and the add button, at `x` in the dock.
  void addShortcut(const Shortcut& shortcut, CGFloat x);
  void addAddButton(CGFloat x);
  static constexpr CGFloat shortcutTop() { return (kDockHeight - kShortcutSize) / 2; }
  CGFloat platterHeight() const;
  void placePlatter();
  void backdropTapped(const std::shared_ptr<NSObject>& sender);
  void actionTapped(const std::shared_ptr<NSObject>& sender);
  void addTapped(const std::shared_ptr<NSObject>& sender);
  std::shared_ptr<UIView> separator(CGFloat y, CGFloat height, const std::shared_ptr<UIColor>& color);

  Content content_;
  CGRect anchor_{};
  bool platterBelowIcon_ = true;
  bool hiding_ = false;
  std::shared_ptr<UIVisualEffectView> backdrop_;
  std::shared_ptr<UIImageView> preview_;
  std::shared_ptr<UIView> platter_;
  std::shared_ptr<UIScrollView> dock_;
  std::vector<std::shared_ptr<HomeScreenIconView>> shortcuts_;
  std::shared_ptr<UIButton> addButton_;
  std::vector<std::shared_ptr<QuickActionMenuButton>> actions_;
  std::function<void(const std::string&)> actionHandler_;
  std::function<void(const std::string&)> tapHandler_;
  std::function<void(const std::string&)> longPressHandler_;
  std::function<void()> addHandler_;
  std::function<void()> dismissHandler_;
};

}  // namespace kavro::sim
