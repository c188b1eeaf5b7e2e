#pragma once
// What assistive technologies read from a view: whether it is an element of its
// own, its label, value and traits. The values are the platform's; the stand-in
// adds the toggle trait of on/off controls under its own value.

#include <cstdint>

using UIAccessibilityTraits = std::uint64_t;

inline constexpr UIAccessibilityTraits UIAccessibilityTraitNone = 0;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitButton = 1 << 0;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitLink = 1 << 1;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitImage = 1 << 2;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitSelected = 1 << 3;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitStaticText = 1 << 6;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitNotEnabled = 1 << 8;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitSearchField = 1 << 10;
// A control whose value goes up and down (a slider).
inline constexpr UIAccessibilityTraits UIAccessibilityTraitAdjustable = 1 << 12;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitHeader = 1 << 16;
// An on/off control: its value is "1" when on, "0" when off.
inline constexpr UIAccessibilityTraits UIAccessibilityTraitToggleButton = std::uint64_t{1} << 32;
