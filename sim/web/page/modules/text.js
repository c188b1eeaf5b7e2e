// Labels: the lines the platform laid the text out in, centred vertically in the
// label's frame, each aligned and as tall as the tree says. The browser's font may
// be a little wider than the platform's measure: such a line is narrowed to the
// label's width, and the last line of a text the platform cut ("cut") ends in an
// ellipsis. The caret of the field being edited blinks after its label's text. A
// clock label shows the time of day by the browser's clock.

const FONT_FAMILY =
  '-apple-system, BlinkMacSystemFont, "SF Pro Text", "Helvetica Neue", Inter, "Segoe UI", Roboto, ' +
  '"Liberation Sans", Arial, sans-serif';

const fonts = new Map();
export function font(size, weight) {
  const key = size * 10000 + weight;
  let name = fonts.get(key);
  if (!name) {
    name = `${weight} ${size}px ${FONT_FAMILY}`;
    fonts.set(key, name);
  }
  return name;
}

// Text widths by font and text: the same labels are measured in every frame.
const widths = new Map();
function textWidth(target, fontName, text) {
  const key = `${fontName}\u0000${text}`;
  let width = widths.get(key);
  if (width === undefined) {
    if (widths.size > 20000) widths.clear();
    target.font = fontName;
    width = target.measureText(text).width;
    widths.set(key, width);
  }
  return width;
}

// The time of day in a clock's format: H (hours), HH (two digits), mm (minutes).
export function formatClock(format, date) {
  const hours = String(date.getHours());
  const minutes = String(date.getMinutes()).padStart(2, '0');
  return format.replace(/HH|H|mm/g, (token) => (token === 'HH' ? hours.padStart(2, '0') : token === 'H' ? hours : minutes));
}

// Each line as runs [text, size, weight, colour].
function lineRuns(text) {
  if (text.runs) return text.runs;
  const lines = text.clock ? [formatClock(text.clock, new Date())] : text.lines;
  return lines.map((line) => [[line, text.font[0], text.font[1], text.color]]);
}

// Whether a caret that blinks `blink` seconds on and off shows at `now` (ms).
export const caretShows = (blink, now) => Math.floor(now / (blink * 1000)) % 2 === 0;

function fitWithEllipsis(target, run, width) {
  const [content, size, weight] = run;
  const fontName = font(size, weight);
  const characters = Array.from(content);
  let low = 0;
  let high = characters.length;
  while (low < high) {
    const middle = Math.ceil((low + high) / 2);
    if (textWidth(target, fontName, characters.slice(0, middle).join('') + '…') <= width) low = middle;
    else high = middle - 1;
  }
  return characters.slice(0, low).join('').trimEnd() + '…';
}

// One line at `top`; where it ends (for the caret).
function drawLine(target, view, runs, top, lineHeight, cutHere) {
  const [x, , width] = view.f;
  const text = view.text;
  let contents = runs.map((run) => run[0]);
  let widthsOfRuns = runs.map(([content, size, weight]) => textWidth(target, font(size, weight), content));
  let natural = widthsOfRuns.reduce((sum, w) => sum + w, 0);
  // Only the last line holds the rest of a text cut at its line limit; earlier
  // lines the browser measures a little wider are narrowed, never cut.
  if (cutHere && natural > width && runs.length === 1) {
    contents = [fitWithEllipsis(target, runs[0], width)];
    widthsOfRuns = [textWidth(target, font(runs[0][1], runs[0][2]), contents[0])];
    natural = widthsOfRuns[0];
  }
  const squeeze = natural > width && width > 0 ? width / natural : 1;
  const lineWidth = natural * squeeze;
  let left = x;
  if (text.align === 'center') left = x + (width - lineWidth) / 2;
  else if (text.align === 'right') left = x + width - lineWidth;
  const middle = top + lineHeight / 2;
  runs.forEach(([, size, weight, color], runIndex) => {
    target.font = font(size, weight);
    target.fillStyle = color;
    const runWidth = widthsOfRuns[runIndex] * squeeze;
    if (squeeze < 1) target.fillText(contents[runIndex], left, middle, Math.max(runWidth, 0.1));
    else target.fillText(contents[runIndex], left, middle);
    left += runWidth;
  });
  return { x: left, y: middle, height: lineHeight };
}

function drawCaret(target, view, end, drawing) {
  const text = view.text;
  const style = text.caretStyle;
  if (!style || !caretShows(style.blink, drawing.now)) return;
  drawing.carets++;
  const [x, , width] = view.f;
  const left = text.caretAtStart ? x : Math.min(end.x, x + width);
  target.save();
  target.fillStyle = style.color;
  target.fillRect(left + style.inset, end.y - (end.height * style.height) / 2, style.width, end.height * style.height);
  target.restore();
}

export function drawText(target, view, drawing) {
  const [x, y, , height] = view.f;
  const text = view.text;
  const lines = lineRuns(text);
  const heights = text.heights;
  const total = heights.reduce((sum, h) => sum + h, 0);
  let top = y + (height - total) / 2;
  target.save();
  target.textBaseline = 'middle';
  let end = { x, y: y + height / 2, height: heights[0] || 0 };
  lines.forEach((runs, index) => {
    end = drawLine(target, view, runs, top, heights[index], text.cut && index === lines.length - 1);
    top += heights[index];
  });
  target.restore();
  if (text.caret) drawCaret(target, view, end, drawing);
}
