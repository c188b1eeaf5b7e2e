#include "tools/artwork/AppIcons.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <numbers>
#include <set>
#include <stdexcept>

namespace kavro::artwork {

namespace {

using namespace shapes;
using Points = std::vector<kavro::platform::uikit::SymbolPoint>;

const Color kWhite{1, 1, 1, 1};
const Color kBlack = Color::rgb(0.06, 0.06, 0.07);
const Color kRed = Color::rgb(0.98, 0.24, 0.22);
const Color kOrange = Color::rgb(1.0, 0.58, 0.0);
const Color kYellow = Color::rgb(1.0, 0.80, 0.0);
const Color kGreen = Color::rgb(0.20, 0.78, 0.35);
const Color kBlue = Color::rgb(0.0, 0.48, 1.0);
const Color kGrey = Color::rgb(0.56, 0.56, 0.58);
const Color kDark = Color::rgb(0.17, 0.17, 0.19);

Color rgb(double r, double g, double b) { return Color::rgb(r, g, b); }

// A ring as an outer contour with a hole.
std::string ring(double cx, double cy, double radius, double width) {
  return circle(cx, cy, radius + width / 2, true) + circle(cx, cy, radius - width / 2, false);
}

std::string regularStar(double cx, double cy, double outer, double inner, int points,
                        double rotationDegrees = -90) {
  Points corners;
  for (int i = 0; i < points * 2; ++i) {
    double angle = (rotationDegrees + i * 180.0 / points) * std::numbers::pi / 180;
    double radius = i % 2 == 0 ? outer : inner;
    corners.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
  }
  return polygon(corners);
}

std::string gear(double cx, double cy, double outer, double inner, int teeth) {
  Points corners;
  for (int i = 0; i < teeth; ++i) {
    double base = i * 2 * std::numbers::pi / teeth, step = 2 * std::numbers::pi / teeth;
    for (auto [fraction, radius] :
         {std::pair{0.0, inner}, {0.18, outer}, {0.5, outer}, {0.68, inner}}) {
      double angle = base + fraction * step;
      corners.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
    }
  }
  return polygon(corners) + circle(cx, cy, inner * 0.42, false);
}

std::string heart(double cx, double cy, double size) {
  Points points;
  for (int i = 0; i < 96; ++i) {
    double t = i * 2 * std::numbers::pi / 96;
    double x = 16 * std::pow(std::sin(t), 3);
    double y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
    points.push_back({cx + x * size / 34, cy - y * size / 34});
  }
  return polygon(points);
}

std::string pin(double cx, double top, double radius, bool withHole) {
  // A map pin: a round head that narrows to a point below it.
  double tipY = top + radius * 3.1, headY = top + radius;
  Points outline;
  for (int i = 0; i <= 60; ++i) {
    double angle = (150 + i * 240.0 / 60) * std::numbers::pi / 180;
    outline.push_back({cx + radius * std::cos(angle), headY + radius * std::sin(angle)});
  }
  outline.push_back({cx, tipY});
  std::string path = polygon(outline);
  if (withHole) path += circle(cx, headY, radius * 0.4, false);
  return path;
}

std::vector<GlyphLayer> compass(const Color& ringColor, const Color& north, const Color& south) {
  return {{ring(50, 50, 44, 6), ringColor},
          {polygon({{74, 26}, {55.7, 55.7}, {44.3, 44.3}}), north},
          {polygon({{26, 74}, {44.3, 44.3}, {55.7, 55.7}}), south}};
}

std::string bubble(double cx, double cy, double rx, double ry, bool tailLeft) {
  double side = tailLeft ? -1 : 1;
  return ellipse(cx, cy, rx, ry) + polygon({{cx + side * rx * 0.45, cy + ry * 0.55},
                                            {cx + side * rx * 0.95, cy + ry * 1.25},
                                            {cx + side * rx * 0.05, cy + ry * 0.85}});
}

std::string broadcast(double cx, double cy) {
  return circle(cx, cy, 8) + arcBand(cx, cy, 22, 8, 135, 405) + arcBand(cx, cy, 40, 8, 135, 405);
}

std::vector<IconDesign> makeDesigns() {
  std::vector<IconDesign> designs;
  auto add = [&](std::string identifier, Color top, Color bottom, std::vector<GlyphLayer> glyph) {
    designs.push_back({std::move(identifier), top, bottom, std::move(glyph)});
  };

  // Stock applications.
  add("com.apple.mobilesafari", rgb(0.40, 0.80, 1.0), rgb(0.0, 0.45, 0.95),
      compass(kWhite, kRed, kWhite));
  add("com.apple.MobileSMS", rgb(0.45, 0.90, 0.45), rgb(0.13, 0.75, 0.25),
      {{bubble(50, 46, 44, 34, true), kWhite}});
  add("com.apple.mobilemail", rgb(0.30, 0.72, 1.0), rgb(0.05, 0.42, 0.95),
      {{roundedRect(6, 22, 88, 58, 9), kWhite},
       {stroke({{12, 30}, {50, 58}, {88, 30}}, 5), rgb(0.15, 0.55, 0.98)}});
  add("com.apple.camera", rgb(0.88, 0.89, 0.91), rgb(0.62, 0.64, 0.67),
      {{roundedRect(4, 24, 92, 62, 12), kDark},
       {roundedRect(34, 16, 32, 14, 5), kDark},
       {ring(50, 55, 19, 8), kWhite},
       {circle(76, 38, 4), kYellow}});
  add("com.apple.Maps", rgb(0.62, 0.88, 0.58), rgb(0.34, 0.70, 0.40),
      {{arcBand(-20, 130, 110, 14, 270, 360), kWhite},
       {pin(58, 8, 16, true), kBlue, FillRule::evenOdd}});
  {
    std::vector<GlyphLayer> petals;
    const Color colors[] = {rgb(1.0, 0.70, 0.0),   rgb(1.0, 0.45, 0.1),   rgb(0.95, 0.25, 0.35),
                            rgb(0.75, 0.30, 0.80), rgb(0.35, 0.40, 0.90), rgb(0.20, 0.65, 0.95),
                            rgb(0.25, 0.78, 0.50), rgb(0.65, 0.85, 0.25)};
    for (int i = 0; i < 8; ++i) {
      double angle = i * 45.0, radians = angle * std::numbers::pi / 180;
      petals.push_back(
          {rotatedEllipse(50 + 22 * std::cos(radians), 50 + 22 * std::sin(radians), 24, 12, angle),
           colors[i].withAlpha(0.82)});
    }
    add("com.apple.mobileslideshow", kWhite, rgb(0.95, 0.95, 0.96), petals);
  }
  add("com.apple.Music", rgb(1.0, 0.45, 0.55), rgb(0.98, 0.18, 0.33),
      {{rotatedEllipse(30, 76, 13, 9.5, -20) + rotatedEllipse(74, 66, 13, 9.5, -20), kWhite},
       {polygon({{37, 76}, {43, 76}, {43, 26}, {37, 28}}) +
            polygon({{81, 66}, {87, 66}, {87, 14}, {81, 16}}) +
            polygon({{37, 28}, {87, 14}, {87, 26}, {37, 40}}),
        kWhite}});
  {
    std::string dots;
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 4; ++column) dots += circle(20 + column * 20, 46 + row * 19, 6);
    }
    add("com.apple.mobilecal", kWhite, rgb(0.94, 0.94, 0.95),
        {{roundedRect(4, 6, 92, 22, 6), kRed}, {dots, kDark}});
  }
  add("com.apple.mobilenotes", kWhite, rgb(0.96, 0.96, 0.94),
      {{roundedRect(0, 0, 100, 26, 8), rgb(1.0, 0.80, 0.18)},
       {rect(4, 42, 92, 4) + rect(4, 60, 92, 4) + rect(4, 78, 92, 4), rgb(0.80, 0.80, 0.82)}});
  add("com.apple.reminders", kWhite, rgb(0.95, 0.95, 0.96),
      {{circle(16, 22, 9), kBlue},
       {circle(16, 50, 9), kRed},
       {circle(16, 78, 9), kOrange},
       {rect(34, 20, 62, 5) + rect(34, 48, 62, 5) + rect(34, 76, 62, 5), rgb(0.78, 0.78, 0.80)}});
  add("com.apple.weather", rgb(0.38, 0.68, 1.0), rgb(0.13, 0.40, 0.88),
      {{circle(36, 38, 20), rgb(1.0, 0.85, 0.25)},
       {circle(46, 62, 16) + circle(66, 54, 20) + roundedRect(28, 60, 66, 22, 11), kWhite}});
  add("com.apple.Preferences", rgb(0.62, 0.64, 0.68), rgb(0.40, 0.42, 0.46),
      {{gear(50, 50, 48, 38, 12), rgb(0.90, 0.90, 0.92)},
       {ring(50, 50, 24, 5), rgb(0.45, 0.47, 0.51)}});
  add("com.apple.AppStore", rgb(0.25, 0.72, 1.0), rgb(0.05, 0.40, 0.96),
      {{stroke({{50, 14}, {24, 78}}, 11) + stroke({{50, 14}, {76, 78}}, 11) +
            stroke({{14, 62}, {86, 62}}, 11),
        kWhite}});
  add("com.apple.Health", kWhite, rgb(0.96, 0.96, 0.97),
      {{heart(50, 54, 84), rgb(1.0, 0.22, 0.38)}});
  add("com.apple.podcasts", rgb(0.82, 0.45, 1.0), rgb(0.55, 0.18, 0.86),
      {{broadcast(50, 44), kWhite}, {roundedRect(44, 58, 12, 34, 6), kWhite}});
  add("com.apple.mobiletimer", rgb(0.18, 0.18, 0.20), kBlack,
      {{circle(50, 50, 48), kWhite},
       {stroke({{50, 50}, {50, 18}}, 6) + stroke({{50, 50}, {72, 62}}, 6), kBlack},
       {stroke({{50, 50}, {30, 80}}, 2.5) + circle(50, 50, 5), rgb(1.0, 0.58, 0.0)}});
  add("com.apple.calculator", rgb(0.28, 0.28, 0.30), rgb(0.10, 0.10, 0.11),
      {{circle(27, 27, 20) + circle(73, 27, 20) + circle(27, 73, 20), rgb(0.65, 0.65, 0.67)},
       {circle(73, 73, 20), kOrange}});
  add("com.apple.DocumentsApp", kWhite, rgb(0.94, 0.95, 0.97),
      {{roundedRect(4, 16, 40, 20, 6), rgb(0.20, 0.55, 0.98)},
       {roundedRect(4, 26, 92, 62, 8), rgb(0.30, 0.66, 1.0)}});
  add("com.apple.findmy", rgb(0.42, 0.86, 0.48), rgb(0.18, 0.68, 0.32),
      {{ring(50, 50, 44, 5) + ring(50, 50, 28, 5), kWhite.withAlpha(0.75)},
       {circle(50, 50, 12), kWhite}});
  add("com.apple.facetime", rgb(0.40, 0.90, 0.45), rgb(0.12, 0.72, 0.26),
      {{roundedRect(4, 26, 62, 48, 12), kWhite},
       {polygon({{70, 50}, {96, 30}, {96, 70}}), kWhite}});
  add("com.apple.mobilephone", rgb(0.42, 0.90, 0.46), rgb(0.14, 0.74, 0.28),
      {{arcBand(50, 50, 34, 16, 100, 260) +
            circle(50 + 34 * std::cos(1.745), 50 + 34 * std::sin(1.745), 13) +
            circle(50 + 34 * std::cos(4.538), 50 + 34 * std::sin(4.538), 13),
        kWhite}});
  add("com.apple.tips", rgb(1.0, 0.86, 0.30), rgb(1.0, 0.68, 0.08),
      {{circle(50, 38, 30) + roundedRect(36, 56, 28, 20, 4), kWhite},
       {roundedRect(38, 80, 24, 9, 4), kWhite}});
  add("com.apple.stocks", rgb(0.20, 0.20, 0.22), kBlack,
      {{stroke({{6, 74}, {30, 48}, {48, 62}, {72, 28}, {94, 40}}, 6), kWhite},
       {rect(4, 90, 92, 3), kGrey}});
  add("com.apple.Passbook", rgb(0.20, 0.20, 0.22), kBlack,
      {{roundedRect(6, 10, 88, 40, 8), kBlue},
       {roundedRect(6, 24, 88, 40, 8), kYellow},
       {roundedRect(6, 38, 88, 40, 8), kGreen},
       {roundedRect(6, 52, 88, 40, 8), kRed}});
  add("com.apple.shortcuts", rgb(0.38, 0.42, 0.98), rgb(0.90, 0.32, 0.62),
      {{polygon({{50, 6}, {84, 40}, {50, 74}, {16, 40}}), kWhite.withAlpha(0.55)},
       {polygon({{50, 30}, {84, 64}, {50, 98}, {16, 64}}), kWhite}});
  add("com.apple.Home", rgb(1.0, 0.72, 0.22), rgb(1.0, 0.48, 0.08),
      {{polygon({{50, 6},
                 {96, 46},
                 {84, 46},
                 {84, 92},
                 {60, 92},
                 {60, 64},
                 {40, 64},
                 {40, 92},
                 {16, 92},
                 {16, 46},
                 {4, 46}}),
        kWhite}});
  {
    std::string bars;
    const double heights[] = {18, 40, 64, 88, 56, 30, 72, 44, 20};
    for (int i = 0; i < 9; ++i)
      bars += roundedRect(6 + i * 10, 50 - heights[i] / 2, 6, heights[i], 3);
    add("com.apple.VoiceMemos", rgb(0.20, 0.20, 0.22), kBlack, {{bars, kRed}});
  }
  add("com.apple.compass", rgb(0.20, 0.20, 0.22), kBlack,
      {{ring(50, 50, 42, 4), kWhite},
       {polygon({{50, 8}, {58, 50}, {42, 50}}), kRed},
       {polygon({{50, 92}, {42, 50}, {58, 50}}), kWhite}});
  {
    std::string ticks;
    for (int i = 0; i < 6; ++i)
      ticks += stroke({{22.0 + i * 11, 58.0 - i * 11}, {30.0 + i * 11, 66.0 - i * 11}}, 3);
    add("com.apple.measure", rgb(0.20, 0.20, 0.22), kBlack,
        {{stroke({{14, 86}, {86, 14}}, 26), kYellow}, {ticks, kBlack}});
  }
  add("com.apple.Translate", rgb(0.12, 0.22, 0.52), rgb(0.04, 0.10, 0.30),
      {{bubble(36, 36, 32, 24, true), kWhite},
       {bubble(64, 66, 32, 24, false), rgb(0.30, 0.65, 1.0)}});
  add("com.apple.tv", rgb(0.20, 0.20, 0.22), kBlack,
      {{roundedRect(4, 14, 92, 60, 8) + roundedRect(11, 21, 78, 46, 4, false), kWhite},
       {roundedRect(30, 82, 40, 6, 3), kWhite}});
  add("com.apple.iBooks", rgb(1.0, 0.64, 0.22), rgb(0.98, 0.44, 0.04),
      {{polygon({{4, 22}, {46, 28}, {46, 90}, {4, 82}}) +
            polygon({{54, 28}, {96, 22}, {96, 82}, {54, 90}}),
        kWhite}});
  add("com.apple.news", kWhite, rgb(0.95, 0.95, 0.96),
      {{roundedRect(6, 10, 24, 80, 4), rgb(0.98, 0.20, 0.30)},
       {roundedRect(38, 30, 24, 60, 4), rgb(0.98, 0.32, 0.40)},
       {roundedRect(70, 50, 24, 40, 4), rgb(0.98, 0.46, 0.52)}});
  add("com.apple.Magnifier", rgb(0.24, 0.24, 0.26), rgb(0.06, 0.06, 0.07),
      {{ring(42, 42, 28, 10), kWhite}, {stroke({{64, 64}, {88, 88}}, 14), kWhite}});
  add("com.apple.Fitness", rgb(0.18, 0.18, 0.20), kBlack,
      {{arcBand(50, 50, 42, 12, -90, 210), rgb(0.98, 0.07, 0.31)},
       {arcBand(50, 50, 28, 12, -90, 160), rgb(0.65, 1.0, 0.0)},
       {arcBand(50, 50, 14, 12, -90, 120), rgb(0.0, 0.90, 1.0)}});
  add("com.apple.MobileStore", rgb(0.98, 0.40, 0.82), rgb(0.70, 0.18, 0.86),
      {{regularStar(50, 54, 48, 20, 5), kWhite}});
  add("com.apple.MobileAddressBook", rgb(0.93, 0.93, 0.94), rgb(0.78, 0.79, 0.81),
      {{circle(50, 32, 20) + ellipse(50, 92, 40, 32), rgb(0.55, 0.56, 0.60)}});
  add("com.apple.Bridge", rgb(0.20, 0.20, 0.22), kBlack,
      {{roundedRect(34, 0, 32, 100, 10), rgb(0.35, 0.35, 0.38)},
       {roundedRect(22, 22, 56, 56, 14), kWhite},
       {roundedRect(28, 28, 44, 44, 10), kBlack}});
  add("com.apple.Sidecar", rgb(0.32, 0.82, 0.86), rgb(0.08, 0.55, 0.70),
      {{roundedRect(4, 14, 62, 44, 5) + roundedRect(10, 20, 50, 32, 2, false), kWhite},
       {roundedRect(38, 42, 58, 44, 5) + roundedRect(44, 48, 46, 32, 2, false), kWhite}});

  // The five identifiers the picker leaves out; present so it has something to leave.
  add("com.apple.sidecar", rgb(0.32, 0.56, 1.0), rgb(0.14, 0.30, 0.86),
      {{roundedRect(4, 14, 62, 44, 5), kWhite.withAlpha(0.6)},
       {roundedRect(38, 42, 58, 44, 5), kWhite}});
  add("com.apple.appleseed.FeedbackAssistant", rgb(0.62, 0.42, 0.96), rgb(0.40, 0.20, 0.80),
      {{bubble(50, 44, 46, 38, false) + roundedRect(45, 20, 10, 30, 5, false) +
            circle(50, 62, 6, false),
        kWhite}});
  add("com.apple.PosterBoard", rgb(1.0, 0.58, 0.46), rgb(0.86, 0.30, 0.50),
      {{roundedRect(4, 20, 40, 60, 6), kWhite.withAlpha(0.5)},
       {roundedRect(56, 20, 40, 60, 6), kWhite.withAlpha(0.5)},
       {roundedRect(24, 8, 52, 84, 8), kWhite}});
  add("com.apple.webapp", rgb(0.56, 0.82, 1.0), rgb(0.20, 0.55, 0.95),
      {{ring(50, 50, 44, 6), kWhite},
       {rotatedEllipse(50, 50, 20, 47, 0) + rotatedEllipse(50, 50, 14, 41, 0, false), kWhite},
       {rect(6, 47, 88, 6), kWhite}});
  add("com.apple.dt.XcodePreviews", rgb(0.22, 0.62, 1.0), rgb(0.05, 0.30, 0.80),
      {{stroke({{34, 22}, {8, 50}, {34, 78}}, 10) + stroke({{66, 22}, {92, 50}, {66, 78}}, 10),
        kWhite},
       {stroke({{58, 14}, {42, 86}}, 8), kWhite.withAlpha(0.7)}});

  // Applications from the App Store.
  add("com.burbn.instagram", rgb(1.0, 0.76, 0.30), rgb(0.84, 0.18, 0.58),
      {{roundedRect(4, 4, 92, 92, 26) + roundedRect(14, 14, 72, 72, 18, false), kWhite},
       {ring(50, 50, 19, 10), kWhite},
       {circle(74, 26, 6), kWhite}});
  add("net.whatsapp.WhatsApp", rgb(0.36, 0.86, 0.46), rgb(0.12, 0.66, 0.34),
      {{ring(52, 46, 38, 9) + polygon({{20, 66}, {30, 74}, {10, 94}}), kWhite},
       {circle(52, 46, 15), kWhite}});
  add("com.spotify.client", rgb(0.14, 0.14, 0.15), kBlack,
      {{circle(50, 50, 48), rgb(0.12, 0.84, 0.38)},
       {arcBand(50, 104, 70, 8, 238, 302) + arcBand(50, 106, 58, 7, 240, 300) +
            arcBand(50, 108, 46, 6, 243, 297),
        kBlack}});
  add("com.google.chrome.ios", kWhite, rgb(0.96, 0.96, 0.97),
      {{arcBand(50, 50, 35, 26, -150, -30), rgb(0.92, 0.26, 0.21)},
       {arcBand(50, 50, 35, 26, -30, 90), rgb(0.99, 0.75, 0.05)},
       {arcBand(50, 50, 35, 26, 90, 210), rgb(0.20, 0.66, 0.33)},
       {circle(50, 50, 20), kWhite},
       {circle(50, 50, 15), rgb(0.26, 0.52, 0.96)}});
  add("ph.telegra.Telegraph", rgb(0.38, 0.74, 0.96), rgb(0.14, 0.56, 0.86),
      {{polygon({{4, 46}, {94, 10}, {76, 90}, {48, 70}}), kWhite},
       {polygon({{48, 70}, {40, 92}, {38, 64}}), rgb(0.85, 0.92, 1.0)}});
  {
    Points ghost;
    for (int i = 0; i <= 40; ++i) {
      double angle = std::numbers::pi + i * std::numbers::pi / 40;
      ghost.push_back({50 + 32 * std::cos(angle), 44 + 34 * std::sin(angle)});
    }
    // A scalloped hem from right to left.
    ghost.insert(ghost.end(),
                 {{82, 92}, {72, 82}, {61, 92}, {50, 82}, {39, 92}, {28, 82}, {18, 92}});
    add("com.toyopagroup.picaboo", rgb(1.0, 0.98, 0.32), rgb(1.0, 0.88, 0.0),
        {{polygon(ghost), kWhite}});
  }
  add("com.apple.iMovie", rgb(0.62, 0.46, 1.0), rgb(0.34, 0.24, 0.86),
      {{ring(50, 50, 42, 8), kWhite}, {polygon({{40, 30}, {72, 50}, {40, 70}}), kWhite}});
  add("com.ebay.iphone", kWhite, rgb(0.95, 0.95, 0.96),
      {{circle(14, 50, 12), rgb(0.90, 0.20, 0.22)},
       {circle(38, 50, 12), rgb(0.0, 0.39, 0.82)},
       {circle(62, 50, 12), rgb(0.96, 0.69, 0.0)},
       {circle(86, 50, 12), rgb(0.53, 0.73, 0.09)}});
  add("com.agilebits.onepassword-ios", rgb(0.22, 0.56, 1.0), rgb(0.05, 0.34, 0.86),
      {{circle(50, 50, 46) + circle(50, 40, 10, false) +
            polygon({{44, 44}, {56, 44}, {58, 72}, {42, 72}}, false),
        kWhite}});
  add("com.example.eightball", rgb(0.20, 0.22, 0.38), rgb(0.04, 0.04, 0.10),
      {{circle(50, 50, 46), kBlack}, {circle(42, 42, 18), kWhite}, {ring(42, 42, 7, 4), kBlack}});
  add("com.tencent.xin", rgb(0.32, 0.84, 0.32), rgb(0.08, 0.66, 0.16),
      {{bubble(38, 38, 34, 28, true), kWhite},
       {ellipse(66, 66, 32, 26), rgb(0.10, 0.66, 0.18)},
       {bubble(66, 66, 28, 22, false), rgb(0.88, 1.0, 0.88)}});
  add("ru.yandex.traffic", kWhite, rgb(0.95, 0.95, 0.96),
      {{pin(50, 4, 30, true), rgb(0.99, 0.24, 0.16), FillRule::evenOdd}});
  add("jp.co.example.cameraplus", rgb(1.0, 0.48, 0.36), rgb(0.84, 0.20, 0.26),
      {{ring(42, 56, 30, 10), kWhite}, {rect(74, 6, 8, 28) + rect(64, 16, 28, 8), kWhite}});
  {
    std::string waves;
    for (int row = 0; row < 3; ++row) {
      Points wave;
      for (int i = 0; i <= 24; ++i) {
        double x = 6 + i * 88.0 / 24;
        wave.push_back({x, 26 + row * 24 + 8 * std::sin(i * std::numbers::pi / 6)});
      }
      waves += stroke(wave, 7);
    }
    add("gr.example.greek", rgb(0.28, 0.52, 0.96), rgb(0.08, 0.28, 0.74), {{waves, kWhite}});
  }
  add("com.example.notes", rgb(0.32, 0.82, 0.72), rgb(0.08, 0.58, 0.54),
      {{circle(14, 24, 8) + circle(14, 50, 8) + circle(14, 76, 8), kWhite},
       {roundedRect(32, 20, 62, 8, 4) + roundedRect(32, 46, 50, 8, 4) +
            roundedRect(32, 72, 56, 8, 4),
        kWhite}});
  add("fm.overcast.overcast", rgb(1.0, 0.62, 0.22), rgb(0.95, 0.42, 0.08),
      {{broadcast(50, 50), kWhite}});
  return designs;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string stringAt(plist_t dictionary, const char* key) {
  plist_t node = dictionary ? plist_dict_get_item(dictionary, key) : nullptr;
  if (!node || plist_get_node_type(node) != PLIST_STRING) return {};
  char* value = nullptr;
  plist_get_string_val(node, &value);
  std::string result = value ? value : "";
  std::free(value);
  return result;
}

// The first name of CFBundleIcons > CFBundlePrimaryIcon > CFBundleIconFiles.
std::string primaryIconName(plist_t info) {
  plist_t icons = plist_dict_get_item(info, "CFBundleIcons");
  plist_t primary = icons && plist_get_node_type(icons) == PLIST_DICT
                        ? plist_dict_get_item(icons, "CFBundlePrimaryIcon")
                        : nullptr;
  plist_t files = primary && plist_get_node_type(primary) == PLIST_DICT
                      ? plist_dict_get_item(primary, "CFBundleIconFiles")
                      : nullptr;
  if (!files || plist_get_node_type(files) != PLIST_ARRAY || plist_array_get_size(files) == 0)
    return {};
  plist_t first = plist_array_get_item(files, 0);
  if (plist_get_node_type(first) != PLIST_STRING) return {};
  char* value = nullptr;
  plist_get_string_val(first, &value);
  std::string result = value ? value : "";
  std::free(value);
  return result;
}

}  // namespace

const std::vector<IconDesign>& iconDesigns() {
  static const std::vector<IconDesign> designs = makeDesigns();
  return designs;
}

const IconDesign* iconDesignFor(const std::string& identifier) {
  for (const IconDesign& design : iconDesigns()) {
    if (design.identifier == identifier) return &design;
  }
  return nullptr;
}

Canvas drawAppIcon(const IconDesign& design, int size) {
  Canvas canvas(size, size);
  Placement tile{0, 0, size / 100.0};
  canvas.fillPath(shapes::roundedRect(0, 0, 100, 100, 22.4), tile, FillRule::nonZero,
                  [&](double, double y) { return design.top.mixed(design.bottom, y / size); });
  Placement glyph{size * 0.2, size * 0.2, size * 0.6 / 100};
  for (const GlyphLayer& layer : design.glyph)
    canvas.fillPath(layer.path, glyph, layer.rule, layer.color);
  return canvas;
}

std::string iconFileName(const std::string& declaredName) {
  if (declaredName.size() > 4 && declaredName.ends_with(".png")) return declaredName;
  return declaredName + "@3x.png";
}

int writeSampleDeviceIcons(const std::filesystem::path& sampleDevice) {
  int written = 0;
  std::set<std::string> drawn;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(sampleDevice)) {
    if (entry.path().filename() != "Info.plist" || entry.path().parent_path().extension() != ".app")
      continue;
    std::string bytes = readFile(entry.path());
    plist_t info = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &info);
    if (!info || plist_get_node_type(info) != PLIST_DICT) {
      if (info) plist_free(info);
      continue;  // the broken bundle of the sample, on purpose
    }
    std::string identifier = stringAt(info, "CFBundleIdentifier");
    std::string iconName = primaryIconName(info);
    plist_free(info);
    if (identifier.empty() || iconName.empty()) continue;
    const IconDesign* design = iconDesignFor(identifier);
    if (!design)
      throw std::runtime_error("no icon design for " + identifier + " (" + entry.path().string() +
                               ")");
    drawAppIcon(*design).writePng(entry.path().parent_path() / iconFileName(iconName));
    drawn.insert(identifier);
    ++written;
  }
  for (const IconDesign& design : iconDesigns()) {
    if (!drawn.count(design.identifier))
      std::cerr << "note: no application declares an icon for " << design.identifier << "\n";
  }
  return written;
}

}  // namespace kavro::artwork
