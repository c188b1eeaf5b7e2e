// The web server's costs: making the render tree of a screen, the frame built
// after an input (what a drag costs per step), the state JSON, and through the
// server on the loopback interface: a drag step sent over the page's WebSocket
// until its frame comes back, and /api/state while 64 clients trickle their
// requests and 200 keep-alive connections idle.

#include "sim/core/Input.h"
#include "sim/core/Readings.h"
#include "sim/phone/Phone.h"
#include "sim/web/server/LiveDevice.h"
#include "sim/web/server/WebServer.h"
#include "tests/support/LoopbackClient.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using kavro::sim::Input;
using kavro::sim::LiveDevice;
using kavro::sim::Phone;
using kavro::sim::Simulator;
using kavro::sim::WebServer;
using nlohmann::json;

// A simulator on a new device in a temporary folder, with a clock the benchmark
// moves, showing the settings page with the guide dismissed, or the picker.
class Bench {
 public:
  explicit Bench(bool picker)
      : folder_(makeFolder()), simulator_(folder_ / "device"), live_(simulator_, [this] { return clock_; }) {
    Input& input = simulator_.input();
    input.openSpringboard();
    input.openSettings();
    wait(1);
    input.tap("button:Dismiss");
    wait(1);
    if (picker) {
      input.openPicker("blacklist", "settings");
      wait(1);
    }
  }
  ~Bench() {
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }

  Simulator& simulator() { return simulator_; }
  LiveDevice& live() { return live_; }
  void wait(double seconds) {
    clock_ += seconds;
    live_.catchUp();
  }
  // A point in the table's rows, for dragging it.
  static constexpr CGPoint kDragStart{200, 600};

 private:
  static std::filesystem::path makeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kavro-bench-web-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    return pattern;
  }

  std::filesystem::path folder_;
  double clock_ = 0;
  Phone simulator_;
  LiveDevice live_;
};

// The render tree of the front-most screen, alone.
void renderTree(benchmark::State& state, bool picker) {
  Bench bench(picker);
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string picture = bench.simulator().readings().picture();
    bytes = picture.size();
    benchmark::DoNotOptimize(picture);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
void BM_RenderTreeSettingsPage(benchmark::State& state) { renderTree(state, false); }
void BM_RenderTreePicker(benchmark::State& state) { renderTree(state, true); }
BENCHMARK(BM_RenderTreeSettingsPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderTreePicker)->Unit(benchmark::kMicrosecond);

// A finger dragging the picker's table: one movement 1/60 s after the last, then
// the frame made after it. This is the server's whole share of a drag step.
void BM_DragStepToFrame(benchmark::State& state) {
  Bench bench(true);
  Input& input = bench.simulator().input();
  input.touchDown(Bench::kDragStart);
  double y = Bench::kDragStart.y, step = -3;
  for (auto _ : state) {
    if (y < 350 || y + step > Bench::kDragStart.y) step = -step;
    y += step;
    bench.wait(1.0 / 60);
    input.touchMoveTo({Bench::kDragStart.x, y});
    bench.live().inputApplied();
    auto frame = bench.live().frame();
    benchmark::DoNotOptimize(frame.json);
  }
  input.touchUp();
}
BENCHMARK(BM_DragStepToFrame)->Unit(benchmark::kMicrosecond);

// The state as GET /api/state and `expect` read it, on the picker.
void BM_StateOfThePicker(benchmark::State& state) {
  Bench bench(true);
  for (auto _ : state) benchmark::DoNotOptimize(bench.simulator().readings().state());
}
BENCHMARK(BM_StateOfThePicker)->Unit(benchmark::kMicrosecond);

// A server on its own thread for a benchmark's bench (its clock moved by the
// benchmark through call()).
class Served {
 public:
  explicit Served(Bench& bench) : server_(bench.live(), {WebServer::defaultWebRoot(), false}) {
    port_ = server_.bind("127.0.0.1", 0);
    thread_ = std::thread([this] { server_.listen(); });
  }
  ~Served() {
    server_.stop();
    thread_.join();
  }
  int port() const { return port_; }
  WebServer& server() { return server_; }

 private:
  WebServer server_;
  int port_ = 0;
  std::thread thread_;
};

// A drag step as the page sends it, over its WebSocket, until the new frame is
// back: the round trip of a touch movement through the server.
void BM_DragStepOverWebSocket(benchmark::State& state) {
  Bench bench(true);
  Served served(bench);
  kavro::test::WebSocketClient page(served.port(), "/api/live");
  if (!page.ok()) return state.SkipWithError("the WebSocket was refused");
  // The welcome: hello, panel, events, frame.
  for (int i = 0; i < 4; ++i) page.receive();
  auto touch = [&](const char* phase, double y) {
    page.send(json{{"type", "touch"}, {"phase", phase}, {"x", Bench::kDragStart.x}, {"y", y}}.dump());
  };
  touch("down", Bench::kDragStart.y);
  // Steps past the distance at which a drag becomes a scroll, so each one moves
  // the table (which rests at its top: the finger goes up and back, never below
  // where it began).
  double y = Bench::kDragStart.y, step = -12;
  for (auto _ : state) {
    if (y < 350 || y + step > Bench::kDragStart.y) step = -step;
    y += step;
    touch("move", y);
    for (;;) {
      auto message = page.receive(5000);
      if (!message) return state.SkipWithError("no frame came back");
      if (message->compare(0, 16, "{\"type\":\"frame\",") == 0) break;
    }
  }
  touch("up", y);
}
BENCHMARK(BM_DragStepOverWebSocket)->Unit(benchmark::kMicrosecond)->UseRealTime();

// GET /api/state on a new connection while 64 connections trickle a request's
// header and 200 keep-alive connections idle.
void BM_StateWhileOthersTrickleAndIdle(benchmark::State& state) {
  Bench bench(false);
  Served served(bench);
  std::vector<kavro::test::Connection> others;
  for (int i = 0; i < 64; ++i) {
    others.emplace_back(served.port());
    others.back().send("GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n");
  }
  for (int i = 0; i < 200; ++i) {
    others.emplace_back(served.port());
    kavro::test::request(others.back(), "GET", "/api/screen");
  }
  for (auto _ : state) {
    auto answer = kavro::test::request(served.port(), "GET", "/api/state");
    if (answer.status != 200) return state.SkipWithError("/api/state did not answer");
  }
}
BENCHMARK(BM_StateWhileOthersTrickleAndIdle)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
