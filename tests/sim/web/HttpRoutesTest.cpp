// The routes without sockets: each request reaches its route, the page's files
// and the device's readings come back with their types, inputs are applied, and
// every failure answers {"error"} with the status of the one mapping.

#include "sim/core/BundleInstaller.h"
#include "sim/core/Query.h"
#include "sim/phone/Phone.h"
#include "sim/web/server/HttpRoutes.h"
#include "sim/web/server/LiveDevice.h"
#include "sim/web/server/RequestError.h"
#include "tests/support/DeviceFixture.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace kavro::sim {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

class HttpRoutesTest : public ::testing::Test {
 protected:
  HttpRoutesTest()
      : simulator_(folder_.path() / "device"),
        live_(simulator_, [this] { return clock_; }),
        routes_(live_, folder_.path() / "page", [this](const InputKind& kind, const json& body, Input::Owner owner) {
          ++applied_;
          if (failure_) failure_();
          kind.apply(live_.input(), body, owner);
          live_.inputApplied();
        }) {
    test::writeFileBytes(folder_.path() / "page" / "index.html", test::bytesOf("<html>"));
    test::writeFileBytes(folder_.path() / "page" / "modules" / "draw.js", test::bytesOf("export {}"));
    simulator_.input().openSpringboard();
    simulator_.input().openSettings();
  }

  HttpReply answer(const std::string& method, const std::string& target, const std::string& body = "",
                   const std::string& contentType = "application/json") {
    return answerNow({method, target, {"127.0.0.1:8080"}, {}, contentType, body});
  }
  // What a route that answers at once answers.
  HttpReply answerNow(const HttpRequest& request) {
    std::optional<HttpReply> reply;
    routes_.answer(request, [&](HttpReply answered) { reply = std::move(answered); });
    EXPECT_TRUE(reply) << request.target << " was not answered at once";
    return reply.value_or(HttpReply{});
  }
  static std::string errorOf(const HttpReply& reply) {
    json body = json::parse(reply.body, nullptr, false);
    return body.is_object() && body["error"].is_string() ? body["error"].get<std::string>() : "";
  }

  test::TemporaryFolder folder_;
  double clock_ = 0;
  Phone simulator_;
  LiveDevice live_;
  int applied_ = 0;
  std::function<void()> failure_;
  HttpRoutes routes_;
};

TEST_F(HttpRoutesTest, ReadingsAndThePageComeBackWithTheirTypes) {
  HttpReply state = answer("GET", "/api/state");
  EXPECT_EQ(state.status, 200);
  EXPECT_EQ(state.contentType, "application/json");
  EXPECT_EQ(state.cacheControl, "no-store");
  EXPECT_EQ(json::parse(state.body)["process"], "settings");

  HttpReply frame = answer("GET", "/api/frame");
  auto sequence = json::parse(frame.body)["seq"].get<std::uint64_t>();
  EXPECT_EQ(answer("GET", "/api/frame?after=" + std::to_string(sequence)).status, 204);
  EXPECT_EQ(answer("GET", "/api/frame?after=" + std::to_string(sequence + 1)).status, 200);
  EXPECT_EQ(json::parse(answer("GET", "/api/panel?after=0").body)["appearance"], "light");
  EXPECT_EQ(json::parse(answer("GET", "/api/screen").body)["width"], 390);
  EXPECT_EQ(answer("GET", "/api/symbols").cacheControl, "max-age=3600");

  HttpReply page = answer("GET", "/");
  EXPECT_EQ(page.body, "<html>");
  EXPECT_EQ(page.cacheControl, "no-cache");
  HttpReply module = answer("GET", "/modules/draw.js?v=2");
  EXPECT_EQ(module.body, "export {}");
  EXPECT_EQ(module.contentType, "text/javascript; charset=utf-8");
}

TEST_F(HttpRoutesTest, AnInputIsAppliedOnceItsBodyPassesEveryCheck) {
  EXPECT_EQ(answer("POST", "/api/appearance", R"({"appearance": "dark"})").status, 204);
  EXPECT_EQ(applied_, 1);
  EXPECT_EQ(json::parse(answer("GET", "/api/panel").body)["appearance"], "dark");
  // The body is checked before the input is: nothing reaches the device.
  EXPECT_EQ(answer("POST", "/api/appearance", R"({"appearance": "dark"})", "text/plain").status, 415);
  EXPECT_EQ(answer("POST", "/api/appearance", R"({"appearance": "dark", "x": 1})").status, 400);
  EXPECT_EQ(answer("POST", "/api/appearance", "{").status, 400);
  EXPECT_EQ(applied_, 1);
}

TEST_F(HttpRoutesTest, OpenTakesASettingsURLOfAnInstalledBundle) {
  installPreferenceBundle(folder_.path() / "device", fs::path(KAVRO_SOURCE_DIR) / "tests/sim/settings/bundles/beacon");
  EXPECT_EQ(answer("POST", "/api/open", R"({"url": "prefs:root=beacon"})").status, 204);
  clock_ += 1;
  EXPECT_EQ(json::parse(answer("GET", "/api/state").body)["title"], "Beacon Pro");
  EXPECT_EQ(answer("POST", "/api/open", R"({"url": "prefs:root=Beacon%20Pro"})").status, 400) << "no escapes";
  EXPECT_EQ(answer("POST", "/api/open", R"({"url": "prefs:root=Beacon Pro"})").status, 204);
  for (const char* body : {R"({"url": "prefs:root=Nothing"})", R"({"url": "https://example.com"})",
                           R"({"url": "prefs:root="})", R"({"url": 7})", R"({"url": "prefs:root=beacon", "target": "settings"})",
                           R"({})"}) {
    HttpReply reply = answer("POST", "/api/open", body);
    EXPECT_EQ(reply.status, 400) << body;
    EXPECT_FALSE(errorOf(reply).empty()) << body;
  }
  EXPECT_EQ(answer("POST", "/api/open", json{{"url", "prefs:root=" + std::string(3000, 'a')}}.dump()).status, 400);
  clock_ += 1;
  EXPECT_EQ(json::parse(answer("GET", "/api/state").body)["title"], "Beacon Pro") << "a refused URL changes nothing";
}

TEST_F(HttpRoutesTest, ThePanelListsTheBundlesWithTheirDomainsAndTheAddressOfWhatShows) {
  const fs::path bundles = fs::path(KAVRO_SOURCE_DIR) / "tests/sim/settings/bundles";
  for (const char* name : {"beacon", "Notepad.bundle", "Lumen.bundle"})
    installPreferenceBundle(folder_.path() / "device", bundles / name);
  json panel = json::parse(answer("GET", "/api/panel").body);
  EXPECT_EQ(panel["bundles"], json::parse(R"([
    {"name": "beacon", "label": "Beacon Pro", "domains": ["org.example.beacon"]},
    {"name": "kavroprefs", "label": "Kavro", "domains": ["com.qelm.kavroprefs"]},
    {"name": "Lumen", "label": "lumen glow", "domains": ["org.example.lumen"]},
    {"name": "Notepad", "label": "Notepad", "domains": ["org.example.notepad"]}])"));
  EXPECT_EQ(panel["address"], "prefs:root=kavroprefs");
  for (const char* url : {"prefs:root=Notepad", "prefs:root=lumen glow"}) {
    ASSERT_EQ(answer("POST", "/api/open", json{{"url", url}}.dump()).status, 204);
    clock_ += 1;
    std::string name = url == std::string("prefs:root=Notepad") ? "Notepad" : "Lumen";
    EXPECT_EQ(json::parse(answer("GET", "/api/panel").body)["address"], "prefs:root=" + name) << url;
  }
  ASSERT_EQ(answer("POST", "/api/open", R"({"target": "springboard"})").status, 204);
  clock_ += 1;
  EXPECT_EQ(json::parse(answer("GET", "/api/panel").body)["address"], "") << "the home screen has none";
}

TEST_F(HttpRoutesTest, EveryFailureAnswersAnErrorWithTheStatusOfTheOneMapping) {
  struct Case {
    std::string method, target, body;
    int status;
  };
  for (const Case& expected : std::vector<Case>{
           {"GET", "/nowhere", "", 404},
           {"GET", "/api/nothing", "", 404},
           {"HEAD", "/", "", 404},
           {"POST", "/api/frame", "{}", 404},
           {"POST", "/api/fly", "{}", 404},
           {"GET", "/api/live", "", 426},
           {"GET", "/api/frame?after=x", "", 400},
           {"GET", "/assets/png/0123456789ABCDEF", "", 404},
           {"GET", "/assets/file/..%2Fpage%2Findex.html", "", 404},
           {"POST", "/api/touch", R"({"phase": "up"})", 409},  // no finger is down
           {"POST", "/api/touch", R"({"phase": "down", "x": 1})", 400},
       }) {
    HttpReply reply = answer(expected.method, expected.target, expected.body);
    EXPECT_EQ(reply.status, expected.status) << expected.method << " " << expected.target;
    EXPECT_NE(errorOf(reply), "") << expected.method << " " << expected.target;
    EXPECT_EQ(reply.contentType, "application/json");
  }
  // A fault of the simulator's own is a 500 that says so.
  failure_ = [] { throw std::runtime_error("the run loop broke"); };
  HttpReply fault = answer("POST", "/api/appearance", R"({"appearance": "dark"})");
  EXPECT_EQ(fault.status, 500);
  EXPECT_EQ(errorOf(fault), "the simulator failed: the run loop broke");
  // A Host of another site is refused before any route.
  EXPECT_EQ(answerNow({"GET", "/api/state", {"evil.example"}, {}, "", ""}).status, 403);
  EXPECT_EQ(answerNow({"GET", "/api/state", {}, {}, "", ""}).status, 400);
}

TEST_F(HttpRoutesTest, AWebSocketHandshakeIsRefusedAtAnotherPathHostOrOrigin) {
  auto refusal = [&](const std::string& target, std::vector<std::string> hosts, std::vector<std::string> origins) {
    auto reply = routes_.refuseUpgrade({"GET", target, std::move(hosts), std::move(origins), "", ""});
    return reply ? reply->status : 101;
  };
  EXPECT_EQ(refusal("/api/live", {"127.0.0.1:8080"}, {"http://127.0.0.1:8080"}), 101);
  EXPECT_EQ(refusal("/api/live", {"127.0.0.1:8080"}, {}), 101);
  EXPECT_EQ(refusal("/api/state", {"127.0.0.1:8080"}, {}), 404);
  EXPECT_EQ(refusal("/api/live", {"evil.example:8080"}, {"http://evil.example:8080"}), 403);
  EXPECT_EQ(refusal("/api/live", {"127.0.0.1:8080"}, {"http://127.0.0.1:1"}), 403);
}

TEST(RequestError, EachFailureHasOneStatus) {
  auto statusOf = [](auto error) { return failureOf(std::make_exception_ptr(error), "a test").status; };
  EXPECT_EQ(statusOf(RequestError(415, "x")), 415);
  EXPECT_EQ(statusOf(InputRefused("x")), 409);
  EXPECT_EQ(statusOf(InputError("x")), 400);
  EXPECT_EQ(statusOf(std::runtime_error("x")), 500);
  EXPECT_EQ(statusOf(42), 500);
  EXPECT_EQ(failureOf(std::make_exception_ptr(InputError("no such row")), "a test").message, "no such row");
}

}  // namespace
}  // namespace kavro::sim
