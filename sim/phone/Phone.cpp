#include "sim/phone/Phone.h"

#include "sim/settings/SettingsApp.h"
#include "sim/springboard/SpringBoardApp.h"

namespace kavro::sim {

std::vector<ApplicationKind> Phone::applications() { return {SettingsApp::kind(), SpringBoardApp::kind()}; }

Phone::Phone(const std::filesystem::path& deviceFolder) : Simulator(deviceFolder, applications()) {}

SettingsApp& Phone::settingsApp() { return static_cast<SettingsApp&>(application(SettingsApp::kProcessName)); }

SpringBoardApp& Phone::springBoardApp() {
  return static_cast<SpringBoardApp&>(application(SpringBoardApp::kProcessName));
}

kavro::platform::Process& Phone::settingsProcess() { return process(SettingsApp::kProcessName); }

kavro::platform::Process& Phone::springBoardProcess() { return process(SpringBoardApp::kProcessName); }

}  // namespace kavro::sim
