#pragma once
// The pictures render trees refer to, served to the browser by URL. Only pictures
// that a render tree named can be fetched, and files only from inside the device
// folder. Used on the one thread that owns the device.

#include <cstddef>
#include <filesystem>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kavro::sim {

class ImageAssets {
 public:
  using PNG = std::shared_ptr<const std::vector<unsigned char>>;

  // The platform-made pictures kept for fetching: beyond this many, those named
  // longest ago go (a picture the latest tree named stays unless the tree named
  // this many others after it).
  static constexpr std::size_t kMaximumPNGs = 2048;

  explicit ImageAssets(const std::filesystem::path& deviceRoot);

  // "/assets/file/PATH?v=VERSION" (PATH relative to the device folder,
  // URL-encoded; VERSION from the file's size and modification time, so that a
  // browser asks again for a picture whose file was replaced) for a file inside
  // the device folder; empty for any other file.
  std::string fileURL(const std::filesystem::path& path);
  // Files on the device were replaced (a bundle installed again): their URLs are
  // made anew, with their new versions.
  void filesChanged() { fileURLs_.clear(); }
  // "/assets/png/ID" for PNG bytes the platform made; ID is a hash of the bytes, so
  // the same picture keeps its URL. Empty for no bytes.
  std::string pngURL(const PNG& png);

  // The file a URL's PATH names, when a render tree named it.
  std::optional<std::filesystem::path> file(const std::string& relativePath) const;
  // The bytes of a platform-made PNG a render tree named, or nullptr.
  PNG png(const std::string& id) const;

 private:
  struct Named {
    PNG bytes;  // held, so that no other picture takes its address while it is known
    std::string id;
  };
  struct Served {
    PNG bytes;              // the first bytes named under the ID, held while any is named
    std::size_t names = 0;  // how many of the named pictures have this ID
  };
  void forgetOldestPNG();

  std::filesystem::path root_;
  std::unordered_map<std::string, std::string> fileURLs_;         // absolute path → URL ("" outside)
  std::unordered_map<std::string, std::filesystem::path> files_;  // relative path → absolute path
  std::list<Named> pngOrder_;                                     // the latest named first
  std::unordered_map<const void*, std::list<Named>::iterator> pngsByAddress_;
  std::unordered_map<std::string, Served> pngsById_;
};

}  // namespace kavro::sim
