// Browser-side plumbing shared by the pages: query flags, the status note, guarded
// storage, network reads with a timeout, and a canvas that stays sharp at any pixel ratio.
import { statusText } from '../lib/format.mjs';
import { parseRetryAfter, Poller } from '../lib/retry.mjs';

export function pageFlags(location = window.location) {
  const params = new URLSearchParams(location.search || '');
  const reduced = typeof matchMedia === 'function' && matchMedia('(prefers-reduced-motion: reduce)').matches;
  return { darkened: params.get('darkened') === '1', reducedMotion: reduced || params.get('motion') === '0', params };
}

// Storage may be missing, throw (file:// or privacy settings) or vanish after the run:
// every use is optional.
export const cache = {
  get(key) {
    try {
      const raw = window.localStorage && window.localStorage.getItem(key);
      return raw ? JSON.parse(raw) : null;
    } catch (e) { return null; }
  },
  set(key, value) {
    try { if (window.localStorage) window.localStorage.setItem(key, JSON.stringify(value)); } catch (e) { /* optional */ }
  },
};

// Returns { status, text, retryAfterMs }; a network failure is status 0, never a throw.
export async function fetchText(url, timeoutMs = 15e3) {
  const controller = typeof AbortController === 'function' ? new AbortController() : null;
  const timer = setTimeout(() => controller && controller.abort(), timeoutMs);
  try {
    const res = await fetch(url, { signal: controller ? controller.signal : undefined, cache: 'no-store', credentials: 'omit' });
    const text = await res.text();
    return { status: res.status, text, retryAfterMs: parseRetryAfter(res.headers.get('Retry-After')) };
  } catch (e) {
    return { status: 0, text: '', retryAfterMs: null };
  } finally {
    clearTimeout(timer);
  }
}

// A hidden page (the wallpaper hidden from its menu, a screen saver that stopped) asks
// no source for data: nobody would see it. `onHidden`/`onShown` pause and resume what
// else the page keeps running.
export function whileVisible({ onHidden, onShown }) {
  document.addEventListener('visibilitychange', () => (document.hidden ? onHidden() : onShown()));
  if (document.hidden) onHidden();
}

export function pollWhileVisible(poller) {
  whileVisible({ onHidden: () => poller.pause(), onShown: () => poller.resume() });
}

// The note that says where the data came from and how old it is. Only its text
// changes, twice a minute at most.
export function statusNote(element) {
  let state = { kind: 'sample', updatedAt: NaN, source: '' };
  const render = () => {
    const text = statusText({ ...state, now: Date.now(), online: navigator.onLine !== false });
    if (element.textContent !== text) element.textContent = text;
    element.hidden = text === '';
  };
  setInterval(render, 30e3);
  window.addEventListener('online', render);
  window.addEventListener('offline', render);
  return {
    set(kind, updatedAt, source = '') { state = { kind, updatedAt, source }; render(); },
    render,
  };
}

// A canvas backed at the device pixel ratio; onResize is called with CSS sizes after a
// real change only (coalesced), so a page redraws once per resize, not per event. The
// first measurement happens here and does not call onResize: the page draws itself.
export function sharpCanvas(canvas, onResize) {
  const ctx = canvas.getContext('2d');
  let size = { width: 0, height: 0, dpr: 1 };
  let pending = null;
  const measure = (initial) => {
    pending = null;
    const dpr = Math.min(3, window.devicePixelRatio || 1);
    const width = Math.max(1, Math.round(canvas.clientWidth || window.innerWidth));
    const height = Math.max(1, Math.round(canvas.clientHeight || window.innerHeight));
    if (width === size.width && height === size.height && dpr === size.dpr) return;
    size = { width, height, dpr };
    canvas.width = Math.round(width * dpr);
    canvas.height = Math.round(height * dpr);
    if (initial !== true) onResize(size);
  };
  window.addEventListener('resize', () => { if (pending === null) pending = setTimeout(measure, 120); });
  measure(true);
  return { ctx, get size() { return size; }, remeasure: measure };
}

// Canvas text does not make the engine fetch a web font, and text drawn before the
// page's faces are in is resolved, size by size, through the system's fallback fonts
// (the slowest part of a first paint of hundreds of labels) only to be drawn again a
// moment later. So the page's first paint waits for its faces, but never long: after
// `patienceMs` it draws with the fallback, and `again` draws once the faces come.
export function whenFontsReady(first, again = first, { faces = ['400 16px Inter', '600 16px Inter', '700 16px Inter'], patienceMs = 400 } = {}) {
  if (!document.fonts || typeof document.fonts.load !== 'function') { first(); return; }
  let drawn = false;
  const drawFirst = () => { if (!drawn) { drawn = true; first(); } };
  const timer = setTimeout(drawFirst, patienceMs);
  Promise.all(faces.map((f) => document.fonts.load(f))).then(
    () => { clearTimeout(timer); if (drawn) again(); else drawFirst(); },
    () => { clearTimeout(timer); drawFirst(); });
}

export const FONT = '"Inter", "Cantarell", "DejaVu Sans", system-ui, sans-serif';

// A canvas font in whole pixels. Every distinct size is a font the engine resolves and
// opens anew; sizes computed from a bubble's radius or a tile's area are all distinct,
// so a first paint of the heat map resolved a thousand fonts. Whole pixels let the
// engine's font cache answer, and nobody sees a fraction of a pixel in a label.
export function canvasFont(weight, sizePx) {
  return `${weight} ${Math.max(1, Math.floor(sizePx))}px ${FONT}`;
}

// A view drawn once per change of its data (the heat map, the stocks chart). It shows
// the data the site put into the page as soon as its fonts are in, then re-reads the
// site's data file every few minutes, and at once when the network comes back; it
// draws again only when the data changed. `current` is the data drawn now (null before
// the first), `show` keeps a new result and draws it.
export function followDataFile({ snapshot = { ok: false }, path, parse, note, current, show, draw }) {
  const present = (result) => { note.set(result.kind, result.updatedAt, result.source); show(result); };
  whenFontsReady(() => { if (snapshot.ok && !current()) present(snapshot); else draw(); }, () => draw());
  const refresh = async () => {
    const res = await fetchText(path);
    const parsed = parse(res.status, res.text);
    if (!parsed.ok) { note.render(); return { ok: false }; }
    const drawn = current();
    if (!drawn || parsed.updatedAt !== drawn.updatedAt) present(parsed);
    return { ok: true };
  };
  const poller = new Poller({ intervalMs: 5 * 60e3, minIntervalMs: 60e3, task: refresh });
  // Without a snapshot, the first data is asked for at once, seen or not (a screen
  // saver's page may start hidden), as a shipped snapshot would have drawn.
  if (!snapshot.ok && location.protocol !== 'file:') refresh().catch(() => note.render());
  if (location.protocol !== 'file:') poller.start(2000);
  pollWhileVisible(poller);
  window.addEventListener('online', () => poller.poke());
}
