#include "platform/quartzcore/CALayer.h"

#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(CALayer, NSObject, )
