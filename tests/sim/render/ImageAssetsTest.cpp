// The pictures render trees name: the platform-made ones kept for fetching are
// trimmed to the latest named (checked against a model of that rule on generated
// sequences of names), equal bytes share one URL, and files outside the device
// folder get none.

#include "sim/render/ImageAssets.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace kavro::sim {
namespace {

using PNG = ImageAssets::PNG;

// Bytes standing for picture `n`: distinct for distinct `n`.
PNG picture(std::size_t n) {
  std::string text = "picture " + std::to_string(n);
  return std::make_shared<const std::vector<unsigned char>>(text.begin(), text.end());
}

std::string idOf(const std::string& url) { return url.substr(std::string("/assets/png/").size()); }

TEST(ImageAssetsTrim, APictureNamedAgainOutlastsThoseNamedOnceAfterIt) {
  test::TemporaryFolder folder;
  ImageAssets assets(folder.path());
  PNG kept = picture(0), dropped = picture(1);
  std::string keptId = idOf(assets.pngURL(kept)), droppedId = idOf(assets.pngURL(dropped));
  std::vector<PNG> others;
  for (std::size_t i = 0; i + 2 < ImageAssets::kMaximumPNGs; ++i) others.push_back(picture(i + 2));
  for (auto& png : others) assets.pngURL(png);
  // Full: naming `kept` again makes it the latest, so the next picture pushes out
  // `dropped`, the one named longest ago.
  assets.pngURL(kept);
  EXPECT_NE(assets.png(droppedId), nullptr);
  PNG next = picture(ImageAssets::kMaximumPNGs);
  assets.pngURL(next);
  EXPECT_EQ(assets.png(droppedId), nullptr);
  EXPECT_EQ(assets.png(keptId), kept);
  EXPECT_EQ(assets.png(idOf(assets.pngURL(next))), next);
}

TEST(ImageAssetsTrim, KeepsExactlyTheLatestNamedPicturesOnGeneratedSequences) {
  test::TemporaryFolder folder;
  const std::size_t limit = ImageAssets::kMaximumPNGs;
  std::mt19937 random(20261208);
  for (int round = 0; round < 3; ++round) {
    ImageAssets assets(folder.path());
    // A pool larger than the limit; one in eight pictures repeats another's bytes
    // at an address of its own, as two images made from one file do.
    std::vector<PNG> pool;
    for (std::size_t i = 0; i < limit + limit / 4; ++i)
      pool.push_back(i % 8 == 7 ? std::make_shared<const std::vector<unsigned char>>(*pool[i - 3]) : picture(i));
    // The model: addresses, the latest named first, at most `limit` of them.
    std::vector<const void*> model;
    std::uniform_int_distribution<std::size_t> any(0, pool.size() - 1);
    for (int step = 0; step < 6000; ++step) {
      // Mostly a recent working set, as frames name the same pictures again.
      std::size_t index = step % 3 == 0 ? any(random) : (step * 7 + round) % (limit / 2);
      const PNG& png = pool[index];
      std::string url = assets.pngURL(png);
      ASSERT_EQ(url.rfind("/assets/png/", 0), 0u);
      model.erase(std::remove(model.begin(), model.end(), png.get()), model.end());
      model.insert(model.begin(), png.get());
      if (model.size() > limit) model.pop_back();
    }
    // An ID is served exactly when some picture with those bytes is among the kept.
    // IDs are computed by another cache, so that `assets` is not touched.
    ImageAssets probe(folder.path());
    std::set<std::string> served;
    for (auto& png : pool)
      if (std::find(model.begin(), model.end(), png.get()) != model.end()) served.insert(idOf(probe.pngURL(png)));
    for (auto& png : pool) {
      std::string id = idOf(probe.pngURL(png));
      PNG found = assets.png(id);
      if (served.count(id)) {
        ASSERT_NE(found, nullptr) << "round " << round;
        EXPECT_EQ(*found, *png);
      } else {
        EXPECT_EQ(found, nullptr) << "round " << round;
      }
    }
  }
}

TEST(ImageAssetsTrim, EqualBytesShareOneURLAndStayWhileEitherIsKept) {
  test::TemporaryFolder folder;
  ImageAssets assets(folder.path());
  PNG first = picture(7);
  PNG copy = std::make_shared<const std::vector<unsigned char>>(*first);
  std::string url = assets.pngURL(first);
  EXPECT_EQ(assets.pngURL(copy), url);
  // Push out `first` (named before `copy`): the ID is still served through `copy`.
  for (std::size_t i = 0; i + 1 < ImageAssets::kMaximumPNGs; ++i) assets.pngURL(picture(100 + i));
  EXPECT_EQ(*assets.png(idOf(url)), *first);
  assets.pngURL(picture(99));
  EXPECT_EQ(assets.png(idOf(url)), nullptr) << "both are gone now";
  EXPECT_EQ(assets.pngURL(nullptr), "");
}

TEST(ImageAssetsFiles, OnlyFilesInsideTheDeviceFolderGetAURL) {
  test::TemporaryFolder folder;
  std::filesystem::create_directories(folder.path() / "device" / "Library" / "My Icons");
  std::ofstream(folder.path() / "device" / "Library" / "My Icons" / "a%b.png") << "png";
  std::ofstream(folder.path() / "outside.png") << "png";
  ImageAssets assets(folder.path() / "device");
  std::string url = assets.fileURL(folder.path() / "device" / "Library" / "My Icons" / "a%b.png");
  EXPECT_TRUE(url.starts_with("/assets/file/Library/My%20Icons/a%25b.png?v=")) << url;
  EXPECT_EQ(assets.file("Library/My Icons/a%b.png"), std::filesystem::weakly_canonical(
                                                         folder.path() / "device" / "Library" / "My Icons" / "a%b.png"));
  EXPECT_EQ(assets.fileURL(folder.path() / "outside.png"), "");
  EXPECT_EQ(assets.fileURL(folder.path() / "device" / ".." / "outside.png"), "");
  EXPECT_EQ(assets.file("../outside.png"), std::nullopt) << "only what a tree named is served";
}

// A browser keeps a picture by its URL: a replaced file gets a new one once the
// device's files are said to have changed, and keeps it until then.
TEST(ImageAssetsFiles, AReplacedFileGetsANewURLAfterFilesChanged) {
  test::TemporaryFolder folder;
  const auto file = folder.path() / "device" / "icon.png";
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "png";
  ImageAssets assets(folder.path() / "device");
  std::string before = assets.fileURL(file);
  std::ofstream(file) << "a longer picture";
  EXPECT_EQ(assets.fileURL(file), before) << "known URLs stay until the files are said to change";
  assets.filesChanged();
  std::string after = assets.fileURL(file);
  EXPECT_NE(after, before);
  EXPECT_EQ(after.substr(0, after.find('?')), before.substr(0, before.find('?')));
  EXPECT_TRUE(assets.file("icon.png").has_value());
}

}  // namespace
}  // namespace kavro::sim
