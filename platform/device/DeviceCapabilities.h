#pragma once
// What the simulated iPhone's hardware and system offer, by the names bundles use
// for them in "UIRequiredDeviceCapabilities" and specifier lists'
// "requiredCapabilities" ("telephony", "still-camera", "arm64"...). The device
// starts with the capabilities of a recent iPhone (kDefaultCapabilities); a host or
// a test may add or take away any name.

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace kavro::platform {

class DeviceCapabilities {
 public:
  // A 390 × 844 iPhone of its time: 64-bit, Metal and OpenGL ES 2 and 3, every camera,
  // the motion and location sensors, telephony, Wi-Fi, Bluetooth LE, NFC, Face ID's
  // camera, and the frameworks that need them. Not: "armv7" (32-bit code) and
  // "opengles-1", which such a phone no longer runs.
  static constexpr std::string_view kDefaultCapabilities[] = {
      "accelerometer", "arkit",      "arm64",      "auto-focus-camera", "bluetooth-le", "camera-flash",
      "front-facing-camera",         "gamekit",    "gps",        "gyroscope",    "healthkit",
      "location-services",           "magnetometer", "metal",    "microphone",   "nfc",
      "opengles-2",    "opengles-3", "peer-peer",  "sms",        "still-camera", "telephony",
      "video-camera",  "wifi",
  };

  DeviceCapabilities();

  bool has(const std::string& name) const { return names_.count(name) != 0; }
  // Gives the device a capability, or takes it away.
  void set(const std::string& name, bool present);
  const std::set<std::string>& names() const { return names_; }
  // Grows with every change, so that what was decided from the set can tell it is stale.
  std::uint64_t generation() const { return generation_; }

 private:
  std::set<std::string> names_;
  std::uint64_t generation_ = 0;
};

}  // namespace kavro::platform
