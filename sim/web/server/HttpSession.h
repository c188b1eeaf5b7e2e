#pragma once
// One HTTP connection: requests read one after another, each within the
// server's request timeout and size limits, answered by the server's routes; a
// WebSocket handshake for the live route becomes a LiveSession. Bytes that are
// no request, or too large a one, are answered (400, 413, 431) and the
// connection closed. A request is answered before the next is read, however
// long its route takes to answer.

#include "sim/web/server/WebServerImpl.h"

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <list>
#include <memory>
#include <optional>
#include <string>

namespace kavro::sim {

class HttpSession : public std::enable_shared_from_this<HttpSession> {
 public:
  using SteadyClock = std::chrono::steady_clock;

  HttpSession(WebServer::Impl& server, boost::asio::ip::tcp::socket socket);
  ~HttpSession();
  HttpSession(const HttpSession&) = delete;
  HttpSession& operator=(const HttpSession&) = delete;

  void start() { readRequest(); }
  // Whether the connection waits for a request (idle, or one arriving), since when.
  bool isWaiting() const { return waiting_; }
  SteadyClock::time_point waitingSince() const { return waitingSince_; }
  void close();

 private:
  using Request = boost::beast::http::request<boost::beast::http::string_body>;
  using Response = boost::beast::http::response<boost::beast::http::string_body>;

  void readRequest();
  void onRead(boost::beast::error_code error);
  void answer(HttpReply reply, bool keepAlive);
  void write();
  void upgrade(Request request, const HttpRequest& plain);

  WebServer::Impl& server_;
  boost::beast::tcp_stream stream_;
  boost::beast::flat_buffer buffer_;
  std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser_;
  Response response_;
  bool waiting_ = false;
  bool closed_ = false;
  SteadyClock::time_point waitingSince_{};
  std::list<HttpSession*>::iterator entry_;
};

}  // namespace kavro::sim
