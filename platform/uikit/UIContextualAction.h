#pragma once
// Swipe actions of a table row: each with a style, title, image, background colour
// and a handler that tells the table, through its completion, that it is done.

#include "platform/objc/NSObject.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImage.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class UIView;

enum UIContextualActionStyle : long {
  UIContextualActionStyleNormal = 0,
  UIContextualActionStyleDestructive = 1,
};

class UIContextualAction : public NSObject {
  KAVRO_OBJC_CLASS(UIContextualAction)
 public:
  // The handler gets the action, the view of the button and a completion that
  // takes whether the action was performed.
  using Handler = std::function<void(const std::shared_ptr<UIContextualAction>& action,
                                     const std::shared_ptr<UIView>& sourceView,
                                     std::function<void(bool)> completion)>;

  static std::shared_ptr<UIContextualAction> contextualActionWithStyle(UIContextualActionStyle style,
                                                                       const std::string& title,
                                                                       Handler handler);
  UIContextualActionStyle style() const { return style_; }
  const std::string& title() const { return title_; }
  void setTitle(const std::string& title) { title_ = title; }
  std::shared_ptr<UIImage> image() const { return image_; }
  void setImage(const std::shared_ptr<UIImage>& image) { image_ = image; }
  std::shared_ptr<UIColor> backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(const std::shared_ptr<UIColor>& color) { backgroundColor_ = color; }
  const Handler& handler() const { return handler_; }

 private:
  UIContextualActionStyle style_ = UIContextualActionStyleNormal;
  std::string title_;
  std::shared_ptr<UIImage> image_;
  std::shared_ptr<UIColor> backgroundColor_;
  Handler handler_;
};

class UISwipeActionsConfiguration : public NSObject {
  KAVRO_OBJC_CLASS(UISwipeActionsConfiguration)
 public:
  static std::shared_ptr<UISwipeActionsConfiguration> configurationWithActions(
      const std::vector<std::shared_ptr<UIContextualAction>>& actions);
  const std::vector<std::shared_ptr<UIContextualAction>>& actions() const { return actions_; }
  bool performsFirstActionWithFullSwipe() const { return performsFirstActionWithFullSwipe_; }
  void setPerformsFirstActionWithFullSwipe(bool performs) { performsFirstActionWithFullSwipe_ = performs; }

 private:
  std::vector<std::shared_ptr<UIContextualAction>> actions_;
  bool performsFirstActionWithFullSwipe_ = true;
};
