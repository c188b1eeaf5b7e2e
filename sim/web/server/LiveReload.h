#pragma once
// Live reload while the server runs: the source folders of the installed bundles
// (Kavro's resources/, each --bundle folder) are watched (FileWatcher.h), their
// changes gathered into one batch per bundle (ChangeBatch.h), and each batch
// that falls due asks for the bundle to be installed again and its pages
// reloaded. A batch made only of an editor's leftovers (swap and backup files)
// asks for nothing.

#include "sim/core/BundleInstaller.h"
#include "sim/web/server/ChangeBatch.h"
#include "sim/web/server/FileWatcher.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kavro::sim {

class LiveReload {
 public:
  // Installs `bundle` again; `files` are the changed paths the watcher saw.
  using Reload = std::function<void(const BundleSource& bundle, const std::vector<std::string>& files)>;

  // Starts watching (std::runtime_error when a folder cannot be watched).
  LiveReload(boost::asio::io_context& io, std::vector<BundleSource> bundles, Reload reload);
  LiveReload(const LiveReload&) = delete;
  LiveReload& operator=(const LiveReload&) = delete;

  const std::vector<BundleSource>& bundles() const { return bundles_; }
  // Stops watching; no reload comes after.
  void stop();

 private:
  void changed(std::size_t bundle, const std::string& file);
  void schedule();
  void fire();

  std::vector<BundleSource> bundles_;
  Reload reload_;
  ChangeBatch batch_;
  boost::asio::steady_timer timer_;
  std::optional<ChangeBatch::Clock::time_point> timerDue_;
  std::optional<FileWatcher> watcher_;
  bool stopped_ = false;
};

}  // namespace kavro::sim
