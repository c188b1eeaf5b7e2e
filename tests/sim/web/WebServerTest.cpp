// The web server against a live simulator whose clock the test moves: requests are
// checked before they reach the device, inputs arrive as touches and typing, pages
// are pushed what changes, and clients that trickle or idle hold up nobody.

#include "platform/foundation/PlistValue.h"
#include "sim/phone/Phone.h"
#include "sim/render/RenderTree.h"
#include "sim/web/server/LiveDevice.h"
#include "sim/web/server/Screenshots.h"
#include "sim/web/server/WebServer.h"
#include "switch/KavroSwitch.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/LoopbackClient.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kavro::sim {
namespace {

using nlohmann::json;
using test::Connection;
using test::HttpAnswer;
using test::WebSocketClient;

const std::string kJson = "Content-Type: application/json\r\n";

class WebServerTest : public ::testing::Test {
 protected:
  explicit WebServerTest(WebServer::Options options = {WebServer::defaultWebRoot(), /*ticker=*/false})
      : simulator_(folder_.path() / "device"), live_(simulator_, [this] { return clock_; }), server_(live_, options) {
    simulator_.input().openSpringboard();
    simulator_.input().openSettings();
    port_ = server_.bind("127.0.0.1", 0);
    thread_ = std::thread([this] { server_.listen(); });
  }
  ~WebServerTest() override {
    server_.stop();
    thread_.join();
  }

  json get(const std::string& path) {
    HttpAnswer answer = test::request(port_, "GET", path);
    EXPECT_EQ(answer.status, 200) << path << ": " << answer.body;
    return json::parse(answer.body, nullptr, false);
  }
  int post(const std::string& path, const json& body) {
    return test::request(port_, "POST", path, body.dump(), kJson).status;
  }

  // Moves the device's clock on by `seconds` and lets it run what fell due.
  void wait(double seconds) {
    server_.call([&] {
      clock_ += seconds;
      live_.catchUp();
    });
  }
  static CGPoint centre(const json& frame) {
    return {frame[0].get<double>() + frame[2].get<double>() / 2, frame[1].get<double>() + frame[3].get<double>() / 2};
  }
  void tap(CGPoint point) {
    ASSERT_EQ(post("/api/touch", {{"phase", "down"}, {"x", point.x}, {"y", point.y}}), 204);
    ASSERT_EQ(post("/api/touch", {{"phase", "up"}}), 204);
  }
  json buttonFrame(const std::string& label) {
    json state = get("/api/state");
    for (auto& button : state["buttons"])
      if (button["label"] == label) return button["frame"];
    ADD_FAILURE() << "no button " << label << " in " << state.dump();
    return json::array({0, 0, 0, 0});
  }
  // Moves the clock on a tenth of a second at a time until the state satisfies
  // `predicate` (inputs sent over a WebSocket arrive when they arrive).
  json waitFor(const std::function<bool(const json&)>& predicate) {
    json state;
    for (int step = 0; step < 300; ++step) {
      wait(0.1);
      state = get("/api/state");
      if (predicate(state)) return state;
    }
    ADD_FAILURE() << "the state never came: " << state.dump();
    return state;
  }
  // The settings page with the first-run guide gone.
  void dismissGuide() {
    wait(1);
    tap(centre(buttonFrame("Dismiss")));
    wait(1);
    ASSERT_TRUE(get("/api/state")["sheet"].is_null());
  }

  // The first view of a render tree for which `match` holds, depth first.
  static std::optional<json> findView(const json& view, const std::function<bool(const json&)>& match) {
    if (match(view)) return view;
    if (view.contains("kids"))
      for (auto& kid : view["kids"])
        if (auto found = findView(kid, match)) return found;
    return std::nullopt;
  }

  // The next message of `type` a page receives, skipping others.
  static json next(WebSocketClient& page, const std::string& type) {
    for (int i = 0; i < 50; ++i) {
      auto text = page.receive();
      if (!text) break;
      json message = json::parse(*text);
      if (message["type"] == type) return message;
    }
    ADD_FAILURE() << "no " << type << " message";
    return json::object();
  }

  test::TemporaryFolder folder_;
  double clock_ = 0;
  Phone simulator_;
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
    std::string headers = kJson;
  };
  std::vector<Case> cases = {
      {"/api/touch", "{", 400},
      {"/api/touch", "[1, 2]", 400},
      {"/api/touch", R"({"phase": "tap", "x": 1, "y": 1})", 400},
      {"/api/touch", R"({"phase": "down", "x": "10", "y": 10})", 400},
      {"/api/touch", R"({"phase": "down", "x": 10})", 400},
      {"/api/touch", R"({"phase": "down", "x": 1e300, "y": 10})", 400},
      {"/api/touch", R"({"phase": "down", "x": 10, "y": 10, "force": 1})", 400},
      {"/api/touch", R"({"phase": "down", "x": 10, "y": 10})", 415, "Content-Type: text/plain\r\n"},
      {"/api/touch", R"({"phase": "down", "x": 10, "y": 10})", 415, ""},
      {"/api/touch", R"({"phase": "up"})", 409},  // no finger is down
      {"/api/key", R"({"text": "a"})", 409},      // no field is being edited
      {"/api/key", R"({"text": "\u0007"})", 400},
      {"/api/key", R"({"text": ""})", 400},
      {"/api/key", R"({"backspace": 0})", 400},
      {"/api/key", R"({"backspace": 1.5})", 400},
      {"/api/key", R"({"text": "a", "backspace": 1})", 400},
      {"/api/key", R"({"key": "tab"})", 400},
      {"/api/key", R"({"key": "escape", "text": "a"})", 400},
      {"/api/key", R"({"key": "return"})", 409},  // no field is being edited
      {"/api/wheel", R"({"x": 10, "dy": 5})", 400},
      {"/api/wheel", R"({"x": 10, "y": 10, "dy": 1e9})", 400},
      {"/api/wheel", R"({"x": 10, "y": 10, "dy": "5"})", 400},
      {"/api/wheel", R"({"x": 10, "y": 10, "dz": 5})", 400},
      {"/api/appearance", R"({"appearance": "blue"})", 400},
      {"/api/appearance", R"({"appearance": true})", 400},
      {"/api/open", R"({"target": "safari"})", 400},
      {"/api/open", R"({})", 400},
      {"/api/open", R"({"target": "settings"})" + std::string(20 * 1024, ' '), 413},
      {"/api/frame", "{}", 404},
      {"/api/nothing", "{}", 404},
  };
  for (auto& request : cases) {
    HttpAnswer answer = test::request(port_, "POST", request.path, request.body, request.headers);
    EXPECT_EQ(answer.status, request.status) << request.path << " " << request.body.substr(0, 60);
    auto error = json::parse(answer.body, nullptr, false);
    EXPECT_TRUE(error.is_object() && error["error"].is_string() && !error["error"].get<std::string>().empty())
        << request.path << " answered " << answer.body;
  }
  for (const char* path : {"/api/frame?after=abc", "/api/panel?after=-1", "/nowhere", "/api/live"}) {
    int status = test::request(port_, "GET", path).status;
    EXPECT_GE(status, 400) << path;
    EXPECT_LT(status, 500) << path;
  }
  // Bytes that are no HTTP request, and a header too large to be one.
  Connection garbage(port_);
  garbage.send("NOT HTTP AT ALL\r\n\r\n");
  EXPECT_EQ(HttpAnswer::read(garbage).status, 400);
  EXPECT_EQ(test::request(port_, "GET", "/api/state", "", "X-Filler: " + std::string(10000, 'x') + "\r\n").status, 431);
  // A page of another site reaching the server through a name of its own, or
  // opening a WebSocket from its own origin.
  EXPECT_EQ(test::request(port_, "GET", "/api/state", "", "Host: attacker.example:8080\r\n").status, 403);
  WebSocketClient foreign(port_, "/api/live", "http://attacker.example");
  EXPECT_FALSE(foreign.ok());
  EXPECT_EQ(foreign.refusal().status, 403);

  EXPECT_EQ(get("/api/state").dump(), before);
  EXPECT_EQ(get("/api/frame")["seq"], frameBefore);
}

// The status of a GET with exactly these header lines (no Host added).
int statusWithHeaders(int port, const std::string& target, const std::string& headers) {
  Connection connection(port);
  connection.send("GET " + target + " HTTP/1.1\r\n" + headers + "\r\n");
  return HttpAnswer::read(connection).status;
}

// A WebSocket handshake with these Host and Origin lines; 101 when let in.
int upgradeStatus(int port, const std::string& hostAndOrigin) {
  return statusWithHeaders(port, "/api/live",
                           hostAndOrigin +
                               "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n");
}

TEST_F(WebServerTest, AHostIsExactlyALoopbackNameWithAnOptionalPort) {
  std::string port = std::to_string(port_);
  for (const std::string& host : std::vector<std::string>{"127.0.0.1", "127.0.0.1:" + port, "LocalHost:" + port, "localhost", "[::1]:" + port,
                           "[::1]", "127.0.0.1:9000"})
    EXPECT_EQ(statusWithHeaders(port_, "/api/screen", "Host: " + host + "\r\n"), 200) << host;
  // Malformed: no name and port of the grammar at all.
  for (const std::string& host : std::vector<std::string>{"127.0.0.1:80@evil.example", "[::1]evil.example", "localhost:evil.example", "127.0.0.1:x",
                           "", "127.0.0.1:", "127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:-1", "[::1", ":8080",
                           "127.0.0.1:80:80", "local host"})
    EXPECT_EQ(statusWithHeaders(port_, "/api/screen", "Host: " + host + "\r\n"), 400) << "\"" << host << "\"";
  // Well formed, but another host.
  for (const std::string& host : std::vector<std::string>{"evil.example", "127.0.0.2:" + port, "localhost.evil.example", "[::2]", "0.0.0.0"})
    EXPECT_EQ(statusWithHeaders(port_, "/api/screen", "Host: " + host + "\r\n"), 403) << host;
  // HTTP/1.1 requires exactly one Host.
  EXPECT_EQ(statusWithHeaders(port_, "/api/screen", ""), 400);
  EXPECT_EQ(statusWithHeaders(port_, "/api/screen", "Host: 127.0.0.1\r\nHost: evil.example\r\n"), 400);
  // The same rule before a WebSocket is let in.
  EXPECT_EQ(upgradeStatus(port_, "Host: 127.0.0.1:80@evil.example\r\n"), 400);
  EXPECT_EQ(upgradeStatus(port_, "Host: evil.example\r\n"), 403);
  EXPECT_EQ(upgradeStatus(port_, ""), 400);
}

TEST_F(WebServerTest, AWebSocketIsLetInOnlyFromThePageOfTheOriginItAddressed) {
  std::string host = "127.0.0.1:" + std::to_string(port_);
  auto withOrigin = [&](const std::string& origin) {
    return upgradeStatus(port_, "Host: " + host + "\r\nOrigin: " + origin + "\r\n");
  };
  EXPECT_EQ(withOrigin("http://" + host), 101);
  EXPECT_EQ(withOrigin("HTTP://" + host), 101);
  EXPECT_EQ(upgradeStatus(port_, "Host: " + host + "\r\n"), 101) << "a client that is no browser sends no Origin";
  // Another origin: a page on another loopback port, under another name, scheme,
  // or none (a sandboxed or local file's page).
  for (const std::string& origin : std::vector<std::string>{"http://127.0.0.1:1", "http://127.0.0.1", "http://localhost:" + std::to_string(port_),
                             "https://" + host, "null", "http://evil.example", "ws://" + host})
    EXPECT_EQ(withOrigin(origin), 403) << origin;
  // No origin at all.
  for (const std::string& origin : std::vector<std::string>{"", "http://" + host + "/", "http://" + host + "@evil.example", "http//" + host,
                             "http://127.0.0.1:x", "http://"})
    EXPECT_EQ(withOrigin(origin), 400) << "\"" << origin << "\"";
  EXPECT_EQ(upgradeStatus(port_, "Host: " + host + "\r\nOrigin: http://" + host + "\r\nOrigin: http://evil.example\r\n"),
            400);
}

TEST_F(WebServerTest, TouchesTypingAndCommandsReachTheDevice) {
  dismissGuide();
  tap(centre(get("/api/state")["switches"][0]["frame"]));
  EXPECT_EQ(get("/api/state")["prefs"]["enabled"], true);

  EXPECT_EQ(post("/api/appearance", {{"appearance", "dark"}}), 204);
  EXPECT_EQ(get("/api/panel")["appearance"], "dark");
  EXPECT_EQ(get("/api/frame")["appearance"], "dark");

  // The picker's search field takes typing once a tap has focused it.
  server_.call([&] { simulator_.input().openPicker("blacklist", "settings"); });
  wait(1);
  // The wheel scrolls the table under it, and back.
  auto rowTop = [&] { return get("/api/state")["table"]["sections"][1]["cells"][0]["frame"][1].get<double>(); };
  double top = rowTop();
  EXPECT_EQ(post("/api/wheel", {{"x", 200}, {"y", 600}, {"dy", 40}}), 204);
  EXPECT_NEAR(rowTop(), top - 40, 0.01);
  EXPECT_EQ(post("/api/wheel", {{"x", 200}, {"y", 600}, {"dx", 0}, {"dy", -40}}), 204);
  auto field = findView(get("/api/frame")["root"], [](const json& view) { return view.contains("field"); });
  ASSERT_TRUE(field);
  tap(centre((*field)["f"]));
  EXPECT_EQ(post("/api/key", {{"text", "calé"}}), 204);
  EXPECT_EQ(post("/api/key", {{"backspace", 1}}), 204);
  EXPECT_EQ(get("/api/state")["search"]["text"], "cal");
  EXPECT_EQ(post("/api/key", {{"key", "return"}}), 204);
  EXPECT_EQ(get("/api/state")["search"]["editing"], true);
  auto caret = findView(get("/api/frame")["root"], [](const json& view) {
    return view.contains("text") && view["text"].value("caret", false);
  });
  ASSERT_TRUE(caret) << "the edited field's label carries the caret";
  EXPECT_EQ((*caret)["text"]["lines"][0], "cal");

  // Esc ends the search.
  EXPECT_EQ(post("/api/key", {{"key", "escape"}}), 204);
  wait(1);
  EXPECT_EQ(get("/api/state")["search"]["editing"], false);

  EXPECT_EQ(post("/api/open", {{"target", "springboard"}}), 204);
  EXPECT_EQ(get("/api/state")["process"], "springboard");
  // The log is read, not consumed: two readers see the same events.
  auto first = get("/api/state")["log"];
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(get("/api/state")["log"], first);
  auto panel = get("/api/panel?after=0");
  EXPECT_EQ(panel["events"].size(), std::min<std::size_t>(first.size(), Readings::kStateLogLength));
  EXPECT_TRUE(get("/api/panel?after=" + panel["last"].dump())["events"].empty());
}

TEST_F(WebServerTest, FramesShowTheSwitchThumbAtItsPresentationValues) {
  dismissGuide();
  auto thumbX = [this] {
    auto control = findView(get("/api/frame")["root"], [](const json& view) { return view["k"] == "KavroSwitch"; });
    EXPECT_TRUE(control);
    return control ? (*control)["kids"][1]["f"][0].get<double>() : 0.0;
  };
  double off = thumbX();
  tap(centre(get("/api/state")["switches"][0]["frame"]));
  wait(0.2);  // the end of the overshoot
  double overshoot = thumbX();
  wait(0.3);  // settled
  double on = thumbX();
  EXPECT_GT(on, off);
  EXPECT_NEAR(overshoot, on + KavroSwitch::kDefaultBounceOffset, 0.5);

  // A frame goes out again only when the picture changed.
  auto sequence = get("/api/frame")["seq"].get<std::uint64_t>();
  wait(1);
  EXPECT_EQ(test::request(port_, "GET", "/api/frame?after=" + std::to_string(sequence)).status, 204);
  EXPECT_EQ(post("/api/appearance", {{"appearance", "dark"}}), 204);
  EXPECT_GT(get("/api/frame?after=" + std::to_string(sequence))["seq"].get<std::uint64_t>(), sequence);
}

TEST_F(WebServerTest, OnlyPicturesFromTheDeviceThatAFrameNamedAreServed) {
  dismissGuide();
  auto picture = findView(get("/api/frame")["root"], [](const json& view) {
    return view.contains("img") && view["img"].contains("src");
  });
  ASSERT_TRUE(picture);
  HttpAnswer served = test::request(port_, "GET", (*picture)["img"]["src"].get<std::string>());
  EXPECT_EQ(served.status, 200);
  EXPECT_EQ(served.body.substr(1, 3), "PNG");

  for (const char* path : {"/assets/file/etc/passwd", "/assets/file/..%2F..%2F..%2Fetc%2Fpasswd", "/assets/file/%00",
                           "/assets/file/var/jb/var/mobile/Library/Preferences/com.qelm.kavroprefs.plist",
                           "/assets/png/0123456789ABCDEF", "/assets/png/..%2Fx"})
    EXPECT_EQ(test::request(port_, "GET", path).status, 404) << path;
  ImageAssets assets(folder_.path() / "device");
  EXPECT_EQ(assets.fileURL("/etc/hostname"), "");
  EXPECT_EQ(assets.fileURL(folder_.path() / "device" / ".." / "elsewhere.png"), "");
}

TEST_F(WebServerTest, ClientsThatTrickleOrIdleHoldUpNobody) {
  // 64 connections each part-way through a request's header, and 200 keep-alive
  // connections idle after a request each: all of them at once.
  std::vector<Connection> trickling, idle;
  for (int i = 0; i < 64; ++i) {
    trickling.emplace_back(port_);
    trickling.back().send("GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n");
  }
  for (int i = 0; i < 200; ++i) {
    idle.emplace_back(port_);
    ASSERT_EQ(test::request(idle.back(), "GET", "/api/screen").status, 200);
  }
  EXPECT_EQ(get("/api/state")["process"], "settings");
  WebSocketClient page(port_, "/api/live");
  ASSERT_TRUE(page.ok());
  EXPECT_EQ(next(page, "hello")["screen"]["width"], 390);
  // The idle connections still serve their next request.
  EXPECT_EQ(test::request(idle.front(), "GET", "/api/screen").status, 200);
}

class BoundedWebServerTest : public WebServerTest {
 protected:
  BoundedWebServerTest() : WebServerTest({WebServer::defaultWebRoot(), false, 16 * 1024, 0.3, 8}) {}
};

TEST_F(BoundedWebServerTest, ARequestMustArriveInBoundedTimeAndWaitingConnectionsAreCapped) {
  // A request that never completes is cut off at the bound.
  Connection trickling(port_);
  trickling.send("GET /api/state HTTP/1.1\r\n");
  EXPECT_TRUE(trickling.closedByServer(5000));

  // Past the cap, the connection that has waited longest goes first.
  std::vector<Connection> waiting;
  for (int i = 0; i < 8; ++i) {
    waiting.emplace_back(port_);
    ASSERT_EQ(test::request(waiting.back(), "GET", "/api/screen").status, 200);
  }
  Connection newcomer(port_);
  EXPECT_EQ(test::request(newcomer, "GET", "/api/screen").status, 200);
  EXPECT_TRUE(waiting.front().closedByServer(5000));
  EXPECT_EQ(test::request(waiting.back(), "GET", "/api/screen").status, 200);
}

// A bundle folder of the test's own, watched by the server: made once, before
// the server starts.
const std::filesystem::path& watchedBundleFolder() {
  static test::TemporaryFolder folder;
  static const std::filesystem::path bundle = [] {
    auto path = folder.path() / "Tides.bundle";
    std::filesystem::create_directories(path);
    std::ofstream(path / "Info.plist") << "{ CFBundleIdentifier = org.example.tides; NSPrincipalClass = PSListController; }";
    std::ofstream(path / "Root.plist") << "{ items = ( { cell = PSGroupCell; label = Water; } ); }";
    return path;
  }();
  return bundle;
}

WebServer::Options watchingOptions(std::vector<BundleSource> bundles) {
  WebServer::Options options{WebServer::defaultWebRoot(), /*ticker=*/false};
  options.watchedBundles = std::move(bundles);
  return options;
}

class WatchingWebServerTest : public WebServerTest {
 protected:
  WatchingWebServerTest() : WebServerTest(watchingOptions({{"Tides", watchedBundleFolder(), false}})) {}
};

// The whole loop on real files: a save in a watched folder installs the bundle
// and logs its reload, with no input from anyone.
TEST_F(WatchingWebServerTest, ASaveInAWatchedFolderIsInstalledAndLogged) {
  std::ofstream(watchedBundleFolder() / "Root.plist") << "{ items = ( { cell = PSGroupCell; label = Tide; } ); }";
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  json reload;
  while (reload.is_null() && std::chrono::steady_clock::now() < end) {
    json panel = get("/api/panel");
    for (auto& event : panel["events"])
      if (event["event"] == "reload") reload = event;
    if (reload.is_null()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_FALSE(reload.is_null()) << "no reload within 5 s";
  EXPECT_EQ(reload["bundle"], "Tides");
  // Not installed before: every file of the folder is new on the device.
  EXPECT_EQ(reload["files"], json::array({"Info.plist", "Root.plist"}));
}

class UnwatchableWebServerTest : public WebServerTest {
 protected:
  UnwatchableWebServerTest()
      : WebServerTest(watchingOptions({{"Gone", std::filesystem::path("/nonexistent/Gone.bundle"), false}})) {}
};

// A folder that cannot be watched turns live reload off, not the server.
TEST_F(UnwatchableWebServerTest, AFolderThatCannotBeWatchedStillServes) {
  EXPECT_EQ(test::request(port_, "GET", "/api/screen").status, 200);
}

TEST_F(WebServerTest, PagesArePushedFramesStoredValuesAndEventsAsTheyChange) {
  WebSocketClient page(port_, "/api/live");
  ASSERT_TRUE(page.ok());
  json hello = next(page, "hello");
  EXPECT_EQ(hello["screen"]["height"], 844);
  EXPECT_EQ(next(page, "panel")["appearance"], "light");
  EXPECT_EQ(next(page, "events")["history"], true);
  json frame = next(page, "frame");
  EXPECT_EQ(frame["process"], "settings");

  // Once the guide has come up, nothing changes: nothing is sent.
  wait(2);
  while (page.receive(200)) {
  }
  wait(1);
  EXPECT_FALSE(page.receive(100)) << "a page with nothing new is sent nothing";

  // An input from anywhere reaches every page as a new frame and panel.
  EXPECT_EQ(post("/api/appearance", {{"appearance", "dark"}}), 204);
  EXPECT_EQ(next(page, "frame")["appearance"], "dark");
  EXPECT_EQ(next(page, "panel")["appearance"], "dark");

  // The page's own inputs: the guide's Dismiss tapped, then the switch.
  CGPoint dismiss = centre(buttonFrame("Dismiss"));
  page.send(json{{"type", "touch"}, {"phase", "down"}, {"x", dismiss.x}, {"y", dismiss.y}}.dump());
  page.send(json{{"type", "touch"}, {"phase", "up"}}.dump());
  json settled = waitFor([](const json& state) { return !state["switches"].empty() && state["sheet"].is_null(); });
  CGPoint toggle = centre(settled["switches"][0]["frame"]);
  page.send(json{{"type", "touch"}, {"phase", "down"}, {"x", toggle.x}, {"y", toggle.y}}.dump());
  page.send(json{{"type", "touch"}, {"phase", "up"}}.dump());
  // Events were pushed as they came (the guide's sheet went away), each once.
  std::vector<std::uint64_t> pushed;
  for (auto text = page.receive(); text; text = page.receive()) {
    json message = json::parse(*text);
    if (message["type"] == "events")
      for (auto& event : message["events"]) pushed.push_back(event["seq"]);
    if (message["type"] == "panel" && message["prefs"].contains("enabled")) break;
  }
  EXPECT_EQ(get("/api/state")["prefs"]["enabled"], true);
  EXPECT_FALSE(pushed.empty());
  EXPECT_TRUE(std::adjacent_find(pushed.begin(), pushed.end(), std::greater_equal<>()) == pushed.end());

  // A malformed message is answered on that page and changes nothing.
  page.send("{\"type\":\"fly\"}");
  EXPECT_NE(next(page, "error")["error"].get<std::string>().find("fly"), std::string::npos);
}

TEST_F(WebServerTest, APressFromAnotherPageWhileAFingerIsDownIsRefusedOnThatPage) {
  dismissGuide();
  WebSocketClient first(port_, "/api/live"), second(port_, "/api/live");
  ASSERT_TRUE(first.ok() && second.ok());
  EXPECT_NE(next(first, "hello")["client"], next(second, "hello")["client"]);
  // Two pages' messages reach the server in no set order: each step waits until
  // the server has taken the one before.
  auto touching = [&] {
    bool down = false;
    server_.call([&] { down = simulator_.input().isTouching(); });
    return down;
  };
  auto waitUntil = [&](bool down) {
    for (int polls = 0; touching() != down && polls < 10000; ++polls) {
    }
    return touching() == down;
  };
  CGPoint toggle = centre(get("/api/state")["switches"][0]["frame"]);
  first.send(json{{"type", "touch"}, {"phase", "down"}, {"x", toggle.x}, {"y", toggle.y}}.dump());
  ASSERT_TRUE(waitUntil(true));
  second.send(json{{"type", "touch"}, {"phase", "down"}, {"x", 20}, {"y", 400}}.dump());
  json refused = next(second, "refused");
  EXPECT_EQ(refused["input"], "touch");
  // The other page's release is not lost: the first finger still taps the switch.
  second.send(json{{"type", "touch"}, {"phase", "up"}}.dump());
  first.send(json{{"type", "touch"}, {"phase", "up"}}.dump());
  for (json panel = next(first, "panel"); !panel["prefs"].contains("enabled"); panel = next(first, "panel")) {
  }
  // Keys with no field to go to are dropped without a word.
  second.send(R"({"type":"key","text":"x"})");
  second.send(R"({"type":"appearance","appearance":"dark"})");
  for (auto text = second.receive(); text; text = second.receive()) {
    json message = json::parse(*text);
    EXPECT_NE(message["type"], "error") << *text;
    EXPECT_NE(message["type"], "refused") << *text;
    if (message["type"] == "panel" && message["appearance"] == "dark") break;
  }
  // A page that goes away lifts its finger.
  {
    WebSocketClient leaving(port_, "/api/live");
    ASSERT_TRUE(leaving.ok());
    leaving.send(json{{"type", "touch"}, {"phase", "down"}, {"x", 20}, {"y", 400}}.dump());
    ASSERT_TRUE(waitUntil(true));
  }
  EXPECT_TRUE(waitUntil(false));
}

TEST_F(WebServerTest, AScreenshotIsAskedOfTheLatestPageAndItsAnswerServed) {
  EXPECT_EQ(test::request(port_, "GET", "/api/screenshot").status, 503) << "no page to draw it";
  WebSocketClient older(port_, "/api/live");
  std::optional<WebSocketClient> latest(std::in_place, port_, "/api/live");
  ASSERT_TRUE(older.ok() && latest->ok());
  next(older, "hello");
  next(*latest, "hello");

  // A picture well past the 16 KiB a page's message may otherwise be: a PNG's
  // signature and header of the screen's size, then bytes.
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                   0, 0, 0x04, 0x92, 0, 0, 0x09, 0xE4};
  png.resize(100 * 1024, 0x5A);
  HttpAnswer answer;
  std::thread asking([&] { answer = test::request(port_, "GET", "/api/screenshot"); });
  json ask = next(*latest, "screenshot");
  ASSERT_TRUE(ask["id"].is_number_unsigned());
  latest->send(json{{"type", "screenshot"}, {"id", ask["id"]}, {"png", NSData{png}.base64EncodedString()}}.dump());
  asking.join();
  EXPECT_EQ(answer.status, 200) << answer.body.substr(0, 200);
  EXPECT_EQ(answer.headers["content-type"], "image/png");
  EXPECT_EQ(answer.headers["cache-control"], "no-store");
  EXPECT_EQ(answer.body, std::string(png.begin(), png.end()));

  // The page asked goes away before it answers: 504, and the connection that
  // asked serves its next request.
  Connection connection(port_);
  HttpAnswer gone;
  std::thread waiting([&] { gone = test::request(connection, "GET", "/api/screenshot"); });
  next(*latest, "screenshot");
  latest.reset();
  waiting.join();
  EXPECT_EQ(gone.status, 504);
  EXPECT_EQ(test::request(connection, "GET", "/api/screen").status, 200);

  // Any other message as long as a picture closes the page's connection, as one
  // past the socket's limit does: the older page goes too, and nobody is left.
  older.send(json{{"type", "key"}, {"text", std::string(20 * 1024, 'a')}}.dump());
  for (int i = 0; i < 100 && older.receive(2000); ++i) {
  }
  EXPECT_EQ(test::request(port_, "GET", "/api/screenshot").status, 503);

  // A client that hangs up before the answer: the answer finds nobody, and the
  // server goes on.
  WebSocketClient page(port_, "/api/live");
  ASSERT_TRUE(page.ok());
  next(page, "hello");
  std::optional<Connection> impatient(std::in_place, port_);
  impatient->send("GET /api/screenshot HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  json late = next(page, "screenshot");
  impatient.reset();
  page.send(json{{"type", "screenshot"}, {"id", late["id"]}, {"png", NSData{png}.base64EncodedString()}}.dump());
  EXPECT_EQ(test::request(port_, "GET", "/api/screen").status, 200);

  // A server that stops while a request waits answers nothing.
  HttpAnswer unanswered;
  std::thread stopping([&] { unanswered = test::request(port_, "GET", "/api/screenshot"); });
  next(page, "screenshot");
  server_.stop();
  stopping.join();
  EXPECT_EQ(unanswered.status, -1);
}

}  // namespace
}  // namespace kavro::sim
