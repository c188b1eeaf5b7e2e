#include "sim/web/server/LiveReload.h"

#include <filesystem>

namespace kavro::sim {

namespace {

std::vector<FileWatcher::Folder> watchedFolders(const std::vector<BundleSource>& bundles) {
  std::vector<FileWatcher::Folder> folders;
  for (const BundleSource& bundle : bundles) {
    FileWatcher::Folder folder{bundle.folder, {}};
    // A bundle's entry may be kept beside its folder.
    if (!bundle.builtIn) folder.besideFiles.push_back(bundle.name + ".plist");
    folders.push_back(std::move(folder));
  }
  return folders;
}

}  // namespace

LiveReload::LiveReload(boost::asio::io_context& io, std::vector<BundleSource> bundles, Reload reload)
    : bundles_(std::move(bundles)), reload_(std::move(reload)), timer_(io) {
  watcher_.emplace(io, watchedFolders(bundles_),
                   [this](std::size_t bundle, const std::string& file) { changed(bundle, file); });
}

void LiveReload::stop() {
  stopped_ = true;
  if (watcher_) watcher_->close();
  timer_.cancel();
}

void LiveReload::changed(std::size_t bundle, const std::string& file) {
  if (stopped_) return;
  if (!file.empty() && isEditorLeftover(file)) return;
  batch_.add(bundle, file, ChangeBatch::Clock::now());
  schedule();
}

void LiveReload::schedule() {
  auto due = batch_.nextDue();
  if (!due || (timerDue_ && *timerDue_ <= *due)) return;
  timerDue_ = due;
  timer_.expires_at(*due);
  timer_.async_wait([this](boost::system::error_code error) {
    if (error || stopped_) return;  // replaced by an earlier wake, or stopped
    timerDue_.reset();
    fire();
  });
}

void LiveReload::fire() {
  for (ChangeBatch::Batch& batch : batch_.takeDue(ChangeBatch::Clock::now())) {
    if (stopped_) return;
    reload_(bundles_[batch.folder], batch.files);
  }
  schedule();
}

}  // namespace kavro::sim
