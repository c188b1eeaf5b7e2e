// The web server against a live simulator whose clock the test moves: requests are
// checked before they reach the device, inputs arrive as touches and typing, and
// frames carry the presentation values of the moment.

#include "sim/host/LiveDevice.h"
#include "sim/host/RenderTree.h"
#include "sim/host/Simulator.h"
#include "sim/host/WebServer.h"
#include "switch/KavroSwitch.h"
#include "tests/support/DeviceFixture.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kavro::sim {
namespace {

using nlohmann::json;

class WebServerTest : public ::testing::Test {
 protected:
  WebServerTest()
      : simulator_(folder_.path() / "device"),
        live_(simulator_, [this] { return clock_; }),
        server_(live_, {WebServer::defaultWebRoot(), /*ticker=*/false, 16 * 1024}) {
    live_.openSpringboard();
    live_.openSettings();
    port_ = server_.bind("127.0.0.1", 0);
    thread_ = std::thread([this] { server_.listen(); });
  }
  ~WebServerTest() override {
    server_.stop();
    thread_.join();
  }

  httplib::Client client() { return httplib::Client("127.0.0.1", port_); }

  json get(const std::string& path) {
    auto result = client().Get(path.c_str());
    EXPECT_TRUE(result) << path;
    if (!result) return nullptr;
    EXPECT_EQ(result->status, 200) << path << ": " << result->body;
    return json::parse(result->body, nullptr, false);
  }
  int post(const std::string& path, const std::string& body, const std::string& type = "application/json") {
    auto result = client().Post(path.c_str(), body, type.c_str());
    return result ? result->status : -1;
  }
  int postJson(const std::string& path, const json& body) { return post(path, body.dump()); }

  // Moves the device's clock on by `seconds` and lets it run what fell due.
  void wait(double seconds) {
    clock_ += seconds;
    live_.tick();
  }
  void tap(double x, double y) {
    ASSERT_EQ(postJson("/api/touch", {{"phase", "down"}, {"x", x}, {"y", y}}), 204);
    ASSERT_EQ(postJson("/api/touch", {{"phase", "up"}}), 204);
  }
  void tapButton(const std::string& label) {
    json state = get("/api/state");
    for (auto& button : state["buttons"])
      if (button["label"] == label) {
        auto frame = button["frame"];
        return tap(frame[0].get<double>() + frame[2].get<double>() / 2, frame[1].get<double>() + frame[3].get<double>() / 2);
      }
    FAIL() << "no button " << label << " in " << state.dump();
  }
  // The settings page with the first-run guide gone.
  void dismissGuide() {
    wait(1);
    tapButton("Dismiss");
    wait(1);
    ASSERT_TRUE(get("/api/state")["sheet"].is_null());
  }

  // The first view of the current frame for which `match` holds, depth first.
  static std::optional<json> findView(const json& view, const std::function<bool(const json&)>& match) {
    if (match(view)) return view;
    if (view.contains("kids"))
      for (auto& kid : view["kids"])
        if (auto found = findView(kid, match)) return found;
    return std::nullopt;
  }

  test::TemporaryFolder folder_;
  double clock_ = 0;
  Simulator simulator_;
  LiveDevice live_;
  WebServer server_;
  int port_ = 0;
  std::thread thread_;
};

TEST_F(WebServerTest, MalformedRequestsGetA4xxAnswerAndChangeNothing) {
  std::string before = get("/api/state").dump();
  auto frameBefore = get("/api/frame")["seq"];

  struct Case {
    const char* path;
    std::string body;
    int status;
    std::string type = "application/json";
  };
  std::vector<Case> cases = {
      {"/api/touch", "{", 400},
      {"/api/touch", "[1, 2]", 400},
      {"/api/touch", R"({"phase": "tap", "x": 1, "y": 1})", 400},
      {"/api/touch", R"({"phase": "down", "x": "10", "y": 10})", 400},
      {"/api/touch", R"({"phase": "down", "x": 10})", 400},
      {"/api/touch", R"({"phase": "down", "x": 1e300, "y": 10})", 400},
      {"/api/touch", R"({"phase": "down", "x": 10, "y": 10, "force": 1})", 400},
      {"/api/touch", R"({"phase": "down", "x": 10, "y": 10})", 415, "text/plain"},
      {"/api/touch", R"({"phase": "up"})", 409},  // no finger is down
      {"/api/key", R"({"text": "a"})", 409},      // no field is being edited
      {"/api/key", R"({"text": "\u0007"})", 400},
      {"/api/key", R"({"text": ""})", 400},
      {"/api/key", R"({"backspace": 0})", 400},
      {"/api/key", R"({"backspace": 1.5})", 400},
      {"/api/key", R"({"text": "a", "backspace": 1})", 400},
      {"/api/appearance", R"({"appearance": "blue"})", 400},
      {"/api/appearance", R"({"appearance": true})", 400},
      {"/api/open", R"({"target": "safari"})", 400},
      {"/api/open", R"({})", 400},
      {"/api/open", R"({"target": "settings"})" + std::string(20 * 1024, ' '), 413},
      {"/api/frame", "{}", 404},
      {"/api/nothing", "{}", 404},
  };
  for (auto& request : cases) {
    auto result = client().Post(request.path, request.body, request.type.c_str());
    ASSERT_TRUE(result) << request.path << " " << request.body.substr(0, 60);
    EXPECT_EQ(result->status, request.status) << request.path << " " << request.body.substr(0, 60);
    auto answer = json::parse(result->body, nullptr, false);
    EXPECT_TRUE(answer.is_object() && answer["error"].is_string() && !answer["error"].get<std::string>().empty())
        << request.path << " answered " << result->body;
  }
  for (const char* path : {"/api/frame?after=abc", "/api/panel?after=-1", "/nowhere"}) {
    auto result = client().Get(path);
    ASSERT_TRUE(result);
    EXPECT_GE(result->status, 400) << path;
    EXPECT_LT(result->status, 500) << path;
  }
  // A page of another site reaching the server through a name of its own.
  auto foreign = client().Get("/api/state", {{"Host", "attacker.example:8080"}});
  ASSERT_TRUE(foreign);
  EXPECT_EQ(foreign->status, 403);

  EXPECT_EQ(get("/api/state").dump(), before);
  EXPECT_EQ(get("/api/frame")["seq"], frameBefore);
}

TEST_F(WebServerTest, TouchesTypingAndCommandsReachTheDevice) {
  dismissGuide();
  auto frame = get("/api/state")["switches"][0]["frame"];
  tap(frame[0].get<double>() + frame[2].get<double>() / 2, frame[1].get<double>() + frame[3].get<double>() / 2);
  EXPECT_EQ(get("/api/state")["prefs"]["enabled"], true);

  EXPECT_EQ(postJson("/api/appearance", {{"appearance", "dark"}}), 204);
  EXPECT_EQ(get("/api/panel")["appearance"], "dark");
  EXPECT_EQ(get("/api/frame")["appearance"], "dark");

  // The picker's search field takes typing once a tap has focused it.
  simulator_.openPicker("blacklist", "settings");
  wait(1);
  auto field = findView(get("/api/frame")["root"], [](const json& view) { return view.contains("field"); });
  ASSERT_TRUE(field);
  auto f = (*field)["f"];
  tap(f[0].get<double>() + f[2].get<double>() / 2, f[1].get<double>() + f[3].get<double>() / 2);
  EXPECT_EQ(postJson("/api/key", {{"text", "calé"}}), 204);
  EXPECT_EQ(postJson("/api/key", {{"backspace", 1}}), 204);
  EXPECT_EQ(get("/api/state")["search"]["text"], "cal");
  auto caret = findView(get("/api/frame")["root"], [](const json& view) {
    return view.contains("text") && view["text"].value("caret", false);
  });
  ASSERT_TRUE(caret) << "the edited field's label carries the caret";
  EXPECT_EQ((*caret)["text"]["lines"][0], "cal");

  EXPECT_EQ(postJson("/api/open", {{"target", "springboard"}}), 204);
  EXPECT_EQ(get("/api/state")["process"], "springboard");
  // The log is read, not consumed: two readers see the same events.
  auto first = get("/api/state")["log"];
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(get("/api/state")["log"], first);
  auto panel = get("/api/panel?after=0");
  EXPECT_EQ(panel["events"].size(), std::min<std::size_t>(first.size(), LiveDevice::kStateLogLength));
  EXPECT_TRUE(get("/api/panel?after=" + panel["last"].dump())["events"].empty());
}

TEST_F(WebServerTest, FramesShowTheSwitchThumbAtItsPresentationValues) {
  dismissGuide();
  auto frame = get("/api/state")["switches"][0]["frame"];
  auto thumbX = [this] {
    auto control = findView(get("/api/frame")["root"], [](const json& view) { return view["k"] == "KavroSwitch"; });
    EXPECT_TRUE(control);
    return control ? (*control)["kids"][1]["f"][0].get<double>() : 0.0;
  };
  double off = thumbX();
  tap(frame[0].get<double>() + frame[2].get<double>() / 2, frame[1].get<double>() + frame[3].get<double>() / 2);
  wait(0.2);  // the end of the overshoot
  double overshoot = thumbX();
  wait(0.3);  // settled
  double on = thumbX();
  EXPECT_GT(on, off);
  EXPECT_NEAR(overshoot, on + KavroSwitch::kDefaultBounceOffset, 0.5);

  // A frame goes out again only when the picture changed.
  auto sequence = get("/api/frame")["seq"].get<std::uint64_t>();
  wait(1);
  auto unchanged = client().Get(("/api/frame?after=" + std::to_string(sequence)).c_str());
  ASSERT_TRUE(unchanged);
  EXPECT_EQ(unchanged->status, 204);
  EXPECT_EQ(postJson("/api/appearance", {{"appearance", "dark"}}), 204);
  EXPECT_GT(get("/api/frame?after=" + std::to_string(sequence))["seq"].get<std::uint64_t>(), sequence);
}

TEST_F(WebServerTest, OnlyPicturesFromTheDeviceThatAFrameNamedAreServed) {
  dismissGuide();
  auto picture = findView(get("/api/frame")["root"], [](const json& view) {
    return view.contains("img") && view["img"].contains("src");
  });
  ASSERT_TRUE(picture);
  std::string url = (*picture)["img"]["src"];
  auto served = client().Get(url.c_str());
  ASSERT_TRUE(served);
  EXPECT_EQ(served->status, 200);
  EXPECT_EQ(served->body.substr(1, 3), "PNG");

  for (const char* path : {"/assets/file/etc/passwd", "/assets/file/..%2F..%2F..%2Fetc%2Fpasswd",
                           "/assets/file/var/jb/var/mobile/Library/Preferences/com.qelm.kavroprefs.plist",
                           "/assets/png/0123456789ABCDEF", "/assets/png/..%2Fx"}) {
    auto result = client().Get(path);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 404) << path;
  }
  ImageAssets assets(folder_.path() / "device");
  EXPECT_EQ(assets.fileURL("/etc/hostname"), "");
  EXPECT_EQ(assets.fileURL(folder_.path() / "device" / ".." / "elsewhere.png"), "");
}

TEST_F(WebServerTest, ManyClientsAtOnceSeeTheSameDevice) {
  dismissGuide();
  std::vector<std::thread> clients;
  std::atomic<int> failures = 0;
  for (int i = 0; i < 6; ++i)
    clients.emplace_back([this, i, &failures] {
      httplib::Client own("127.0.0.1", port_);
      for (int request = 0; request < 15; ++request) {
        const char* path = (request + i) % 3 == 0 ? "/api/state" : (request + i) % 3 == 1 ? "/api/frame" : "/api/panel";
        auto result = own.Get(path);
        if (!result || result->status != 200) ++failures;
      }
      auto result = own.Post("/api/appearance", i % 2 ? R"({"appearance":"dark"})" : R"({"appearance":"light"})",
                             "application/json");
      if (!result || result->status != 204) ++failures;
    });
  for (auto& thread : clients) thread.join();
  EXPECT_EQ(failures, 0);
  auto seen = get("/api/frame");
  EXPECT_EQ(get("/api/frame")["seq"], seen["seq"]);
  EXPECT_EQ(get("/api/state")["appearance"], seen["appearance"]);
}

}  // namespace
}  // namespace kavro::sim
