#pragma once
// What the server answers each HTTP request, as a table of routes (method, path,
// handler), with no network code: the sessions hand a request over as an
// HttpRequest and send back the HttpReply, which most routes give at once and a
// few later (GET /api/screenshot waits for a page to draw the screen). Adding a
// route is one entry of routes(); docs/simulator.md lists them.
//
// Every request must name a loopback Host (HostCheck.h). A route's path is
// matched exactly, or as a prefix when it ends in '/'; the first route that
// matches answers, so the page's own files ("/", every path left) come last.
// Whatever fails answers {"error": ...} with the status failureOf() gives it.

#include "sim/core/Input.h"
#include "sim/web/server/InputTable.h"
#include "sim/web/server/PageFolder.h"
#include "sim/web/server/RequestError.h"
#include "sim/web/server/RequestTarget.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::sim {

class LiveDevice;

struct HttpRequest {
  std::string method;  // "GET", "POST", …
  std::string target;  // the path and query, as sent
  // The values of every Host and Origin header, in order.
  std::vector<std::string> hosts;
  std::vector<std::string> origins;
  std::string contentType;
  std::string body;
};

struct HttpReply {
  int status = 200;
  std::string contentType;  // none when empty
  std::string cacheControl = "no-store";
  std::string body;

  static HttpReply json(const nlohmann::json& body, int status = 200);
  static HttpReply bytes(std::string body, std::string_view contentType, std::string_view cacheControl);
  static HttpReply noContent();
  static HttpReply failure(const Failure& failure);
};

class HttpRoutes {
 public:
  // The WebSocket's path.
  static constexpr std::string_view kLivePath = "/api/live";

  HttpRoutes(LiveDevice& live, std::filesystem::path pageFolder, ApplyInput applyInput);

  // What a request is answered, handed over once: at once for most routes, later
  // for a route that waits (never, when the server stops first).
  using Reply = std::function<void(HttpReply reply)>;
  void answer(const HttpRequest& request, const Reply& reply);
  // Who takes screenshots (the server, asking a page): without one, a screenshot
  // answers 503.
  using TakeScreenshot = std::function<void(Reply reply)>;
  void takeScreenshotsWith(TakeScreenshot take) { takeScreenshot_ = std::move(take); }
  // A WebSocket handshake's refusal (404 for another path than kLivePath, the
  // Host and Origin checks), or nullopt when it may go ahead.
  std::optional<HttpReply> refuseUpgrade(const HttpRequest& request) const;

  // One route's handling of one request: `rest` is what follows a prefix route's
  // path (the whole path for an exact route).
  struct Call {
    const HttpRequest& request;
    const RequestTarget& target;
    std::string_view rest;
  };
  // A route answers at once (`answer`) or later, through the reply it is handed
  // (`later`, with `answer` null).
  struct Route {
    std::string_view method;
    std::string_view path;
    HttpReply (*answer)(HttpRoutes& routes, const Call& call);
    void (*later)(HttpRoutes& routes, const Call& call, const Reply& reply) = nullptr;
  };
  // Every route, in the order they are tried.
  static const std::vector<Route>& routes();

  LiveDevice& live() { return live_; }
  const PageFolder& page() const { return page_; }
  const std::string& symbols() const { return symbols_; }
  void applyInput(const InputKind& kind, const nlohmann::json& body, Input::Owner owner) {
    applyInput_(kind, body, owner);
  }
  void takeScreenshot(const Reply& reply);

 private:
  void route(const HttpRequest& request, const RequestTarget& target, const Reply& reply);

  LiveDevice& live_;
  PageFolder page_;
  ApplyInput applyInput_;
  TakeScreenshot takeScreenshot_;
  std::string symbols_;
};

}  // namespace kavro::sim
