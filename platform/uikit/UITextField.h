#pragma once
// A one-line text field. A tap makes it the first responder and begins editing;
// the keyboard then types into it (UIKeyInput) until it resigns. It reports the
// start of editing, each change of its text by typing, the return key (editing did
// end on exit) and the end of editing as control events, and to its delegate. Text set
// by code is not reported. A secure field shows a dot for each character. The
// keyboard of a number, decimal or phone pad has only the keys of that pad, so
// typing anything else into such a field enters nothing.

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIKeyInput.h"
#include "platform/uikit/UILabel.h"

#include <memory>
#include <string>

class UITextField;
namespace kavro::platform::uikit {
struct TextFieldInternals;
}

enum UIKeyboardType : long {
  UIKeyboardTypeDefault = 0,
  UIKeyboardTypeASCIICapable = 1,
  UIKeyboardTypeNumbersAndPunctuation = 2,
  UIKeyboardTypeURL = 3,
  UIKeyboardTypeNumberPad = 4,
  UIKeyboardTypePhonePad = 5,
  UIKeyboardTypeNamePhonePad = 6,
  UIKeyboardTypeEmailAddress = 7,
  UIKeyboardTypeDecimalPad = 8,
  UIKeyboardTypeTwitter = 9,
  UIKeyboardTypeWebSearch = 10,
  UIKeyboardTypeASCIICapableNumberPad = 11,
};

class UITextFieldDelegate {
 public:
  virtual ~UITextFieldDelegate() = default;
  virtual bool textFieldShouldBeginEditing(const std::shared_ptr<UITextField>& textField) { return true; }
  virtual void textFieldDidBeginEditing(const std::shared_ptr<UITextField>& textField) {}
  virtual void textFieldDidEndEditing(const std::shared_ptr<UITextField>& textField) {}
  // The return key; false keeps it from being reported.
  virtual bool textFieldShouldReturn(const std::shared_ptr<UITextField>& textField) { return true; }
};

class UITextField : public UIControl, public UIKeyInput {
  KAVRO_OBJC_CLASS(UITextField)
 public:
  static constexpr CGFloat kHeight = 34;
  // The character a secure field shows for each of its characters.
  static constexpr const char* kSecureDot = "\u2022";

  std::shared_ptr<UITextField> initWithFrame(CGRect frame);

  const std::string& text() const { return text_; }
  void setText(const std::string& text);
  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(const std::string& placeholder);
  bool isSecureTextEntry() const { return secure_; }
  void setSecureTextEntry(bool secure);
  UIKeyboardType keyboardType() const { return keyboardType_; }
  void setKeyboardType(UIKeyboardType type) { keyboardType_ = type; }
  NSTextAlignment textAlignment() const;
  void setTextAlignment(NSTextAlignment alignment);
  std::shared_ptr<UIFont> font() const;
  void setFont(const std::shared_ptr<UIFont>& font);
  std::shared_ptr<UIColor> textColor() const { return textColor_; }
  void setTextColor(const std::shared_ptr<UIColor>& color);
  std::shared_ptr<UITextFieldDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<UITextFieldDelegate>& delegate) { delegate_ = delegate; }
  bool isEditing() const { return editing_; }
  // What the field shows: the text (as dots when secure), else the placeholder.
  std::string displayedText() const;
  // The part of `text` the field's keyboard can type.
  static std::string typeableText(const std::string& text, UIKeyboardType type);

  // Editing.
  bool canBecomeFirstResponder() const override { return isEnabled(); }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  // UIKeyInput: typing reaches the field only while it is editing.
  bool hasText() const override { return !text_.empty(); }
  void insertText(const std::string& text) override;
  void deleteBackward() override;
  void returnKeyTapped() override;

  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void willMoveToWindow(const std::shared_ptr<UIWindow>& newWindow) override;
  void layoutSubviews() override;
  CGSize sizeThatFits(CGSize size) const override;

  // Accessibility: an element named by its placeholder, its value what it shows.
  bool isAccessibilityElement() const override;
  std::string accessibilityLabel() const override;
  std::string accessibilityValue() const override;

 private:
  friend struct kavro::platform::uikit::TextFieldInternals;
  void showText();

  std::string text_;
  std::string placeholder_;
  bool secure_ = false;
  bool editing_ = false;
  UIKeyboardType keyboardType_ = UIKeyboardTypeDefault;
  std::shared_ptr<UIColor> textColor_;
  std::weak_ptr<UITextFieldDelegate> delegate_;
  std::shared_ptr<UILabel> label_;
};
