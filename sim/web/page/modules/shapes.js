// Shapes the drawing is made of: rectangles with some corners rounded, a view's own
// shape (its radius and the corners it rounds), its border, and the vector paths a
// view may carry.

const ALL_CORNERS = [true, true, true, true];

// A rectangle with some of its corners rounded: `corners` is [top-left, top-right,
// bottom-left, bottom-right].
export function roundedRect(target, x, y, width, height, radius, corners = ALL_CORNERS) {
  const r = Math.max(0, Math.min(radius, width / 2, height / 2));
  target.beginPath();
  if (r === 0 || !corners.some(Boolean)) {
    target.rect(x, y, width, height);
    return;
  }
  const [topLeft, topRight, bottomLeft, bottomRight] = corners.map((rounded) => (rounded ? r : 0));
  target.roundRect(x, y, width, height, [topLeft, topRight, bottomRight, bottomLeft]);
}

// A view's own shape as a path: its frame, rounded by its radius at the corners it
// names (all four when it names none).
export function viewShape(target, view) {
  const [x, y, width, height] = view.f;
  roundedRect(target, x, y, width, height, view.r || 0, view.rounded || ALL_CORNERS);
}

// "#RRGGBBAA" with its alpha multiplied by `factor`, as an rgba() colour.
export function withAlpha(hex, factor) {
  const red = parseInt(hex.slice(1, 3), 16);
  const green = parseInt(hex.slice(3, 5), 16);
  const blue = parseInt(hex.slice(5, 7), 16);
  const alpha = hex.length >= 9 ? parseInt(hex.slice(7, 9), 16) / 255 : 1;
  return `rgba(${red}, ${green}, ${blue}, ${alpha * factor})`;
}

// The border inside the view's shape.
export function drawBorder(target, view) {
  const [x, y, width, height] = view.f;
  const [borderWidth, color] = view.border;
  target.save();
  target.strokeStyle = color;
  target.lineWidth = borderWidth;
  roundedRect(target, x + borderWidth / 2, y + borderWidth / 2, width - borderWidth, height - borderWidth,
    Math.max(0, (view.r || 0) - borderWidth / 2), view.rounded || ALL_CORNERS);
  target.stroke();
  target.restore();
}

// Paths by their SVG path data, made once each.
const paths = new Map();

function pathFor(data) {
  let path = paths.get(data);
  if (!path) {
    if (paths.size > 500) paths.clear();
    path = new Path2D(data);
    paths.set(data, path);
  }
  return path;
}

// A view's vector path, in points from its frame's top left: filled, stroked, or both.
export function drawPath(target, view) {
  const { d, fill, stroke } = view.path;
  target.save();
  target.translate(view.f[0], view.f[1]);
  const path = pathFor(d);
  if (fill) {
    target.fillStyle = fill;
    target.fill(path);
  }
  if (stroke) {
    target.lineWidth = stroke[0];
    target.strokeStyle = stroke[1];
    target.stroke(path);
  }
  target.restore();
}
