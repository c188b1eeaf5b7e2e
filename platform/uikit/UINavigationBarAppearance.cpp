#include "platform/uikit/UINavigationBarAppearance.h"

#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UINavigationBarAppearance, NSObject, )
