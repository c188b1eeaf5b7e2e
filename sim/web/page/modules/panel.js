// Beside the phone: the stored values of a domain (Kavro's, or any other that an
// installed bundle's rows name, by the Domain chooser), the device's event log (a
// click for each system sound), the appearance, the process in front, the device's
// clock and the frame rate, and the buttons that act on the device.

import { isConnected, send } from './connection.js';
import { playClick, prepareSoundSoon } from './sound.js';
import { stats } from './stats.js';

const KAVRO_DOMAIN = 'com.qelm.kavroprefs';
// The chosen domain is kept for the browser tab's session: across panel updates,
// reconnections and reloads of the page.
const CHOSEN_DOMAIN = 'kavroChosenDomain';

let shownPrefs = '';
let shownDomains = '';
let lastPanel = null;
let clock = null; // {t, at}: the device's clock at a moment of performance.now()

// Text that may break only between the parts of identifiers and paths (after a
// dot, a slash, a hyphen, an underscore or a comma) and at spaces, never inside a
// word.
function breakable(text) {
  const fragment = document.createDocumentFragment();
  for (const part of String(text).split(/(?<=[./_,-])/)) {
    if (fragment.childNodes.length) fragment.appendChild(document.createElement('wbr'));
    fragment.appendChild(document.createTextNode(part));
  }
  return fragment;
}

function describeValue(value) {
  if (Array.isArray(value)) {
    if (!value.length) return document.createTextNode('[ ]');
    const list = document.createElement('ol');
    list.className = 'list';
    list.start = 0;
    for (const item of value) {
      const entry = document.createElement('li');
      entry.appendChild(breakable(JSON.stringify(item)));
      list.appendChild(entry);
    }
    return list;
  }
  return breakable(JSON.stringify(value));
}

function chosenDomain() {
  try {
    return sessionStorage.getItem(CHOSEN_DOMAIN) || KAVRO_DOMAIN;
  } catch (error) {
    return KAVRO_DOMAIN; // storage refused (a sandboxed page): Kavro's
  }
}

function keepChosenDomain(domain) {
  try {
    sessionStorage.setItem(CHOSEN_DOMAIN, domain);
  } catch (error) {
    // Not kept beyond this page; the chooser still shows it.
  }
}

// Every domain the bundles name, each once: Kavro's first, then the rest sorted.
export function domainChoices(bundles) {
  const others = new Set();
  for (const bundle of bundles || []) for (const domain of bundle.domains || []) others.add(domain);
  others.delete(KAVRO_DOMAIN);
  return [KAVRO_DOMAIN, ...[...others].sort()];
}

// The chooser's options, made again only when the list changed; the choice falls
// back to Kavro's when its domain is no longer listed.
function showDomainChoices(bundles) {
  const chooser = document.getElementById('domain');
  const choices = domainChoices(bundles);
  const text = JSON.stringify(choices);
  const chosen = choices.includes(chosenDomain()) ? chosenDomain() : KAVRO_DOMAIN;
  if (text !== shownDomains) {
    shownDomains = text;
    chooser.replaceChildren(...choices.map((domain) => new Option(domain, domain)));
  }
  if (chooser.value !== chosen) chooser.value = chosen;
  return chosen;
}

function showValues(prefs) {
  const text = JSON.stringify(prefs);
  if (text === shownPrefs) return;
  shownPrefs = text;
  const list = document.getElementById('prefs');
  list.replaceChildren();
  const keys = Object.keys(prefs).sort();
  if (!keys.length) {
    const empty = document.createElement('div');
    empty.className = 'empty';
    empty.textContent = 'Nothing stored';
    list.appendChild(empty);
  }
  for (const key of keys) {
    const term = document.createElement('dt');
    term.appendChild(breakable(key));
    const value = document.createElement('dd');
    value.dataset.key = key;
    value.appendChild(describeValue(prefs[key]));
    list.append(term, value);
  }
}

// The chosen domain's values; whether its file exists is known for Kavro's only.
function showPrefs(message) {
  const domain = showDomainChoices(message.bundles);
  const kavro = domain === KAVRO_DOMAIN;
  const badge = document.getElementById('prefs-file');
  badge.hidden = !kavro;
  badge.textContent = message.prefsFile ? 'file present' : 'no file';
  badge.classList.toggle('present', Boolean(message.prefsFile));
  const domains = message.domains || {};
  showValues(kavro ? message.prefs : domains[domain] || {});
}

function showAppearance(appearance) {
  document.body.classList.toggle('dark', appearance === 'dark');
  document.getElementById('appearance-light').setAttribute('aria-checked', String(appearance !== 'dark'));
  document.getElementById('appearance-dark').setAttribute('aria-checked', String(appearance === 'dark'));
}

// The device's language in the chooser, added to it when the chooser lacks it (a
// script may set any language).
function showLanguage(language) {
  const chooser = document.getElementById('language');
  if (!language || chooser.value === language) return;
  if (![...chooser.options].some((option) => option.value === language)) chooser.add(new Option(language, language));
  chooser.value = language;
}

// The panel message: stored values, appearance, language, process in front, clock.
export function showPanel(message) {
  lastPanel = message;
  showPrefs(message);
  showAppearance(message.appearance);
  showLanguage(message.language);
  document.getElementById('front-process').textContent = message.process;
  clock = { t: message.t, at: performance.now() };
}

function eventDetail(event) {
  switch (event.event) {
    case 'sound': return `system sound ${event.id}`;
    case 'notify': return event.name;
    case 'relaunch': return `${event.reason}, options ${event.options}, then ${event.url}`;
    case 'present':
    case 'dismiss': return `${event.class} (${event.process})`;
    case 'reload': return `${event.bundle}: ${(event.files || []).join(', ')}`;
    case 'reloadFailed': return `${event.bundle}: ${event.file}${event.line ? ` line ${event.line}` : ''}: ${event.error}`;
    default: {
      const { t, event: kind, seq, ...rest } = event;
      return JSON.stringify(rest);
    }
  }
}

// Events at the top of the log (at most 300 kept); `fresh` ones click for sounds.
export function appendEvents(events, fresh) {
  const log = document.getElementById('log');
  for (const event of events) {
    const entry = document.createElement('li');
    entry.dataset.event = event.event;
    const time = document.createElement('span');
    time.className = 'time';
    time.textContent = `${event.t.toFixed(2)} s`;
    const kind = document.createElement('span');
    kind.className = `kind ${event.event}`;
    kind.textContent = event.event;
    kind.title = event.event;
    const detail = document.createElement('span');
    detail.className = 'detail';
    detail.appendChild(breakable(eventDetail(event)));
    entry.append(time, kind, detail);
    log.prepend(entry);
    if (fresh && event.event === 'sound') playClick();
  }
  while (log.children.length > 300) log.lastElementChild.remove();
}

export function clearLog() {
  document.getElementById('log').replaceChildren();
}

// The device's clock runs with real time: shown from the last value the server
// sent, moved on by the time since.
function showClock() {
  if (clock && isConnected()) {
    const t = clock.t + (performance.now() - clock.at) / 1000;
    document.getElementById('device-clock').textContent = `${t.toFixed(1)} s`;
  }
  document.getElementById('fps').textContent = String(stats.times.length);
}

function command(message) {
  send(message);
  prepareSoundSoon();
}

export function listenToPanel() {
  const click = (id, action) => document.getElementById(id).addEventListener('click', action);
  click('open-settings', () => command({ type: 'open', target: 'settings' }));
  click('open-springboard', () => command({ type: 'open', target: 'springboard' }));
  for (const appearance of ['light', 'dark']) {
    click(`appearance-${appearance}`, () => {
      showAppearance(appearance);
      command({ type: 'appearance', appearance });
    });
  }
  const chooser = document.getElementById('language');
  chooser.addEventListener('change', () => command({ type: 'language', language: chooser.value }));
  const domains = document.getElementById('domain');
  domains.addEventListener('change', () => {
    keepChosenDomain(domains.value);
    if (lastPanel) showPrefs(lastPanel);
  });
  click('clear-log', clearLog);
  setInterval(showClock, 250);
}
