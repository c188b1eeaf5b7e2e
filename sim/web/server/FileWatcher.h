#pragma once
// Watches folders for changed files with the kernel's file-change notification
// (inotify) on the server's event loop: nothing is polled, and an idle watcher
// costs nothing. Each watched folder is watched with its subfolders (folders
// made later included); a watched file beside a folder (a bundle's entry kept
// next to it) is watched through its parent folder. Every change (a file
// written and closed, made, removed or renamed into or out of place) is handed
// to the callback as the folder's index and the file's path relative to it;
// batching them is the caller's (ChangeBatch.h).

#include <boost/asio/io_context.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct inotify_event;

namespace kavro::sim {

class FileWatcher {
 public:
  struct Folder {
    std::filesystem::path path;
    // Files of the parent folder that count as this folder's, by name: their
    // changes are reported as "../NAME".
    std::vector<std::string> besideFiles;
  };
  using Changed = std::function<void(std::size_t folder, const std::string& file)>;

  // Starts watching. Throws std::runtime_error when the kernel refuses a watch
  // (the message names the folder and says why: too many watches, no such folder).
  FileWatcher(boost::asio::io_context& io, std::vector<Folder> folders, Changed changed);
  ~FileWatcher();
  FileWatcher(const FileWatcher&) = delete;
  FileWatcher& operator=(const FileWatcher&) = delete;

  // Stops watching; no callback comes after.
  void close();

 private:
  struct Watch {
    std::size_t folder;
    std::filesystem::path relative;  // the watched folder inside its folder; "" for the folder itself
    bool parent = false;             // the parent folder of the folder, for its beside files
  };
  void addTree(std::size_t folder, const std::filesystem::path& relative);
  int addWatch(const std::filesystem::path& path, std::uint32_t mask);
  void read();
  void handle(const ::inotify_event& event);

  std::vector<Folder> folders_;
  Changed changed_;
  boost::asio::posix::stream_descriptor stream_;
  std::map<int, Watch> watches_;
  bool closed_ = false;
};

}  // namespace kavro::sim
