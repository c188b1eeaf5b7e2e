#pragma once
// The server's state, shared by the server and its sessions (HttpSession,
// LiveSession): the event loop and its acceptor, the device, the routes, the
// connections, and what the pages were sent. Everything here is used from the
// serving thread only.

#include "sim/core/Input.h"
#include "sim/web/server/HttpRoutes.h"
#include "sim/web/server/InputTable.h"
#include "sim/web/server/LiveReload.h"
#include "sim/web/server/PageUpdates.h"
#include "sim/web/server/Screenshots.h"
#include "sim/web/server/WebServer.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <nlohmann/json.hpp>

#include <atomic>
#include <list>
#include <memory>
#include <set>
#include <string>

namespace kavro::sim {

class HttpSession;
class LiveSession;

struct WebServer::Impl {
  using SteadyClock = std::chrono::steady_clock;

  // Declared before the event loop: sessions that the loop destroys with its
  // handlers take themselves off these lists.
  std::list<HttpSession*> httpSessions;
  std::set<std::shared_ptr<LiveSession>> liveSessions;

  LiveDevice& live;
  Options options;
  HttpRoutes routes;
  PageUpdates updates;
  std::atomic<bool> stopRequested = false;
  bool stopping = false;
  Input::Owner nextClient = 1;

  boost::asio::io_context io{1};
  boost::asio::ip::tcp::acceptor acceptor{io};
  boost::asio::steady_timer ticker{io};
  SteadyClock::time_point tickerDue = SteadyClock::time_point::max();
  // Watches the bundles' source folders, when any are named.
  std::unique_ptr<LiveReload> liveReload;

  // Screenshots asked of a page (GET /api/screenshot): the requests waiting, the
  // page asked, and a timer at the earliest request's deadline.
  struct ScreenshotDesk {
    explicit ScreenshotDesk(boost::asio::io_context& io) : timer(io) {}
    ScreenshotWaits waits;
    std::weak_ptr<LiveSession> page;
    boost::asio::steady_timer timer;
  };
  ScreenshotDesk screenshots{io};

  Impl(LiveDevice& live, Options options);

  void accept();
  void closeLongestWaiting();
  // Applies an input (with the device's clock brought up to the real time first)
  // and sends the pages what it changed, even when it failed half-way.
  void applyInput(const InputKind& kind, const nlohmann::json& body, Input::Owner owner);
  // A page that has just connected: it is sent what it starts from.
  void welcome(const std::shared_ptr<LiveSession>& session);
  // Brings the device's clock up to the real time and sends the pages what changed.
  void refresh();
  // A watched bundle's files changed (`files`, as the watcher saw them): it is
  // installed again and the pages are sent what that changed.
  void reloadBundle(const BundleSource& bundle, const std::vector<std::string>& files);
  void broadcast(const PageUpdates::Message& message, bool frame);
  void scheduleTick();
  void shutdown();

  // Screenshots (WebServerScreenshots.cpp): a request asks the page that
  // connected last (503 with none); its answer, or its going away, answers the
  // requests waiting for it.
  void takeScreenshot(HttpRoutes::Reply reply);
  void screenshotAnswered(const ScreenshotAnswer& answer, const LiveSession& from);
  void pageGone(const LiveSession& page);
  void scheduleScreenshotTimeout();
};

}  // namespace kavro::sim
