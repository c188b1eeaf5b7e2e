// The panel's list of installed preference bundles: a button for each, by its
// entry's label, that opens its page in Settings (as `open settings NAME`).

import { send } from './connection.js';

let shown = '';

export function showBundles(bundles) {
  const text = JSON.stringify(bundles || []);
  if (text === shown) return;
  shown = text;
  const list = document.getElementById('bundles');
  list.replaceChildren();
  for (const bundle of bundles || []) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = bundle.label || bundle.name;
    button.dataset.bundle = bundle.name;
    button.title = (bundle.domains || []).join(', ');
    button.addEventListener('click', () => send({ type: 'open', url: `prefs:root=${bundle.name}` }));
    list.append(button);
  }
}
