#include "sim/web/server/HttpRoutes.h"

#include "platform/uikit/SystemSymbolCatalogue.h"
#include "sim/core/PlistJson.h"
#include "sim/core/Readings.h"
#include "sim/web/server/HostCheck.h"
#include "sim/web/server/JsonFields.h"
#include "sim/web/server/LiveDevice.h"

#include <algorithm>

namespace kavro::sim {

using nlohmann::json;
using Call = HttpRoutes::Call;

namespace {

// Pictures larger than this are not served.
constexpr std::uintmax_t kMaximumAssetBytes = 32 * 1024 * 1024;

std::string symbolsJson() {
  json symbols = json::object();
  for (auto& name : kavro::platform::uikit::systemSymbolNames())
    if (auto artwork = kavro::platform::uikit::systemSymbolArtwork(name))
      symbols[name] = json::array({artwork->width, artwork->height, artwork->svgPath});
  return symbols.dump();
}

[[noreturn]] void nothingAt(const Call& call) {
  throw RequestError(404, "nothing is at " + call.request.method + " " + call.target.path());
}

HttpReply answerFrame(HttpRoutes& routes, const Call& call) {
  auto after = call.target.wholeNumber("after");
  LiveDevice::Frame frame = routes.live().frame();
  if (after && frame.sequence == *after) return HttpReply::noContent();
  return HttpReply::bytes(*frame.json, "application/json", "no-store");
}

HttpReply answerState(HttpRoutes& routes, const Call&) {
  routes.live().catchUp();
  return HttpReply::json(routes.live().readings().state());
}

HttpReply answerPanel(HttpRoutes& routes, const Call& call) {
  std::uint64_t after = call.target.wholeNumber("after").value_or(0);
  json panel = routes.live().panel();
  panel.erase("type");
  Readings& readings = routes.live().readings();
  std::uint64_t last = readings.lastEventSequence();
  // A cursor from before a restart of the server starts over.
  panel["events"] = readings.eventsAfter(after > last ? 0 : after);
  panel["last"] = last;
  return HttpReply::json(panel);
}

HttpReply answerScreen(HttpRoutes&, const Call&) { return HttpReply::json(LiveDevice::screen()); }

// The phone's screen as a page draws it, as a PNG: asked of a page, answered when
// it sends the picture.
void answerScreenshot(HttpRoutes& routes, const Call&, const HttpRoutes::Reply& reply) { routes.takeScreenshot(reply); }

HttpReply answerSymbols(HttpRoutes& routes, const Call&) {
  return HttpReply::bytes(routes.symbols(), "application/json", "max-age=3600");
}

HttpReply answerLiveWithoutUpgrade(HttpRoutes&, const Call&) {
  throw RequestError(426, std::string(HttpRoutes::kLivePath) + " is a WebSocket");
}

// A file inside the device folder that a render tree named.
HttpReply answerAssetFile(HttpRoutes& routes, const Call& call) {
  auto relative = decodePercentEscapes(call.rest);
  auto file = relative ? routes.live().readings().assets().file(*relative) : std::nullopt;
  auto content = file ? readRegularFile(*file, kMaximumAssetBytes) : std::nullopt;
  if (!content) throw RequestError(404, "no picture is at " + call.target.path());
  return HttpReply::bytes(std::move(*content), "image/png", "no-cache");
}

// A picture the platform made, named by a hash of its bytes.
HttpReply answerAssetPng(HttpRoutes& routes, const Call& call) {
  std::string_view id = call.rest;
  bool wellFormed = id.size() == 16 && std::all_of(id.begin(), id.end(), [](char c) {
                      return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
                    });
  auto bytes = wellFormed ? routes.live().readings().assets().png(std::string(id)) : nullptr;
  if (!bytes) throw RequestError(404, "no picture is at " + call.target.path());
  // The name is a hash of the bytes: the picture never changes.
  return HttpReply::bytes(std::string(bytes->begin(), bytes->end()), "image/png", "max-age=31536000, immutable");
}

// POST /api/NAME: an input of the input table.
HttpReply answerInput(HttpRoutes& routes, const Call& call) {
  const InputKind* kind = findInput(call.rest);
  if (!kind) nothingAt(call);
  json body = readJsonBody(call.request.contentType, call.request.body);
  checkFields(body, kind->fields);
  routes.applyInput(*kind, body, Input::kDefaultOwner);
  return HttpReply::noContent();
}

HttpReply answerPageFile(HttpRoutes& routes, const Call& call) {
  auto file = routes.page().file(call.target.path());
  if (file) return HttpReply::bytes(std::move(file->content), file->contentType, "no-cache");
  if (call.target.path() == "/")
    throw RequestError(404, "the page file index.html is missing from " + routes.page().root().string());
  nothingAt(call);
}

}  // namespace

const std::vector<HttpRoutes::Route>& HttpRoutes::routes() {
  static const std::vector<Route> table = {
      {"GET", "/api/frame", answerFrame},
      {"GET", "/api/state", answerState},
      {"GET", "/api/panel", answerPanel},
      {"GET", "/api/screen", answerScreen},
      {"GET", "/api/screenshot", nullptr, answerScreenshot},
      {"GET", "/api/symbols", answerSymbols},
      {"GET", kLivePath, answerLiveWithoutUpgrade},
      {"GET", "/assets/file/", answerAssetFile},
      {"GET", "/assets/png/", answerAssetPng},
      {"POST", "/api/", answerInput},
      {"GET", "/", answerPageFile},
  };
  return table;
}

HttpRoutes::HttpRoutes(LiveDevice& live, std::filesystem::path pageFolder, ApplyInput applyInput)
    : live_(live), page_(std::move(pageFolder)), applyInput_(std::move(applyInput)), symbols_(symbolsJson()) {}

void HttpRoutes::answer(const HttpRequest& request, const Reply& reply) {
  RequestTarget target(request.target);
  try {
    checkHost(request.hosts);
    route(request, target, reply);
  } catch (...) {
    reply(HttpReply::failure(failureOf(std::current_exception(), request.method + " " + target.path())));
  }
}

void HttpRoutes::route(const HttpRequest& request, const RequestTarget& target, const Reply& reply) {
  const std::string& path = target.path();
  for (const Route& route : routes()) {
    if (route.method != request.method) continue;
    bool prefix = route.path.ends_with('/');
    if (prefix ? !path.starts_with(route.path) : path != route.path) continue;
    std::string_view rest = prefix ? std::string_view(path).substr(route.path.size()) : std::string_view(path);
    if (route.later) return route.later(*this, Call{request, target, rest}, reply);
    return reply(route.answer(*this, Call{request, target, rest}));
  }
  throw RequestError(404, "nothing is at " + request.method + " " + path);
}

void HttpRoutes::takeScreenshot(const Reply& reply) {
  if (!takeScreenshot_) throw RequestError(503, "no page is connected to draw the screen");
  takeScreenshot_(reply);
}

std::optional<HttpReply> HttpRoutes::refuseUpgrade(const HttpRequest& request) const {
  RequestTarget target(request.target);
  if (target.path() != kLivePath) return HttpReply::failure({404, "nothing is at " + target.path()});
  try {
    checkOrigin(request.origins, checkHost(request.hosts));
    return std::nullopt;
  } catch (...) {
    return HttpReply::failure(failureOf(std::current_exception(), "a WebSocket handshake"));
  }
}

HttpReply HttpReply::json(const nlohmann::json& body, int status) {
  return HttpReply{status, "application/json", "no-store", jsonText(body)};
}

HttpReply HttpReply::bytes(std::string body, std::string_view contentType, std::string_view cacheControl) {
  return HttpReply{200, std::string(contentType), std::string(cacheControl), std::move(body)};
}

HttpReply HttpReply::noContent() { return HttpReply{204, "", "no-store", ""}; }

HttpReply HttpReply::failure(const Failure& failure) { return json({{"error", failure.message}}, failure.status); }

}  // namespace kavro::sim
