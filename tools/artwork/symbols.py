#!/usr/bin/python3
"""Designs the system symbol artwork and writes it into the catalogue's source.

Each symbol is built from simple geometry (discs, strokes with round ends, polygons)
combined with unions and differences, then written as one SVG path of polygons in a
0 0 100 100 view box: outer contours clockwise on screen, holes the other way round,
so the even-odd and the non-zero rule agree. The symbol's natural size in points
(at point size 17) sets which part of the square it may use: the square is centred
on the symbol and its side is the longer of width and height.

Needs Debian's python3-shapely (a design tool only; nothing builds with it):
    apt-get install python3-shapely
    /usr/bin/python3 tools/artwork/symbols.py .     # rewrites the table in place
Then rebuild the artwork tool and look at its symbol sheet (see README.md).
"""

import math
import re
import sys
from pathlib import Path

from shapely.geometry import LineString, MultiPolygon, Point, Polygon
from shapely.geometry.polygon import orient
from shapely.ops import unary_union

ROUND = 1
FLAT = 2


def disc(x, y, r):
    return Point(x, y).buffer(r, resolution=24)


def stroke(points, width, cap=ROUND):
    return LineString(points).buffer(width / 2, resolution=16, cap_style=cap, join_style=ROUND)


def arc_points(cx, cy, r, start, end, steps=48):
    """Points along a circle, angles in degrees, clockwise on screen (y down)."""
    return [(cx + r * math.cos(math.radians(start + (end - start) * i / steps)),
             cy + r * math.sin(math.radians(start + (end - start) * i / steps))) for i in range(steps + 1)]


def rounded(polygon_points, radius):
    """A polygon with its corners rounded by `radius`."""
    return Polygon(polygon_points).buffer(-radius, join_style=ROUND).buffer(radius, resolution=16)


def star4(cx, cy, r, pinch=0.18):
    """A four-pointed sparkle whose sides curve inwards."""
    points = []
    for k in range(4):
        a0 = math.radians(-90 + 90 * k)
        a1 = math.radians(-90 + 90 * (k + 1))
        tip0 = (cx + r * math.cos(a0), cy + r * math.sin(a0))
        tip1 = (cx + r * math.cos(a1), cy + r * math.sin(a1))
        mid = (a0 + a1) / 2
        ctrl = (cx + r * pinch * math.cos(mid), cy + r * pinch * math.sin(mid))
        for i in range(24):
            t = i / 24
            u = 1 - t
            points.append((u * u * tip0[0] + 2 * u * t * ctrl[0] + t * t * tip1[0],
                           u * u * tip0[1] + 2 * u * t * ctrl[1] + t * t * tip1[1]))
    return Polygon(points)


def arrow_arc(cx, cy, r, start, end, width, head):
    """A band along an arc from `start` to `end` degrees with a triangular head at `end`."""
    band = LineString(arc_points(cx, cy, r, start, end)).buffer(width / 2, cap_style=FLAT, resolution=16)
    a = math.radians(end)
    direction = 1 if end > start else -1
    tangent = (-math.sin(a) * direction, math.cos(a) * direction)
    radial = (math.cos(a), math.sin(a))
    ex, ey = cx + r * math.cos(a), cy + r * math.sin(a)
    tip = (ex + tangent[0] * head, ey + tangent[1] * head)
    left = (ex + radial[0] * head * 0.95 - tangent[0] * 0.5, ey + radial[1] * head * 0.95 - tangent[1] * 0.5)
    right = (ex - radial[0] * head * 0.95 - tangent[0] * 0.5, ey - radial[1] * head * 0.95 - tangent[1] * 0.5)
    return unary_union([band, Polygon([tip, left, right])])


CIRCLE = disc(50, 50, 50)


def hand(finger_top):
    """A hand pointing up with its index finger; the other fingers curled."""
    finger = stroke([(38, finger_top), (38, 56)], 17)
    palm = rounded([(29.5, 50), (88, 56), (88, 80), (76, 98), (42, 98), (29.5, 84)], 6)
    curled = [stroke([(55, 50), (55, 60)], 15), stroke([(69, 54), (69, 62)], 14),
              stroke([(81.5, 60), (81.5, 66)], 12)]
    thumb = stroke([(33, 74), (18.5, 59)], 15)
    shape = unary_union([finger, palm, thumb] + curled)
    gaps = unary_union([stroke([(47, 44), (47, 62)], 2.6), stroke([(62.5, 48), (62.5, 64)], 2.6),
                        stroke([(75.5, 54), (75.5, 68)], 2.6)])
    return shape.difference(gaps)


def symbols():
    s = {}
    s['checkmark.circle.fill'] = ((20, 20), CIRCLE.difference(stroke([(28, 52), (43.5, 67), (73, 35)], 9.5)))
    info = unary_union([disc(50, 27.5, 6.8),
                        rounded([(39, 41), (56, 41), (56, 70), (62, 70), (62, 78), (38, 78), (38, 70),
                                 (45, 70), (45, 48.5), (39, 48.5)], 1.2)])
    s['info.circle.fill'] = ((20, 20), CIRCLE.difference(info))
    s['hand.point.up.fill'] = ((17, 21), hand(9))
    plus = unary_union([stroke([(50, 27), (50, 73)], 9.5), stroke([(27, 50), (73, 50)], 9.5)])
    s['plus.circle.fill'] = ((20, 20), CIRCLE.difference(plus))
    s['minus.circle.fill'] = ((20, 20), CIRCLE.difference(stroke([(27, 50), (73, 50)], 9.5)))
    updown = unary_union([stroke([(50, 25), (50, 75)], 8.5), stroke([(36, 37), (50, 23), (64, 37)], 8.5),
                          stroke([(36, 63), (50, 77), (64, 63)], 8.5)])
    s['arrow.up.and.down.circle.fill'] = ((20, 20), CIRCLE.difference(updown))
    left = unary_union([stroke([(26, 50), (73, 50)], 8.5), stroke([(43, 33), (26, 50), (43, 67)], 8.5)])
    s['arrow.left.circle.fill'] = ((20, 20), CIRCLE.difference(left))
    circlepath = unary_union([arrow_arc(50, 50, 22, 195, 315, 7, 10), arrow_arc(50, 50, 22, 15, 135, 7, 10)])
    s['arrow.triangle.2.circlepath.circle.fill'] = ((20, 20), CIRCLE.difference(circlepath))
    cross = unary_union([stroke([(33, 33), (67, 67)], 9.5), stroke([(67, 33), (33, 67)], 9.5)])
    s['xmark.circle.fill'] = ((20, 20), CIRCLE.difference(cross))
    tap = unary_union([hand(34).intersection(Polygon([(0, 26), (100, 26), (100, 100), (0, 100)])),
                       LineString(arc_points(38, 34, 16, 200, 340)).buffer(3.2, resolution=12),
                       LineString(arc_points(38, 34, 27, 205, 335)).buffer(3.2, resolution=12)])
    s['hand.tap.fill'] = ((18, 21), tap)
    grid = unary_union([rounded([(x, y), (x + 43, y), (x + 43, y + 43), (x, y + 43)], 10)
                        for x in (3, 54) for y in (3, 54)])
    s['square.grid.2x2.fill'] = ((19, 19), grid)
    lid = unary_union([stroke([(13, 20), (87, 20)], 8), stroke([(39, 9), (61, 9)], 7),
                       Polygon([(35.5, 9), (64.5, 9), (64.5, 20), (35.5, 20)])])
    body = rounded([(17, 28), (83, 28), (78, 97), (22, 97)], 6)
    slots = unary_union([stroke([(x, 40), (x + dx, 85)], 5.5) for x, dx in ((35, 1.5), (50, 0), (65, -1.5))])
    s['trash.fill'] = ((17, 20), unary_union([lid, body.difference(slots)]))
    s['sparkles'] = ((19, 21), unary_union([star4(40, 61, 35, 0.16), star4(76, 23, 18, 0.2),
                                            star4(80, 85, 11, 0.22)]))
    s['chevron.right'] = ((9, 16), stroke([(35, 10), (65, 50), (35, 90)], 12))
    s['chevron.left'] = ((9, 16), stroke([(65, 10), (35, 50), (65, 90)], 12))
    glass = unary_union([disc(42, 42, 33).difference(disc(42, 42, 23)), stroke([(65, 65), (89, 89)], 12.5)])
    s['magnifyingglass'] = ((18, 18), glass)
    plain = unary_union([disc(50, 50, 50).difference(disc(50, 50, 42)),
                         stroke([(35, 35), (65, 65)], 8), stroke([(65, 35), (35, 65)], 8)])
    s['xmark.circle'] = ((20, 20), plain)
    bars = unary_union([stroke([(8, y), (92, y)], 8.5) for y in (24, 50, 76)])
    s['line.3.horizontal'] = ((19, 12), bars)
    return s


def number(value):
    text = f'{value:.1f}'.rstrip('0').rstrip('.')
    return '0' if text in ('-0', '') else text


def ring_path(coords):
    coords = list(coords)[:-1]
    parts = [f'M{number(coords[0][0])} {number(coords[0][1])}']
    parts += [f'L{number(x)} {number(y)}' for x, y in coords[1:]]
    return ''.join(parts) + 'Z'


def svg_path(geometry):
    geometry = geometry.simplify(0.06, preserve_topology=True)
    polygons = list(geometry.geoms) if isinstance(geometry, MultiPolygon) else [geometry]
    path = ''
    # Positive shoelace area is clockwise on screen, y pointing down.
    for polygon in sorted(polygons, key=lambda p: (p.bounds[1], p.bounds[0])):
        polygon = orient(polygon, sign=1.0)
        path += ring_path(polygon.exterior.coords)
        for hole in polygon.interiors:
            path += ring_path(hole.coords)
    return path


def table_source():
    lines = ['// Generated by tools/artwork/symbols.py; edit the design there. A function-local',
             '// table, so that lookups from other static initialisers find it built.',
             'const std::vector<SymbolArtwork>& systemSymbols() {',
             '  static const std::vector<SymbolArtwork> symbols = {']
    for name, ((width, height), geometry) in symbols().items():
        path = svg_path(geometry)
        chunks = ['']
        for command in re.findall(r'[MLZ][^MLZ]*', path):
            if len(chunks[-1]) + len(command) > 86:
                chunks.append('')
            chunks[-1] += command
        lines.append(f'      {{"{name}", {width}, {height},')
        lines += [f'       "{chunk}"' for chunk in chunks[:-1]]
        lines.append(f'       "{chunks[-1]}"}},')
    lines += ['  };', '  return symbols;', '}']
    return '\n'.join(lines)


def main():
    repository = Path(sys.argv[1] if len(sys.argv) > 1 else '.')
    source = repository / 'platform' / 'uikit' / 'SystemSymbolCatalogue.cpp'
    text = source.read_text()
    pattern = re.compile(r'(// BEGIN SYMBOL TABLE\n).*?(^// END SYMBOL TABLE)', re.S | re.M)
    if not pattern.search(text):
        sys.exit(f'{source}: no BEGIN/END SYMBOL TABLE markers')
    source.write_text(pattern.sub(lambda m: m.group(1) + table_source() + '\n' + m.group(2), text))
    print(f'wrote {len(symbols())} symbols into {source}')


if __name__ == '__main__':
    main()
