#pragma once
// View controllers: a lazily loaded view with its life calls, containment, the
// navigation item, and modal presentation with animated transitions on the clock.

#include "platform/uikit/UIResponder.h"
#include "platform/uikit/UIView.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class UINavigationController;
class UINavigationItem;

enum UIModalPresentationStyle : long {
  UIModalPresentationFullScreen = 0,
  UIModalPresentationPageSheet = 1,
  UIModalPresentationFormSheet = 2,
  UIModalPresentationCurrentContext = 3,
  UIModalPresentationCustom = 4,
  UIModalPresentationOverFullScreen = 5,
  UIModalPresentationOverCurrentContext = 6,
  UIModalPresentationPopover = 7,
  UIModalPresentationAutomatic = -2,
};

class UIViewController : public UIResponder {
  KAVRO_OBJC_CLASS(UIViewController)
 public:
  // How long presentation, dismissal and navigation transitions take when animated.
  static constexpr double kTransitionDuration = 0.35;
  // How long an alert takes to fade in or out.
  static constexpr double kFadeDuration = 0.2;

  UIViewController();
  ~UIViewController() override;

  // Virtual, so that a host can initialise a controller it made from a class name.
  virtual std::shared_ptr<UIViewController> init();

  // The view, loaded on first use (loadView, then viewDidLoad).
  std::shared_ptr<UIView> view();
  void setView(const std::shared_ptr<UIView>& view);
  std::shared_ptr<UIView> viewIfLoaded() const { return view_; }
  bool isViewLoaded() const { return view_ != nullptr; }
  void loadViewIfNeeded() { view(); }

  // View life, overridden by subclasses; each calls its superclass's.
  virtual void loadView();
  virtual void viewDidLoad() {}
  virtual void viewWillAppear(bool animated) {}
  virtual void viewDidAppear(bool animated) {}
  virtual void viewWillDisappear(bool animated) {}
  virtual void viewDidDisappear(bool animated) {}
  virtual void viewWillLayoutSubviews() {}
  virtual void viewDidLayoutSubviews() {}

  // Appearance transitions, driven by containers and presentations. Calls are
  // balanced: a controller that is already appearing does not appear again.
  void beginAppearanceTransition(bool isAppearing, bool animated);
  void endAppearanceTransition();
  bool isVisible() const { return appearance_ == Appearance::appeared; }
  // The children that appear and disappear with this controller (all of them by
  // default; a navigation controller forwards to its top page only).
  virtual std::vector<std::shared_ptr<UIViewController>> childrenForAppearanceForwarding() const;

  // Title and navigation.
  const std::string& title() const { return title_; }
  virtual void setTitle(const std::string& title);
  std::shared_ptr<UINavigationItem> navigationItem();
  // The nearest navigation controller that holds this controller.
  std::shared_ptr<UINavigationController> navigationController() const;

  // Containment.
  std::shared_ptr<UIViewController> parentViewController() const { return parent_.lock(); }
  const std::vector<std::shared_ptr<UIViewController>>& childViewControllers() const { return children_; }
  void addChildViewController(const std::shared_ptr<UIViewController>& child);
  void removeFromParentViewController();
  virtual void willMoveToParentViewController(const std::shared_ptr<UIViewController>& parent) {}
  virtual void didMoveToParentViewController(const std::shared_ptr<UIViewController>& parent) {}

  // Presentation. A controller presents at most one other; a request while it is
  // presenting is refused (with a message on standard error), as the platform does.
  void presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
                             std::function<void()> completion);
  // Dismisses what this controller presents or, when it presents nothing, the
  // presentation this controller is part of. With nothing to dismiss the completion
  // still runs, at the next turn of the run loop.
  void dismissViewControllerAnimated(bool animated, std::function<void()> completion);
  // What this controller, or the controller that presents for it (the root of its
  // containment tree), presents.
  std::shared_ptr<UIViewController> presentedViewController() const;
  std::shared_ptr<UIViewController> presentingViewController() const;
  UIModalPresentationStyle modalPresentationStyle() const { return modalPresentationStyle_; }
  void setModalPresentationStyle(UIModalPresentationStyle style) { modalPresentationStyle_ = style; }
  bool isModalInPresentation() const { return modalInPresentation_; }
  void setModalInPresentation(bool modal) { modalInPresentation_ = modal; }
  bool isBeingPresented() const { return beingPresented_; }
  bool isBeingDismissed() const { return beingDismissed_; }

  // Traits: the device's appearance.
  virtual std::shared_ptr<UITraitCollection> traitCollection() const;
  virtual void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) {}
  // Delivers a trait change to this controller, its children and what it presents.
  void propagateTraitChange(const std::shared_ptr<UITraitCollection>& previous);

  std::shared_ptr<UIResponder> nextResponder() const override;

  // The lowest window y covered by bars above this controller's content.
  virtual CGFloat coveredTopInWindow() const;
  // The frame the presented controller's view takes in its window.
  CGRect presentedFrameInWindow() const;
  // The effective style: automatic becomes a page sheet.
  UIModalPresentationStyle effectivePresentationStyle() const;
  // Whether presentation and dismissal fade (alerts) rather than slide.
  virtual bool fadesInPresentation() const { return false; }
  // Pulls a presented sheet down to dismiss it, as a swipe does; refused for a
  // controller that is modal in presentation or not a sheet. Returns whether it went.
  bool interactiveDismiss();

 protected:
  // Called when the view has been made, before viewDidLoad, by the base loadView.
  CGRect defaultViewFrame() const;

 private:
  enum class Appearance { disappeared, appearing, appeared, disappearing };
  // Ends the appearance transitions that beginAppearanceTransition began in the
  // children it forwards to.
  void endChildrenAppearanceTransitions();
  void finishPresentation(const std::shared_ptr<UIViewController>& presented, bool animated,
                          std::function<void()> completion);
  std::shared_ptr<UIViewController> presentationHost();

  std::shared_ptr<UIView> view_;
  bool loadingView_ = false;
  std::string title_;
  std::shared_ptr<UINavigationItem> navigationItem_;
  std::weak_ptr<UIViewController> parent_;
  std::vector<std::shared_ptr<UIViewController>> children_;
  std::shared_ptr<UIViewController> presented_;
  std::weak_ptr<UIViewController> presenting_;
  UIModalPresentationStyle modalPresentationStyle_ = UIModalPresentationAutomatic;
  bool modalInPresentation_ = false;
  bool beingPresented_ = false;
  bool beingDismissed_ = false;
  Appearance appearance_ = Appearance::disappeared;
  bool appearanceAnimated_ = false;
};
