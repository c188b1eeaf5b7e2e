#pragma once
// A page connected by WebSocket (/api/live): it is sent a frame whenever the
// picture changes, the panel's values and the device's events, and sends inputs
// (PageMessage.h). Each page is its own client: its touches are its own finger's,
// lifted by the system when the page goes away. A frame not yet sent is replaced
// by a newer one; a page more than kMaximumQueuedMessages other messages behind
// is disconnected. A page's messages are at most kMaximumMessage long, but for its
// screenshot answers (PageMessage.h).

#include "sim/core/Input.h"
#include "sim/web/server/PageMessage.h"
#include "sim/web/server/WebServerImpl.h"

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/websocket/stream.hpp>

#include <deque>
#include <memory>
#include <string>

namespace kavro::sim {

class LiveSession : public std::enable_shared_from_this<LiveSession> {
 public:
  // Messages a page has not taken yet; a page further behind is disconnected.
  static constexpr std::size_t kMaximumQueuedMessages = 256;
  static constexpr std::size_t kMaximumMessage = kMaximumPageMessage;

  LiveSession(WebServer::Impl& server, boost::beast::tcp_stream stream, Input::Owner client);
  LiveSession(const LiveSession&) = delete;
  LiveSession& operator=(const LiveSession&) = delete;

  Input::Owner client() const { return client_; }

  // Completes the handshake the request began, then welcomes the page.
  void start(boost::beast::http::request<boost::beast::http::string_body> request);
  // Sends a message after those queued; a frame replaces a frame not yet sent.
  void send(PageUpdates::Message message, bool frame);
  // Closes the connection and lifts the page's finger.
  void finish();

 private:
  void read();
  void writeNext();

  WebServer::Impl& server_;
  boost::beast::websocket::stream<boost::beast::tcp_stream> socket_;
  boost::beast::flat_buffer buffer_;
  Input::Owner client_;
  std::deque<PageUpdates::Message> queue_;
  PageUpdates::Message pendingFrame_;
  bool writing_ = false;
  bool finished_ = false;
};

}  // namespace kavro::sim
