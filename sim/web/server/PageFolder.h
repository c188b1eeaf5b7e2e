#pragma once
// The browser page's files (sim/web/page), served by their paths: "/" is
// index.html, "/app.js" app.js, "/draw/canvas.js" draw/canvas.js. Only a regular
// file that lies inside the folder once every symbolic link is resolved is
// served, and only by a path of plain names: no "..", no name starting with '.'
// (no dot-files), no empty segment, no folder. Its type comes from its
// extension: .html, .js (text/javascript), .css, .svg, .png and .json; a file of
// any other type is not served. Each request reads the file afresh, so an edit of
// the page shows at the next reload.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kavro::sim {

class PageFolder {
 public:
  explicit PageFolder(std::filesystem::path root) : root_(std::move(root)) {}

  struct File {
    std::string content;
    std::string_view contentType;
  };
  // The file a URL path ("/", "/app.js"; percent escapes not yet decoded) names,
  // or nullopt when that is no file of the page.
  std::optional<File> file(std::string_view urlPath) const;

  // The Content-Type of a file name's extension, or nullopt for a type the page
  // does not use.
  static std::optional<std::string_view> contentType(std::string_view fileName);

  const std::filesystem::path& root() const { return root_; }

 private:
  std::optional<std::filesystem::path> resolve(std::string_view urlPath) const;

  std::filesystem::path root_;
};

// The bytes of a regular file of at most `limit` bytes; nullopt for anything else.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::uintmax_t limit);

}  // namespace kavro::sim
