#pragma once
// The simulator in a browser: an HTTP and WebSocket server on the loopback
// interface that serves the page (sim/web/page), pushes the frames of the live screen,
// the stored values and the device's events to each connected page, and takes
// the person's touches, typing and commands. It is a thin shell over the
// simulator's input and readings: it checks each request, calls the layer, and
// answers. Routes and messages are documented in docs/simulator.md; the routes
// are HttpRoutes, the inputs InputTable, what the pages are sent PageUpdates, and
// the connections HttpSession and LiveSession, and the watching of the bundles'
// files LiveReload.
//
// One thread serves everything (an event loop with no thread per connection), and
// the device lives on that thread: its clock follows real time on a timer of the
// same loop, so the device is never touched from two threads. Every request must
// arrive whole within a bounded time, and connections that wait for a request are
// capped, so clients that trickle or idle never hold up the others.
//
// A request that is malformed, too large, of the wrong type or for an unknown
// address gets a 4xx answer with {"error": "..."} and changes nothing. Requests
// must name this machine's loopback address in their Host header; POST bodies are
// JSON objects sent as application/json (which a page from another origin cannot
// send without the browser asking first); a WebSocket must come from a page of
// this server.

#include "sim/core/BundleInstaller.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kavro::sim {

class LiveDevice;

class WebServer {
 public:
  struct Options {
    // The page's folder: its files are served by their paths, index.html at "/"
    // (PageFolder.h).
    std::filesystem::path webRoot = defaultWebRoot();
    // Whether a timer moves the device's clock with real time, and paces frames.
    bool ticker = true;
    // The largest request body accepted.
    std::size_t maximumBody = 16 * 1024;
    // Seconds within which a request (from the end of the previous answer, or from
    // the connection) must have arrived whole; a connection that takes longer is
    // closed.
    double requestTimeout = 10;
    // How many connections may wait for a request at once; a new connection
    // beyond that closes the one that has waited longest.
    std::size_t maximumWaitingConnections = 256;
    // The installed bundles whose source folders are watched while the server
    // runs: a change installs the bundle again and reloads its open pages
    // (LiveReload.h). None by default. When the folders cannot be watched (the
    // system's limit of watches reached), the server says so once on standard
    // error and serves without live reload.
    std::vector<BundleSource> watchedBundles;
  };
  static std::filesystem::path defaultWebRoot();

  WebServer(LiveDevice& live, Options options);
  explicit WebServer(LiveDevice& live) : WebServer(live, Options()) {}
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds to `host` (an address of this machine) and `port`, 0 for any free port.
  // Returns the port. Throws std::runtime_error when the port cannot be had.
  int bind(const std::string& host, int port);
  // Serves until stop(), from the calling thread: the device is used from this
  // thread only, from here on.
  void listen();
  // Ends listen() (from any thread; also before it began).
  void stop();
  // Runs `work` on the serving thread (where the device lives), then sends the
  // pages what changed, and waits for both. Only while listen() runs, and never
  // from the serving thread itself.
  void call(const std::function<void()>& work);

  // The server's state, defined with it (its connections reach it too).
  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace kavro::sim
