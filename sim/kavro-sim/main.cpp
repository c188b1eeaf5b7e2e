// kavro-sim: the device simulator. `run` plays a scenario script headless on a
// virtual clock; `serve` shows the simulated iPhone in a browser.

#include "sim/core/BundleInstaller.h"
#include "sim/core/Input.h"
#include "sim/core/SampleDevice.h"
#include "sim/devicefolder/DeviceFolder.h"
#include "sim/phone/Phone.h"
#include "sim/script/ScriptRunner.h"
#include "sim/web/server/LiveDevice.h"
#include "sim/web/server/WebServer.h"

#include <charconv>
#include <csignal>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: kavro-sim run [--device DIR] [--bundle DIR]... [SCRIPT | -]\n"
    "       kavro-sim serve [--device DIR] [--bundle DIR]... [--port N]\n"
    "The device folder is --device DIR, else $KAVRO_DEVICE, else $XDG_DATA_HOME/kavroprefs/device.\n"
    "--bundle DIR installs the preference bundle in DIR beside Kavro (repeatable).\n";

int usage() {
  std::cerr << kUsage;
  return 2;
}

// Checks every --bundle folder before the device is touched: a refused folder
// leaves no device folder behind.
void checkBundles(const std::vector<std::string>& bundles) {
  for (const std::string& bundle : bundles) kavro::sim::checkPreferenceBundle(bundle);
}

// Installs each --bundle folder into the device, as the package manager would;
// returns where each comes from, Kavro's own first.
std::vector<kavro::sim::BundleSource> installBundles(const std::filesystem::path& folder,
                                                     const std::vector<std::string>& bundles) {
  std::vector<kavro::sim::BundleSource> sources{
      {kavro::sim::kKavroBundleName, kavro::sim::DeviceSources::fromSourceTree().resources, true}};
  for (const std::string& bundle : bundles) {
    auto installed = kavro::sim::installPreferenceBundle(folder, bundle);
    std::cerr << "kavro-sim: installed the bundle " << installed.name << " from " << installed.source.string()
              << (installed.entryOnly ? " (entry only)" : "") << "\n";
    sources.push_back({installed.name, installed.source, false});
  }
  return sources;
}

int run(const std::optional<std::string>& device, const std::vector<std::string>& bundles,
        const std::optional<std::string>& script) {
  std::filesystem::path folder = kavro::sim::chooseDeviceFolder(device);
  checkBundles(bundles);
  kavro::sim::Phone simulator(folder);
  installBundles(folder, bundles);
  kavro::sim::ScriptRunner runner(simulator, std::cout);
  if (!script || *script == "-") return runner.run(std::cin, std::cerr);
  std::ifstream file(*script);
  if (!file) {
    std::cerr << "kavro-sim: cannot read the script " << *script << "\n";
    return 2;
  }
  return runner.run(file, std::cerr);
}

constexpr int kDefaultPort = 8080;

std::optional<int> parsePort(const std::string& text) {
  int port = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535)
    return std::nullopt;
  return port;
}

// Serves the device until SIGINT or SIGTERM. The signals are taken by a thread of
// their own (blocked everywhere else), which stops the server outside any handler.
int serve(const std::optional<std::string>& device, const std::vector<std::string>& bundles,
          const std::optional<std::string>& portText) {
  int port = kDefaultPort;
  if (portText) {
    auto parsed = parsePort(*portText);
    if (!parsed) {
      std::cerr << "kavro-sim: --port takes a number from 0 to 65535 (0: any free port), not \"" << *portText
                << "\"\n";
      return 2;
    }
    port = *parsed;
  }
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  std::filesystem::path folder = kavro::sim::chooseDeviceFolder(device);
  checkBundles(bundles);
  kavro::sim::Phone simulator(folder);
  auto sources = installBundles(folder, bundles);
  // The phone starts as a person finds it: the home screen behind, Settings on
  // the bundle's page in front.
  simulator.input().openSpringboard();
  simulator.input().openSettings();
  kavro::sim::LiveDevice live(simulator);
  // While it serves, a change to a bundle's files installs it again and reloads its pages.
  kavro::sim::WebServer::Options options;
  options.watchedBundles = std::move(sources);
  kavro::sim::WebServer server(live, std::move(options));
  int bound = server.bind("127.0.0.1", port);
  std::cout << "kavro-sim: the simulated iPhone is at http://127.0.0.1:" << bound << "/ (device " << folder.string()
            << "); Ctrl-C stops it" << std::endl;

  std::thread stopper([&server, signals] {
    int signal = 0;
    sigwait(&signals, &signal);
    server.stop();
  });
  server.listen();
  // listen() ended without a signal (the server failed): release the waiting thread.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return usage();
  std::string verb = args[0];
  std::optional<std::string> device, script, port;
  std::vector<std::string> bundles;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--device") {
      if (++i == args.size()) return usage();
      device = args[i];
    } else if (args[i].starts_with("--device=")) {
      device = args[i].substr(9);
    } else if (args[i] == "--bundle") {
      if (++i == args.size()) return usage();
      bundles.push_back(args[i]);
    } else if (args[i].starts_with("--bundle=")) {
      bundles.push_back(args[i].substr(9));
    } else if (args[i] == "--port" && verb == "serve") {
      if (++i == args.size()) return usage();
      port = args[i];
    } else if (verb == "run" && !script) {
      script = args[i];
    } else {
      return usage();
    }
  }
  try {
    if (verb == "run") return run(device, bundles, script);
    if (verb == "serve") return serve(device, bundles, port);
  } catch (const std::exception& error) {
    std::cerr << "kavro-sim: " << error.what() << "\n";
    return 2;
  }
  return usage();
}
