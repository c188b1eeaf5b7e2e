#pragma once
// One action of a quick-action menu, as the platform's context menus draw it: the
// title at the leading edge, its symbol at the trailing edge, a grey highlight
// while a finger is on it.

#include "platform/uikit/UIButton.h"

#include <memory>
#include <string>

namespace kavro::sim {

class QuickActionMenuButton : public UIButton {
  KAVRO_OBJC_CLASS(QuickActionMenuButton)
 public:
  static constexpr CGFloat kHeight = 44;
  static constexpr CGFloat kFontSize = 17;
  static constexpr CGFloat kSideInset = 16;
  static constexpr CGFloat kSymbolSize = 20;

  std::shared_ptr<QuickActionMenuButton> initWithTitle(const std::string& title, const std::string& symbol);
  void layoutSubviews() override;
  void setHighlighted(bool highlighted) override;
};

}  // namespace kavro::sim
