// Pictures read from files: what is no picture (a folder, a missing file, bytes
// that are no PNG, a cut-short PNG) gives nil, never an exception.

#include "platform/uikit/UIImage.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace kavro::test {
namespace {

class ImageFileTest : public DeviceTest {};

TEST_F(ImageFileTest, WhatIsNoPictureGivesNil) {
  std::filesystem::create_directories(root() / "var/jb/pictures/folder.png");
  EXPECT_EQ(UIImage::imageWithContentsOfFile("/var/jb/pictures/folder.png"), nullptr);
  EXPECT_EQ(UIImage::imageWithContentsOfFile("/var/jb/pictures"), nullptr);
  EXPECT_EQ(UIImage::imageWithContentsOfFile("/var/jb/pictures/missing.png"), nullptr);
  std::mt19937 random(18);
  const std::vector<std::uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (int round = 0; round < 200; ++round) {
    std::vector<std::uint8_t> bytes = round % 2 ? signature : std::vector<std::uint8_t>{};
    for (std::size_t i = random() % 64; i > 0; --i) bytes.push_back(static_cast<std::uint8_t>(random()));
    writeFileBytes(root() / "var/jb/pictures/noise.png", bytes);
    EXPECT_EQ(UIImage::imageWithContentsOfFile("/var/jb/pictures/noise.png"), nullptr) << round;
  }
}

}  // namespace
}  // namespace kavro::test
