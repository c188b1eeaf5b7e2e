#include "platform/uikit/UIAlertController.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIFont.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIAlertAction, NSObject, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(UIAlertController, UIViewController,
                                .method("actionButtonTapped:", &UIAlertController::actionButtonTapped))

namespace {
constexpr CGFloat kAlertWidth = 270;
constexpr CGFloat kSheetMargin = 8;
constexpr CGFloat kAlertButtonHeight = 44;
constexpr CGFloat kSheetButtonHeight = 57;
constexpr CGFloat kTextPadding = 16;
constexpr CGFloat kCancelGap = 8;
}  // namespace

std::shared_ptr<UIAlertAction> UIAlertAction::actionWithTitle(const std::string& title, UIAlertActionStyle style,
                                                              Handler handler) {
  auto action = alloc<UIAlertAction>();
  action->title_ = title;
  action->style_ = style;
  action->handler_ = std::move(handler);
  return action;
}

std::shared_ptr<UIAlertController> UIAlertController::alertControllerWithTitle(const std::string& title,
                                                                               const std::string& message,
                                                                               UIAlertControllerStyle style) {
  auto alert = alloc<UIAlertController>();
  alert->init();
  alert->setTitle(title);
  alert->message_ = message;
  alert->style_ = style;
  alert->setModalPresentationStyle(UIModalPresentationCustom);
  return alert;
}

void UIAlertController::addAction(const std::shared_ptr<UIAlertAction>& action) {
  if (!action) return;
  actions_.push_back(action);
  if (isViewLoaded()) layoutAlert();
}

std::shared_ptr<UIButton> UIAlertController::buttonForAction(const std::shared_ptr<UIAlertAction>& action) const {
  auto found = std::find(actions_.begin(), actions_.end(), action);
  if (found == actions_.end()) return nullptr;
  auto index = static_cast<std::size_t>(found - actions_.begin());
  return index < buttons_.size() ? buttons_[index] : nullptr;
}

void UIAlertController::loadView() {
  UIViewController::loadView();
  view()->setBackgroundColor(UIColor::colorWithWhite(0, 0.2));
  layoutAlert();
}

void UIAlertController::layoutAlert() {
  auto root = view();
  for (auto subview : std::vector(root->subviews())) subview->removeFromSuperview();
  buttons_.clear();
  bool sheet = style_ == UIAlertControllerStyleActionSheet;
  CGRect screen = root->bounds();
  CGFloat width = sheet ? screen.size.width - 2 * kSheetMargin : kAlertWidth;
  CGFloat buttonHeight = sheet ? kSheetButtonHeight : kAlertButtonHeight;

  // The box with the title, the message and the actions (cancel apart on a sheet).
  auto box = alloc<UIView>()->initWithFrame(CGRectMake(0, 0, width, 0));
  box->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
  box->layer()->setCornerRadius(sheet ? 13 : 14);
  box->setClipsToBounds(true);
  CGFloat y = kTextPadding;
  auto addText = [&](const std::string& text, std::shared_ptr<UIFont> font, std::shared_ptr<UIColor> color) {
    if (text.empty()) return;
    auto label = alloc<UILabel>()->initWithFrame(CGRectZero);
    label->setText(text);
    label->setFont(font);
    label->setTextColor(color);
    label->setNumberOfLines(0);
    label->setTextAlignment(NSTextAlignmentCenter);
    CGSize size = label->sizeThatFits({width - 2 * kTextPadding, 0});
    label->setFrame(CGRectMake(kTextPadding, y, width - 2 * kTextPadding, size.height));
    box->addSubview(label);
    y += size.height + 4;
  };
  addText(title(), UIFont::systemFontOfSize(sheet ? 13 : 17, UIFontWeightSemibold),
          sheet ? UIColor::secondaryLabelColor() : UIColor::labelColor());
  addText(message_, UIFont::systemFontOfSize(13), sheet ? UIColor::secondaryLabelColor() : UIColor::labelColor());
  bool hasText = y > kTextPadding;
  y = hasText ? y + kTextPadding - 4 : 0;

  std::shared_ptr<UIAlertAction> cancel;
  auto makeButton = [&](const std::shared_ptr<UIAlertAction>& action) {
    auto button = UIButton::buttonWithType(UIButtonTypeSystem);
    button->setTitle(action->title(), UIControlStateNormal);
    if (action->style() == UIAlertActionStyleDestructive)
      button->setTitleColor(UIColor::systemRedColor(), UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::systemFontOfSize(sheet ? 20 : 17, action->style() == UIAlertActionStyleCancel
                                                                              ? UIFontWeightSemibold
                                                                              : UIFontWeightRegular));
    button->setEnabled(action->isEnabled());
    button->addTarget(self<UIAlertController>(), "actionButtonTapped:", UIControlEventTouchUpInside);
    return button;
  };
  std::vector<std::shared_ptr<UIButton>> byAction(actions_.size());
  std::vector<std::size_t> inBox;
  for (std::size_t i = 0; i < actions_.size(); ++i) {
    if (sheet && actions_[i]->style() == UIAlertActionStyleCancel && !cancel)
      cancel = actions_[i];
    else
      inBox.push_back(i);
  }
  bool sideBySide = !sheet && inBox.size() == 2;
  for (std::size_t k = 0; k < inBox.size(); ++k) {
    auto button = makeButton(actions_[inBox[k]]);
    if (sideBySide)
      button->setFrame(CGRectMake(k * width / 2, y, width / 2, buttonHeight));
    else
      button->setFrame(CGRectMake(0, y + k * buttonHeight, width, buttonHeight));
    box->addSubview(button);
    byAction[inBox[k]] = button;
  }
  y += sideBySide ? buttonHeight : buttonHeight * static_cast<CGFloat>(inBox.size());
  box->setFrame(CGRectMake(0, 0, width, y));

  if (sheet) {
    CGFloat cancelHeight = cancel ? kSheetButtonHeight + kCancelGap : 0;
    CGFloat bottom = screen.size.height - 34;  // above the home indicator
    box->setFrame(CGRectMake(kSheetMargin, bottom - cancelHeight - y, width, y));
    root->addSubview(box);
    if (cancel) {
      auto button = makeButton(cancel);
      button->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
      button->layer()->setCornerRadius(13);
      button->setFrame(CGRectMake(kSheetMargin, bottom - kSheetButtonHeight, width, kSheetButtonHeight));
      root->addSubview(button);
      auto index = static_cast<std::size_t>(std::find(actions_.begin(), actions_.end(), cancel) - actions_.begin());
      byAction[index] = button;
    }
  } else {
    box->setFrame(CGRectMake((screen.size.width - width) / 2, (screen.size.height - y) / 2, width, y));
    root->addSubview(box);
  }
  buttons_ = byAction;
}

void UIAlertController::actionButtonTapped(const std::shared_ptr<UIButton>& sender) {
  auto found = std::find(buttons_.begin(), buttons_.end(), sender);
  if (found == buttons_.end()) return;
  pickAction(actions_[static_cast<std::size_t>(found - buttons_.begin())]);
}

void UIAlertController::pickAction(const std::shared_ptr<UIAlertAction>& action) {
  // One pick per alert: a second tap while it fades out does nothing.
  if (picked_ || !action || !action->isEnabled()) return;
  picked_ = true;
  auto handler = action->handler();
  auto keepAlive = self<UIAlertController>();
  dismissViewControllerAnimated(true, [handler, action, keepAlive] {
    if (handler) handler(action);
  });
}
