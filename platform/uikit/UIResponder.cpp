#include "platform/uikit/UIResponder.h"

#include "platform/device/Process.h"
#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIResponder, NSObject, )

namespace {
// The first responder of each process (a text field that is editing).
struct FirstResponder {
  std::weak_ptr<UIResponder> responder;
};
std::shared_ptr<FirstResponder> firstResponderSlot() {
  return kavro::platform::Process::current().singleton<FirstResponder>(
      [] { return std::make_shared<FirstResponder>(); });
}
}  // namespace

void UIResponder::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (auto next = nextResponder()) next->touchesBegan(touches, event);
}
void UIResponder::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (auto next = nextResponder()) next->touchesMoved(touches, event);
}
void UIResponder::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (auto next = nextResponder()) next->touchesEnded(touches, event);
}
void UIResponder::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (auto next = nextResponder()) next->touchesCancelled(touches, event);
}

bool UIResponder::becomeFirstResponder() {
  if (!canBecomeFirstResponder()) return false;
  auto slot = firstResponderSlot();
  auto current = slot->responder.lock();
  if (current.get() == this) return true;
  if (current && !current->resignFirstResponder()) return false;
  slot->responder = self<UIResponder>();
  return true;
}

bool UIResponder::resignFirstResponder() {
  auto slot = firstResponderSlot();
  if (slot->responder.lock().get() == this) slot->responder.reset();
  return true;
}

bool UIResponder::isFirstResponder() const {
  if (!kavro::platform::Process::currentOrNull()) return false;
  return firstResponderSlot()->responder.lock().get() == this;
}

std::shared_ptr<UIResponder> UIResponder::currentFirstResponder() {
  return firstResponderSlot()->responder.lock();
}
