#include "sim/render/ImageAssets.h"

#include <cctype>
#include <cstdint>

namespace kavro::sim {

namespace {

constexpr char kAssetHexDigits[] = "0123456789ABCDEF";

std::string encodeAssetPath(const std::string& path) {
  std::string encoded;
  for (char c : path) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kAssetHexDigits[byte >> 4];
      encoded += kAssetHexDigits[byte & 15];
    }
  }
  return encoded;
}

std::string hashAssetBytes(const std::vector<unsigned char>& bytes) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char byte : bytes) {
    hash ^= byte;
    hash *= 1099511628211ull;
  }
  std::string id(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) id[static_cast<std::size_t>(i)] = kAssetHexDigits[hash & 15];
  return id;
}

// The size and modification time of a file, as a short token; "0" when it cannot
// be read.
std::string fileVersion(const std::filesystem::path& file) {
  std::error_code error;
  auto size = std::filesystem::file_size(file, error);
  if (error) return "0";
  auto time = std::filesystem::last_write_time(file, error);
  if (error) return "0";
  std::uint64_t stamp = static_cast<std::uint64_t>(time.time_since_epoch().count()) * 31 + size;
  std::string token;
  do {
    token += kAssetHexDigits[stamp & 15];
    stamp >>= 4;
  } while (stamp);
  return token;
}

}  // namespace

ImageAssets::ImageAssets(const std::filesystem::path& deviceRoot) {
  std::error_code error;
  root_ = std::filesystem::weakly_canonical(deviceRoot, error);
  if (error) root_ = deviceRoot.lexically_normal();
}

std::string ImageAssets::fileURL(const std::filesystem::path& path) {
  auto known = fileURLs_.find(path.native());
  if (known != fileURLs_.end()) return known->second;
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::weakly_canonical(path, error);
  std::string url;
  if (!error) {
    std::filesystem::path relative = absolute.lexically_relative(root_);
    bool inside = !relative.empty() && *relative.begin() != ".." && relative.is_relative();
    if (inside) {
      url = "/assets/file/" + encodeAssetPath(relative.generic_string()) + "?v=" + fileVersion(absolute);
      files_[relative.generic_string()] = absolute;
    }
  }
  fileURLs_[path.native()] = url;
  return url;
}

std::string ImageAssets::pngURL(const PNG& png) {
  if (!png) return "";
  if (auto known = pngsByAddress_.find(png.get()); known != pngsByAddress_.end()) {
    pngOrder_.splice(pngOrder_.begin(), pngOrder_, known->second);  // named again: the latest
    return "/assets/png/" + known->second->id;
  }
  std::string id = hashAssetBytes(*png);
  pngOrder_.push_front({png, id});
  pngsByAddress_[png.get()] = pngOrder_.begin();
  Served& served = pngsById_[id];
  if (!served.bytes) served.bytes = png;
  ++served.names;
  while (pngOrder_.size() > kMaximumPNGs) forgetOldestPNG();
  return "/assets/png/" + id;
}

void ImageAssets::forgetOldestPNG() {
  const Named& oldest = pngOrder_.back();
  // Equal bytes named at another address keep their ID served.
  auto served = pngsById_.find(oldest.id);
  if (--served->second.names == 0) pngsById_.erase(served);
  pngsByAddress_.erase(oldest.bytes.get());
  pngOrder_.pop_back();
}

std::optional<std::filesystem::path> ImageAssets::file(const std::string& relativePath) const {
  auto found = files_.find(relativePath);
  if (found == files_.end()) return std::nullopt;
  return found->second;
}

ImageAssets::PNG ImageAssets::png(const std::string& id) const {
  auto found = pngsById_.find(id);
  return found == pngsById_.end() ? nullptr : found->second.bytes;
}

}  // namespace kavro::sim
