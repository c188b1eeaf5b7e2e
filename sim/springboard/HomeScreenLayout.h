#pragma once
// Where the home screen puts things, as the phone lays it out: pages of a grid of
// icons (4 columns, 6 rows) between the status bar and the page dots, the dots
// just above the dock, and the dock of four icons just above the home indicator.
// Icons beyond a page go on further pages, side by side in a horizontally paging
// scroll view as wide as the screen. Pure geometry, from the screen's bounds and
// the insets of the status bar and the home indicator.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UIView.h"

#include <cstddef>

namespace kavro::sim {

class HomeScreenLayout {
 public:
  static constexpr std::size_t kColumns = 4;
  static constexpr std::size_t kRows = 6;
  static constexpr std::size_t kIconsPerPage = kColumns * kRows;
  static constexpr std::size_t kDockIcons = 4;

  // An icon's picture, its corners, and the name under it.
  static constexpr CGFloat kIconSize = 60;
  static constexpr CGFloat kIconCornerRatio = 0.225;
  static constexpr CGFloat kLabelGap = 5;
  static constexpr CGFloat kLabelHeight = 15;
  static constexpr CGFloat kLabelFontSize = 12;
  // From the screen's side to the first column's picture.
  static constexpr CGFloat kSideInset = 27;
  // From the status bar to the first row, and from the last row to the page dots.
  static constexpr CGFloat kGridTopInset = 18;
  static constexpr CGFloat kGridBottomInset = 6;
  // The dock's platter: its height, its inset from the screen's sides, its corners.
  static constexpr CGFloat kDockHeight = 92;
  static constexpr CGFloat kDockSideInset = 12;
  static constexpr CGFloat kDockCornerRadius = 32;

  // `screen`: the window's bounds; `safeArea`: the status bar (top) and the home
  // indicator (bottom).
  HomeScreenLayout(CGRect screen, UIEdgeInsets safeArea) : screen_(screen), safeArea_(safeArea) {}

  // The paging scroll view of the grid: the screen's width, down to the page dots.
  CGRect gridFrame() const;
  CGRect pageControlFrame() const;
  // The dock's platter, its bottom on the home indicator's top.
  CGRect dockFrame() const;

  // An icon view (picture and name) of the grid: one column wide.
  CGSize iconViewSize() const { return {columnPitch(), kIconSize + kLabelGap + kLabelHeight}; }
  // The frame of the grid's icon view number `index` (counting across pages) in the
  // grid's content: page `index / kIconsPerPage`, filled row by row.
  CGRect iconFrame(std::size_t index) const;
  // The frame of dock icon `index` of `count` (a picture without a name) in the
  // dock's coordinates: in the grid's columns, a group of fewer centred.
  CGRect dockIconFrame(std::size_t index, std::size_t count) const;
  // How many pages `icons` icons fill (at least one).
  static std::size_t pageCount(std::size_t icons) {
    return icons == 0 ? 1 : (icons + kIconsPerPage - 1) / kIconsPerPage;
  }

 private:
  CGFloat columnPitch() const;
  CGFloat rowPitch() const;
  // The window x of the centre of column `column`.
  CGFloat columnCentre(CGFloat column) const;

  CGRect screen_;
  UIEdgeInsets safeArea_;
};

}  // namespace kavro::sim
