#include "platform/mobilecoreservices/ApplicationIcons.h"

#include "platform/mobilecoreservices/ApplicationIconCache.h"
#include "platform/uikit/UIImage.h"

namespace kavro::platform::mobilecoreservices {

void registerApplicationIcons() {
  UIImage::setApplicationIconProvider([](const std::string& identifier, int format, CGFloat scale) {
    return ApplicationIconCache::current().icon(identifier, format, scale);
  });
}

CGFloat iconPointSize(int format) {
  switch (format) {
    case 0: return 29;
    case 2: return 40;
    default: return 60;
  }
}

}  // namespace kavro::platform::mobilecoreservices
