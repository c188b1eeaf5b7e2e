#include "sim/core/Readings.h"

#include "platform/uikit/UIWindow.h"
#include "sim/core/AppearanceNames.h"
#include "sim/core/Dump.h"
#include "sim/core/Simulator.h"
#include "sim/render/SystemChrome.h"
#include "store/Preferences.h"

namespace kavro::sim {

using nlohmann::json;

Readings::Readings(Simulator& simulator)
    : simulator_(simulator),
      dumper_(std::make_unique<Dumper>(simulator)),
      assets_(simulator.device().rootPath()),
      renderTree_(assets_) {}

Readings::~Readings() = default;

json Readings::dump() { return dumper_->dump(true); }

json Readings::state() {
  json state = dumper_->dump(false);
  json& log = state["log"];
  if (log.is_array() && log.size() > kStateLogLength)
    log.erase(log.begin(), log.end() - static_cast<std::ptrdiff_t>(kStateLogLength));
  return state;
}

json Readings::prefs() {
  kavro::platform::ProcessScope scope(simulator_.frontProcess());
  return {{"prefs", Dumper::storedPreferences()}, {"prefsFile", kavro::store::preferencesFileExists()}};
}

json Readings::eventsAfter(std::uint64_t after, std::size_t limit) {
  auto events = simulator_.device().eventsAfter(after);
  std::size_t skip = events.size() > limit ? events.size() - limit : 0;
  json list = json::array();
  for (std::size_t i = skip; i < events.size(); ++i) {
    json entry = Dumper::event(events[i]);
    entry["seq"] = events[i].sequence;
    list.push_back(std::move(entry));
  }
  return list;
}

json Readings::reloadProblems() const {
  json problems = json::array();
  for (auto& [bundle, problem] : simulator_.reloadProblems())
    problems.push_back({{"bundle", bundle}, {"file", problem.file}, {"line", problem.line}, {"error", problem.message}});
  return problems;
}

std::uint64_t Readings::lastEventSequence() const { return simulator_.device().lastEventSequence(); }

std::string Readings::picture() {
  kavro::platform::Device& device = simulator_.device();
  auto window = simulator_.frontWindow();
  kavro::platform::Appearance appearance = device.appearance();
  bool dark = appearance == kavro::platform::Appearance::dark;
  const std::string& process = simulator_.frontProcessName();
  bool overWallpaper = simulator_.isHomeScreenInFront();
  std::string out = "\"process\":\"" + process + "\",\"appearance\":\"" + appearanceName(appearance) +
                    "\",\"w\":" + std::to_string(static_cast<int>(kavro::platform::Device::kScreenWidth)) +
                    ",\"h\":" + std::to_string(static_cast<int>(kavro::platform::Device::kScreenHeight));
  kavro::platform::ProcessScope scope(simulator_.frontProcess());
  UIUserInterfaceStyle style = interfaceStyle(appearance);
  out += ",\"root\":";
  out += window ? renderTree_.render(*window, style) : std::string("null");
  // The status bar's content is light over the home screen's wallpaper and in dark
  // appearance, dark over an application's light screen.
  out += ",\"chrome\":";
  out += systemChrome(dark || overWallpaper ? StatusBarContent::light : StatusBarContent::dark);
  return out;
}

}  // namespace kavro::sim
