#include "sim/web/server/FileWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace kavro::sim {

namespace fs = std::filesystem;

namespace {

// A file's content or presence changed; a folder came or went.
constexpr std::uint32_t kFolderEvents =
    IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_ONLYDIR;

int openInotify() {
  int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd < 0) throw std::runtime_error(std::string("cannot watch files: inotify: ") + std::strerror(errno));
  return fd;
}

}  // namespace

FileWatcher::FileWatcher(boost::asio::io_context& io, std::vector<Folder> folders, Changed changed)
    : folders_(std::move(folders)), changed_(std::move(changed)), stream_(io, openInotify()) {
  for (std::size_t folder = 0; folder < folders_.size(); ++folder) {
    addTree(folder, "");
    if (!folders_[folder].besideFiles.empty()) {
      fs::path parent = folders_[folder].path.parent_path();
      if (parent.empty()) parent = ".";
      watches_[addWatch(parent, kFolderEvents)] = Watch{folder, "", true};
    }
  }
  read();
}

FileWatcher::~FileWatcher() { close(); }

void FileWatcher::close() {
  if (closed_) return;
  closed_ = true;
  boost::system::error_code ignored;
  stream_.close(ignored);
}

int FileWatcher::addWatch(const fs::path& path, std::uint32_t mask) {
  int watch = ::inotify_add_watch(stream_.native_handle(), path.c_str(), mask);
  if (watch < 0) {
    std::string why = errno == ENOSPC ? "the system's limit of watches is reached (fs.inotify.max_user_watches)"
                                      : std::strerror(errno);
    throw std::runtime_error("cannot watch " + path.string() + ": " + why);
  }
  return watch;
}

// Watches a folder and every folder inside it. A folder that went away before
// it could be watched is no error: its removal is reported by its parent.
void FileWatcher::addTree(std::size_t folder, const fs::path& relative) {
  fs::path path = relative.empty() ? folders_[folder].path : folders_[folder].path / relative;
  int watch = ::inotify_add_watch(stream_.native_handle(), path.c_str(), kFolderEvents);
  if (watch < 0) {
    if (relative.empty() || (errno != ENOENT && errno != ENOTDIR)) addWatch(path, kFolderEvents);  // throws
    return;
  }
  watches_[watch] = Watch{folder, relative, false};
  std::error_code error;
  for (auto it = fs::directory_iterator(path, error); !error && it != fs::directory_iterator(); it.increment(error))
    if (it->is_directory(error) && !it->is_symlink(error)) addTree(folder, relative / it->path().filename());
}

void FileWatcher::read() {
  stream_.async_wait(boost::asio::posix::stream_descriptor::wait_read, [this](boost::system::error_code error) {
    if (error || closed_) return;
    alignas(inotify_event) std::array<char, 64 * 1024> buffer;
    for (;;) {
      ssize_t length = ::read(stream_.native_handle(), buffer.data(), buffer.size());
      if (length <= 0) break;  // EAGAIN: all read
      for (ssize_t at = 0; at < length && !closed_;) {
        const auto& event = *reinterpret_cast<const inotify_event*>(buffer.data() + at);
        handle(event);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
      }
    }
    if (!closed_) read();
  });
}

void FileWatcher::handle(const inotify_event& event) {
  if (event.mask & IN_Q_OVERFLOW) {
    // Events were lost: every folder counts as changed.
    for (std::size_t folder = 0; folder < folders_.size(); ++folder) changed_(folder, "");
    return;
  }
  auto found = watches_.find(event.wd);
  if (found == watches_.end()) return;
  Watch watch = found->second;
  if (event.mask & IN_IGNORED) {
    watches_.erase(found);
    return;
  }
  std::string name = event.len ? std::string(event.name) : std::string();
  if (watch.parent) {
    const auto& beside = folders_[watch.folder].besideFiles;
    if (std::find(beside.begin(), beside.end(), name) != beside.end()) changed_(watch.folder, "../" + name);
    return;
  }
  fs::path relative = watch.relative / name;
  if ((event.mask & IN_ISDIR) && (event.mask & (IN_CREATE | IN_MOVED_TO))) {
    try {
      addTree(watch.folder, relative);
    } catch (const std::exception& failure) {
      // The folder's files are not watched; what came before still is.
      std::fprintf(stderr, "kavro-sim: %s\n", failure.what());
    }
  }
  changed_(watch.folder, relative.generic_string());
}

}  // namespace kavro::sim
