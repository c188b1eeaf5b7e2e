#include "platform/uikit/UITextField.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UIWindow.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UITextField, UIControl, )

namespace {
constexpr CGFloat kFieldFontSize = 17;

bool isUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The keys of the pads that have only a few.
const char* padKeys(UIKeyboardType type) {
  switch (type) {
    case UIKeyboardTypeNumberPad:
    case UIKeyboardTypeASCIICapableNumberPad: return "0123456789";
    case UIKeyboardTypeDecimalPad: return "0123456789.";
    case UIKeyboardTypePhonePad: return "0123456789+*#";
    default: return nullptr;
  }
}
}  // namespace

std::shared_ptr<UITextField> UITextField::initWithFrame(CGRect frame) {
  UIControl::initWithFrame(frame);
  label_ = alloc<UILabel>()->initWithFrame(bounds());
  label_->setUserInteractionEnabled(false);
  label_->setFont(UIFont::systemFontOfSize(kFieldFontSize));
  addSubview(label_);
  showText();
  return self<UITextField>();
}

void UITextField::setText(const std::string& text) {
  text_ = text;
  showText();
}

void UITextField::setPlaceholder(const std::string& placeholder) {
  placeholder_ = placeholder;
  showText();
}

void UITextField::setSecureTextEntry(bool secure) {
  secure_ = secure;
  showText();
}

NSTextAlignment UITextField::textAlignment() const { return label_ ? label_->textAlignment() : NSTextAlignmentNatural; }

void UITextField::setTextAlignment(NSTextAlignment alignment) {
  if (label_) label_->setTextAlignment(alignment);
}

std::shared_ptr<UIFont> UITextField::font() const { return label_ ? label_->font() : nullptr; }

void UITextField::setFont(const std::shared_ptr<UIFont>& font) {
  if (label_) label_->setFont(font);
  setNeedsLayout();
}

void UITextField::setTextColor(const std::shared_ptr<UIColor>& color) {
  textColor_ = color;
  showText();
}

std::string UITextField::displayedText() const {
  if (text_.empty()) return placeholder_;
  if (!secure_) return text_;
  std::string dots;
  for (char c : text_)
    if (!isUtf8Continuation(c)) dots += kSecureDot;
  return dots;
}

std::string UITextField::typeableText(const std::string& text, UIKeyboardType type) {
  const char* keys = padKeys(type);
  if (!keys) return text;
  std::string typeable;
  for (char c : text)
    if (c != '\0' && std::char_traits<char>::find(keys, std::char_traits<char>::length(keys), c)) typeable += c;
  return typeable;
}

void UITextField::showText() {
  if (!label_) return;
  label_->setText(displayedText());
  label_->setTextColor(text_.empty() ? UIColor::tertiaryLabelColor() : (textColor_ ? textColor_ : UIColor::labelColor()));
  setNeedsLayout();
}

// ---------------------------------------------------------------------------
// Editing

bool UITextField::becomeFirstResponder() {
  if (editing_) return true;
  if (!isEnabled()) return false;
  auto self = this->self<UITextField>();
  if (auto delegate = this->delegate(); delegate && !delegate->textFieldShouldBeginEditing(self)) return false;
  if (!UIControl::becomeFirstResponder()) return false;
  editing_ = true;
  showText();
  if (auto delegate = this->delegate()) delegate->textFieldDidBeginEditing(self);
  sendActionsForControlEvents(UIControlEventEditingDidBegin);
  return true;
}

bool UITextField::resignFirstResponder() {
  if (!editing_) return UIControl::resignFirstResponder();
  auto self = this->self<UITextField>();
  UIControl::resignFirstResponder();
  editing_ = false;
  showText();
  if (auto delegate = this->delegate()) delegate->textFieldDidEndEditing(self);
  sendActionsForControlEvents(UIControlEventEditingDidEnd);
  return true;
}

void UITextField::insertText(const std::string& text) {
  if (!editing_) return;
  std::string typeable = typeableText(text, keyboardType_);
  if (typeable.empty()) return;
  text_ += typeable;
  showText();
  sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::deleteBackward() {
  if (!editing_ || text_.empty()) return;
  std::size_t end = text_.size() - 1;
  // Step back over UTF-8 continuation bytes to the start of the last character.
  while (end > 0 && isUtf8Continuation(text_[end])) --end;
  text_.erase(end);
  showText();
  sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::returnKeyTapped() {
  if (!editing_) return;
  auto delegate = this->delegate();
  if (delegate && !delegate->textFieldShouldReturn(self<UITextField>())) return;
  sendActionsForControlEvents(UIControlEventEditingDidEndOnExit);
}

void UITextField::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  bool inside = isTouchInside();
  UIControl::touchesEnded(touches, event);
  // A tap on the field begins editing.
  if (inside && isEnabled()) becomeFirstResponder();
}

void UITextField::willMoveToWindow(const std::shared_ptr<UIWindow>& newWindow) {
  UIControl::willMoveToWindow(newWindow);
  // A field that leaves the screen stops editing, and says so.
  if (!newWindow && editing_) resignFirstResponder();
}

void UITextField::layoutSubviews() {
  UIControl::layoutSubviews();
  if (label_) label_->setFrame(bounds());
}

CGSize UITextField::sizeThatFits(CGSize size) const { return {size.width, kHeight}; }

// ---------------------------------------------------------------------------
// Accessibility

bool UITextField::isAccessibilityElement() const { return explicitAccessibilityElement().value_or(true); }

std::string UITextField::accessibilityLabel() const {
  if (auto label = explicitAccessibilityLabel()) return *label;
  return placeholder_;
}

std::string UITextField::accessibilityValue() const {
  if (auto value = explicitAccessibilityValue()) return *value;
  return text_.empty() ? std::string() : displayedText();
}
