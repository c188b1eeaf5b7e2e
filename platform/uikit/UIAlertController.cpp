#include "platform/uikit/UIAlertController.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIFont.h"

#include <algorithm>
#include <optional>

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

bool UIAlertController::isSheet() const { return style_ == UIAlertControllerStyleActionSheet; }

void UIAlertController::layoutAlert() {
  auto root = view();
  for (auto subview : std::vector(root->subviews())) subview->removeFromSuperview();
  buttons_.clear();
  CGRect screen = root->bounds();
  CGFloat width = isSheet() ? screen.size.width - 2 * kSheetMargin : kAlertWidth;
  // The box with the title, the message and the actions; a sheet sets its first
  // cancel action apart, below the box.
  std::optional<std::size_t> cancel;
  for (std::size_t i = 0; i < actions_.size() && isSheet() && !cancel; ++i)
    if (actions_[i]->style() == UIAlertActionStyleCancel) cancel = i;
  auto box = alloc<UIView>()->initWithFrame(CGRectMake(0, 0, width, 0));
  box->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
  box->layer()->setCornerRadius(isSheet() ? 13 : 14);
  box->setClipsToBounds(true);
  std::vector<std::shared_ptr<UIButton>> byAction(actions_.size());
  CGFloat height = addActionButtons(*box, addTextLabels(*box), cancel, byAction);
  if (isSheet()) {
    CGFloat cancelHeight = cancel ? kSheetButtonHeight + kCancelGap : 0;
    CGFloat bottom = screen.size.height - 34;  // above the home indicator
    box->setFrame(CGRectMake(kSheetMargin, bottom - cancelHeight - height, width, height));
    root->addSubview(box);
    if (cancel) byAction[*cancel] = addCancelButton(*root, *actions_[*cancel], bottom);
  } else {
    box->setFrame(CGRectMake((screen.size.width - width) / 2, (screen.size.height - height) / 2, width, height));
    root->addSubview(box);
  }
  buttons_ = byAction;
}

CGFloat UIAlertController::addTextLabels(UIView& box) {
  CGFloat width = box.frame().size.width;
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
    box.addSubview(label);
    y += size.height + 4;
  };
  bool sheet = isSheet();
  addText(title(), UIFont::systemFontOfSize(sheet ? 13 : 17, UIFontWeightSemibold),
          sheet ? UIColor::secondaryLabelColor() : UIColor::labelColor());
  addText(message_, UIFont::systemFontOfSize(13), sheet ? UIColor::secondaryLabelColor() : UIColor::labelColor());
  bool hasText = y > kTextPadding;
  return hasText ? y + kTextPadding - 4 : 0;
}

CGFloat UIAlertController::addActionButtons(UIView& box, CGFloat top, std::optional<std::size_t> cancel,
                                            std::vector<std::shared_ptr<UIButton>>& byAction) {
  CGFloat width = box.frame().size.width;
  CGFloat buttonHeight = isSheet() ? kSheetButtonHeight : kAlertButtonHeight;
  std::vector<std::size_t> inBox;
  for (std::size_t i = 0; i < actions_.size(); ++i)
    if (i != cancel) inBox.push_back(i);
  // An alert of two actions shows them side by side; otherwise they stack.
  bool sideBySide = !isSheet() && inBox.size() == 2;
  for (std::size_t k = 0; k < inBox.size(); ++k) {
    auto button = makeActionButton(*actions_[inBox[k]]);
    if (sideBySide)
      button->setFrame(CGRectMake(k * width / 2, top, width / 2, buttonHeight));
    else
      button->setFrame(CGRectMake(0, top + k * buttonHeight, width, buttonHeight));
    box.addSubview(button);
    byAction[inBox[k]] = button;
  }
  return top + (sideBySide ? buttonHeight : buttonHeight * static_cast<CGFloat>(inBox.size()));
}

std::shared_ptr<UIButton> UIAlertController::addCancelButton(UIView& root, const UIAlertAction& action,
                                                             CGFloat bottom) {
  auto button = makeActionButton(action);
  button->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
  button->layer()->setCornerRadius(13);
  CGFloat width = root.bounds().size.width - 2 * kSheetMargin;
  button->setFrame(CGRectMake(kSheetMargin, bottom - kSheetButtonHeight, width, kSheetButtonHeight));
  root.addSubview(button);
  return button;
}

std::shared_ptr<UIButton> UIAlertController::makeActionButton(const UIAlertAction& action) {
  auto button = UIButton::buttonWithType(UIButtonTypeSystem);
  button->setTitle(action.title(), UIControlStateNormal);
  if (action.style() == UIAlertActionStyleDestructive)
    button->setTitleColor(UIColor::systemRedColor(), UIControlStateNormal);
  UIFontWeight weight = action.style() == UIAlertActionStyleCancel ? UIFontWeightSemibold : UIFontWeightRegular;
  button->titleLabel()->setFont(UIFont::systemFontOfSize(isSheet() ? 20 : 17, weight));
  button->setEnabled(action.isEnabled());
  button->addTarget(self<UIAlertController>(), "actionButtonTapped:", UIControlEventTouchUpInside);
  return button;
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
