// Installing a bundle again while the device runs, as the front ends ask when its
// source files change.

#include "sim/core/Input.h"
#include "sim/core/Simulator.h"

namespace kavro::sim {

Reinstall Input::reloadBundle(const BundleSource& source) {
  kavro::platform::Device& device = simulator_.device();
  Reinstall result = reinstallBundle(device.rootPath(), source);
  simulator_.setReloadProblem(source.name, result.problem);
  if (result.problem) {
    device.record({.event = "reloadFailed",
                   .fields = {{"bundle", source.name},
                              {"file", result.problem->file},
                              {"line", static_cast<std::int64_t>(result.problem->line)},
                              {"error", result.problem->message}}});
    return result;
  }
  if (result.changedFiles.empty()) return result;
  simulator_.bundleReinstalled(source.name);
  device.record({.event = "reload", .fields = {{"bundle", source.name}, {"files", result.changedFiles}}});
  return result;
}

}  // namespace kavro::sim
