#pragma once
// What the connected pages are sent, and when: the welcome a page starts from,
// then whatever changed since they were last sent anything, a frame when the
// picture differs (paced to one a kFrameInterval), the events that happened, and
// the panel when its values differ. It knows nothing of sockets: the server
// hands it a function that sends a message to one page or to all, and the time of
// its steady clock.

#include "sim/core/Input.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kavro::sim {

class LiveDevice;

class PageUpdates {
 public:
  using Clock = std::chrono::steady_clock;
  using Message = std::shared_ptr<const std::string>;
  // Sends a message; a frame may replace one not yet sent.
  using Send = std::function<void(const Message& message, bool frame)>;

  // Frames go out at most this often while the picture keeps changing.
  static constexpr auto kFrameInterval = std::chrono::milliseconds(10);
  // Idle, the server still looks this often: the stored values can change from
  // outside (another program writing the domain).
  static constexpr auto kIdleInterval = std::chrono::seconds(1);

  // `paced`: frames wait out kFrameInterval (off when a test moves the clock).
  PageUpdates(LiveDevice& live, bool paced) : live_(live), paced_(paced) {}

  // Sends a page that just connected, as client `client`, what it starts from:
  // hello, the panel, the latest events (as history) and the frame. `first`: no
  // other page is connected, so that what it is sent is what all pages have.
  void welcome(Input::Owner client, bool first, const Send& toPage);
  // Sends the pages what changed since they were last sent anything.
  void push(Clock::time_point now, const Send& toAll);
  // No page is connected: what was sent last means nothing to the next page.
  void forget();
  // When the server should next look (push, or bring the device's clock up):
  // soon while a frame waits or the picture moves and pages are connected, else
  // at the device's next queued work, at the latest after kIdleInterval.
  Clock::time_point nextLook(Clock::time_point now, bool pagesConnected) const;

 private:
  void pushFrame(Clock::time_point now, const Send& toAll);
  void pushEvents(const Send& toAll);
  void pushPanel(Clock::time_point now, const Send& toAll);

  LiveDevice& live_;
  bool paced_;
  // What the pages have been sent, and when the picture was last looked at.
  std::uint64_t pushedFrame_ = 0;
  Clock::time_point lastFrameAt_{};
  bool framePending_ = false;
  std::uint64_t pushedEvent_ = 0;
  std::string pushedPanel_;
  std::uint64_t panelChanges_ = ~std::uint64_t{0};
  Clock::time_point lastPanelCheck_{};
};

}  // namespace kavro::sim
