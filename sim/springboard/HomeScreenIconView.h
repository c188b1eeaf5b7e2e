#pragma once
// An application's icon as the home screen shows it: its picture with rounded
// corners and, in the grid, its name under it. A tap and a long press each call
// their handler. Touches also go on up the responder chain, so that the paging
// grid (or the menu's row of shortcuts) under the icon scrolls when the finger
// drags; a touch that moved further than a tap may is no tap, and one the long
// press took over (it cancels the icon's touches) is none either.

#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

#include <functional>
#include <memory>
#include <string>

namespace kavro::sim {

class HomeScreenIconView : public UIView {
  KAVRO_OBJC_CLASS(HomeScreenIconView)
 public:
  // How far a finger may move and still tap.
  static constexpr CGFloat kTapMovement = 10;
  // How much of the picture shows while a finger is on it.
  static constexpr CGFloat kPressedAlpha = 0.6;

  // An icon of `iconSize` points for the application; `showsName` adds its name
  // under the picture (grid icons do, dock icons do not).
  std::shared_ptr<HomeScreenIconView> initWithApplication(const std::string& identifier, const std::string& name,
                                                          CGFloat iconSize, bool showsName);

  const std::string& applicationIdentifier() const { return identifier_; }
  const std::string& name() const { return name_; }
  const std::shared_ptr<UIImageView>& iconImageView() const { return image_; }
  // Where the picture is, in window coordinates.
  CGRect iconFrameInWindow() const { return image_->frameInWindow(); }

  void setTapHandler(std::function<void()> handler) { tapHandler_ = std::move(handler); }
  void setLongPressHandler(std::function<void()> handler) { longPressHandler_ = std::move(handler); }

  void layoutSubviews() override;
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

 private:
  void longPressed(const std::shared_ptr<UIGestureRecognizer>& recognizer);
  void setPressed(bool pressed);

  std::string identifier_;
  std::string name_;
  CGFloat iconSize_ = 60;
  std::shared_ptr<UIImageView> image_;
  std::shared_ptr<UILabel> label_;
  std::function<void()> tapHandler_;
  std::function<void()> longPressHandler_;
  CGPoint touchStart_{};
  bool mayTap_ = false;
};

}  // namespace kavro::sim
