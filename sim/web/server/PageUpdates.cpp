#include "sim/web/server/PageUpdates.h"

#include "sim/core/PlistJson.h"
#include "sim/core/Readings.h"
#include "sim/web/server/LiveDevice.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace kavro::sim {

using nlohmann::json;

namespace {

PageUpdates::Message messageOf(const json& message) { return std::make_shared<const std::string>(jsonText(message)); }

}  // namespace

void PageUpdates::welcome(Input::Owner client, bool first, const Send& toPage) {
  toPage(messageOf({{"type", "hello"}, {"client", client}, {"screen", LiveDevice::screen()}}), false);
  json panel = live_.panel();
  toPage(messageOf(panel), false);
  Readings& readings = live_.readings();
  std::uint64_t last = readings.lastEventSequence();
  toPage(messageOf({{"type", "events"}, {"events", readings.eventsAfter(0)}, {"last", last}, {"history", true}}), false);
  LiveDevice::Frame frame = live_.frame();
  toPage(frame.json, true);
  if (!first) return;
  pushedFrame_ = frame.sequence;
  pushedEvent_ = last;
  panel.erase("t");
  pushedPanel_ = jsonText(panel);
  panelChanges_ = live_.changeCount();
}

void PageUpdates::push(Clock::time_point now, const Send& toAll) {
  pushFrame(now, toAll);
  pushEvents(toAll);
  pushPanel(now, toAll);
}

void PageUpdates::pushFrame(Clock::time_point now, const Send& toAll) {
  // Paced: the picture goes out at most once a frame interval.
  if (paced_ && now - lastFrameAt_ < kFrameInterval) {
    framePending_ = true;
    return;
  }
  framePending_ = false;
  lastFrameAt_ = now;
  LiveDevice::Frame frame = live_.frame();
  if (frame.sequence == pushedFrame_) return;
  pushedFrame_ = frame.sequence;
  toAll(frame.json, true);
}

void PageUpdates::pushEvents(const Send& toAll) {
  Readings& readings = live_.readings();
  std::uint64_t last = readings.lastEventSequence();
  if (last == pushedEvent_) return;
  json events = {{"type", "events"}, {"events", readings.eventsAfter(pushedEvent_)}, {"last", last}};
  pushedEvent_ = last;
  toAll(messageOf(events), false);
}

void PageUpdates::pushPanel(Clock::time_point now, const Send& toAll) {
  // When something happened, or now and then (another program may write the
  // stored domain); sent when it differs from what the pages have.
  if (live_.changeCount() == panelChanges_ && now - lastPanelCheck_ < kIdleInterval) return;
  panelChanges_ = live_.changeCount();
  lastPanelCheck_ = now;
  json panel = live_.panel();
  json time = panel["t"];
  panel.erase("t");
  std::string text = jsonText(panel);
  if (text == pushedPanel_) return;
  pushedPanel_ = std::move(text);
  panel["t"] = time;
  toAll(messageOf(panel), false);
}

void PageUpdates::forget() {
  pushedFrame_ = 0;
  pushedEvent_ = live_.readings().lastEventSequence();
  pushedPanel_.clear();
}

PageUpdates::Clock::time_point PageUpdates::nextLook(Clock::time_point now, bool pagesConnected) const {
  if (pagesConnected && (framePending_ || live_.isAnimating())) return std::max(now, lastFrameAt_ + kFrameInterval);
  double seconds = std::min(live_.secondsUntilNextWork(), std::chrono::duration<double>(kIdleInterval).count());
  return now + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace kavro::sim
