#pragma once
// A window: the root of a view tree, its root view controller, and the dispatch of
// touch events by hit testing. A touch stays with the view it began in until it ends;
// gesture recognisers on that view and its ancestors see it first.

#include "platform/uikit/UIView.h"

#include <map>
#include <memory>
#include <vector>

class UIViewController;
class UIEvent;
class UITouch;

class UIWindow : public UIView {
  KAVRO_OBJC_CLASS(UIWindow)
 public:
  // The height of the status bar and of the home indicator area.
  static constexpr CGFloat kStatusBarHeight = 47;
  static constexpr CGFloat kHomeIndicatorHeight = 34;

  // A window covering the main screen, listed with the application.
  std::shared_ptr<UIWindow> initWithFrame(CGRect frame);
  std::shared_ptr<UIWindow> init();
  ~UIWindow() override;

  std::shared_ptr<UIViewController> rootViewController() const { return rootViewController_; }
  void setRootViewController(const std::shared_ptr<UIViewController>& controller);
  void makeKeyAndVisible();
  void makeKeyWindow();
  bool isKeyWindow() const;
  double windowLevel() const { return windowLevel_; }
  void setWindowLevel(double level) { windowLevel_ = level; }

  // Routes a touch event: hit testing for new touches, recognisers first.
  virtual void sendEvent(const std::shared_ptr<UIEvent>& event);

  UIEdgeInsets safeAreaInsets() const override;
  std::shared_ptr<UIWindow> window() const override;
  void layoutSubviews() override;

 private:
  struct TouchState {
    std::shared_ptr<UIView> view;
    std::vector<std::shared_ptr<UIGestureRecognizer>> recognizers;
    bool viewCancelled = false;
  };
  void deliverToRecognizers(const std::shared_ptr<UITouch>& touch, TouchState& state,
                            const std::shared_ptr<UIEvent>& event);
  void deliverToView(const std::shared_ptr<UITouch>& touch, TouchState& state,
                     const std::shared_ptr<UIEvent>& event);
  void finishTouch(const std::shared_ptr<UITouch>& touch, TouchState& state);

  std::shared_ptr<UIViewController> rootViewController_;
  double windowLevel_ = 0;
  std::map<const UITouch*, TouchState> touches_;
};
