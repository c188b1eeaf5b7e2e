#include "platform/uikit/UIViewController.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewPrivate.h"
#include "platform/uikit/UIWindow.h"

#include <cstdio>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIViewController, UIResponder, )

namespace {
// A page sheet on a 390 × 844 phone leaves a 10-point gap under the status bar.
constexpr CGFloat kSheetTopGap = 10;

void recordPresentation(const char* event, const UIViewController& controller) {
  kavro::platform::Device::current().record(
      {.event = event, .fields = {{"class", controller.className()}}});
}
}  // namespace

UIViewController::UIViewController() = default;
UIViewController::~UIViewController() = default;

std::shared_ptr<UIViewController> UIViewController::init() { return self<UIViewController>(); }

std::shared_ptr<UIView> UIViewController::view() {
  if (!view_ && !loadingView_) {
    loadingView_ = true;
    loadView();
    if (!view_) setView(alloc<UIView>()->initWithFrame(defaultViewFrame()));
    loadingView_ = false;
    viewDidLoad();
  }
  return view_;
}

void UIViewController::setView(const std::shared_ptr<UIView>& view) {
  if (view_) kavro::platform::uikit::ViewInternals::setViewController(*view_, nullptr);
  view_ = view;
  if (view_) kavro::platform::uikit::ViewInternals::setViewController(*view_, self<UIViewController>());
}

void UIViewController::loadView() { setView(alloc<UIView>()->initWithFrame(defaultViewFrame())); }

CGRect UIViewController::defaultViewFrame() const { return UIScreen::mainScreen()->bounds(); }

// ---------------------------------------------------------------------------
// Appearance

void UIViewController::beginAppearanceTransition(bool isAppearing, bool animated) {
  if (isAppearing) {
    if (appearance_ == Appearance::appearing || appearance_ == Appearance::appeared) return;
    appearance_ = Appearance::appearing;
    appearanceAnimated_ = animated;
    view();
    viewWillAppear(animated);
  } else {
    if (appearance_ == Appearance::disappearing || appearance_ == Appearance::disappeared) return;
    appearance_ = Appearance::disappearing;
    appearanceAnimated_ = animated;
    viewWillDisappear(animated);
  }
  for (auto& child : childrenForAppearanceForwarding()) child->beginAppearanceTransition(isAppearing, animated);
}

void UIViewController::endAppearanceTransition() {
  if (appearance_ == Appearance::appearing) {
    appearance_ = Appearance::appeared;
    viewDidAppear(appearanceAnimated_);
    endChildrenAppearanceTransitions();
  } else if (appearance_ == Appearance::disappearing) {
    appearance_ = Appearance::disappeared;
    viewDidDisappear(appearanceAnimated_);
    endChildrenAppearanceTransitions();
  }
}

void UIViewController::endChildrenAppearanceTransitions() {
  for (auto& child : childrenForAppearanceForwarding()) child->endAppearanceTransition();
}

std::vector<std::shared_ptr<UIViewController>> UIViewController::childrenForAppearanceForwarding() const {
  return children_;
}

// ---------------------------------------------------------------------------
// Title, navigation, containment

void UIViewController::setTitle(const std::string& title) {
  title_ = title;
  navigationItem()->setTitle(title);
}

std::shared_ptr<UINavigationItem> UIViewController::navigationItem() {
  if (!navigationItem_) {
    navigationItem_ = alloc<UINavigationItem>()->initWithTitle(title_);
  }
  return navigationItem_;
}

std::shared_ptr<UINavigationController> UIViewController::navigationController() const {
  for (auto parent = parentViewController(); parent; parent = parent->parentViewController())
    if (auto navigation = std::dynamic_pointer_cast<UINavigationController>(parent)) return navigation;
  return nullptr;
}

void UIViewController::addChildViewController(const std::shared_ptr<UIViewController>& child) {
  if (!child || child.get() == this) return;
  if (child->parentViewController().get() == this) return;
  child->removeFromParentViewController();
  child->willMoveToParentViewController(self<UIViewController>());
  children_.push_back(child);
  child->parent_ = self<UIViewController>();
}

void UIViewController::removeFromParentViewController() {
  auto parent = parentViewController();
  if (!parent) return;
  auto keepAlive = self<UIViewController>();
  std::erase(parent->children_, keepAlive);
  parent_.reset();
  didMoveToParentViewController(nullptr);
}

// ---------------------------------------------------------------------------
// Presentation

std::shared_ptr<UIViewController> UIViewController::presentationHost() {
  // The root of the containment tree presents: the window's root controller, or a
  // controller that is itself presented.
  auto host = self<UIViewController>();
  while (auto parent = host->parentViewController()) host = parent;
  return host;
}

std::shared_ptr<UIViewController> UIViewController::presentedViewController() const {
  if (presented_) return presented_;
  auto host = parentViewController();
  if (!host) return nullptr;
  while (auto parent = host->parentViewController()) host = parent;
  return host->presented_;
}

std::shared_ptr<UIViewController> UIViewController::presentingViewController() const {
  for (auto controller = std::const_pointer_cast<UIViewController>(self<UIViewController>()); controller;
       controller = controller->parentViewController())
    if (auto presenting = controller->presenting_.lock()) return presenting;
  return nullptr;
}

UIModalPresentationStyle UIViewController::effectivePresentationStyle() const {
  if (modalPresentationStyle_ == UIModalPresentationAutomatic ||
      modalPresentationStyle_ == UIModalPresentationFormSheet)
    return UIModalPresentationPageSheet;
  return modalPresentationStyle_;
}

CGRect UIViewController::presentedFrameInWindow() const {
  CGRect screen = UIScreen::mainScreen()->bounds();
  if (effectivePresentationStyle() == UIModalPresentationPageSheet) {
    CGFloat top = UIWindow::kStatusBarHeight + kSheetTopGap;
    return CGRectMake(0, top, screen.size.width, screen.size.height - top);
  }
  return screen;
}

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>& controller,
                                             bool animated, std::function<void()> completion) {
  if (!controller) return;
  auto host = presentationHost();
  if (host->presented_) {
    std::fprintf(stderr, "UIKit: attempt to present %s on %s, which is already presenting %s\n",
                 controller->className().c_str(), host->className().c_str(),
                 host->presented_->className().c_str());
    return;
  }
  if (controller->presenting_.lock()) {
    std::fprintf(stderr, "UIKit: %s is already presented\n", controller->className().c_str());
    return;
  }
  auto window = host->view()->window();
  if (!window) {
    std::fprintf(stderr, "UIKit: attempt to present %s on %s, whose view is not in a window\n",
                 controller->className().c_str(), host->className().c_str());
    return;
  }
  host->presented_ = controller;
  controller->presenting_ = host;
  controller->beingPresented_ = true;
  recordPresentation("present", *controller);

  auto view = controller->view();
  CGRect target = controller->presentedFrameInWindow();
  bool fades = controller->fadesInPresentation();
  bool coversHost = controller->effectivePresentationStyle() == UIModalPresentationFullScreen && !fades;
  if (coversHost) host->beginAppearanceTransition(false, animated);
  controller->beginAppearanceTransition(true, animated);
  UIView::performWithoutAnimation([&] {
    if (fades) {
      view->setFrame(target);
      view->setAlpha(animated ? 0 : 1);
    } else {
      view->setFrame(animated ? CGRectOffset(target, 0, window->bounds().size.height - target.origin.y)
                              : target);
    }
  });
  window->addSubview(view);
  view->layoutIfNeeded();

  std::weak_ptr<UIViewController> weakHost = host;
  auto finish = [controller, weakHost, coversHost, completion = std::move(completion)](bool) {
    controller->beingPresented_ = false;
    controller->endAppearanceTransition();
    if (auto host = weakHost.lock(); host && coversHost) host->endAppearanceTransition();
    if (completion) completion();
  };
  if (animated && fades)
    UIView::animateWithDuration(kFadeDuration, 0, 0, [&] { view->setAlpha(1); }, finish);
  else if (animated)
    UIView::animateWithDuration(kTransitionDuration, 0, UIViewAnimationOptionCurveEaseOut,
                                [&] { view->setFrame(target); }, finish);
  else
    kavro::platform::Process::current().mainRunLoop().performSoon([finish] { finish(true); });
}

void UIViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion) {
  std::shared_ptr<UIViewController> host;
  if (presented_)
    host = self<UIViewController>();
  else if (auto root = presentationHost(); root->presented_)
    host = root;  // a child asks the controller that presents for it
  else
    host = presentingViewController();
  if (!host || !host->presented_) {
    if (completion) kavro::platform::Process::current().mainRunLoop().performSoon(completion);
    return;
  }
  auto presented = host->presented_;
  if (presented->beingDismissed_) return;
  // Whatever the presented controller presents goes with it, at once.
  if (presented->presented_) presented->dismissViewControllerAnimated(false, nullptr);
  presented->beingDismissed_ = true;
  recordPresentation("dismiss", *presented);
  bool fades = presented->fadesInPresentation();
  bool coversHost = presented->effectivePresentationStyle() == UIModalPresentationFullScreen && !fades;
  presented->beginAppearanceTransition(false, animated);
  if (coversHost) host->beginAppearanceTransition(true, animated);

  auto view = presented->view();
  auto finish = [host, presented, view, coversHost, completion = std::move(completion)](bool) {
    view->removeFromSuperview();
    presented->endAppearanceTransition();
    if (coversHost) host->endAppearanceTransition();
    if (host->presented_ == presented) host->presented_.reset();
    presented->presenting_.reset();
    presented->beingDismissed_ = false;
    if (completion) completion();
  };
  if (animated && fades) {
    UIView::animateWithDuration(kFadeDuration, 0, 0, [&] { view->setAlpha(0); }, finish);
  } else if (animated) {
    CGFloat height = UIScreen::mainScreen()->bounds().size.height;
    CGRect frame = view->frame();
    UIView::animateWithDuration(kTransitionDuration, 0, UIViewAnimationOptionCurveEaseIn,
                                [&] { view->setFrame(CGRectMake(frame.origin.x, height, frame.size.width,
                                                                frame.size.height)); },
                                finish);
  } else {
    kavro::platform::Process::current().mainRunLoop().performSoon([finish] { finish(true); });
  }
}

bool UIViewController::interactiveDismiss() {
  auto presenting = presenting_.lock();
  if (!presenting || modalInPresentation_ || beingDismissed_) return false;
  if (effectivePresentationStyle() != UIModalPresentationPageSheet) return false;
  presenting->dismissViewControllerAnimated(true, nullptr);
  return true;
}

// ---------------------------------------------------------------------------
// Traits, responder chain, safe area

std::shared_ptr<UITraitCollection> UIViewController::traitCollection() const {
  // A controller's traits are its view's, which may be shown in a style of its own.
  if (view_) return view_->traitCollection();
  return UITraitCollection::currentTraitCollection();
}

void UIViewController::propagateTraitChange(const std::shared_ptr<UITraitCollection>& previous) {
  auto keepAlive = self<UIViewController>();
  // A view shown in a fixed style does not change with the appearance, nor do the
  // children inside it.
  bool fixed = view_ && kavro::platform::uikit::ViewInternals::interfaceStyle(*view_, UIUserInterfaceStyleUnspecified) !=
                            UIUserInterfaceStyleUnspecified;
  if (!fixed) {
    traitCollectionDidChange(previous);
    auto children = children_;
    for (auto& child : children) child->propagateTraitChange(previous);
  }
  if (presented_) {
    // The presented controller's views live in the window too; the window passes
    // the change to them.
    presented_->propagateTraitChange(previous);
  }
}

std::shared_ptr<UIResponder> UIViewController::nextResponder() const {
  if (view_)
    if (auto superview = view_->superview()) return superview;
  return parentViewController();
}

CGFloat UIViewController::coveredTopInWindow() const {
  if (auto parent = parentViewController()) return parent->coveredTopInWindow();
  if (!view_ || !view_->window()) return 0;
  CGFloat top = view_->frameInWindow().origin.y;
  return top < UIWindow::kStatusBarHeight ? UIWindow::kStatusBarHeight : top;
}
