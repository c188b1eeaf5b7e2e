#include "tests/support/LoopbackClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>

namespace kavro::test {

namespace {

int remaining(std::chrono::steady_clock::time_point end) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
  return static_cast<int>(std::max<long long>(0, left));
}

}  // namespace

Connection::Connection(int port) {
  socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(socket_);
    socket_ = -1;
    return;
  }
  int one = 1;
  ::setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

Connection::~Connection() {
  if (socket_ >= 0) ::close(socket_);
}

bool Connection::send(const std::string& bytes) {
  std::size_t sent = 0;
  while (socket_ >= 0 && sent < bytes.size()) {
    ssize_t n = ::send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return socket_ >= 0;
}

std::optional<std::string> Connection::receive(std::size_t size, int milliseconds) {
  if (!pending_.empty()) {
    std::string part = pending_.substr(0, size);
    pending_.erase(0, part.size());
    return part;
  }
  if (socket_ < 0) return std::string();
  pollfd entry{socket_, POLLIN, 0};
  if (::poll(&entry, 1, milliseconds) <= 0) return std::nullopt;
  std::string buffer(size, '\0');
  ssize_t n = ::recv(socket_, buffer.data(), size, 0);
  if (n <= 0) return std::string();
  buffer.resize(static_cast<std::size_t>(n));
  return buffer;
}

std::optional<std::string> Connection::receiveExactly(std::size_t size, int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  std::string bytes;
  while (bytes.size() < size) {
    auto part = receive(size - bytes.size(), remaining(end));
    if (!part || part->empty()) return std::nullopt;
    bytes += *part;
  }
  return bytes;
}

bool Connection::closedByServer(int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    auto part = receive(4096, remaining(end));
    if (!part) return false;
    if (part->empty()) return true;
  }
}

HttpAnswer HttpAnswer::read(Connection& connection, int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  HttpAnswer answer;
  std::string head;
  while (head.find("\r\n\r\n") == std::string::npos) {
    auto part = connection.receive(4096, remaining(end));
    if (!part || part->empty()) return answer;
    head += *part;
  }
  std::size_t headEnd = head.find("\r\n\r\n") + 4;
  connection.pending_ = head.substr(headEnd) + connection.pending_;
  head.resize(headEnd);
  // "HTTP/1.1 200 OK"
  answer.status = std::atoi(head.c_str() + head.find(' ') + 1);
  std::size_t line = head.find("\r\n") + 2;
  while (line < head.size() - 2) {
    std::size_t next = head.find("\r\n", line);
    std::string header = head.substr(line, next - line);
    auto colon = header.find(':');
    std::string name = header.substr(0, colon);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    std::string value = header.substr(colon + 1);
    value.erase(0, value.find_first_not_of(' '));
    answer.headers[name] = value;
    line = next + 2;
  }
  std::size_t length = answer.headers.count("content-length") ? std::stoul(answer.headers["content-length"]) : 0;
  auto body = connection.receiveExactly(length, remaining(end));
  if (!body) answer.status = -1;
  else answer.body = *body;
  return answer;
}

HttpAnswer request(Connection& connection, const std::string& method, const std::string& path, const std::string& body,
                   const std::string& headers) {
  std::string text = method + " " + path + " HTTP/1.1\r\n";
  if (headers.find("Host:") == std::string::npos) text += "Host: 127.0.0.1\r\n";
  text += headers;
  if (!body.empty() || method == "POST") text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  text += "\r\n" + body;
  if (!connection.send(text)) return {};
  return HttpAnswer::read(connection);
}

HttpAnswer request(int port, const std::string& method, const std::string& path, const std::string& body,
                   const std::string& headers) {
  Connection connection(port);
  return request(connection, method, path, body, headers);
}

WebSocketClient::WebSocketClient(int port, const std::string& path, const std::string& origin) : connection_(port) {
  std::string text = "GET " + path +
                     " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                     "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n";
  if (!origin.empty()) text += "Origin: " + origin + "\r\n";
  text += "\r\n";
  if (!connection_.send(text)) return;
  HttpAnswer answer = HttpAnswer::read(connection_);
  ok_ = answer.status == 101;
  if (!ok_) refusal_ = answer;
}

bool WebSocketClient::send(const std::string& text) {
  // A client's frames are masked; this mask is as good as any for a test.
  const unsigned char mask[4] = {0x12, 0x34, 0x56, 0x78};
  std::string frame;
  frame += static_cast<char>(0x81);  // final text frame
  if (text.size() < 126) {
    frame += static_cast<char>(0x80 | text.size());
  } else if (text.size() < 65536) {
    frame += static_cast<char>(0x80 | 126);
    frame += static_cast<char>((text.size() >> 8) & 0xFF);
    frame += static_cast<char>(text.size() & 0xFF);
  } else {
    frame += static_cast<char>(0x80 | 127);
    for (int shift = 56; shift >= 0; shift -= 8) frame += static_cast<char>((text.size() >> shift) & 0xFF);
  }
  frame.append(reinterpret_cast<const char*>(mask), 4);
  for (std::size_t i = 0; i < text.size(); ++i) frame += static_cast<char>(text[i] ^ mask[i % 4]);
  return connection_.send(frame);
}

std::optional<std::string> WebSocketClient::receive(int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  std::string message;
  for (;;) {
    auto head = connection_.receiveExactly(2, remaining(end));
    if (!head) return std::nullopt;
    bool final = static_cast<unsigned char>((*head)[0]) & 0x80;
    unsigned opcode = static_cast<unsigned char>((*head)[0]) & 0x0F;
    std::uint64_t length = static_cast<unsigned char>((*head)[1]) & 0x7F;
    if (length >= 126) {
      auto extended = connection_.receiveExactly(length == 126 ? 2 : 8, remaining(end));
      if (!extended) return std::nullopt;
      length = 0;
      for (char byte : *extended) length = (length << 8) | static_cast<unsigned char>(byte);
    }
    auto payload = connection_.receiveExactly(static_cast<std::size_t>(length), remaining(end));
    if (!payload) return std::nullopt;
    if (opcode == 0x8) return std::nullopt;  // closed
    if (opcode != 0x1 && opcode != 0x0) continue;  // pings and pongs
    message += *payload;  // a text frame, or a continuation of one
    if (final) return message;
  }
}

}  // namespace kavro::test
