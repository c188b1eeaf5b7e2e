#include "sim/web/server/PageFolder.h"

#include "sim/web/server/RequestTarget.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace kavro::sim {

namespace fs = std::filesystem;

namespace {

// No page file is larger than this.
constexpr std::uintmax_t kMaximumPageFileBytes = 32 * 1024 * 1024;

// A name a URL path may name a page file by: not empty, not a dot-file (nor "."
// or ".."), no backslash.
bool isPlainName(std::string_view name) {
  return !name.empty() && name[0] != '.' && name.find('\\') == std::string_view::npos;
}

// Whether `path` lies inside `folder` (both canonical), and names no dot-file on
// the way there.
bool isInside(const fs::path& path, const fs::path& folder) {
  auto [folderEnd, pathAt] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  if (folderEnd != folder.end() || pathAt == path.end()) return false;
  return std::all_of(pathAt, path.end(), [](const fs::path& part) { return isPlainName(part.native()); });
}

}  // namespace

std::optional<PageFolder::File> PageFolder::file(std::string_view urlPath) const {
  auto path = resolve(urlPath);
  if (!path) return std::nullopt;
  auto type = contentType(path->filename().native());
  if (!type) return std::nullopt;
  auto content = readRegularFile(*path, kMaximumPageFileBytes);
  if (!content) return std::nullopt;
  return File{std::move(*content), *type};
}

std::optional<fs::path> PageFolder::resolve(std::string_view urlPath) const {
  if (urlPath.empty() || urlPath[0] != '/') return std::nullopt;
  auto decoded = decodePercentEscapes(urlPath == "/" ? "/index.html" : urlPath);
  if (!decoded) return std::nullopt;
  fs::path path = root_;
  std::string_view rest = std::string_view(*decoded).substr(1);
  for (;;) {
    auto slash = rest.find('/');
    std::string_view name = rest.substr(0, slash);
    if (!isPlainName(name)) return std::nullopt;
    path /= std::string(name);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  // Symbolic links resolved: what the path reaches must still be inside.
  std::error_code error;
  fs::path folder = fs::canonical(root_, error);
  if (error) return std::nullopt;
  fs::path resolved = fs::canonical(path, error);
  if (error || !isInside(resolved, folder) || !fs::is_regular_file(resolved, error)) return std::nullopt;
  return resolved;
}

std::optional<std::string_view> PageFolder::contentType(std::string_view fileName) {
  static const std::pair<std::string_view, std::string_view> kTypes[] = {
      {".html", "text/html; charset=utf-8"},   {".js", "text/javascript; charset=utf-8"},
      {".css", "text/css; charset=utf-8"},     {".svg", "image/svg+xml"},
      {".png", "image/png"},                   {".json", "application/json"},
  };
  auto dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string extension(fileName.substr(dot));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  for (auto& [known, type] : kTypes)
    if (extension == known) return type;
  return std::nullopt;
}

std::optional<std::string> readRegularFile(const fs::path& path, std::uintmax_t limit) {
  std::error_code error;
  if (!fs::is_regular_file(path, error) || fs::file_size(path, error) > limit || error) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

}  // namespace kavro::sim
