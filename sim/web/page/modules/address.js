// The page's address as a link into the phone: `/?open=prefs:root=NAME` opens a
// bundle's page, `&appearance=dark` and `&language=de` set the device's appearance
// and language, once, when the page first connects; and the panel shows the address
// of what is on the screen now, to copy.

import { send } from './connection.js';

const LANGUAGE = /^[A-Za-z0-9_-]{1,35}$/;
let opened = false;

// The inputs the address asks for, sent the first time the server greets the page
// (not again when it reconnects, which would undo what a person did since).
export function openFromAddress() {
  if (opened) return;
  opened = true;
  const parameters = new URLSearchParams(window.location.search);
  const appearance = parameters.get('appearance');
  if (appearance === 'light' || appearance === 'dark') send({ type: 'appearance', appearance });
  const language = parameters.get('language');
  if (language && LANGUAGE.test(language)) send({ type: 'language', language });
  const url = parameters.get('open');
  if (url) send({ type: 'open', url });
}

// The link that shows the screen as it is: the page in front, the appearance and
// the language.
export function linkTo({ address, appearance, language }) {
  const parameters = new URLSearchParams();
  if (address) parameters.set('open', address);
  if (appearance) parameters.set('appearance', appearance);
  if (language) parameters.set('language', language);
  return `${window.location.origin}/?${parameters.toString()}`;
}

export function showAddress(message) {
  const field = document.getElementById('address');
  const link = linkTo(message);
  if (field.value !== link) field.value = link;
}

export function listenToAddress() {
  const field = document.getElementById('address');
  document.getElementById('copy-address').addEventListener('click', () => {
    field.select();
    if (navigator.clipboard) navigator.clipboard.writeText(field.value).catch(() => {});
  });
}
