// kavro-artwork: draws the project's artwork and writes it into a checkout.
//
//   kavro-artwork REPOSITORY              header pictures, bundle icon, sample app icons
//   kavro-artwork REPOSITORY --preview DIR  also previews: the pictures on the page
//                                         backgrounds, an icon sheet, a symbol sheet
//
// Everything is drawn from fixed seeds, so a run over an unchanged checkout writes
// the same bytes again.

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "tools/artwork/AppIcons.h"
#include "tools/artwork/Constellation.h"
#include "tools/artwork/SymbolSheet.h"

namespace fs = std::filesystem;
using namespace kavro::artwork;

namespace {

void writePreviews(const fs::path& folder) {
  fs::create_directories(folder);
  Canvas light = drawConstellation(Appearance::light);
  light.flattenOnto(Color::rgb(0.949, 0.949, 0.969));  // grouped table background, light
  light.writePng(folder / "constellation-light-on-page.png");
  Canvas dark = drawConstellation(Appearance::dark);
  dark.flattenOnto(Color::rgb(0, 0, 0));  // grouped table background, dark
  dark.writePng(folder / "constellation-dark-on-page.png");

  const auto& designs = iconDesigns();
  const int columns = 10, cell = kAppIconSize / 2 + 12;
  int rows = static_cast<int>((designs.size() + columns - 1) / columns);
  Canvas sheet(columns * cell, rows * cell);
  for (std::size_t i = 0; i < designs.size(); ++i) {
    sheet.draw(drawAppIcon(designs[i], kAppIconSize / 2), static_cast<int>(i % columns) * cell + 6,
               static_cast<int>(i / columns) * cell + 6);
  }
  sheet.flattenOnto(Color::rgb(0.35, 0.35, 0.40));
  sheet.writePng(folder / "app-icons.png");
  drawBundleIcon(180).writePng(folder / "bundle-icon-large.png");
  drawSymbolSheet().writePng(folder / "symbols.png");
  std::cout << "previews in " << folder.string() << "\n";
}

int run(const fs::path& repository, const fs::path& previews) {
  fs::path resources = repository / "resources";
  fs::path sample = repository / "sim" / "sample-device";
  if (!fs::is_directory(resources) || !fs::is_directory(sample)) {
    std::cerr << "kavro-artwork: " << repository.string()
              << " is not a kavroprefs checkout (no resources/ or sim/sample-device/)\n";
    return 2;
  }
  drawConstellation(Appearance::light).writePng(resources / "constellation-light.png");
  drawConstellation(Appearance::dark).writePng(resources / "constellation-dark.png");
  drawBundleIcon(87).writePng(resources / "icon.png");
  int icons = writeSampleDeviceIcons(sample);
  std::cout << "wrote 2 header pictures, the bundle icon and " << icons << " application icons\n";
  if (!previews.empty()) writePreviews(previews);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--preview")) {
    std::cerr << "usage: kavro-artwork REPOSITORY [--preview DIR]\n";
    return 2;
  }
  try {
    return run(argv[1], argc == 4 ? fs::path(argv[3]) : fs::path());
  } catch (const std::exception& error) {
    std::cerr << "kavro-artwork: " << error.what() << "\n";
    return 1;
  }
}
