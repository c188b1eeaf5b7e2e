// The server on Boost.Asio's event loop: accepting connections (HttpSession),
// the timer that moves the device's clock with real time and paces what the
// pages are sent (PageUpdates), inputs applied, and stopping.

#include "sim/web/server/WebServer.h"

#include "sim/web/server/HttpSession.h"
#include "sim/web/server/LiveDevice.h"
#include "sim/web/server/LiveSession.h"
#include "sim/web/server/WebServerImpl.h"

#include <boost/asio/post.hpp>

#include <algorithm>
#include <future>
#include <iostream>

namespace kavro::sim {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

WebServer::Impl::Impl(LiveDevice& live, Options options)
    : live(live),
      options(std::move(options)),
      routes(live, this->options.webRoot,
             [this](const InputKind& kind, const nlohmann::json& body, Input::Owner owner) {
               applyInput(kind, body, owner);
             }),
      updates(live, this->options.ticker) {
  routes.takeScreenshotsWith([this](HttpRoutes::Reply reply) { takeScreenshot(std::move(reply)); });
  if (this->options.watchedBundles.empty()) return;
  try {
    liveReload = std::make_unique<LiveReload>(
        io, this->options.watchedBundles,
        [this](const BundleSource& bundle, const std::vector<std::string>& files) { reloadBundle(bundle, files); });
  } catch (const std::runtime_error& failure) {
    // The phone still serves; only its pages do not follow their files.
    std::cerr << "kavro-sim: live reload is off: " << failure.what() << "\n";
  }
}

namespace {

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

void WebServer::Impl::reloadBundle(const BundleSource& bundle, const std::vector<std::string>& files) {
  try {
    live.catchUp();
    Reinstall result = live.input().reloadBundle(bundle);
    if (result.problem)
      std::cerr << "kavro-sim: " << bundle.name << " is not reloaded: "
                << (result.problem->file.empty() ? "" : result.problem->file + ": ") << result.problem->message
                << "\n";
    else if (!result.changedFiles.empty())
      std::cerr << "kavro-sim: reloaded " << bundle.name << " (" << joined(result.changedFiles) << ")\n";
  } catch (const std::exception& failure) {
    std::cerr << "kavro-sim: reloading " << bundle.name << " after a change to " << joined(files)
              << " failed: " << failure.what() << "\n";
  }
  live.inputApplied();
  refresh();
}

void WebServer::Impl::applyInput(const InputKind& kind, const nlohmann::json& body, Input::Owner owner) {
  live.catchUp();
  try {
    kind.apply(live.input(), body, owner);
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

void WebServer::Impl::welcome(const std::shared_ptr<LiveSession>& session) {
  live.catchUp();
  // The pages already connected are brought up to date first; the new one then
  // starts from the state of now.
  bool first = liveSessions.empty();
  if (!first) updates.push(SteadyClock::now(), [this](auto& message, bool frame) { broadcast(message, frame); });
  liveSessions.insert(session);
  updates.welcome(session->client(), first, [&](auto& message, bool frame) { session->send(message, frame); });
  scheduleTick();
}

void WebServer::Impl::broadcast(const PageUpdates::Message& message, bool frame) {
  // A session may finish while sending (a page too far behind): iterate a copy.
  auto sessions = liveSessions;
  for (auto& session : sessions) session->send(message, frame);
}

void WebServer::Impl::refresh() {
  live.catchUp();
  if (!liveSessions.empty())
    updates.push(SteadyClock::now(), [this](auto& message, bool frame) { broadcast(message, frame); });
  else
    updates.forget();
  scheduleTick();
}

void WebServer::Impl::scheduleTick() {
  if (!options.ticker || stopping) return;
  auto now = SteadyClock::now();
  SteadyClock::time_point due = updates.nextLook(now, !liveSessions.empty());
  if (tickerDue <= due && tickerDue > now) return;  // an earlier wake is set
  tickerDue = due;
  ticker.expires_at(due);
  ticker.async_wait([this](boost::system::error_code error) {
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

void WebServer::Impl::accept() {
  acceptor.async_accept([this](boost::system::error_code error, tcp::socket socket) {
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
  if (liveReload) liveReload->stop();
  boost::system::error_code ignored;
  acceptor.close(ignored);
  ticker.cancel();
  screenshots.waits.drop();
  screenshots.timer.cancel();
  for (HttpSession* session : httpSessions) session->close();
  auto sessions = liveSessions;
  for (auto& session : sessions) session->finish();
}

std::filesystem::path WebServer::defaultWebRoot() { return std::filesystem::path(KAVRO_SOURCE_DIR) / "sim" / "web" / "page"; }

WebServer::WebServer(LiveDevice& live, Options options) : impl_(std::make_unique<Impl>(live, std::move(options))) {}

WebServer::~WebServer() = default;

int WebServer::bind(const std::string& host, int port) {
  if (port < 0 || port > 65535) throw std::runtime_error("the port must be from 0 to 65535, not " + std::to_string(port));
  boost::system::error_code error;
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
