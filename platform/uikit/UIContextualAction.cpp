#include "platform/uikit/UIContextualAction.h"

#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIContextualAction, NSObject, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(UISwipeActionsConfiguration, NSObject, )

std::shared_ptr<UIContextualAction> UIContextualAction::contextualActionWithStyle(UIContextualActionStyle style,
                                                                                  const std::string& title,
                                                                                  Handler handler) {
  auto action = alloc<UIContextualAction>();
  action->style_ = style;
  action->title_ = title;
  action->handler_ = std::move(handler);
  action->backgroundColor_ =
      style == UIContextualActionStyleDestructive ? UIColor::systemRedColor() : UIColor::systemGrayColor();
  return action;
}

std::shared_ptr<UISwipeActionsConfiguration> UISwipeActionsConfiguration::configurationWithActions(
    const std::vector<std::shared_ptr<UIContextualAction>>& actions) {
  auto configuration = alloc<UISwipeActionsConfiguration>();
  configuration->actions_ = actions;
  return configuration;
}
