#pragma once
// The screen of an application opened from the home screen. The simulator runs
// no applications but Settings, so each shows a plain screen with its icon and
// its name. It opens with the platform's zoom from the icon that launched it (the
// screen grows out of the icon's frame while the icon inside it settles in the
// middle and the name fades in) and closes by zooming back into an icon.

#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

#include <functional>
#include <memory>
#include <string>

namespace kavro::sim {

class OpenedApplicationView : public UIView {
  KAVRO_OBJC_CLASS(OpenedApplicationView)
 public:
  static constexpr double kOpenDuration = 0.45;
  static constexpr double kCloseDuration = 0.35;
  static constexpr CGFloat kIconSize = 100;
  static constexpr CGFloat kNameFontSize = 22;
  static constexpr CGFloat kNameGap = 16;

  // A screen of `bounds` (the window's) for the application.
  std::shared_ptr<OpenedApplicationView> initWithApplication(CGRect bounds, const std::string& identifier,
                                                             const std::string& name,
                                                             std::shared_ptr<UIImage> icon);
  const std::string& applicationIdentifier() const { return identifier_; }

  // Zooms out of the icon at `iconFrame` (window coordinates) to the whole screen.
  void openFrom(CGRect iconFrame);
  // Zooms back into the icon at `iconFrame`, fading, then leaves its superview and
  // runs `completion`. It takes no touches from the moment it begins to close.
  void closeTo(CGRect iconFrame, std::function<void()> completion);
  bool isClosing() const { return closing_; }

 private:
  // Where the icon and the name rest on the whole screen.
  CGRect iconRestingFrame() const;
  CGRect nameRestingFrame() const;

  std::string identifier_;
  CGRect screen_{};
  bool closing_ = false;
  std::shared_ptr<UIImageView> icon_;
  std::shared_ptr<UILabel> name_;
};

}  // namespace kavro::sim
