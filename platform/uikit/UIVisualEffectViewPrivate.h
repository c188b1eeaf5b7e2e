#pragma once
// How the stand-in draws materials (blur effect views and private backdrops): a
// blur of what lies behind the view, its saturation changed, under a translucent
// tint. Materials with a style of their own (dark, light) keep their look in either
// appearance, and what is shown over them takes that style, so that dynamic
// colours (labels, secondary labels, grouped cells) stay legible on them; the
// system materials follow the appearance.

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UITraitCollection.h"

#include <optional>

class UIView;

namespace kavro::platform::uikit {

struct MaterialInternals {
  struct Look {
    const char* kind;  // "blur" (UIVisualEffectView) or "backdrop" (_UIBackdropView)
    long style;        // the effect's or the backdrop settings' style
    double blurRadius;
    double saturation;  // 1 keeps the colours, 0 turns them grey
    UIColor::RGBA tint;  // laid over the blurred picture
  };

  // The material `view` draws, for the appearance `appearance`; nullopt for a view
  // that draws none (not a material, or an effect view without an effect).
  static std::optional<Look> look(const UIView& view, UIUserInterfaceStyle appearance);
  // The style a material of that style keeps in either appearance (and gives what
  // is shown over it), or Unspecified for one that follows the appearance. Blur
  // effects and private backdrops number their styles alike here.
  static UIUserInterfaceStyle fixedStyle(long style);
};

}  // namespace kavro::platform::uikit
