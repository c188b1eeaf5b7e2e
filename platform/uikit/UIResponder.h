#pragma once
// The responder chain: touches not handled by a view go to its next responder (its
// view controller, then its superview).

#include "platform/objc/NSObject.h"

#include <memory>
#include <vector>

class UITouch;
class UIEvent;
using UITouchSet = std::vector<std::shared_ptr<UITouch>>;

class UIResponder : public NSObject {
  KAVRO_OBJC_CLASS(UIResponder)
 public:
  virtual std::shared_ptr<UIResponder> nextResponder() const { return nullptr; }

  virtual void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
  virtual void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
  virtual void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
  virtual void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);

  virtual bool canBecomeFirstResponder() const { return false; }
  virtual bool becomeFirstResponder();
  virtual bool resignFirstResponder();
  bool isFirstResponder() const;
  // The current process's first responder (a field being edited), or nullptr.
  static std::shared_ptr<UIResponder> currentFirstResponder();
};
