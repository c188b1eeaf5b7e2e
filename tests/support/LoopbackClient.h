#pragma once
// Plain-socket clients of a server on 127.0.0.1, for testing the web server as
// browsers and misbehaving clients reach it: whole HTTP requests, requests sent a
// piece at a time, and a WebSocket. Every read gives up after a bound, so that a
// server that fails to answer fails the test instead of hanging it.

#include <map>
#include <optional>
#include <string>

namespace kavro::test {

// A TCP connection to 127.0.0.1:port.
class Connection {
 public:
  explicit Connection(int port);
  ~Connection();
  Connection(Connection&& other) noexcept : socket_(other.socket_) { other.socket_ = -1; }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool send(const std::string& bytes);
  // Up to `size` bytes, waiting at most `milliseconds`; empty at the end of the
  // stream, nullopt when nothing came in time.
  std::optional<std::string> receive(std::size_t size, int milliseconds);
  // Exactly `size` bytes, or nullopt.
  std::optional<std::string> receiveExactly(std::size_t size, int milliseconds);
  // Whether the server closed the connection within `milliseconds`.
  bool closedByServer(int milliseconds);

 private:
  int socket_ = -1;
  std::string pending_;
  friend struct HttpAnswer;
};

struct HttpAnswer {
  int status = -1;  // -1: no answer
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;

  // Reads one answer from a connection.
  static HttpAnswer read(Connection& connection, int milliseconds = 10000);
};

// Sends one request (HTTP/1.1, with Host 127.0.0.1) on a connection and reads the
// answer. `headers` are extra header lines ("Name: value\r\n" each).
HttpAnswer request(Connection& connection, const std::string& method, const std::string& path,
                   const std::string& body = "", const std::string& headers = "");
// The same on a connection of its own.
HttpAnswer request(int port, const std::string& method, const std::string& path, const std::string& body = "",
                   const std::string& headers = "");

// A WebSocket client (text messages only).
class WebSocketClient {
 public:
  // Connects and shakes hands; `ok()` tells whether the server agreed, else
  // `refusal()` holds its answer.
  WebSocketClient(int port, const std::string& path, const std::string& origin = "http://127.0.0.1");
  bool ok() const { return ok_; }
  const HttpAnswer& refusal() const { return refusal_; }

  bool send(const std::string& text);
  // The next text message, or nullopt when none came within `milliseconds`.
  std::optional<std::string> receive(int milliseconds = 10000);

 private:
  Connection connection_;
  bool ok_ = false;
  HttpAnswer refusal_;
};

}  // namespace kavro::test
