// The web server on Boost.Beast and one Asio event loop. This is the only source
// file that includes Beast (it is slow to compile).

#include "sim/web/server/WebServer.h"

#include "sim/core/PlistJson.h"

#include "platform/uikit/SystemSymbolCatalogue.h"
#include "sim/core/Simulator.h"
#include "sim/web/server/LiveDevice.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <deque>
#include <fstream>
#include <future>
#include <iostream>
#include <list>
#include <set>
#include <sstream>

namespace kavro::sim {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using nlohmann::json;
using SteadyClock = std::chrono::steady_clock;
using Request = http::request<http::string_body>;
using Response = http::response<http::string_body>;

namespace {

// Frames go out at most this often while the picture keeps changing.
constexpr auto kFrameInterval = std::chrono::milliseconds(10);
// Idle, the timer still wakes this often: the stored values can change from
// outside (another program writing the domain).
constexpr auto kIdleInterval = std::chrono::seconds(1);
constexpr std::size_t kHeaderLimit = 8 * 1024;
constexpr std::size_t kMaximumMessage = 16 * 1024;
// Messages a page has not taken yet; a page further behind is disconnected.
constexpr std::size_t kMaximumQueuedMessages = 256;
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

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The host part of a Host header: "127.0.0.1:8080" → "127.0.0.1", "[::1]:80" → "[::1]".
std::string hostName(const std::string& header) {
  if (!header.empty() && header[0] == '[') {
    auto close = header.find(']');
    return close == std::string::npos ? header : header.substr(0, close + 1);
  }
  return header.substr(0, header.find(':'));
}

bool isLoopbackName(const std::string& name) {
  std::string host = lowered(name);
  return host == "127.0.0.1" || host == "localhost" || host == "[::1]";
}

// An Origin header of a page served from this machine's loopback address.
bool isLoopbackOrigin(const std::string& origin) {
  constexpr std::string_view scheme = "http://";
  if (origin.rfind(scheme, 0) != 0) return false;
  return isLoopbackName(hostName(origin.substr(scheme.size())));
}

bool isJsonContentType(std::string type) {
  type = lowered(type.substr(0, type.find(';')));
  type.erase(std::remove(type.begin(), type.end(), ' '), type.end());
  return type == "application/json";
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A URL path with its %XX escapes decoded; nullopt when an escape is malformed or
// decodes to a NUL.
std::optional<std::string> decodePath(std::string_view path) {
  std::string decoded;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] != '%') {
      decoded += path[i];
      continue;
    }
    if (i + 2 >= path.size()) return std::nullopt;
    int high = hexValue(path[i + 1]), low = hexValue(path[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded;
}

// A request target split into its path and its query parameters.
struct Target {
  std::string path;
  std::vector<std::pair<std::string, std::string>> parameters;

  explicit Target(std::string_view target) {
    auto question = target.find('?');
    path = std::string(target.substr(0, question));
    if (question == std::string_view::npos) return;
    std::string_view query = target.substr(question + 1);
    while (!query.empty()) {
      auto amp = query.find('&');
      std::string_view pair = query.substr(0, amp);
      auto equals = pair.find('=');
      parameters.emplace_back(std::string(pair.substr(0, equals)),
                              equals == std::string_view::npos ? "" : std::string(pair.substr(equals + 1)));
      if (amp == std::string_view::npos) break;
      query.remove_prefix(amp + 1);
    }
  }
  const std::string* parameter(const std::string& name) const {
    for (auto& [key, value] : parameters)
      if (key == name) return &value;
    return nullptr;
  }
};

std::uint64_t sequenceParameter(const Target& target) {
  const std::string* text = target.parameter("after");
  if (!text) return 0;
  std::uint64_t value = 0;
  auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (text->empty() || error != std::errc() || end != text->data() + text->size())
    throw RequestError(400, "\"after\" must be a whole number");
  return value;
}

// The fields of an input: a JSON object whose keys are all among `allowed`.
void checkFields(const json& body, std::initializer_list<const char*> allowed) {
  if (!body.is_object()) throw RequestError(400, "the body must be a JSON object");
  for (auto& [key, value] : body.items())
    if (std::none_of(allowed.begin(), allowed.end(), [&, &key = key](const char* name) { return key == name; }))
      throw RequestError(400, "unknown field \"" + key + "\"");
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
  for (auto& name : kavro::platform::uikit::systemSymbolNames())
    if (auto artwork = kavro::platform::uikit::systemSymbolArtwork(name))
      symbols[name] = json::array({artwork->width, artwork->height, artwork->svgPath});
  return symbols.dump();
}

// ---------------------------------------------------------------------------
// Inputs: the same table serves POST /api/NAME and the WebSocket message
// {"type": NAME, ...}. A new kind of input is one more entry.

struct InputKind {
  const char* name;
  std::initializer_list<const char*> fields;
  // Checks the fields (RequestError) and applies the input (InputError,
  // InputRefused); `owner` is the client whose finger a touch is.
  void (*apply)(LiveDevice& live, const json& body, Input::Owner owner);
};

void applyTouch(LiveDevice& live, const json& body, Input::Owner owner) {
  std::string phase = stringField(body, "phase", {"down", "move", "up", "cancel"});
  auto x = coordinate(body, "x"), y = coordinate(body, "y");
  if (x.has_value() != y.has_value()) throw RequestError(400, "a point needs both \"x\" and \"y\"");
  if ((phase == "down" || phase == "move") && !x) throw RequestError(400, "a " + phase + " needs \"x\" and \"y\"");
  Input& input = live.input();
  if (phase == "down") return input.touchDown(CGPoint{*x, *y}, owner);
  if (phase == "cancel") return input.touchCancel(owner);
  if (x) input.touchMoveTo(CGPoint{*x, *y}, owner);
  if (phase == "up") input.touchUp(false, owner);
}

void applyKey(LiveDevice& live, const json& body, Input::Owner) {
  int given = body.contains("text") + body.contains("backspace") + body.contains("key");
  if (given != 1) throw RequestError(400, "send one of \"text\", \"backspace\" or \"key\"");
  if (body.contains("key")) {
    if (stringField(body, "key", {"return", "escape"}) == "return") return live.input().returnKey();
    return live.input().escapeKey();
  }
  if (body.contains("text")) {
    std::string text = stringField(body, "text", {});
    checkTypedText(text);
    return live.input().type(text);
  }
  const json& count = body["backspace"];
  if (!count.is_number_integer() || count.get<long long>() < 1 || count.get<long long>() > kMaximumBackspaces)
    throw RequestError(400, "\"backspace\" must be a whole number from 1 to " + std::to_string(kMaximumBackspaces));
  live.input().backspace(static_cast<long>(count.get<long long>()));
}

// The wheel's deltas, in points; beyond this a delta is garbage, not a turn.
constexpr double kWheelLimit = 10000;

void applyWheel(LiveDevice& live, const json& body, Input::Owner) {
  auto x = coordinate(body, "x"), y = coordinate(body, "y");
  if (!x || !y) throw RequestError(400, "a wheel needs \"x\" and \"y\"");
  auto delta = [&](const char* name) {
    auto value = coordinate(body, name);
    if (value && std::abs(*value) > kWheelLimit) throw RequestError(400, std::string("\"") + name + "\" is out of range");
    return value.value_or(0);
  };
  double dx = delta("dx"), dy = delta("dy");
  live.input().wheel(CGPoint{*x, *y}, dx, dy);
}

void applyAppearance(LiveDevice& live, const json& body, Input::Owner) {
  bool dark = stringField(body, "appearance", {"light", "dark"}) == "dark";
  live.input().setAppearance(dark ? kavro::platform::Appearance::dark : kavro::platform::Appearance::light);
}

void applyOpen(LiveDevice& live, const json& body, Input::Owner) {
  if (stringField(body, "target", {"settings", "springboard"}) == "settings")
    live.input().openSettings();
  else
    live.input().openSpringboard();
}

const InputKind kInputs[] = {
    {"touch", {"phase", "x", "y"}, applyTouch},
    {"key", {"text", "backspace", "key"}, applyKey},
    {"wheel", {"x", "y", "dx", "dy"}, applyWheel},
    {"appearance", {"appearance"}, applyAppearance},
    {"open", {"target"}, applyOpen},
};

const InputKind* findInput(std::string_view name) {
  for (auto& kind : kInputs)
    if (name == kind.name) return &kind;
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Connections

class HttpSession;
class LiveSession;

struct WebServer::Impl {
  // Declared before the event loop: sessions that the loop destroys with its
  // handlers take themselves off these lists.
  std::list<HttpSession*> httpSessions;
  std::set<std::shared_ptr<LiveSession>> liveSessions;

  LiveDevice& live;
  Options options;
  std::string symbols = symbolsJson();
  std::atomic<bool> stopRequested = false;
  bool stopping = false;
  Input::Owner nextClient = 1;

  // What the pages have been sent, and when the picture was last looked at.
  std::uint64_t pushedFrame = 0;
  SteadyClock::time_point lastFrameAt{};
  bool framePending = false;
  std::uint64_t pushedEvent = 0;
  std::string pushedPanel;
  std::uint64_t panelChanges = ~std::uint64_t{0};
  SteadyClock::time_point lastPanelCheck{};

  asio::io_context io{1};
  tcp::acceptor acceptor{io};
  asio::steady_timer ticker{io};
  SteadyClock::time_point tickerDue = SteadyClock::time_point::max();

  Impl(LiveDevice& live, Options options) : live(live), options(std::move(options)) {}

  void accept();
  void closeLongestWaiting();
  Response handle(const Request& request);
  void handleInput(const InputKind& kind, const json& body, Input::Owner owner);
  void onMessage(LiveSession& session, const std::string& text);
  void welcome(const std::shared_ptr<LiveSession>& session);
  void refresh();
  void pushChanges();
  void broadcast(const std::shared_ptr<const std::string>& message, bool frame);
  void scheduleTick();
  void shutdown();
};

class HttpSession : public std::enable_shared_from_this<HttpSession> {
 public:
  HttpSession(WebServer::Impl& server, tcp::socket socket) : server_(server), stream_(std::move(socket)) {
    entry_ = server_.httpSessions.insert(server_.httpSessions.end(), this);
  }
  ~HttpSession() { server_.httpSessions.erase(entry_); }

  void start() { readRequest(); }
  // Whether the connection waits for a request (idle, or one arriving), since when.
  bool isWaiting() const { return waiting_; }
  SteadyClock::time_point waitingSince() const { return waitingSince_; }
  void close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.close();
  }

 private:
  void readRequest() {
    parser_.emplace();
    parser_->body_limit(server_.options.maximumBody);
    parser_->header_limit(kHeaderLimit);
    stream_.expires_after(std::chrono::duration_cast<SteadyClock::duration>(
        std::chrono::duration<double>(server_.options.requestTimeout)));
    waiting_ = true;
    waitingSince_ = SteadyClock::now();
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code error, std::size_t) { self->onRead(error); });
  }

  void onRead(beast::error_code error) {
    waiting_ = false;
    if (error == http::error::body_limit)
      return fail(413, "the request body is larger than " + std::to_string(server_.options.maximumBody) + " bytes");
    if (error == http::error::header_limit) return fail(431, "the request's header is too large");
    if (error && error.category() == http::make_error_code(http::error::bad_method).category() &&
        error != http::error::end_of_stream && error != http::error::partial_message)
      return fail(400, "the request could not be read");
    if (error) return close();  // gone, timed out or cut short: nobody to answer

    Request request = parser_->release();
    if (websocket::is_upgrade(request)) return upgrade(std::move(request));
    response_ = server_.handle(request);
    response_.keep_alive(request.keep_alive());
    write();
  }

  void fail(int status, const std::string& message) {
    response_ = Response(static_cast<http::status>(status), 11);
    response_.set(http::field::content_type, "application/json");
    response_.set(http::field::cache_control, "no-store");
    response_.body() = jsonText({{"error", message}});
    response_.keep_alive(false);
    write();
  }

  void write() {
    response_.prepare_payload();
    stream_.expires_after(std::chrono::duration_cast<SteadyClock::duration>(
        std::chrono::duration<double>(server_.options.requestTimeout)));
    http::async_write(stream_, response_, [self = shared_from_this()](beast::error_code error, std::size_t) {
      if (error || self->response_.need_eof() || self->server_.stopping) return self->close();
      self->readRequest();
    });
  }

  void upgrade(Request request);

  WebServer::Impl& server_;
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  Response response_;
  bool waiting_ = false;
  SteadyClock::time_point waitingSince_{};
  std::list<HttpSession*>::iterator entry_;
};

// A page connected by WebSocket: it is sent a frame whenever the picture changes,
// the panel's values and the device's events, and sends inputs. Each page is its
// own client: its touches are its own finger's.
class LiveSession : public std::enable_shared_from_this<LiveSession> {
 public:
  LiveSession(WebServer::Impl& server, beast::tcp_stream stream, Input::Owner client)
      : server_(server), socket_(std::move(stream)), client_(client) {}

  Input::Owner client() const { return client_; }

  void start(Request request) {
    beast::get_lowest_layer(socket_).expires_never();
    socket_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
    socket_.read_message_max(kMaximumMessage);
    // A frame goes out as one message, not in pieces.
    socket_.auto_fragment(false);
    socket_.async_accept(request, [self = shared_from_this()](beast::error_code error) {
      if (error || self->server_.stopping) return;
      self->server_.welcome(self);
      self->read();
    });
  }

  // Sends a message after those queued; a frame replaces a frame not yet sent.
  void send(std::shared_ptr<const std::string> message, bool frame) {
    if (finished_) return;
    if (frame) {
      pendingFrame_ = std::move(message);
    } else {
      if (queue_.size() >= kMaximumQueuedMessages) return finish();
      queue_.push_back(std::move(message));
    }
    if (!writing_) writeNext();
  }

  void finish() {
    if (finished_) return;
    finished_ = true;
    auto self = shared_from_this();
    server_.liveSessions.erase(self);
    beast::error_code ignored;
    beast::get_lowest_layer(socket_).socket().shutdown(tcp::socket::shutdown_both, ignored);
    beast::get_lowest_layer(socket_).close();
    // A finger this page had down is lifted off the glass by the system.
    if (!server_.stopping) {
      try {
        server_.live.input().releaseOwner(client_);
        server_.live.inputApplied();
      } catch (const std::exception& error) {
        std::cerr << "kavro-sim: ending a page's touch failed: " << error.what() << "\n";
      }
    }
  }

 private:
  void read() {
    socket_.async_read(buffer_, [self = shared_from_this()](beast::error_code error, std::size_t) {
      if (error) return self->finish();
      std::string text = beast::buffers_to_string(self->buffer_.data());
      self->buffer_.consume(self->buffer_.size());
      self->server_.onMessage(*self, text);
      if (!self->finished_) self->read();
    });
  }

  void writeNext() {
    std::shared_ptr<const std::string> message;
    if (!queue_.empty()) {
      message = std::move(queue_.front());
      queue_.pop_front();
    } else if (pendingFrame_) {
      message = std::move(pendingFrame_);
    } else {
      return;
    }
    writing_ = true;
    socket_.text(true);
    socket_.async_write(asio::buffer(*message), [self = shared_from_this(), message](beast::error_code error, std::size_t) {
      self->writing_ = false;
      if (error) return self->finish();
      self->writeNext();
    });
  }

  WebServer::Impl& server_;
  websocket::stream<beast::tcp_stream> socket_;
  beast::flat_buffer buffer_;
  Input::Owner client_;
  std::deque<std::shared_ptr<const std::string>> queue_;
  std::shared_ptr<const std::string> pendingFrame_;
  bool writing_ = false;
  bool finished_ = false;
};

void HttpSession::upgrade(Request request) {
  Target target(std::string_view(request.target().data(), request.target().size()));
  std::string host(request[http::field::host]);
  std::string origin(request[http::field::origin]);
  if (target.path != "/api/live") return fail(404, "nothing is at " + target.path);
  if (!host.empty() && !isLoopbackName(hostName(host)))
    return fail(403, "requests must be addressed to 127.0.0.1 or localhost");
  // Browsers let any page open a WebSocket anywhere: only this server's own page
  // may drive the phone.
  if (!origin.empty() && !isLoopbackOrigin(origin)) return fail(403, "only the simulator's own page may connect");
  auto session = std::make_shared<LiveSession>(server_, std::move(stream_), server_.nextClient++);
  session->start(std::move(request));
}

// ---------------------------------------------------------------------------
// Requests

namespace {

Response jsonResponse(const json& body, int status = 200) {
  Response response(static_cast<http::status>(status), 11);
  response.set(http::field::content_type, "application/json");
  response.set(http::field::cache_control, "no-store");
  response.body() = jsonText(body);
  return response;
}

Response bodyResponse(std::string body, const char* type, const char* cache) {
  Response response(http::status::ok, 11);
  response.set(http::field::content_type, type);
  response.set(http::field::cache_control, cache);
  response.body() = std::move(body);
  return response;
}

Response noContent() {
  Response response(http::status::no_content, 11);
  response.set(http::field::cache_control, "no-store");
  return response;
}

}  // namespace

Response WebServer::Impl::handle(const Request& request) {
  Target target(std::string_view(request.target().data(), request.target().size()));
  try {
    std::string host(request[http::field::host]);
    // Another site's page, reached through a name that resolves here, is refused.
    if (!host.empty() && !isLoopbackName(hostName(host)))
      throw RequestError(403, "requests must be addressed to 127.0.0.1 or localhost");
    const std::string& path = target.path;
    if (request.method() == http::verb::get) {
      static const std::pair<const char*, std::pair<const char*, const char*>> pageFiles[] = {
          {"/", {"index.html", "text/html; charset=utf-8"}},
          {"/app.js", {"app.js", "text/javascript; charset=utf-8"}},
          {"/style.css", {"style.css", "text/css; charset=utf-8"}},
          {"/modules/connection.js", {"modules/connection.js", "text/javascript; charset=utf-8"}},
          {"/modules/drawing.js", {"modules/drawing.js", "text/javascript; charset=utf-8"}},
          {"/modules/fitting.js", {"modules/fitting.js", "text/javascript; charset=utf-8"}},
          {"/modules/frames.js", {"modules/frames.js", "text/javascript; charset=utf-8"}},
          {"/modules/hover.js", {"modules/hover.js", "text/javascript; charset=utf-8"}},
          {"/modules/input.js", {"modules/input.js", "text/javascript; charset=utf-8"}},
          {"/modules/materials.js", {"modules/materials.js", "text/javascript; charset=utf-8"}},
          {"/modules/mirror.js", {"modules/mirror.js", "text/javascript; charset=utf-8"}},
          {"/modules/notices.js", {"modules/notices.js", "text/javascript; charset=utf-8"}},
          {"/modules/panel.js", {"modules/panel.js", "text/javascript; charset=utf-8"}},
          {"/modules/pictures.js", {"modules/pictures.js", "text/javascript; charset=utf-8"}},
          {"/modules/scene.js", {"modules/scene.js", "text/javascript; charset=utf-8"}},
          {"/modules/shapes.js", {"modules/shapes.js", "text/javascript; charset=utf-8"}},
          {"/modules/sound.js", {"modules/sound.js", "text/javascript; charset=utf-8"}},
          {"/modules/stats.js", {"modules/stats.js", "text/javascript; charset=utf-8"}},
          {"/modules/text.js", {"modules/text.js", "text/javascript; charset=utf-8"}},
      };
      for (auto& [route, file] : pageFiles) {
        if (path != route) continue;
        auto content = readFile(options.webRoot / file.first, kMaximumAssetBytes);
        if (!content)
          throw RequestError(404, std::string("the page file ") + file.first + " is missing from " +
                                      options.webRoot.string());
        return bodyResponse(std::move(*content), file.second, "no-cache");
      }
      if (path == "/api/frame") {
        std::uint64_t after = sequenceParameter(target);
        LiveDevice::Frame frame = live.frame();
        if (target.parameter("after") && frame.sequence == after) return noContent();
        return bodyResponse(*frame.json, "application/json", "no-store");
      }
      if (path == "/api/state") {
        live.catchUp();
        return jsonResponse(live.readings().state());
      }
      if (path == "/api/panel") {
        std::uint64_t after = sequenceParameter(target);
        json panel = live.panel();
        panel.erase("type");
        std::uint64_t last = live.readings().lastEventSequence();
        // A cursor from before a restart of the server starts over.
        panel["events"] = live.readings().eventsAfter(after > last ? 0 : after);
        panel["last"] = last;
        return jsonResponse(panel);
      }
      if (path == "/api/screen") return jsonResponse(LiveDevice::screen());
      if (path == "/api/symbols") return bodyResponse(symbols, "application/json", "max-age=3600");
      if (path == "/api/live") throw RequestError(426, "/api/live is a WebSocket");
      if (path.rfind("/assets/file/", 0) == 0) {
        auto relative = decodePath(std::string_view(path).substr(13));
        auto file = relative ? live.readings().assets().file(*relative) : std::nullopt;
        auto content = file ? readFile(*file, kMaximumAssetBytes) : std::nullopt;
        if (!content) throw RequestError(404, "no picture is at " + path);
        return bodyResponse(std::move(*content), "image/png", "no-cache");
      }
      if (path.rfind("/assets/png/", 0) == 0) {
        std::string id = path.substr(12);
        bool wellFormed = id.size() == 16 && std::all_of(id.begin(), id.end(), [](char c) {
                            return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
                          });
        auto bytes = wellFormed ? live.readings().assets().png(id) : nullptr;
        if (!bytes) throw RequestError(404, "no picture is at " + path);
        // The name is a hash of the bytes: the picture never changes.
        return bodyResponse(std::string(bytes->begin(), bytes->end()), "image/png", "max-age=31536000, immutable");
      }
    }
    if (request.method() == http::verb::post && path.rfind("/api/", 0) == 0) {
      if (const InputKind* kind = findInput(std::string_view(path).substr(5))) {
        if (!isJsonContentType(std::string(request[http::field::content_type])))
          throw RequestError(415, "the body must be sent as application/json");
        json body = json::parse(request.body(), nullptr, false);
        if (body.is_discarded()) throw RequestError(400, "the body is not valid JSON");
        checkFields(body, kind->fields);
        handleInput(*kind, body, Input::kDefaultOwner);
        return noContent();
      }
    }
    throw RequestError(404, "nothing is at " + std::string(request.method_string()) + " " + path);
  } catch (const RequestError& error) {
    return jsonResponse({{"error", error.what()}}, error.status);
  } catch (const InputRefused& refused) {
    return jsonResponse({{"error", refused.what()}}, 409);
  } catch (const InputError& error) {
    return jsonResponse({{"error", error.what()}}, 400);
  } catch (const std::exception& error) {
    std::cerr << "kavro-sim: " << request.method_string() << " " << target.path << " failed: " << error.what() << "\n";
    return jsonResponse({{"error", std::string("the simulator failed: ") + error.what()}}, 500);
  }
}

void WebServer::Impl::handleInput(const InputKind& kind, const json& body, Input::Owner owner) {
  live.catchUp();
  try {
    kind.apply(live, body, owner);
  } catch (...) {
    // An input refused half-way (a gesture whose view went away) may still have
    // changed something: the pages look again either way.
    live.inputApplied();
    refresh();
    throw;
  }
  live.inputApplied();
  refresh();
}

void WebServer::Impl::onMessage(LiveSession& session, const std::string& text) {
  json message = json::parse(text, nullptr, false);
  std::string type;
  try {
    if (message.is_discarded() || !message.is_object()) throw RequestError(400, "a message is a JSON object");
    auto found = message.find("type");
    if (found == message.end() || !found->is_string()) throw RequestError(400, "a message names its \"type\"");
    type = found->get<std::string>();
    const InputKind* kind = findInput(type);
    if (!kind) throw RequestError(400, "no input is called \"" + type + "\"");
    message.erase("type");
    checkFields(message, kind->fields);
    handleInput(*kind, message, session.client());
  } catch (const RequestError& error) {
    session.send(std::make_shared<const std::string>(jsonText({{"type", "error"}, {"error", error.what()}})), false);
  } catch (const InputRefused& refused) {
    // A press that cannot be had is shown on the page that pressed; anything else
    // with nowhere to go (a key with no field edited, a move whose touch ended)
    // is dropped quietly.
    if (type == "touch" && message.value("phase", "") == "down")
      session.send(std::make_shared<const std::string>(
                       jsonText({{"type", "refused"}, {"input", "touch"}, {"error", refused.what()}})),
                   false);
  } catch (const InputError& error) {
    session.send(std::make_shared<const std::string>(jsonText({{"type", "error"}, {"error", error.what()}})), false);
  } catch (const std::exception& error) {
    std::cerr << "kavro-sim: a " << type << " input failed: " << error.what() << "\n";
    session.send(std::make_shared<const std::string>(
                     jsonText({{"type", "error"}, {"error", std::string("the simulator failed: ") + error.what()}})),
                 false);
  }
}

// ---------------------------------------------------------------------------
// Pushing changes

void WebServer::Impl::welcome(const std::shared_ptr<LiveSession>& session) {
  live.catchUp();
  // The pages already connected are brought up to date first; the new one then
  // starts from the state of now.
  bool first = liveSessions.empty();
  if (!first) pushChanges();
  liveSessions.insert(session);
  auto send = [&](const json& message) { session->send(std::make_shared<const std::string>(jsonText(message)), false); };
  send({{"type", "hello"}, {"client", session->client()}, {"screen", LiveDevice::screen()}});
  json panel = live.panel();
  send(panel);
  std::uint64_t last = live.readings().lastEventSequence();
  send({{"type", "events"}, {"events", live.readings().eventsAfter(0)}, {"last", last}, {"history", true}});
  LiveDevice::Frame frame = live.frame();
  session->send(frame.json, true);
  if (first) {
    pushedFrame = frame.sequence;
    pushedEvent = last;
    panel.erase("t");
    pushedPanel = jsonText(panel);
    panelChanges = live.changeCount();
  }
  scheduleTick();
}

void WebServer::Impl::broadcast(const std::shared_ptr<const std::string>& message, bool frame) {
  // A session may finish while sending (a page too far behind): iterate a copy.
  auto sessions = liveSessions;
  for (auto& session : sessions) session->send(message, frame);
}

void WebServer::Impl::pushChanges() {
  auto now = SteadyClock::now();
  // Frames, paced: the picture goes out at most once a frame interval.
  if (options.ticker && now - lastFrameAt < kFrameInterval) {
    framePending = true;
  } else {
    framePending = false;
    lastFrameAt = now;
    LiveDevice::Frame frame = live.frame();
    if (frame.sequence != pushedFrame) {
      pushedFrame = frame.sequence;
      broadcast(frame.json, true);
    }
  }
  std::uint64_t last = live.readings().lastEventSequence();
  if (last != pushedEvent) {
    json events = {{"type", "events"}, {"events", live.readings().eventsAfter(pushedEvent)}, {"last", last}};
    pushedEvent = last;
    broadcast(std::make_shared<const std::string>(jsonText(events)), false);
  }
  // The panel, when something happened or now and then (another program may
  // write the stored domain); sent when it differs from what the pages have.
  if (live.changeCount() != panelChanges || now - lastPanelCheck >= kIdleInterval) {
    panelChanges = live.changeCount();
    lastPanelCheck = now;
    json panel = live.panel();
    json time = panel["t"];
    panel.erase("t");
    std::string text = jsonText(panel);
    if (text != pushedPanel) {
      pushedPanel = std::move(text);
      panel["t"] = time;
      broadcast(std::make_shared<const std::string>(jsonText(panel)), false);
    }
  }
}

void WebServer::Impl::refresh() {
  live.catchUp();
  if (!liveSessions.empty()) {
    pushChanges();
  } else {
    // Nobody to send to: what was sent last is stale when a page connects.
    pushedFrame = 0;
    pushedEvent = live.readings().lastEventSequence();
    pushedPanel.clear();
  }
  scheduleTick();
}

void WebServer::Impl::scheduleTick() {
  if (!options.ticker || stopping) return;
  auto now = SteadyClock::now();
  SteadyClock::time_point due;
  if (!liveSessions.empty() && (framePending || live.isAnimating())) {
    due = std::max(now, lastFrameAt + kFrameInterval);
  } else {
    double seconds = std::min(live.secondsUntilNextWork(), std::chrono::duration<double>(kIdleInterval).count());
    due = now + std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds));
  }
  if (tickerDue <= due && tickerDue > now) return;  // an earlier wake is set
  tickerDue = due;
  ticker.expires_at(due);
  ticker.async_wait([this](beast::error_code error) {
    if (error || stopping) return;  // replaced by an earlier wake, or stopping
    tickerDue = SteadyClock::time_point::max();
    try {
      refresh();
    } catch (const std::exception& failure) {
      std::cerr << "kavro-sim: the device's clock stumbled: " << failure.what() << "\n";
      scheduleTick();
    }
  });
}

// ---------------------------------------------------------------------------
// Accepting and stopping

void WebServer::Impl::accept() {
  acceptor.async_accept([this](beast::error_code error, tcp::socket socket) {
    if (stopping) return;
    if (!error) {
      socket.set_option(tcp::no_delay(true), error);
      std::size_t waiting = std::count_if(httpSessions.begin(), httpSessions.end(),
                                          [](HttpSession* session) { return session->isWaiting(); });
      if (waiting >= options.maximumWaitingConnections) closeLongestWaiting();
      std::make_shared<HttpSession>(*this, std::move(socket))->start();
    }
    accept();
  });
}

void WebServer::Impl::closeLongestWaiting() {
  HttpSession* oldest = nullptr;
  for (HttpSession* session : httpSessions)
    if (session->isWaiting() && (!oldest || session->waitingSince() < oldest->waitingSince())) oldest = session;
  if (oldest) oldest->close();
}

void WebServer::Impl::shutdown() {
  stopping = true;
  beast::error_code ignored;
  acceptor.close(ignored);
  ticker.cancel();
  for (HttpSession* session : httpSessions) session->close();
  auto sessions = liveSessions;
  for (auto& session : sessions) session->finish();
}

std::filesystem::path WebServer::defaultWebRoot() { return std::filesystem::path(KAVRO_SOURCE_DIR) / "sim" / "web" / "page"; }

WebServer::WebServer(LiveDevice& live, Options options) : impl_(std::make_unique<Impl>(live, std::move(options))) {}

WebServer::~WebServer() = default;

int WebServer::bind(const std::string& host, int port) {
  if (port < 0 || port > 65535) throw std::runtime_error("the port must be from 0 to 65535, not " + std::to_string(port));
  beast::error_code error;
  auto address = asio::ip::make_address(host, error);
  if (error) throw std::runtime_error("cannot listen on " + host + ": not an address of this machine");
  tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
  tcp::acceptor& acceptor = impl_->acceptor;
  acceptor.open(endpoint.protocol(), error);
  if (!error) acceptor.set_option(asio::socket_base::reuse_address(true), error);
  if (!error) acceptor.bind(endpoint, error);
  if (!error) acceptor.listen(asio::socket_base::max_listen_connections, error);
  if (error) {
    acceptor.close(error);
    throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(port) +
                             " (is another server using the port?)");
  }
  return acceptor.local_endpoint().port();
}

void WebServer::listen() {
  if (impl_->stopRequested) return;
  impl_->accept();
  impl_->refresh();
  impl_->io.run();
}

void WebServer::stop() {
  if (impl_->stopRequested.exchange(true)) return;
  asio::post(impl_->io, [impl = impl_.get()] { impl->shutdown(); });
}

void WebServer::call(const std::function<void()>& work) {
  std::promise<void> done;
  asio::post(impl_->io, [&] {
    try {
      work();
      impl_->live.inputApplied();
      impl_->refresh();
      done.set_value();
    } catch (...) {
      done.set_exception(std::current_exception());
    }
  });
  done.get_future().get();
}

}  // namespace kavro::sim
