#include "platform/uikit/UISearchBar.h"

#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UISearchBar, UIView,
                                .method("cancelButtonTapped:", &UISearchBar::cancelButtonTapped))

namespace {
constexpr CGFloat kFieldHeight = 36;
constexpr CGFloat kFieldMargin = 16;
constexpr CGFloat kCancelWidth = 60;
}  // namespace

UISearchBar::UISearchBar() = default;

std::shared_ptr<UISearchBar> UISearchBar::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  field_ = alloc<UIView>()->initWithFrame(CGRectZero);
  field_->setBackgroundColor(UIColor::systemGray5Color());
  field_->layer()->setCornerRadius(10);
  field_->setUserInteractionEnabled(false);
  // Read as one search field: named by the placeholder, its value the text typed.
  field_->setIsAccessibilityElement(true);
  field_->setAccessibilityTraits(UIAccessibilityTraitSearchField);
  addSubview(field_);
  fieldLabel_ = alloc<UILabel>()->initWithFrame(CGRectZero);
  fieldLabel_->setTextColor(UIColor::secondaryLabelColor());
  fieldLabel_->setText(placeholder_);
  field_->addSubview(fieldLabel_);
  cancelButton_ = UIButton::buttonWithType(UIButtonTypeSystem);
  cancelButton_->setTitle("Cancel", UIControlStateNormal);
  cancelButton_->addTarget(self<UISearchBar>(), "cancelButtonTapped:", UIControlEventTouchUpInside);
  cancelButton_->setHidden(true);
  addSubview(cancelButton_);
  return self<UISearchBar>();
}

void UISearchBar::setText(const std::string& text) {
  text_ = text;
  setNeedsLayout();
}

void UISearchBar::setShowsCancelButton(bool shows) {
  showsCancelButton_ = shows;
  if (cancelButton_) cancelButton_->setHidden(!shows);
  setNeedsLayout();
}

bool UISearchBar::becomeFirstResponder() {
  if (editing_) return true;
  if (!UIView::becomeFirstResponder()) return false;
  editing_ = true;
  auto self = this->self<UISearchBar>();
  if (editingHandler_) editingHandler_(true);
  if (auto delegate = this->delegate()) delegate->searchBarTextDidBeginEditing(self);
  setNeedsLayout();
  return true;
}

bool UISearchBar::resignFirstResponder() {
  if (!editing_) return UIView::resignFirstResponder();
  UIView::resignFirstResponder();
  editing_ = false;
  if (auto delegate = this->delegate()) delegate->searchBarTextDidEndEditing(self<UISearchBar>());
  setNeedsLayout();
  return true;
}

void UISearchBar::reportTextChange() {
  setNeedsLayout();
  if (auto delegate = this->delegate()) delegate->textDidChange(self<UISearchBar>(), text_);
}

void UISearchBar::insertText(const std::string& text) {
  if (!editing_) return;
  text_ += text;
  reportTextChange();
}

void UISearchBar::deleteBackward() {
  if (!editing_ || text_.empty()) return;
  std::size_t end = text_.size() - 1;
  // Step back over UTF-8 continuation bytes to the start of the last character.
  while (end > 0 && (static_cast<unsigned char>(text_[end]) & 0xC0) == 0x80) --end;
  text_.erase(end);
  reportTextChange();
}

void UISearchBar::returnKeyTapped() {
  if (!editing_) return;
  if (auto delegate = this->delegate()) delegate->searchBarSearchButtonClicked(self<UISearchBar>());
}

void UISearchBar::cancelButtonTapped(const std::shared_ptr<UIButton>&) {
  auto self = this->self<UISearchBar>();
  if (auto delegate = this->delegate()) delegate->searchBarCancelButtonClicked(self);
  if (cancelHandler_) cancelHandler_();
}

void UISearchBar::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  // A tap on the field begins editing.
  becomeFirstResponder();
}

void UISearchBar::layoutSubviews() {
  UIView::layoutSubviews();
  CGFloat width = bounds().size.width;
  bool cancel = showsCancelButton_ && cancelButton_;
  CGFloat fieldWidth = width - 2 * kFieldMargin - (cancel ? kCancelWidth + 8 : 0);
  CGFloat y = (bounds().size.height - kFieldHeight) / 2;
  field_->setFrame(CGRectMake(kFieldMargin, y, fieldWidth, kFieldHeight));
  fieldLabel_->setFrame(CGRectMake(28, 0, fieldWidth - 36, kFieldHeight));
  fieldLabel_->setText(text_.empty() ? placeholder_ : text_);
  fieldLabel_->setTextColor(text_.empty() ? UIColor::secondaryLabelColor() : UIColor::labelColor());
  field_->setAccessibilityLabel(placeholder_);
  field_->setAccessibilityValue(text_);
  if (cancelButton_) cancelButton_->setFrame(CGRectMake(width - kFieldMargin - kCancelWidth, y, kCancelWidth, kFieldHeight));
}
