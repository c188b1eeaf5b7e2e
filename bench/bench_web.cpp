// The web server's costs: making the render tree of a screen (done up to 120 times
// a second), and the time from a touch to the frame that shows its effect, in
// process and through HTTP on the loopback interface.

#include "sim/host/LiveDevice.h"
#include "sim/host/RenderTree.h"
#include "sim/host/Simulator.h"
#include "sim/host/WebServer.h"

#include <benchmark/benchmark.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using kavro::sim::LiveDevice;
using kavro::sim::Simulator;
using nlohmann::json;

// A simulator on a new device in a temporary folder, with a clock the benchmark
// moves, showing the settings page with the guide dismissed.
class Bench {
 public:
  Bench() : folder_(makeFolder()), simulator_(folder_ / "device"), live_(simulator_, [this] { return clock_; }) {
    live_.openSpringboard();
    live_.openSettings();
    wait(1);
    json state = live_.state();
    for (auto& button : state["buttons"])
      if (button["label"] == "Dismiss") tapFrame(button["frame"]);
    wait(1);
  }
  ~Bench() {
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }

  Simulator& simulator() { return simulator_; }
  LiveDevice& live() { return live_; }
  void wait(double seconds) {
    clock_ += seconds;
    live_.tick();
  }
  void tapFrame(const json& frame) {
    CGPoint centre{frame[0].get<double>() + frame[2].get<double>() / 2,
                   frame[1].get<double>() + frame[3].get<double>() / 2};
    live_.touch(LiveDevice::TouchPhase::down, centre);
    live_.touch(LiveDevice::TouchPhase::up, std::nullopt);
  }
  json masterSwitchFrame() { return live_.state()["switches"][0]["frame"]; }

 private:
  static std::filesystem::path makeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kavro-bench-web-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    return pattern;
  }

  std::filesystem::path folder_;
  double clock_ = 0;
  Simulator simulator_;
  LiveDevice live_;
};

// The render tree of the front-most screen, alone.
void renderTree(benchmark::State& state, bool picker) {
  Bench bench;
  if (picker) {
    bench.simulator().openPicker("blacklist", "settings");
    bench.wait(1);
  }
  Simulator& simulator = bench.simulator();
  kavro::sim::ImageAssets assets(simulator.device().rootPath());
  kavro::sim::RenderTree tree(assets);
  auto window = simulator.frontWindow();
  platform::ProcessScope scope(simulator.frontProcess());
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string json = tree.render(*window, UIUserInterfaceStyleLight);
    bytes = json.size();
    benchmark::DoNotOptimize(json);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
void BM_RenderTreeSettingsPage(benchmark::State& state) { renderTree(state, false); }
void BM_RenderTreePicker(benchmark::State& state) { renderTree(state, true); }
BENCHMARK(BM_RenderTreeSettingsPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderTreePicker)->Unit(benchmark::kMicrosecond);

// A tap on the master switch, then the frame made after it.
void BM_InputToFrameInProcess(benchmark::State& state) {
  Bench bench;
  json frame = bench.masterSwitchFrame();
  for (auto _ : state) {
    state.PauseTiming();
    bench.wait(1);  // the previous change has settled
    state.ResumeTiming();
    bench.tapFrame(frame);
    auto shown = bench.live().frame();
    benchmark::DoNotOptimize(shown.json);
  }
}
BENCHMARK(BM_InputToFrameInProcess)->Unit(benchmark::kMicrosecond);

// A finger dragging the settings table: one movement, then the frame made after
// it. No setting is stored, so this is the simulator's and the renderer's share.
void BM_DragStepToFrameInProcess(benchmark::State& state) {
  Bench bench;
  bench.live().touch(LiveDevice::TouchPhase::down, CGPoint{200, 600});
  double y = 600;
  double step = -2;
  for (auto _ : state) {
    if (y < 450 || y > 650) step = -step;
    y += step;
    bench.live().touch(LiveDevice::TouchPhase::move, CGPoint{200, y});
    auto shown = bench.live().frame();
    benchmark::DoNotOptimize(shown.json);
  }
  bench.live().touch(LiveDevice::TouchPhase::up, std::nullopt);
}
BENCHMARK(BM_DragStepToFrameInProcess)->Unit(benchmark::kMicrosecond);

// The same through the server, as the page does it: two touch requests and a
// frame request on one keep-alive connection.
void BM_InputToFrameOverHttp(benchmark::State& state) {
  Bench bench;
  json frame = bench.masterSwitchFrame();
  kavro::sim::WebServer server(bench.live(), {kavro::sim::WebServer::defaultWebRoot(), false, 16 * 1024});
  int port = server.bind("127.0.0.1", 0);
  std::thread thread([&] { server.listen(); });
  httplib::Client client("127.0.0.1", port);
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);  // as browsers do
  double x = frame[0].get<double>() + frame[2].get<double>() / 2;
  double y = frame[1].get<double>() + frame[3].get<double>() / 2;
  std::string down = json{{"phase", "down"}, {"x", x}, {"y", y}}.dump();
  std::string up = R"({"phase":"up"})";
  for (auto _ : state) {
    state.PauseTiming();
    bench.wait(1);
    state.ResumeTiming();
    auto a = client.Post("/api/touch", down, "application/json");
    auto b = client.Post("/api/touch", up, "application/json");
    auto shown = client.Get("/api/frame");
    if (!a || !b || !shown || shown->status != 200) state.SkipWithError("a request failed");
  }
  server.stop();
  thread.join();
}
BENCHMARK(BM_InputToFrameOverHttp)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
