#include "sim/host/WebServer.h"

#include "platform/uikit/SystemSymbolCatalogue.h"
#include "sim/host/LiveDevice.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace kavro::sim {

using nlohmann::json;

namespace {

// How often the ticker runs what fell due on the device.
constexpr auto kTickInterval = std::chrono::milliseconds(8);
// Enough workers for several browsers, each holding a few keep-alive connections.
constexpr std::size_t kWorkerThreads = 32;
// Touch coordinates beyond this are not a pointer's position but garbage.
constexpr double kCoordinateLimit = 100000;
constexpr std::size_t kMaximumTypedBytes = 256;
constexpr long kMaximumBackspaces = 100;
// Pictures larger than this are not served.
constexpr std::uintmax_t kMaximumAssetBytes = 32 * 1024 * 1024;

// A request that cannot be carried out as asked; the status says why.
struct RequestError : std::runtime_error {
  RequestError(int status, const std::string& message) : std::runtime_error(message), status(status) {}
  int status;
};

void sendJson(httplib::Response& response, const json& body, int status = 200) {
  response.status = status;
  response.set_header("Cache-Control", "no-store");
  response.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

void sendError(httplib::Response& response, int status, const std::string& message) {
  sendJson(response, {{"error", message}}, status);
}

std::optional<std::string> readFile(const std::filesystem::path& path, std::uintmax_t limit) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error) || std::filesystem::file_size(path, error) > limit || error)
    return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// The host part of a Host header: "127.0.0.1:8080" → "127.0.0.1", "[::1]:80" → "[::1]".
std::string hostName(const std::string& header) {
  if (!header.empty() && header[0] == '[') {
    auto close = header.find(']');
    return close == std::string::npos ? header : header.substr(0, close + 1);
  }
  return header.substr(0, header.find(':'));
}

bool isLoopbackName(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  return name == "127.0.0.1" || name == "localhost" || name == "[::1]";
}

bool isJsonContentType(std::string type) {
  type = type.substr(0, type.find(';'));
  std::transform(type.begin(), type.end(), type.begin(), [](unsigned char c) { return std::tolower(c); });
  type.erase(std::remove(type.begin(), type.end(), ' '), type.end());
  return type == "application/json";
}

// The body of a POST as a JSON object whose keys are all among `allowed`.
json parseBody(const httplib::Request& request, std::initializer_list<const char*> allowed) {
  if (!isJsonContentType(request.get_header_value("Content-Type")))
    throw RequestError(415, "the body must be sent as application/json");
  json body = json::parse(request.body, nullptr, false);
  if (body.is_discarded()) throw RequestError(400, "the body is not valid JSON");
  if (!body.is_object()) throw RequestError(400, "the body must be a JSON object");
  for (auto& [key, value] : body.items())
    if (std::none_of(allowed.begin(), allowed.end(), [&, &key = key](const char* name) { return key == name; }))
      throw RequestError(400, "unknown field \"" + key + "\"");
  return body;
}

std::string stringField(const json& body, const char* name, std::initializer_list<const char*> choices) {
  auto found = body.find(name);
  if (found == body.end()) throw RequestError(400, std::string("missing field \"") + name + "\"");
  if (!found->is_string()) throw RequestError(400, std::string("\"") + name + "\" must be a string");
  std::string value = found->get<std::string>();
  if (choices.size() && std::none_of(choices.begin(), choices.end(), [&](const char* c) { return value == c; })) {
    std::string list;
    for (const char* choice : choices) list += (list.empty() ? "" : ", ") + std::string(choice);
    throw RequestError(400, std::string("\"") + name + "\" must be one of " + list);
  }
  return value;
}

std::optional<double> coordinate(const json& body, const char* name) {
  auto found = body.find(name);
  if (found == body.end()) return std::nullopt;
  if (!found->is_number()) throw RequestError(400, std::string("\"") + name + "\" must be a number");
  double value = found->get<double>();
  if (!std::isfinite(value) || std::abs(value) > kCoordinateLimit)
    throw RequestError(400, std::string("\"") + name + "\" is out of range");
  return value;
}

std::uint64_t sequenceParameter(const httplib::Request& request) {
  if (!request.has_param("after")) return 0;
  std::string text = request.get_param_value("after");
  std::uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    throw RequestError(400, "\"after\" must be a whole number");
  return value;
}

// Printable text only: typing sends characters, not control codes.
void checkTypedText(const std::string& text) {
  if (text.empty()) throw RequestError(400, "\"text\" is empty");
  if (text.size() > kMaximumTypedBytes)
    throw RequestError(400, "\"text\" is longer than " + std::to_string(kMaximumTypedBytes) + " bytes");
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) throw RequestError(400, "\"text\" holds a control character");
  }
}

std::string symbolsJson() {
  json symbols = json::object();
  for (auto& name : kavro::uikit::systemSymbolNames())
    if (auto artwork = kavro::uikit::systemSymbolArtwork(name))
      symbols[name] = json::array({artwork->width, artwork->height, artwork->svgPath});
  return symbols.dump();
}

}  // namespace

struct WebServer::Impl {
  LiveDevice& live;
  Options options;
  httplib::Server server;
  std::string symbols = symbolsJson();
  int port = 0;

  std::mutex tickerMutex;
  std::condition_variable tickerWake;
  bool stopping = false;
  std::atomic<bool> listening = false;

  Impl(LiveDevice& live, Options options) : live(live), options(std::move(options)) {}

  // Every handler runs inside this: whatever it throws becomes an answer, and the
  // server goes on.
  httplib::Server::Handler guarded(std::function<void(const httplib::Request&, httplib::Response&)> handler) {
    return [handler = std::move(handler)](const httplib::Request& request, httplib::Response& response) {
      try {
        handler(request, response);
      } catch (const RequestError& error) {
        sendError(response, error.status, error.what());
      } catch (const InputRefused& refused) {
        sendError(response, 409, refused.what());
      } catch (const std::exception& error) {
        std::cerr << "kavro-sim: " << request.method << " " << request.path << " failed: " << error.what() << "\n";
        sendError(response, 500, std::string("the simulator failed: ") + error.what());
      } catch (...) {
        std::cerr << "kavro-sim: " << request.method << " " << request.path << " failed\n";
        sendError(response, 500, "the simulator failed");
      }
    };
  }

  void servePageFile(const char* route, const char* name, const char* type) {
    server.Get(route, guarded([this, name, type](const httplib::Request&, httplib::Response& response) {
      auto content = readFile(options.webRoot / name, kMaximumAssetBytes);
      if (!content) throw RequestError(404, std::string("the page file ") + name + " is missing from " +
                                                options.webRoot.string());
      response.set_header("Cache-Control", "no-cache");
      response.set_content(*content, type);
    }));
  }

  void installRoutes() {
    server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
      // Another site's page, reached through a name that resolves here, is refused.
      if (request.has_header("Host") && !isLoopbackName(hostName(request.get_header_value("Host")))) {
        sendError(response, 403, "requests must be addressed to 127.0.0.1 or localhost");
        return httplib::Server::HandlerResponse::Handled;
      }
      return httplib::Server::HandlerResponse::Unhandled;
    });
    server.set_error_handler([this](const httplib::Request& request, httplib::Response& response) {
      if (!response.body.empty()) return;
      if (response.status == 413)
        sendError(response, 413, "the request body is larger than " + std::to_string(options.maximumBody) + " bytes");
      else if (response.status == 404)
        sendError(response, 404, "nothing is at " + request.method + " " + request.path);
      else
        sendError(response, response.status, "the request could not be read");
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
      sendError(response, 500, "the simulator failed");
    });

    servePageFile("/", "index.html", "text/html; charset=utf-8");
    servePageFile("/app.js", "app.js", "text/javascript; charset=utf-8");
    servePageFile("/style.css", "style.css", "text/css; charset=utf-8");

    server.Get("/api/frame", guarded([this](const httplib::Request& request, httplib::Response& response) {
      std::uint64_t after = sequenceParameter(request);
      LiveDevice::Frame frame = live.frame();
      response.set_header("Cache-Control", "no-store");
      if (request.has_param("after") && frame.sequence == after) {
        response.status = 204;
        return;
      }
      response.set_content(*frame.json, "application/json");
    }));
    server.Get("/api/state", guarded([this](const httplib::Request&, httplib::Response& response) {
      sendJson(response, live.state());
    }));
    server.Get("/api/panel", guarded([this](const httplib::Request& request, httplib::Response& response) {
      sendJson(response, live.panel(sequenceParameter(request)));
    }));
    server.Get("/api/symbols", guarded([this](const httplib::Request&, httplib::Response& response) {
      response.set_header("Cache-Control", "max-age=3600");
      response.set_content(symbols, "application/json");
    }));
    server.Get(R"(/assets/file/(.+))", guarded([this](const httplib::Request& request, httplib::Response& response) {
      auto path = live.assets().file(request.matches[1].str());
      auto content = path ? readFile(*path, kMaximumAssetBytes) : std::nullopt;
      if (!content) throw RequestError(404, "no picture is at " + request.path);
      response.set_header("Cache-Control", "no-cache");
      response.set_content(*content, "image/png");
    }));
    server.Get(R"(/assets/png/([0-9A-F]{16}))",
               guarded([this](const httplib::Request& request, httplib::Response& response) {
                 auto bytes = live.assets().png(request.matches[1].str());
                 if (!bytes) throw RequestError(404, "no picture is at " + request.path);
                 // The name is a hash of the bytes: the picture never changes.
                 response.set_header("Cache-Control", "max-age=31536000, immutable");
                 response.set_content(std::string(bytes->begin(), bytes->end()), "image/png");
               }));

    server.Post("/api/touch", guarded([this](const httplib::Request& request, httplib::Response& response) {
      json body = parseBody(request, {"phase", "x", "y"});
      std::string phase = stringField(body, "phase", {"down", "move", "up", "cancel"});
      auto x = coordinate(body, "x"), y = coordinate(body, "y");
      if (x.has_value() != y.has_value()) throw RequestError(400, "a point needs both \"x\" and \"y\"");
      if ((phase == "down" || phase == "move") && !x)
        throw RequestError(400, "a " + phase + " needs \"x\" and \"y\"");
      std::optional<CGPoint> point;
      if (x) point = CGPoint{*x, *y};
      LiveDevice::TouchPhase touchPhase = phase == "down"   ? LiveDevice::TouchPhase::down
                                          : phase == "move" ? LiveDevice::TouchPhase::move
                                          : phase == "up"   ? LiveDevice::TouchPhase::up
                                                            : LiveDevice::TouchPhase::cancel;
      live.touch(touchPhase, point);
      response.status = 204;
    }));
    server.Post("/api/key", guarded([this](const httplib::Request& request, httplib::Response& response) {
      json body = parseBody(request, {"text", "backspace"});
      if (body.contains("text") == body.contains("backspace"))
        throw RequestError(400, "send either \"text\" or \"backspace\"");
      if (body.contains("text")) {
        std::string text = stringField(body, "text", {});
        checkTypedText(text);
        live.type(text);
      } else {
        const json& count = body["backspace"];
        if (!count.is_number_integer() || count.get<long long>() < 1 || count.get<long long>() > kMaximumBackspaces)
          throw RequestError(400, "\"backspace\" must be a whole number from 1 to " +
                                      std::to_string(kMaximumBackspaces));
        live.backspace(static_cast<long>(count.get<long long>()));
      }
      response.status = 204;
    }));
    server.Post("/api/appearance", guarded([this](const httplib::Request& request, httplib::Response& response) {
      json body = parseBody(request, {"appearance"});
      live.setDarkAppearance(stringField(body, "appearance", {"light", "dark"}) == "dark");
      response.status = 204;
    }));
    server.Post("/api/open", guarded([this](const httplib::Request& request, httplib::Response& response) {
      json body = parseBody(request, {"target"});
      if (stringField(body, "target", {"settings", "springboard"}) == "settings")
        live.openSettings();
      else
        live.openSpringboard();
      response.status = 204;
    }));
  }

  void runTicker() {
    std::unique_lock lock(tickerMutex);
    while (!tickerWake.wait_for(lock, kTickInterval, [this] { return stopping; })) {
      lock.unlock();
      try {
        live.tick();
      } catch (const std::exception& error) {
        std::cerr << "kavro-sim: the device's clock stumbled: " << error.what() << "\n";
      } catch (...) {
        std::cerr << "kavro-sim: the device's clock stumbled\n";
      }
      lock.lock();
    }
  }
};

std::filesystem::path WebServer::defaultWebRoot() { return std::filesystem::path(KAVRO_SOURCE_DIR) / "sim" / "web"; }

WebServer::WebServer(LiveDevice& live, Options options) : impl_(std::make_unique<Impl>(live, std::move(options))) {
  impl_->server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  impl_->server.set_payload_max_length(impl_->options.maximumBody);
  impl_->server.set_keep_alive_max_count(10000);
  impl_->server.set_keep_alive_timeout(5);
  impl_->server.set_tcp_nodelay(true);
  impl_->installRoutes();
}

WebServer::~WebServer() { stop(); }

int WebServer::bind(const std::string& host, int port) {
  if (port < 0 || port > 65535) throw std::runtime_error("the port must be from 0 to 65535, not " + std::to_string(port));
  if (port == 0) {
    impl_->port = impl_->server.bind_to_any_port(host);
    if (impl_->port <= 0) throw std::runtime_error("cannot listen on " + host + ": no free port");
  } else {
    if (!impl_->server.bind_to_port(host, port))
      throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(port) +
                               " (is another server using the port?)");
    impl_->port = port;
  }
  return impl_->port;
}

void WebServer::listen() {
  {
    std::lock_guard lock(impl_->tickerMutex);
    if (impl_->stopping) return;
    impl_->listening = true;
  }
  std::thread ticker;
  if (impl_->options.ticker) ticker = std::thread([this] { impl_->runTicker(); });
  impl_->server.listen_after_bind();
  impl_->listening = false;
  {
    std::lock_guard lock(impl_->tickerMutex);
    impl_->stopping = true;
  }
  impl_->tickerWake.notify_all();
  if (ticker.joinable()) ticker.join();
}

void WebServer::stop() {
  {
    std::lock_guard lock(impl_->tickerMutex);
    impl_->stopping = true;
  }
  impl_->tickerWake.notify_all();
  // The server ignores a stop that comes before its loop runs: wait for the loop
  // of a listen() that has begun.
  while (impl_->listening && !impl_->server.is_running()) std::this_thread::yield();
  impl_->server.stop();
}

}  // namespace kavro::sim
