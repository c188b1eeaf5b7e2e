#pragma once
// System sounds. Playing one returns at once; the device records it (the
// simulator's log shows it, and its browser front end clicks).

#include <cstdint>

using SystemSoundID = std::uint32_t;

void AudioServicesPlaySystemSound(SystemSoundID sound);
