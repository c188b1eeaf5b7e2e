#include "platform/audiotoolbox/AudioServices.h"

#include "platform/device/Device.h"

void AudioServicesPlaySystemSound(SystemSoundID sound) {
  kavro::platform::Device::current().record({.event = "sound", .fields = {{"id", static_cast<std::int64_t>(sound)}}});
}
