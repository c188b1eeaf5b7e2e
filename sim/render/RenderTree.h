#pragma once
// The front-most window's view tree as the browser draws it: one JSON object per
// view, depth first in drawing order, at the presentation values of the moment
// (frames, alpha and background colours of running animations), in window
// coordinates, with colours resolved for the current appearance. Labels carry the
// lines the platform broke them into, image views where their picture goes and
// which picture (a file or platform-made PNG by URL, or a system symbol in a tint).
//
// The schema is documented in docs/simulator.md ("The render tree"). The tree
// carries every value the browser needs to draw the platform's look (sheet corners
// and dimming, material tints, grip and glass colours): the page knows none.

#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIView.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class UIWindow;
class UILabel;
class UIImageView;

namespace kavro::sim {

// The pictures render trees refer to, served to the browser by URL. Only pictures
// that a render tree named can be fetched, and files only from inside the device
// folder. Used on the one thread that owns the device.
class ImageAssets {
 public:
  explicit ImageAssets(const std::filesystem::path& deviceRoot);

  // "/assets/file/PATH" (PATH relative to the device folder, URL-encoded) for a file
  // inside the device folder; empty for any other file.
  std::string fileURL(const std::filesystem::path& path);
  // "/assets/png/ID" for PNG bytes the platform made; ID is a hash of the bytes, so
  // the same picture keeps its URL.
  std::string pngURL(const std::shared_ptr<const std::vector<unsigned char>>& png);

  // The file a URL's PATH names, when a render tree named it.
  std::optional<std::filesystem::path> file(const std::string& relativePath) const;
  // The bytes of a platform-made PNG a render tree named, or nullptr.
  std::shared_ptr<const std::vector<unsigned char>> png(const std::string& id) const;

 private:
  // Beyond this many platform-made pictures, those not named since the last trim go.
  static constexpr std::size_t kMaximumPNGs = 2048;

  std::filesystem::path root_;
  std::unordered_map<std::string, std::string> fileURLs_;                // absolute path → URL ("" outside)
  std::unordered_map<std::string, std::filesystem::path> files_;         // relative path → absolute path
  std::unordered_map<const void*, std::string> pngIds_;                  // bytes → ID
  std::unordered_map<std::string, std::shared_ptr<const std::vector<unsigned char>>> pngs_;  // ID → bytes
};

class RenderTree {
 public:
  explicit RenderTree(ImageAssets& assets) : assets_(assets) {}

  // The window's tree as JSON text. Call inside the window's process: presentation
  // values follow its clock. Lays the window out first, as a display pass does.
  std::string render(UIWindow& window, UIUserInterfaceStyle style);
  // When the last animation of the views the latest render drew ends, on the
  // device's clock (its time then when none was running): until then the picture
  // changes on its own.
  double animationsEnd() const { return animationsEnd_; }

 private:
  struct Context;
  void writeView(std::string& out, const UIView& view, CGPoint parentOrigin, CGPoint parentBounds,
                 Context& context);
  void writeAccessibility(std::string& out, const UIView& view, bool isSheet, Context& context);
  void writeLabel(std::string& out, const UILabel& label, CGSize size, Context& context);
  void writeImage(std::string& out, const UIImageView& imageView, CGRect frame, Context& context);

  ImageAssets& assets_;
  double animationsEnd_ = 0;
};

}  // namespace kavro::sim
