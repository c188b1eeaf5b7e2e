// What the page needs to know of a frame besides drawing it, found in one walk over
// its tree when the frame is shown: every view that draws, in drawing order, with
// what shows of it (for the accessibility mirror), where a touch can reach it and
// whether a tap on it acts (for the cursor, by the platform's hit testing), whether
// it lies in a group composited offscreen, and the frame's caret, edited field and
// last material. Hovering, the mirror and the drawing read it instead of walking
// the tree again.

// [x, y, width, height] where two rectangles overlap, or null.
export function intersect(a, b) {
  const x = Math.max(a[0], b[0]);
  const y = Math.max(a[1], b[1]);
  const right = Math.min(a[0] + a[2], b[0] + b[2]);
  const bottom = Math.min(a[1] + a[3], b[1] + b[3]);
  return right > x && bottom > y ? [x, y, right - x, bottom - y] : null;
}

const EVERYWHERE = [-1e9, -1e9, 2e9, 2e9]; // the plane around the window

// An entry for each view: {view, parent (entry), shown (what shows of it inside the
// clipping views around it, or null), clip (what its subviews may show in), reach
// (where a touch reaches it: inside it and every view around it, or null for a view
// hit testing passes by), taps (a tap on it or a view around it acts), grouped (a
// view around it is composited offscreen)}.
function place(view, parent) {
  const clipAround = parent ? parent.clip : view.f;
  const shown = clipAround ? intersect(view.f, clipAround) : null;
  const reachAround = parent ? parent.reach : EVERYWHERE;
  return {
    view,
    parent,
    shown,
    clip: shown && view.clip ? shown : shown && clipAround,
    reach: reachAround && !view.pass ? intersect(view.f, reachAround) : null,
    taps: Boolean(view.tap) || (parent !== null && parent.taps),
    grouped: parent !== null && (parent.grouped || (parent.view.a !== undefined && parent.view.kids.length > 0)),
  };
}

function noteFacts(scene, entry) {
  const { view } = entry;
  if (view.text && view.text.caret) scene.caret = view.text.caretStyle;
  if ((view.search && view.search.editing) || (view.edit && view.edit.editing)) scene.editing = true;
  if (view.material) {
    if (!entry.grouped) scene.lastMaterial = { entry, index: scene.materials };
    scene.materials++;
  }
}

// The last material drawn straight onto the screen (no view around it composited
// offscreen): its view, its index among the frame's materials and the views on the
// way to it.
function finishLastMaterial(scene) {
  if (!scene.lastMaterial) return;
  const chain = new Set();
  for (let entry = scene.lastMaterial.entry; entry; entry = entry.parent) chain.add(entry.view);
  scene.lastMaterial = { view: scene.lastMaterial.entry.view, index: scene.lastMaterial.index, chain };
}

// The scene of a tree (its root the window, which is the screen). Hidden views and
// views that show nothing are left out with their subviews.
export function sceneOf(root) {
  const scene = { views: [], caret: null, editing: false, materials: 0, lastMaterial: null };
  const visit = (view, parent) => {
    if (view.hidden || view.a === 0) return;
    const entry = place(view, parent);
    scene.views.push(entry);
    noteFacts(scene, entry);
    for (const kid of view.kids || []) visit(kid, entry);
  };
  if (root) visit(root, null);
  finishLastMaterial(scene);
  return scene;
}

// The view a touch at (x, y) goes to, as the platform's hit testing finds it: the
// front-most view holding the point whose every enclosing view holds it too, or
// null. The last such view in drawing order is that one.
export function hitAt(scene, x, y) {
  for (let i = scene.views.length - 1; i >= 0; i--) {
    const reach = scene.views[i].reach;
    if (reach && x >= reach[0] && y >= reach[1] && x < reach[0] + reach[2] && y < reach[1] + reach[3]) {
      return scene.views[i];
    }
  }
  return null;
}
