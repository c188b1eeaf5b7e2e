#pragma once
// A search field with a Cancel button. Typing and deleting report each change of
// the text to the delegate; text set by code is not reported, as on the platform.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

#include <memory>
#include <string>

class UISearchBar;

class UISearchBarDelegate {
 public:
  virtual ~UISearchBarDelegate() = default;
  virtual void searchBarTextDidBeginEditing(const std::shared_ptr<UISearchBar>& searchBar) {}
  virtual void searchBarTextDidEndEditing(const std::shared_ptr<UISearchBar>& searchBar) {}
  virtual void textDidChange(const std::shared_ptr<UISearchBar>& searchBar, const std::string& text) {}
  virtual void searchBarCancelButtonClicked(const std::shared_ptr<UISearchBar>& searchBar) {}
  virtual void searchBarSearchButtonClicked(const std::shared_ptr<UISearchBar>& searchBar) {}
};

class UISearchBar : public UIView {
  KAVRO_OBJC_CLASS(UISearchBar)
 public:
  UISearchBar();
  std::shared_ptr<UISearchBar> initWithFrame(CGRect frame);

  const std::string& text() const { return text_; }
  // Sets the text without telling the delegate.
  void setText(const std::string& text);
  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(const std::string& placeholder) {
    placeholder_ = placeholder;
    setNeedsLayout();
  }
  std::shared_ptr<UISearchBarDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<UISearchBarDelegate>& delegate) { delegate_ = delegate; }
  bool showsCancelButton() const { return showsCancelButton_; }
  void setShowsCancelButton(bool shows);
  bool isEditing() const { return editing_; }

  // Editing, as the keyboard and the field's own touches drive it.
  bool canBecomeFirstResponder() const override { return true; }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  // Inserts typed text at the end and reports the change.
  void insertText(const std::string& text);
  // Deletes the last character (a whole UTF-8 sequence) and reports the change.
  void deleteBackward();
  // The keyboard's return key (labelled Search) while editing: told to the delegate.
  void returnKeyTapped();
  // The Cancel button was tapped.
  void cancelButtonTapped(const std::shared_ptr<UIButton>& sender);

  std::shared_ptr<UIView> searchField() const { return field_; }
  std::shared_ptr<UIButton> cancelButton() const { return cancelButton_; }
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void layoutSubviews() override;

  // Called by the search controller that owns the bar.
  void setCancelHandler(std::function<void()> handler) { cancelHandler_ = std::move(handler); }
  void setEditingHandler(std::function<void(bool)> handler) { editingHandler_ = std::move(handler); }

 private:
  void reportTextChange();
  std::string text_;
  std::string placeholder_ = "Search";
  std::weak_ptr<UISearchBarDelegate> delegate_;
  bool showsCancelButton_ = false;
  bool editing_ = false;
  std::shared_ptr<UIView> field_;
  std::shared_ptr<UILabel> fieldLabel_;
  std::shared_ptr<UIButton> cancelButton_;
  std::function<void()> cancelHandler_;
  std::function<void(bool)> editingHandler_;
};
