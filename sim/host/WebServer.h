#pragma once
// The simulator in a browser: an HTTP server on the loopback interface that serves
// the page (sim/web), the frames of the live screen, the state and event log, and
// takes the person's touches, typing and commands. Every request is checked before
// it reaches the device; a request that is malformed, too large, of the wrong type
// or for an unknown address gets a 4xx answer with {"error": "..."} and changes
// nothing. A ticker moves the device's clock with real time while serving.
//
// Routes:
//   GET  /  /app.js  /style.css       the page
//   GET  /api/frame[?after=SEQ]        the render tree; 204 while it is still SEQ
//   GET  /api/state                    the dump of the live device (log not consumed)
//   GET  /api/panel[?after=SEQ]        stored domain, appearance, events after SEQ
//   GET  /api/symbols                  the system symbols' artwork
//   GET  /assets/file/PATH, /assets/png/ID   pictures named by render trees
//   POST /api/touch       {"phase": "down"|"move"|"up"|"cancel", "x": N, "y": N}
//   POST /api/key         {"text": "abc"} or {"backspace": N}
//   POST /api/appearance  {"appearance": "light"|"dark"}
//   POST /api/open        {"target": "settings"|"springboard"}
// POST bodies are JSON objects sent as application/json, which a page from another
// origin cannot send without the browser asking first; requests must name this
// machine's loopback address in their Host header.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

namespace kavro::sim {

class LiveDevice;

class WebServer {
 public:
  struct Options {
    // The folder with index.html, app.js and style.css.
    std::filesystem::path webRoot = defaultWebRoot();
    // Whether a ticker advances the device's clock with real time while serving.
    bool ticker = true;
    // The largest request body accepted.
    std::size_t maximumBody = 16 * 1024;
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
  // Serves until stop(), from the calling thread.
  void listen();
  // Ends listen() (from any thread).
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kavro::sim
