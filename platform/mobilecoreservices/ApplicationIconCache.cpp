#include "platform/mobilecoreservices/ApplicationIconCache.h"

#include "platform/device/Device.h"
#include "platform/device/Process.h"
#include "platform/mobilecoreservices/ApplicationCatalogue.h"
#include "platform/mobilecoreservices/ApplicationIcons.h"
#include "platform/mobilecoreservices/IconPixels.h"
#include "platform/uikit/UIImage.h"

#include <algorithm>
#include <cmath>

namespace kavro::platform::mobilecoreservices {

namespace {

// Icon files larger than this are not read; a 2048-pixel PNG is far smaller.
constexpr std::size_t kMaximumIconFileSize = 16u << 20;

CGFloat normalizedScale(CGFloat scale) {
  if (!(scale > 0)) return kavro::platform::Device::kScreenScale;
  return std::clamp<CGFloat>(scale, 1, 3);
}

std::string cacheKey(const std::string& identifier, int format, std::uint32_t pixels) {
  std::string key = identifier;
  key += '\0';
  key += std::to_string(format);
  key += '\0';
  key += std::to_string(pixels);
  return key;
}

std::uint32_t longerSide(const PixelSize& size) { return std::max(size.width, size.height); }

}  // namespace

ApplicationIconCache& ApplicationIconCache::current() {
  return *kavro::platform::Process::current().singleton<ApplicationIconCache>(
      [] { return std::make_shared<ApplicationIconCache>(); });
}

std::shared_ptr<UIImage> ApplicationIconCache::icon(const std::string& identifier, int format, CGFloat scale) {
  const CGFloat points = iconPointSize(format);
  const auto pixels = static_cast<std::uint32_t>(std::lround(points * normalizedScale(scale)));
  const struct timespec clockBeforeLook = fileClockNow();
  std::shared_ptr<const ApplicationBundle> bundle =
      ApplicationCatalogue::current().bundleWithIdentifier(identifier);
  IconFiles files = resolveIconFiles(bundle.get());

  const std::string key = cacheKey(identifier, format, pixels);
  auto cached = icons_.find(key);
  if (cached != icons_.end() && cached->second.settled && cached->second.bundle == bundle &&
      cached->second.files == files)
    return cached->second.image;

  bool settled = std::all_of(files.begin(), files.end(), [&](const std::optional<IconFile>& file) {
    return !file || isSettled(file->identity, clockBeforeLook);
  });
  std::shared_ptr<UIImage> image = bundle ? imageFromFiles(*bundle, files, points, pixels, settled) : nullptr;
  if (!image) image = placeholder(identifier, points, pixels);
  if (icons_.size() >= kMaximumEntries) icons_.clear();
  icons_[key] = Entry{std::move(bundle), std::move(files), settled, image};
  return image;
}

ApplicationIconCache::IconFiles ApplicationIconCache::resolveIconFiles(const ApplicationBundle* bundle) {
  IconFiles files;
  if (!bundle) return files;
  files.reserve(bundle->iconFileNames.size());
  for (const std::string& name : bundle->iconFileNames)
    files.push_back(resolveIconName(bundle->hostBundlePath, name));
  return files;
}

std::optional<ApplicationIconCache::IconFile> ApplicationIconCache::resolveIconName(
    const std::string& bundleFolder, const std::string& name) {
  for (const char* suffix : {"", "@3x.png", "@2x.png", ".png"}) {
    std::string path = bundleFolder + "/" + name + suffix;
    std::optional<FileIdentity> identity = fileIdentity(path);
    if (identity && identity->isRegularFile()) return IconFile{std::move(path), *identity};
  }
  return std::nullopt;
}

std::shared_ptr<UIImage> ApplicationIconCache::imageFromFiles(const ApplicationBundle& bundle, IconFiles& files,
                                                              CGFloat points, std::uint32_t pixels,
                                                              bool& settled) {
  // Of the declared files that decode, the smallest that is at least as large as
  // the icon asked for, else the largest; among equals the one declared first.
  std::optional<FileReading> best;
  std::optional<PixelSize> bestSize;
  std::string bestPath;
  for (const std::optional<IconFile>& file : files) {
    if (!file) continue;
    std::string problem;
    std::optional<FileReading> reading = readFile(file->path, kMaximumIconFileSize, problem);
    if (!reading) continue;
    if (!reading->settled || !(reading->identity == file->identity)) settled = false;
    std::optional<PixelSize> size = decodablePNGSize(reading->bytes);
    if (!size) continue;
    bool better = !bestSize;
    if (bestSize) {
      bool fits = longerSide(*size) >= pixels;
      bool bestFits = longerSide(*bestSize) >= pixels;
      better = fits != bestFits ? fits
                                : (fits ? longerSide(*size) < longerSide(*bestSize)
                                        : longerSide(*size) > longerSide(*bestSize));
    }
    if (better) {
      best = std::move(reading);
      bestSize = size;
      bestPath = file->path;
    }
  }
  if (!best) return nullptr;
  auto png = std::make_shared<const std::vector<unsigned char>>(std::move(best->bytes));
  return UIImage::imageWithPNGData(std::move(png), CGSize{points, points}, longerSide(*bestSize) / points,
                                   "icon " + bundle.identifier + " " + bestPath.substr(bestPath.rfind('/') + 1));
}

std::shared_ptr<UIImage> ApplicationIconCache::placeholder(const std::string& identifier, CGFloat points,
                                                           std::uint32_t pixels) {
  const std::string key = cacheKey(identifier, static_cast<int>(points), pixels);
  auto cached = placeholders_.find(key);
  if (cached != placeholders_.end()) return cached->second;
  auto png = std::make_shared<const std::vector<unsigned char>>(drawPlaceholderIcon(identifier, pixels));
  auto image = UIImage::imageWithPNGData(std::move(png), CGSize{points, points}, pixels / points,
                                         "placeholder icon " + identifier);
  if (placeholders_.size() >= kMaximumEntries) placeholders_.clear();
  placeholders_.emplace(key, image);
  return image;
}

}  // namespace kavro::platform::mobilecoreservices
