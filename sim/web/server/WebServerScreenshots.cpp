// The server's side of screenshots: choosing the page to ask, sending it the ask,
// and answering the waiting requests when it answers, goes away or runs out of
// time (Screenshots.h keeps the bookkeeping).

#include "sim/web/server/LiveSession.h"
#include "sim/web/server/WebServerImpl.h"

#include "sim/core/PlistJson.h"

#include <algorithm>

namespace kavro::sim {

void WebServer::Impl::takeScreenshot(HttpRoutes::Reply reply) {
  if (stopping) return;
  // The page that connected last, which a person most likely looks at.
  auto latest = std::max_element(liveSessions.begin(), liveSessions.end(),
                                 [](auto& a, auto& b) { return a->client() < b->client(); });
  if (latest == liveSessions.end())
    return reply(HttpReply::failure({503, "no page is connected to draw the screen: open the simulator's page"}));
  auto ask = screenshots.waits.add(SteadyClock::now(), std::move(reply));
  scheduleScreenshotTimeout();
  if (!ask) return;  // it waits for the ask already out
  std::shared_ptr<LiveSession> page = *latest;
  screenshots.page = page;
  page->send(std::make_shared<const std::string>(jsonText({{"type", "screenshot"}, {"id", *ask}})), false);
}

void WebServer::Impl::screenshotAnswered(const ScreenshotAnswer& answer, const LiveSession& from) {
  if (screenshots.page.lock().get() != &from) return;  // a page that was not asked
  if (screenshots.waits.answer(answer)) screenshots.page.reset();
  scheduleScreenshotTimeout();
}

void WebServer::Impl::pageGone(const LiveSession& page) {
  if (stopping || screenshots.page.lock().get() != &page) return;
  screenshots.page.reset();
  screenshots.waits.fail(504, "the page asked for the screenshot went away before it answered");
  scheduleScreenshotTimeout();
}

void WebServer::Impl::scheduleScreenshotTimeout() {
  auto deadline = screenshots.waits.nextDeadline();
  if (!deadline) {
    screenshots.timer.cancel();
    return;
  }
  screenshots.timer.expires_at(*deadline);
  screenshots.timer.async_wait([this](boost::system::error_code error) {
    if (error || stopping) return;  // replaced by another deadline, or stopping
    screenshots.waits.expire(SteadyClock::now());
    if (!screenshots.waits.askOut()) screenshots.page.reset();
    scheduleScreenshotTimeout();
  });
}

}  // namespace kavro::sim
