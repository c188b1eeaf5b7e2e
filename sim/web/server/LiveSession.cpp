#include "sim/web/server/LiveSession.h"

#include "sim/web/server/LiveDevice.h"
#include "sim/web/server/PageMessage.h"

#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/websocket.hpp>

#include <iostream>

namespace kavro::sim {

namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = boost::asio::ip::tcp;

LiveSession::LiveSession(WebServer::Impl& server, beast::tcp_stream stream, Input::Owner client)
    : server_(server), socket_(std::move(stream)), client_(client) {}

void LiveSession::start(beast::http::request<beast::http::string_body> request) {
  beast::get_lowest_layer(socket_).expires_never();
  socket_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
  // Only a screenshot answer may be this long; handlePageMessage refuses any other
  // message over kMaximumMessage.
  socket_.read_message_max(kMaximumScreenshotMessage);
  // A frame goes out as one message, not in pieces.
  socket_.auto_fragment(false);
  socket_.async_accept(request, [self = shared_from_this()](beast::error_code error) {
    if (error || self->server_.stopping) return;
    self->server_.welcome(self);
    self->read();
  });
}

void LiveSession::send(PageUpdates::Message message, bool frame) {
  if (finished_) return;
  if (frame) {
    pendingFrame_ = std::move(message);
  } else {
    if (queue_.size() >= kMaximumQueuedMessages) return finish();
    queue_.push_back(std::move(message));
  }
  if (!writing_) writeNext();
}

void LiveSession::finish() {
  if (finished_) return;
  finished_ = true;
  auto self = shared_from_this();
  server_.liveSessions.erase(self);
  server_.pageGone(*this);
  beast::error_code ignored;
  beast::get_lowest_layer(socket_).socket().shutdown(tcp::socket::shutdown_both, ignored);
  beast::get_lowest_layer(socket_).close();
  // A finger this page had down is lifted off the glass by the system.
  if (server_.stopping) return;
  try {
    server_.live.input().releaseOwner(client_);
    server_.live.inputApplied();
  } catch (const std::exception& error) {
    std::cerr << "kavro-sim: ending a page's touch failed: " << error.what() << "\n";
  }
}

void LiveSession::read() {
  socket_.async_read(buffer_, [self = shared_from_this()](beast::error_code error, std::size_t) {
    if (error) return self->finish();
    std::string text = beast::buffers_to_string(self->buffer_.data());
    self->buffer_.consume(self->buffer_.size());
    // A screenshot's megabytes are not kept for the small messages after it.
    if (text.size() > kMaximumMessage) self->buffer_.shrink_to_fit();
    auto apply = [&server = self->server_](const InputKind& kind, const nlohmann::json& body, Input::Owner owner) {
      server.applyInput(kind, body, owner);
    };
    auto screenshot = [&](const ScreenshotAnswer& answer) { self->server_.screenshotAnswered(answer, *self); };
    PageMessageResult result = handlePageMessage(text, self->client_, apply, screenshot);
    // Too long a message closes the connection, as the socket does past its limit.
    if (result.tooLarge) return self->finish();
    if (result.answer) self->send(std::make_shared<const std::string>(std::move(*result.answer)), false);
    if (!self->finished_) self->read();
  });
}

void LiveSession::writeNext() {
  PageUpdates::Message message;
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
  socket_.async_write(boost::asio::buffer(*message), [self = shared_from_this(), message](beast::error_code error,
                                                                                          std::size_t) {
    self->writing_ = false;
    if (error) return self->finish();
    self->writeNext();
  });
}

}  // namespace kavro::sim
