#include "sim/web/server/HttpSession.h"

#include "sim/web/server/LiveSession.h"

#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/websocket/rfc6455.hpp>

namespace kavro::sim {

namespace beast = boost::beast;
namespace http = beast::http;
using tcp = boost::asio::ip::tcp;

namespace {

constexpr std::size_t kHeaderLimit = 8 * 1024;

std::vector<std::string> headerValues(const http::request<http::string_body>& request, http::field field) {
  std::vector<std::string> values;
  for (auto [at, end] = request.equal_range(field); at != end; ++at) values.emplace_back(at->value());
  return values;
}

// The request as the routes read it; its body is moved out.
HttpRequest plainRequest(http::request<http::string_body>& request) {
  HttpRequest plain;
  plain.method = std::string(request.method_string());
  plain.target = std::string(request.target());
  plain.hosts = headerValues(request, http::field::host);
  plain.origins = headerValues(request, http::field::origin);
  plain.contentType = std::string(request[http::field::content_type]);
  plain.body = std::move(request.body());
  return plain;
}

// What a request that could not be read is answered, or nullopt when there is
// nobody to answer (gone, timed out or cut short).
std::optional<Failure> readFailure(beast::error_code error, std::size_t maximumBody) {
  if (error == http::error::body_limit)
    return Failure{413, "the request body is larger than " + std::to_string(maximumBody) + " bytes"};
  if (error == http::error::header_limit) return Failure{431, "the request's header is too large"};
  if (error.category() == http::make_error_code(http::error::bad_method).category() &&
      error != http::error::end_of_stream && error != http::error::partial_message)
    return Failure{400, "the request could not be read"};
  return std::nullopt;
}

}  // namespace

HttpSession::HttpSession(WebServer::Impl& server, tcp::socket socket) : server_(server), stream_(std::move(socket)) {
  entry_ = server_.httpSessions.insert(server_.httpSessions.end(), this);
}

HttpSession::~HttpSession() { server_.httpSessions.erase(entry_); }

void HttpSession::close() {
  closed_ = true;
  beast::error_code ignored;
  stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
  stream_.close();
}

void HttpSession::readRequest() {
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

void HttpSession::onRead(beast::error_code error) {
  waiting_ = false;
  if (error) {
    auto failure = readFailure(error, server_.options.maximumBody);
    if (failure) return answer(HttpReply::failure(*failure), false);
    return close();
  }
  Request request = parser_->release();
  HttpRequest plain = plainRequest(request);
  if (beast::websocket::is_upgrade(request)) return upgrade(std::move(request), plain);
  // Most routes answer at once; one that waits (a screenshot) answers later, when
  // the connection may have gone or the server be stopping: then nobody is
  // answered. The reply keeps the session alive until then.
  server_.routes.answer(plain, [self = shared_from_this(), keepAlive = request.keep_alive()](HttpReply reply) {
    if (self->closed_ || self->server_.stopping) return;
    self->answer(std::move(reply), keepAlive);
  });
}

void HttpSession::answer(HttpReply reply, bool keepAlive) {
  response_ = Response(static_cast<http::status>(reply.status), 11);
  if (!reply.contentType.empty()) response_.set(http::field::content_type, reply.contentType);
  response_.set(http::field::cache_control, reply.cacheControl);
  response_.body() = std::move(reply.body);
  response_.keep_alive(keepAlive);
  write();
}

void HttpSession::write() {
  response_.prepare_payload();
  stream_.expires_after(std::chrono::duration_cast<SteadyClock::duration>(
      std::chrono::duration<double>(server_.options.requestTimeout)));
  http::async_write(stream_, response_, [self = shared_from_this()](beast::error_code error, std::size_t) {
    if (error || self->response_.need_eof() || self->server_.stopping) return self->close();
    self->readRequest();
  });
}

void HttpSession::upgrade(Request request, const HttpRequest& plain) {
  if (auto refusal = server_.routes.refuseUpgrade(plain)) return answer(*refusal, false);
  auto session = std::make_shared<LiveSession>(server_, std::move(stream_), server_.nextClient++);
  session->start(std::move(request));
}

}  // namespace kavro::sim
