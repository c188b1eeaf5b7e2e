#pragma once
// The Darwin notification centre: notifications by name, seen by observers in every
// process of the device, delivered on each observer's run loop.

#include <string>

struct __CFNotificationCenter;
using CFNotificationCenterRef = __CFNotificationCenter*;

using CFNotificationCallback = void (*)(CFNotificationCenterRef center, void* observer, const std::string& name,
                                        const void* object, const void* userInfo);

enum CFNotificationSuspensionBehavior : long {
  CFNotificationSuspensionBehaviorDrop = 1,
  CFNotificationSuspensionBehaviorCoalesce = 2,
  CFNotificationSuspensionBehaviorHold = 3,
  CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter();
// Posts `name`. The Darwin centre carries no object or user info; they are ignored.
void CFNotificationCenterPostNotification(CFNotificationCenterRef center, const std::string& name,
                                          const void* object, const void* userInfo, bool deliverImmediately);
void CFNotificationCenterAddObserver(CFNotificationCenterRef center, void* observer, CFNotificationCallback callback,
                                     const std::string& name, const void* object,
                                     CFNotificationSuspensionBehavior behavior);
void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, void* observer);
