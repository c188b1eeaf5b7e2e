#include "tools/artwork/Constellation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace kavro::artwork {

namespace {

// The sky is fixed: changing the seed changes the product's face.
constexpr std::uint64_t kSkySeed = 0x4B4156524F2A3132ull;

const Color kAccent = Color::rgb(0.42, 0.39, 0.76);

struct Star {
  double x, y, radius;
  bool sparkles = false;
};

struct Link {
  std::size_t from, to;
};

struct Sky {
  std::vector<Star> stars;  // the constellation
  std::vector<Link> links;  // lines between its stars
  std::vector<Star> dust;   // faint background stars
  std::vector<Star> haze;   // centres of the soft nebula
};

struct Palette {
  Color line;
  double lineWidth;
  Color lineGlow;
  Color starCore;
  Color starCentre;
  double centreSize;  // of the bright centre, as a share of the star's radius
  Color starGlow;
  double glowSpread;
  Color halo;
  std::vector<Color> dust;
  std::vector<Color> haze;
};

double distance(const Star& a, const Star& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Stars spread across the band (one per column, on a gentle wave) so the figure
// reads from edge to edge without crowding any part of it.
std::vector<Star> placeStars(Random& random) {
  const int count = 16;
  const double margin = 70, width = kConstellationWidth - 2 * margin;
  const double middle = kConstellationHeight / 2.0;
  std::vector<Star> stars;
  for (int i = 0; i < count; ++i) {
    double x = margin + width * (i + random.uniform(0.15, 0.85)) / count;
    double y = middle + 85 * std::sin(i * 0.95 + 0.4) + random.uniform(-60, 60);
    y = std::clamp(y, 55.0, kConstellationHeight - 55.0);
    double magnitude = std::pow(random.uniform(), 1.4);
    stars.push_back({x, y, 2.8 + 5.6 * magnitude});
  }
  // The three brightest stars carry diffraction spikes.
  std::vector<std::size_t> order(stars.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return stars[a].radius > stars[b].radius; });
  for (std::size_t i = 0; i < 3; ++i) {
    stars[order[i]].radius = std::max(stars[order[i]].radius, 7.5);
    stars[order[i]].sparkles = true;
  }
  return stars;
}

bool segmentsCross(const Star& a, const Star& b, const Star& c, const Star& d) {
  auto side = [](const Star& p, const Star& q, const Star& r) {
    return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
  };
  double d1 = side(a, b, c), d2 = side(a, b, d), d3 = side(c, d, a), d4 = side(c, d, b);
  return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0));
}

bool crossesAny(const std::vector<Star>& stars, const std::vector<Link>& links, Link candidate) {
  for (const Link& link : links) {
    if (link.from == candidate.from || link.from == candidate.to || link.to == candidate.from ||
        link.to == candidate.to) {
      continue;
    }
    if (segmentsCross(stars[link.from], stars[link.to], stars[candidate.from],
                      stars[candidate.to])) {
      return true;
    }
  }
  return false;
}

// A minimum spanning tree reads as a constellation; its longest links are dropped so
// the sky holds a few figures, and two short extra links close small loops.
std::vector<Link> linkStars(const std::vector<Star>& stars) {
  std::vector<Link> links;
  std::vector<bool> joined(stars.size(), false);
  std::vector<double> best(stars.size(), std::numeric_limits<double>::max());
  std::vector<std::size_t> parent(stars.size(), 0);
  best[0] = 0;
  for (std::size_t round = 0; round < stars.size(); ++round) {
    std::size_t next = 0;
    double nearest = std::numeric_limits<double>::max();
    for (std::size_t i = 0; i < stars.size(); ++i) {
      if (!joined[i] && best[i] < nearest) nearest = best[i], next = i;
    }
    joined[next] = true;
    if (round > 0) links.push_back({parent[next], next});
    for (std::size_t i = 0; i < stars.size(); ++i) {
      double d = distance(stars[next], stars[i]);
      if (!joined[i] && d < best[i]) best[i] = d, parent[i] = next;
    }
  }
  std::erase_if(links,
                [&](const Link& link) { return distance(stars[link.from], stars[link.to]) > 230; });

  std::vector<Link> extras;
  for (std::size_t a = 0; a < stars.size(); ++a) {
    for (std::size_t b = a + 1; b < stars.size(); ++b) {
      bool present = std::any_of(links.begin(), links.end(), [&](const Link& link) {
        return (link.from == a && link.to == b) || (link.from == b && link.to == a);
      });
      if (!present && distance(stars[a], stars[b]) < 200) extras.push_back({a, b});
    }
  }
  std::sort(extras.begin(), extras.end(), [&](const Link& x, const Link& y) {
    return distance(stars[x.from], stars[x.to]) < distance(stars[y.from], stars[y.to]);
  });
  int added = 0;
  for (const Link& extra : extras) {
    if (added == 2) break;
    if (crossesAny(stars, links, extra)) continue;
    links.push_back(extra);
    ++added;
  }
  return links;
}

std::vector<Star> scatterDust(Random& random, const std::vector<Star>& stars) {
  std::vector<Star> dust;
  while (dust.size() < 170) {
    Star mote{random.uniform(8, kConstellationWidth - 8),
              random.uniform(8, kConstellationHeight - 8), random.uniform(0.55, 1.7)};
    bool crowded = std::any_of(stars.begin(), stars.end(), [&](const Star& star) {
      return distance(star, mote) < star.radius + 16;
    });
    if (!crowded) dust.push_back(mote);
  }
  // A handful of brighter loose stars with a small glow.
  for (int i = 0; i < 9; ++i) dust[i].radius = random.uniform(1.8, 2.6);
  return dust;
}

Sky makeSky() {
  Random random(kSkySeed);
  Sky sky;
  sky.stars = placeStars(random);
  sky.links = linkStars(sky.stars);
  sky.dust = scatterDust(random, sky.stars);
  for (int i = 0; i < 5; ++i) {
    const Star& anchor = sky.stars[static_cast<std::size_t>(random.next() % sky.stars.size())];
    sky.haze.push_back({anchor.x + random.uniform(-60, 60), anchor.y + random.uniform(-30, 30),
                        random.uniform(70, 120)});
  }
  return sky;
}

Palette paletteFor(Appearance appearance) {
  if (appearance == Appearance::dark) {
    return {
        .line = Color{0.74, 0.71, 0.98, 0.50},
        .lineWidth = 1.9,
        .lineGlow = Color{0.55, 0.50, 0.95, 0.10},
        .starCore = Color{0.80, 0.77, 1.00, 1.0},
        .starCentre = Color{0.98, 0.97, 1.00, 1.0},
        .centreSize = 0.5,
        .starGlow = Color{0.58, 0.53, 0.98, 0.55},
        .glowSpread = 2.4,
        .halo = Color{0.47, 0.42, 0.90, 0.16},
        .dust = {Color{0.86, 0.84, 1.0, 1}, Color{0.70, 0.66, 0.98, 1}, Color{0.93, 0.80, 0.98, 1}},
        .haze = {kAccent.withAlpha(0.16), Color{0.62, 0.40, 0.85, 0.12},
                 Color{0.38, 0.45, 0.92, 0.12}},
    };
  }
  return {
      .line = Color{0.31, 0.28, 0.60, 0.62},
      .lineWidth = 2.1,
      .lineGlow = Color{0.42, 0.39, 0.76, 0.0},
      .starCore = kAccent,
      .starCentre = Color{0.97, 0.96, 1.00, 1.0},
      .centreSize = 0,
      .starGlow = kAccent.withAlpha(0.28),
      .glowSpread = 1.8,
      .halo = kAccent.withAlpha(0.07),
      .dust = {kAccent, Color{0.56, 0.52, 0.88, 1}, Color{0.62, 0.44, 0.80, 1}},
      .haze = {kAccent.withAlpha(0.07), Color{0.62, 0.42, 0.82, 0.05},
               Color{0.40, 0.48, 0.88, 0.05}},
  };
}

void drawHaze(Canvas& canvas, const Sky& sky, const Palette& palette) {
  for (std::size_t i = 0; i < sky.haze.size(); ++i) {
    const Star& cloud = sky.haze[i];
    canvas.glow(cloud.x, cloud.y, cloud.radius * 1.6, cloud.radius * 0.7, (i % 2 ? 0.25 : -0.2),
                palette.haze[i % palette.haze.size()]);
  }
}

void drawDust(Canvas& canvas, const Sky& sky, const Palette& palette, Random& random) {
  for (std::size_t i = 0; i < sky.dust.size(); ++i) {
    const Star& mote = sky.dust[i];
    Color color = palette.dust[i % palette.dust.size()];
    double alpha = mote.radius > 1.75 ? 0.85 : random.uniform(0.25, 0.7);
    if (mote.radius > 1.75) canvas.glow(mote.x, mote.y, mote.radius * 2.2, color.withAlpha(0.25));
    canvas.disc(mote.x, mote.y, mote.radius, color.withAlpha(alpha));
  }
}

// Lines stop short of the stars they join, so every star stands free.
void drawLinks(Canvas& canvas, const Sky& sky, const Palette& palette) {
  for (const Link& link : sky.links) {
    const Star& a = sky.stars[link.from];
    const Star& b = sky.stars[link.to];
    double length = distance(a, b);
    double ux = (b.x - a.x) / length, uy = (b.y - a.y) / length;
    double gapA = a.radius + 7, gapB = b.radius + 7;
    double x0 = a.x + ux * gapA, y0 = a.y + uy * gapA, x1 = b.x - ux * gapB, y1 = b.y - uy * gapB;
    if (palette.lineGlow.alpha > 0) canvas.line(x0, y0, x1, y1, 7, palette.lineGlow);
    canvas.line(x0, y0, x1, y1, palette.lineWidth, palette.line);
  }
}

void drawSpikes(Canvas& canvas, const Star& star, const Palette& palette) {
  double length = star.radius * 5.2, width = star.radius * 0.5;
  for (int i = 0; i < 4; ++i) {
    double angle = i * std::numbers::pi / 2;
    canvas.taperedLine(star.x, star.y, star.x + std::cos(angle) * length,
                       star.y + std::sin(angle) * length, width, 0.2,
                       palette.starCore.withAlpha(0.75));
  }
  double shortLength = star.radius * 2.4;
  for (int i = 0; i < 4; ++i) {
    double angle = std::numbers::pi / 4 + i * std::numbers::pi / 2;
    canvas.taperedLine(star.x, star.y, star.x + std::cos(angle) * shortLength,
                       star.y + std::sin(angle) * shortLength, width * 0.6, 0.2,
                       palette.starCore.withAlpha(0.35));
  }
}

void drawStars(Canvas& canvas, const Sky& sky, const Palette& palette) {
  for (const Star& star : sky.stars) {
    canvas.glow(star.x, star.y, star.radius * 5.5, palette.halo);
    canvas.glow(star.x, star.y, star.radius * palette.glowSpread, palette.starGlow);
  }
  for (const Star& star : sky.stars) {
    if (star.sparkles) drawSpikes(canvas, star, palette);
    canvas.disc(star.x, star.y, star.radius, palette.starCore);
    if (palette.centreSize > 0) {
      canvas.disc(star.x - star.radius * 0.12, star.y - star.radius * 0.12,
                  star.radius * palette.centreSize, palette.starCentre.withAlpha(0.9));
    }
  }
}

}  // namespace

Canvas drawConstellation(Appearance appearance) {
  Sky sky = makeSky();
  Palette palette = paletteFor(appearance);
  Canvas canvas(kConstellationWidth, kConstellationHeight);
  Random dustAlpha(kSkySeed ^ 0xD057ull);
  drawHaze(canvas, sky, palette);
  drawDust(canvas, sky, palette, dustAlpha);
  drawLinks(canvas, sky, palette);
  drawStars(canvas, sky, palette);
  canvas.fadeEdges(36);
  return canvas;
}

Canvas drawBundleIcon(int size) {
  Canvas canvas(size, size);
  double unit = size / 100.0;
  Placement whole{0, 0, unit};
  Color top = Color::rgb(0.55, 0.51, 0.90), bottom = Color::rgb(0.33, 0.29, 0.66);
  canvas.fillPath(shapes::roundedRect(0, 0, 100, 100, 22.5), whole, FillRule::nonZero,
                  [&](double, double y) { return top.mixed(bottom, y / size); });
  struct Point {
    double x, y, r;
  };
  const Point points[] = {{20, 66, 3.6}, {38, 50, 4.4}, {55, 58, 3.4},
                          {70, 34, 6.5}, {84, 52, 3.2}, {30, 27, 2.8}};
  const int links[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {1, 5}};
  Color ink{1, 1, 1, 0.78};
  for (const auto& link : links) {
    const Point& a = points[link[0]];
    const Point& b = points[link[1]];
    canvas.line(a.x * unit, a.y * unit, b.x * unit, b.y * unit, std::max(1.0, 2.2 * unit), ink);
  }
  for (const Point& p : points) {
    canvas.glow(p.x * unit, p.y * unit, p.r * 1.8 * unit, Color{1, 1, 1, 0.35});
    canvas.disc(p.x * unit, p.y * unit, p.r * unit, Color{1, 1, 1, 1});
  }
  const Point& bright = points[3];
  for (int i = 0; i < 4; ++i) {
    double angle = i * std::numbers::pi / 2;
    canvas.taperedLine(bright.x * unit, bright.y * unit, (bright.x + std::cos(angle) * 15) * unit,
                       (bright.y + std::sin(angle) * 15) * unit, 2.6 * unit, 0.2,
                       Color{1, 1, 1, 0.9});
  }
  return canvas;
}

}  // namespace kavro::artwork
