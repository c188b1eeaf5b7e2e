#include "platform/uikit/UIWindow.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIGestureRecognizerPrivate.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchPrivate.h"
#include "platform/uikit/UIViewController.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIWindow, UIView, )

std::shared_ptr<UIWindow> UIWindow::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  auto window = self<UIWindow>();
  UIApplication::sharedApplication()->addWindow(window);
  return window;
}

std::shared_ptr<UIWindow> UIWindow::init() { return initWithFrame(UIScreen::mainScreen()->bounds()); }

UIWindow::~UIWindow() {
  // A touch still in flight (its process ended first) and its recognisers hold each
  // other; resetting the recognisers lets both go.
  for (auto& [touch, state] : touches_)
    for (auto& recognizer : state.recognizers) recognizer->reset();
}

std::shared_ptr<UIWindow> UIWindow::window() const {
  return std::const_pointer_cast<UIWindow>(self<UIWindow>());
}

void UIWindow::setRootViewController(const std::shared_ptr<UIViewController>& controller) {
  if (rootViewController_ == controller) return;
  if (rootViewController_) {
    if (auto old = rootViewController_->viewIfLoaded()) old->removeFromSuperview();
  }
  rootViewController_ = controller;
  if (controller) {
    auto view = controller->view();
    view->setFrame(bounds());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    insertSubview(view, 0);
    setNeedsLayout();
  }
}

void UIWindow::makeKeyAndVisible() {
  setHidden(false);
  makeKeyWindow();
  if (rootViewController_) rootViewController_->beginAppearanceTransition(true, false);
  if (rootViewController_) rootViewController_->endAppearanceTransition();
}

void UIWindow::makeKeyWindow() { UIApplication::sharedApplication()->setKeyWindow(self<UIWindow>()); }

bool UIWindow::isKeyWindow() const {
  return UIApplication::sharedApplication()->keyWindow().get() == this;
}

UIEdgeInsets UIWindow::safeAreaInsets() const { return {kStatusBarHeight, 0, kHomeIndicatorHeight, 0}; }

void UIWindow::layoutSubviews() {
  UIView::layoutSubviews();
  if (rootViewController_)
    if (auto view = rootViewController_->viewIfLoaded()) view->setFrame(bounds());
}

void UIWindow::sendEvent(const std::shared_ptr<UIEvent>& event) {
  auto keepAlive = self<UIWindow>();
  for (auto& touch : event->allTouches()) {
    switch (touch->phase()) {
      case UITouchPhaseBegan: {
        TouchState state;
        CGPoint point = touch->locationInView(nullptr);
        state.view = hitTest(point, event);
        kavro::platform::uikit::TouchInternals::setView(*touch, state.view);
        for (auto view = state.view; view; view = view->superview())
          for (auto& recognizer : view->gestureRecognizers())
            if (recognizer->isEnabled()) state.recognizers.push_back(recognizer);
        kavro::platform::uikit::TouchInternals::setRecognizers(*touch, state.recognizers);
        auto& stored = touches_[touch.get()] = std::move(state);
        deliverToRecognizers(touch, stored, event);
        deliverToView(touch, stored, event);
        break;
      }
      case UITouchPhaseMoved:
      case UITouchPhaseStationary:
      case UITouchPhaseEnded:
      case UITouchPhaseCancelled: {
        auto found = touches_.find(touch.get());
        if (found == touches_.end()) break;
        deliverToRecognizers(touch, found->second, event);
        deliverToView(touch, found->second, event);
        if (touch->phase() == UITouchPhaseEnded || touch->phase() == UITouchPhaseCancelled) {
          finishTouch(touch, found->second);
          touches_.erase(touch.get());
        }
        break;
      }
    }
  }
}

void UIWindow::deliverToRecognizers(const std::shared_ptr<UITouch>& touch, TouchState& state,
                                    const std::shared_ptr<UIEvent>& event) {
  UITouchSet touches{touch};
  auto recognizers = state.recognizers;
  for (auto& recognizer : recognizers) {
    if (kavro::platform::uikit::GestureRecognizerInternals::hasFailed(*recognizer)) continue;
    switch (touch->phase()) {
      case UITouchPhaseBegan: recognizer->touchesBegan(touches, event); break;
      case UITouchPhaseMoved:
      case UITouchPhaseStationary: recognizer->touchesMoved(touches, event); break;
      case UITouchPhaseEnded: recognizer->touchesEnded(touches, event); break;
      case UITouchPhaseCancelled: recognizer->touchesCancelled(touches, event); break;
    }
  }
}

void UIWindow::deliverToView(const std::shared_ptr<UITouch>& touch, TouchState& state,
                             const std::shared_ptr<UIEvent>& event) {
  if (!state.view || state.viewCancelled) return;
  UITouchSet touches{touch};
  bool takenOver = std::any_of(state.recognizers.begin(), state.recognizers.end(), [](auto& r) {
    return r->cancelsTouchesInView() && kavro::platform::uikit::GestureRecognizerInternals::hasRecognized(*r);
  });
  if (takenOver && touch->phase() != UITouchPhaseBegan) {
    state.viewCancelled = true;
    state.view->touchesCancelled(touches, event);
    return;
  }
  switch (touch->phase()) {
    case UITouchPhaseBegan: state.view->touchesBegan(touches, event); break;
    case UITouchPhaseMoved:
    case UITouchPhaseStationary: state.view->touchesMoved(touches, event); break;
    case UITouchPhaseEnded: state.view->touchesEnded(touches, event); break;
    case UITouchPhaseCancelled:
      state.viewCancelled = true;
      state.view->touchesCancelled(touches, event);
      break;
  }
}

void UIWindow::finishTouch(const std::shared_ptr<UITouch>&, TouchState& state) {
  for (auto& recognizer : state.recognizers) recognizer->reset();
}
