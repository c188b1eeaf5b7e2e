// The accessibility mirror: an element for each accessibility element of the
// screen (and for the tables, alerts and sheets that group them), with the role,
// name and state the platform gives it, placed where its view shows. What lies
// behind a presented alert or sheet is left out, as the platform's modal views hide
// it. Each frame changes only what changed; the focused element never moves.
// Activating an element (a click from a screen reader, Enter or Space) taps the
// centre of what shows of its view.

import { isConnected, send } from './connection.js';
import { prepareSoundSoon } from './sound.js';
import { stats } from './stats.js';

const mirrorRoot = document.getElementById('mirror');
const mirrored = new Map(); // id → {element, content, role, spoken, place, size, rect}

const ARIA_ROLES = {
  button: 'button',
  switch: 'switch',
  searchbox: 'searchbox',
  slider: 'slider',
  radiogroup: 'radiogroup',
  textbox: 'textbox',
  link: 'link',
  heading: 'heading',
  img: 'img',
  row: 'row',
  table: 'table',
  alertdialog: 'alertdialog',
  dialog: 'dialog',
  text: null, // plain text, read as it is
};
const ACTIVATABLE = new Set(['button', 'switch', 'searchbox', 'textbox', 'link', 'row']);
const isModal = (role) => role === 'alertdialog' || role === 'dialog';

// The mirrored nodes of a scene in drawing order: {id, ax, rect (what shows of the
// view), parent (the node it lies in)}; from the last modal alert or sheet on, when
// there is one.
function mirrorNodes(scene) {
  const nodes = [];
  const nodeOf = new Map(); // scene entry → its node, or the node it lies in
  let modal = -1;
  for (const entry of scene.views) {
    const around = entry.parent ? nodeOf.get(entry.parent) || null : null;
    if (!entry.shown) continue; // clipped away, with its subviews
    let node = around;
    if (entry.view.ax) {
      node = { id: entry.view.ax.id, ax: entry.view.ax, rect: entry.shown, parent: around };
      if (isModal(entry.view.ax.role)) modal = nodes.length;
      nodes.push(node);
    }
    nodeOf.set(entry, node);
  }
  if (modal < 0) return nodes;
  const kept = nodes.slice(modal);
  const keptIds = new Set(kept.map((node) => node.id));
  for (const node of kept) if (node.parent && !keptIds.has(node.parent.id)) node.parent = null;
  return kept;
}

function setAttribute(element, name, value) {
  if (value === null || value === undefined) {
    if (element.hasAttribute(name)) element.removeAttribute(name);
  } else if (element.getAttribute(name) !== value) {
    element.setAttribute(name, value);
  }
}

// What went from the screen goes first, so that what stays need not move.
function removeGone(nodes) {
  const seen = new Set(nodes.map((node) => node.id));
  for (const [id, entry] of mirrored) {
    if (!seen.has(id)) {
      entry.element.remove();
      mirrored.delete(id);
    }
  }
}

// The element of a node, made anew when the view is new or its role changed.
function elementFor(node) {
  const { ax } = node;
  let entry = mirrored.get(node.id);
  if (entry && entry.role === ax.role) return entry;
  if (entry) entry.element.remove();
  const element = document.createElement('div');
  element.dataset.id = String(node.id);
  if (ACTIVATABLE.has(ax.role)) element.tabIndex = -1;
  entry = { element, content: element, role: ax.role };
  const role = ARIA_ROLES[ax.role];
  if (role) element.setAttribute('role', role);
  if (ax.role === 'heading') element.setAttribute('aria-level', '2');
  if (ax.role === 'row') {
    // A row's parts (a switch) live in its one cell.
    entry.content = document.createElement('div');
    entry.content.setAttribute('role', 'cell');
    element.appendChild(entry.content);
  }
  mirrored.set(node.id, entry);
  return entry;
}

// Its name and state.
function describe(entry, ax) {
  const { element } = entry;
  const label = ax.label || '';
  const spoken = ax.role === 'text' || ax.role === 'heading' ? label : ax.role === 'searchbox' || ax.role === 'textbox' ? ax.value || '' : '';
  if (entry.spoken !== spoken) {
    if (entry.content === element) element.textContent = spoken;
    entry.spoken = spoken;
  }
  const named = ax.role !== 'text' && ax.role !== 'heading';
  setAttribute(element, 'aria-label', named && label ? label : null);
  setAttribute(element, 'aria-checked', ax.role === 'switch' ? String(Boolean(ax.checked)) : null);
  setAttribute(element, 'aria-selected', ax.role === 'row' ? String(Boolean(ax.selected)) : null);
  setAttribute(element, 'aria-disabled', ax.disabled ? 'true' : null);
  // A slider's value as the platform reads it ("40%"); a segmented control's, the
  // selected segment's title.
  setAttribute(element, 'aria-valuetext', ax.role === 'slider' && ax.value ? ax.value : null);
  // The same value as a number, on the platform's scale of 0 to 100 per cent.
  const percent = ax.role === 'slider' ? Number.parseFloat(ax.value) : Number.NaN;
  setAttribute(element, 'aria-valuenow', Number.isFinite(percent) ? String(percent) : null);
  setAttribute(element, 'aria-valuemin', Number.isFinite(percent) ? '0' : null);
  setAttribute(element, 'aria-valuemax', Number.isFinite(percent) ? '100' : null);
  const described = ax.role === 'alertdialog' || ax.role === 'radiogroup';
  setAttribute(element, 'aria-description', described && ax.value ? ax.value : null);
  setAttribute(element, 'aria-modal', isModal(ax.role) ? 'true' : null);
}

// Where it is, within the element it lies in: moved by a transform, which needs no
// layout (rows move in every frame of a scroll).
function place(entry, node) {
  const { element } = entry;
  const { rect } = node;
  const origin = node.parent ? node.parent.rect : [0, 0];
  const transform = `translate(${rect[0] - origin[0]}px, ${rect[1] - origin[1]}px)`;
  if (entry.place !== transform) {
    element.style.transform = transform;
    entry.place = transform;
  }
  const size = `${rect[2]},${rect[3]}`;
  if (entry.size !== size) {
    element.style.width = `${rect[2]}px`;
    element.style.height = `${rect[3]}px`;
    entry.size = size;
  }
  entry.rect = rect;
}

// Puts `element` into `parent` just before `next`. An element that holds the focus
// stays where it is (moving it would lose the focus): what lies between goes after it.
function placeElement(parent, element, next) {
  if (element.parentNode === parent && element.contains(document.activeElement)) {
    let after = element;
    while (next && next !== element) {
      const moving = next;
      next = next.nextSibling;
      parent.insertBefore(moving, after.nextSibling);
      after = moving;
    }
    return;
  }
  parent.insertBefore(element, next);
}

// In drawing order under its parent; `lastChild` is what each parent got last.
function order(entry, node, lastChild) {
  const { element } = entry;
  const parentElement = node.parent ? mirrored.get(node.parent.id).content : mirrorRoot;
  const previous = lastChild.get(parentElement) || null;
  const expectedNext = previous ? previous.nextSibling : parentElement.firstChild;
  if (element.parentNode !== parentElement || element !== expectedNext) placeElement(parentElement, element, expectedNext);
  lastChild.set(parentElement, element);
}

export function updateMirror(scene) {
  if (!scene) return;
  const nodes = mirrorNodes(scene);
  removeGone(nodes);
  const lastChild = new Map(); // parent element → the child placed last
  for (const node of nodes) {
    const entry = elementFor(node);
    describe(entry, node.ax);
    place(entry, node);
    order(entry, node, lastChild);
  }
}

// Activating a mirrored element taps the centre of what shows of its view.
export function activate(element) {
  const entry = mirrored.get(Number(element.dataset.id));
  if (!entry || !entry.rect || !isConnected()) return;
  const [x, y, width, height] = entry.rect;
  const point = { x: Math.round((x + width / 2) * 100) / 100, y: Math.round((y + height / 2) * 100) / 100 };
  send({ type: 'touch', phase: 'down', ...point });
  send({ type: 'touch', phase: 'up', ...point });
  stats.activations = (stats.activations || 0) + 1;
  prepareSoundSoon();
}

mirrorRoot.addEventListener('click', (event) => {
  const element = event.target instanceof Element && event.target.closest('[data-id]');
  if (element && ACTIVATABLE.has(mirrored.get(Number(element.dataset.id))?.role)) activate(element);
});
