#include "sim/host/LiveDevice.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UISearchBar.h"
#include "platform/uikit/UIWindow.h"
#include "sim/host/Dump.h"
#include "sim/host/PlistJson.h"
#include "sim/host/Simulator.h"
#include "store/KavroPreferences.h"

#include <algorithm>
#include <chrono>

namespace kavro::sim {

using nlohmann::json;

namespace {

LiveDevice::Clock steadyClock() {
  auto start = std::chrono::steady_clock::now();
  return [start] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
}

UIUserInterfaceStyle styleOf(const platform::Device& device) {
  return device.appearance() == platform::Appearance::dark ? UIUserInterfaceStyleDark : UIUserInterfaceStyleLight;
}

// An event of the device's log as the dump shows it, with its sequence number.
json eventJson(const platform::DeviceEvent& event) {
  json entry = Dumper::event(event);
  entry["seq"] = event.sequence;
  return entry;
}

// The length of the UTF-8 sequence that starts with `lead`.
std::size_t sequenceLength(unsigned char lead) { return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4; }

}  // namespace

LiveDevice::LiveDevice(Simulator& simulator, Clock clock)
    : simulator_(simulator),
      clock_(clock ? std::move(clock) : steadyClock()),
      assets_(simulator.device().rootPath()),
      renderTree_(assets_),
      dumper_(std::make_unique<Dumper>(simulator)) {
  lastClock_ = clock_();
}

LiveDevice::~LiveDevice() = default;

void LiveDevice::catchUp() {
  double now = clock_();
  if (now <= lastClock_) return;
  double elapsed = now - lastClock_;
  // Moved first: work that throws is not run again at every later call.
  lastClock_ = now;
  simulator_.device().advance(elapsed);
}

void LiveDevice::tick() {
  std::lock_guard lock(mutex_);
  catchUp();
}

LiveDevice::Frame LiveDevice::frame() {
  std::lock_guard lock(mutex_);
  catchUp();
  double now = clock_();
  if (frame_.json && changes_ == frameChanges_ && now - frameClock_ < kFrameInterval) return frame_;
  frameClock_ = now;
  frameChanges_ = changes_;

  platform::Device& device = simulator_.device();
  auto window = simulator_.frontWindow();
  std::string picture = "\"process\":\"" + simulator_.frontProcessName() + "\",\"appearance\":\"" +
                        (device.appearance() == platform::Appearance::dark ? "dark" : "light") + "\",\"w\":" +
                        std::to_string(static_cast<int>(platform::Device::kScreenWidth)) +
                        ",\"h\":" + std::to_string(static_cast<int>(platform::Device::kScreenHeight)) + ",\"root\":";
  {
    platform::ProcessScope scope(simulator_.frontProcess());
    UIUserInterfaceStyle style = styleOf(device);
    // The window's tint colours what the tree does not carry (the text caret).
    auto tint = window ? window->tintColor() : nullptr;
    std::string root = window ? renderTree_.render(*window, style) : std::string("null");
    picture = (tint ? "\"tint\":\"" + tint->hexString(style) + "\"," : std::string()) + picture + root;
  }
  if (frame_.json && picture == frameTree_) return frame_;
  frameTree_ = std::move(picture);
  ++frame_.sequence;
  auto body = std::make_shared<std::string>();
  body->reserve(frameTree_.size() + 64);
  *body += "{\"seq\":" + std::to_string(frame_.sequence) + ",\"t\":" + Dumper::number(device.now()).dump() + ",";
  *body += frameTree_;
  *body += '}';
  frame_.json = std::move(body);
  return frame_;
}

json LiveDevice::state() {
  std::lock_guard lock(mutex_);
  catchUp();
  json state = dumper_->dump(false);
  json& log = state["log"];
  if (log.is_array() && log.size() > kStateLogLength)
    log.erase(log.begin(), log.end() - static_cast<std::ptrdiff_t>(kStateLogLength));
  return state;
}

json LiveDevice::panel(std::uint64_t after) {
  std::lock_guard lock(mutex_);
  catchUp();
  platform::Device& device = simulator_.device();
  json panel;
  {
    platform::ProcessScope scope(simulator_.frontProcess());
    auto defaults = NSUserDefaults::standardUserDefaults();
    panel["prefs"] = PlistJson::toJson(PlistValue(defaults->persistentDomainForName(kavro::store::kDomain)));
    if (panel["prefs"].is_null()) panel["prefs"] = json::object();
    panel["prefsFile"] = kavro::store::preferencesFileExists();
  }
  panel["t"] = Dumper::number(device.now());
  panel["process"] = simulator_.frontProcessName();
  panel["appearance"] = device.appearance() == platform::Appearance::dark ? "dark" : "light";
  std::uint64_t last = device.lastEventSequence();
  // A cursor from before a restart of the server starts over.
  if (after > last) after = 0;
  auto events = device.eventsAfter(after);
  std::size_t skip = events.size() > kStateLogLength ? events.size() - kStateLogLength : 0;
  json list = json::array();
  for (std::size_t i = skip; i < events.size(); ++i) list.push_back(eventJson(events[i]));
  panel["events"] = std::move(list);
  panel["last"] = last;
  return panel;
}

void LiveDevice::touch(TouchPhase phase, std::optional<CGPoint> point) {
  std::lock_guard lock(mutex_);
  catchUp();
  // A finger cannot leave the glass.
  if (point) {
    point->x = std::clamp(point->x, 0.0, platform::Device::kScreenWidth);
    point->y = std::clamp(point->y, 0.0, platform::Device::kScreenHeight);
  }
  kavro::uikit::TouchDriver& finger = simulator_.finger();
  if (phase == TouchPhase::down) {
    if (!point) throw std::invalid_argument("a touch goes down at a point");
    finger.down(*point);
  } else {
    if (!finger.isTouching()) throw InputRefused("no finger is on the screen");
    if (phase == TouchPhase::cancel) {
      finger.cancel();
    } else {
      if (point && (point->x != finger.location().x || point->y != finger.location().y)) finger.moveTo(*point);
      if (phase == TouchPhase::up) finger.up();
    }
  }
  ++changes_;
}

std::shared_ptr<UISearchBar> LiveDevice::editedField() {
  platform::ProcessScope scope(simulator_.frontProcess());
  auto field = std::dynamic_pointer_cast<UISearchBar>(UIResponder::currentFirstResponder());
  if (!field || !field->isEditing()) throw InputRefused("no field is being edited (tap the search field first)");
  return field;
}

void LiveDevice::type(const std::string& text) {
  std::lock_guard lock(mutex_);
  catchUp();
  auto field = editedField();
  platform::Process& process = simulator_.frontProcess();
  for (std::size_t i = 0; i < text.size();) {
    std::string character = text.substr(i, sequenceLength(static_cast<unsigned char>(text[i])));
    simulator_.device().dispatch(process, [&] { field->insertText(character); });
    i += character.size();
  }
  ++changes_;
}

void LiveDevice::backspace(long count) {
  std::lock_guard lock(mutex_);
  catchUp();
  auto field = editedField();
  platform::Process& process = simulator_.frontProcess();
  for (long i = 0; i < count; ++i) simulator_.device().dispatch(process, [&] { field->deleteBackward(); });
  ++changes_;
}

void LiveDevice::setDarkAppearance(bool dark) {
  std::lock_guard lock(mutex_);
  catchUp();
  simulator_.setAppearance(dark ? platform::Appearance::dark : platform::Appearance::light);
  ++changes_;
}

void LiveDevice::openSettings() {
  std::lock_guard lock(mutex_);
  catchUp();
  simulator_.openSettings();
  ++changes_;
}

void LiveDevice::openSpringboard() {
  std::lock_guard lock(mutex_);
  catchUp();
  simulator_.openSpringboard();
  ++changes_;
}

}  // namespace kavro::sim
