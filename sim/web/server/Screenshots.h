#pragma once
// Screenshots for GET /api/screenshot. The server draws nothing itself: it asks a
// connected page, which draws the phone's screen as it shows it and answers with a
// PNG over its WebSocket. This file holds what needs no socket: checking that the
// bytes a page sent are a PNG of the screen's pixel size, reading the base64 they
// come in, and the bookkeeping of the requests that wait for a page's answer.
//
// Requests that arrive while an ask is out wait for that same ask: one picture
// answers them all, in the order they came (docs/decisions.md says why). Each
// request waits at most kTimeout from its own arrival, then answers 504; the ask
// stays out while anyone still waits on it.

#include "sim/web/server/HttpRoutes.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kavro::sim {

// The screen's size in device pixels: points times the scale (1170 × 2532).
std::uint32_t screenshotWidth();
std::uint32_t screenshotHeight();

// Why `bytes` are not a PNG of width × height pixels (its 8-byte signature, then
// an IHDR chunk with that size), or nullopt when they are one.
std::optional<std::string> pngProblem(std::string_view bytes, std::uint32_t width, std::uint32_t height);

// Standard base64 (RFC 4648: A–Z a–z 0–9 + /, padded with '=' to a multiple of
// four), or nullopt for anything else, whitespace included.
std::optional<std::string> decodeBase64(std::string_view text);

// A page's answer to {"type": "screenshot", "id": N}: the picture's bytes, or the
// page's reason for having none.
struct ScreenshotAnswer {
  std::uint64_t id = 0;
  std::string png;
  std::optional<std::string> error;
};

class ScreenshotWaits {
 public:
  using Clock = std::chrono::steady_clock;
  using Reply = std::function<void(HttpReply)>;

  static constexpr auto kTimeout = std::chrono::seconds(5);

  // A request that came at `now`. Returns the id of a new ask to send a page when
  // no ask is out; nullopt when the request waits for the ask already out.
  std::optional<std::uint64_t> add(Clock::time_point now, Reply reply);
  // The page's answer: everyone waiting on ask `answer.id` is answered, first come
  // first: the PNG, 502 when the bytes are not a PNG of the screen's size, 504
  // when the page said it had none. Returns false, answering nobody, for an id
  // that is not the ask out (a late answer to an ask given up).
  bool answer(const ScreenshotAnswer& answer);
  // The ask cannot be answered (the page asked went away): everyone waiting gets
  // `status` with `message`, and the ask is given up.
  void fail(int status, const std::string& message);
  // Requests that have waited kTimeout by `now` answer 504, first come first; the
  // ask is given up when nobody is left waiting.
  void expire(Clock::time_point now);
  // Forgets every request without answering any (the server stops).
  void drop();

  bool empty() const { return waiting_.empty(); }
  // The id of the ask out, or 0 when none is.
  std::uint64_t askOut() const { return ask_; }
  // When the request that has waited longest runs out of time.
  std::optional<Clock::time_point> nextDeadline() const;

 private:
  struct Waiting {
    Clock::time_point deadline;
    Reply reply;
  };
  // Takes the first `count` requests off the list, then answers each (an answer
  // may come back here).
  void answerFirst(std::size_t count, const std::function<HttpReply()>& reply);

  std::deque<Waiting> waiting_;
  std::uint64_t ask_ = 0;
  std::uint64_t lastAsk_ = 0;
};

}  // namespace kavro::sim
