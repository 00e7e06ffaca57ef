// Crypto bubbles: the top coins as bubbles sized by their move over the period.
import { formatPercent } from '../lib/format.mjs';
import { marketsUrl, parseMarkets, readSnapshot, PERIODS } from '../lib/coingecko.mjs';
import { tickersUrl, parseTickers } from '../lib/coinpaprika.mjs';
import { bubbleRadii, placeBodies, step, resolveOverlaps, settle } from '../lib/bubbles.mjs';
import { Poller } from '../lib/retry.mjs';
import { SourceChain } from '../lib/source-chain.mjs';
import { latestKnown } from '../lib/latest.mjs';
import { theme, changeColor, rgb } from '../lib/palette.mjs';
import { pageFlags, cache, fetchText, statusNote, sharpCanvas, whenFontsReady, canvasFont, pollWhileVisible } from './common.mjs';

const CACHE_KEY = 'tavelo.coins.v1';
const FRAME_MS = 1000 / 30;      // motion is slow: 30 fps is plenty and halves the cost
const GROW_MS = 1400;            // bubbles grow into their new sizes over this time
const MAX_ANIMATION_MS = 12e3;   // after this the layout is finished off in one go

const flags = pageFlags();
const colors = theme(flags.darkened);
const period = PERIODS.includes(flags.params.get('period')) ? flags.params.get('period') : '24h';
document.documentElement.classList.toggle('darkened', flags.darkened);
document.getElementById('period').textContent = period === '24h' ? '24 h' : period === '1h' ? '1 h' : '7 d';

const note = statusNote(document.getElementById('status'));
const canvas = document.getElementById('stage');
let coins = [];
let bodies = [];
let sprites = new Map();
let animation = null;  // { start, from: Map(id -> r) } while moving, null when at rest
let avoid = null;  // the caption's corner, which bubbles keep clear of

const surface = sharpCanvas(canvas, () => layout(true));
const ctx = surface.ctx;

function bubbleStyle(change) {
  const c = changeColor(change, flags.darkened, 8);
  return { c, fillIn: rgb(c, flags.darkened ? 0.10 : 0.14), fillOut: rgb(c, flags.darkened ? 0.42 : 0.62),
    rim: rgb(c, flags.darkened ? 0.70 : 0.95) };
}

// One bubble, centred on (cx, cy) with radius r, in context g.
function paintBubble(g, body, cx, cy, r) {
  const style = bubbleStyle(body.change);
  const grad = g.createRadialGradient(cx - r * 0.25, cy - r * 0.3, r * 0.1, cx, cy, r);
  grad.addColorStop(0, style.fillIn);
  grad.addColorStop(0.72, rgb(style.c, flags.darkened ? 0.16 : 0.24));
  grad.addColorStop(1, style.fillOut);
  g.beginPath(); g.arc(cx, cy, r - 0.5, 0, Math.PI * 2);
  g.fillStyle = grad; g.fill();
  g.lineWidth = Math.max(1, r * 0.035);
  g.strokeStyle = style.rim; g.stroke();

  if (r >= 11) {
    g.textAlign = 'center'; g.textBaseline = 'middle';
    g.fillStyle = rgb(colors.text);
    const showPct = r >= 22;
    let symSize = Math.max(8, r * (showPct ? 0.40 : 0.52));
    g.font = canvasFont(700, symSize);
    const width = g.measureText(body.symbol).width;
    if (width > r * 1.55) { symSize *= (r * 1.55) / width; g.font = canvasFont(700, symSize); }
    g.fillText(body.symbol, cx, showPct ? cy - r * 0.14 : cy);
    if (showPct) {
      g.font = canvasFont(500, Math.max(7, r * 0.24));
      g.fillStyle = rgb(colors.text, 0.82);
      g.fillText(formatPercent(body.change), cx, cy + r * 0.30);
    }
  }
}

// While bubbles move, each is painted once into its own small canvas and a frame only
// blits them.
function sprite(body) {
  const { dpr } = surface.size;
  const key = `${body.id}|${body.targetR.toFixed(1)}|${body.change}|${dpr}`;
  const hit = sprites.get(body.id);
  if (hit && hit.key === key) return hit;
  const r = body.targetR;
  const size = Math.ceil((2 * r + 4) * dpr);
  const el = document.createElement('canvas');
  el.width = size; el.height = size;
  const g = el.getContext('2d');
  g.scale(dpr, dpr);
  paintBubble(g, body, r + 2, r + 2, r);
  const entry = { key, el, r };
  sprites.set(body.id, entry);
  return entry;
}

// At rest the picture is painted straight onto the stage, once, and the sprites are let
// go: kept, they would hold some 6 MiB all day for a picture that no longer changes.
function draw() {
  const { dpr } = surface.size;
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.clearRect(0, 0, canvas.width, canvas.height);
  ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  const moving = animation !== null;
  for (const b of bodies) {
    if (b.r < 0.5) continue;
    if (!moving) { paintBubble(ctx, b, b.x, b.y, b.r); continue; }
    const s = sprite(b);
    const scale = b.r / s.r;
    const half = (s.r + 2) * scale;
    ctx.drawImage(s.el, b.x - half, b.y - half, half * 2, half * 2);
  }
  if (!moving) sprites.clear();
  canvas.dataset.drawnAt = String(Date.now());
  canvas.dataset.bubbles = String(bodies.length);
}

// Sizes the bubbles for the current data and screen, then either animates them into
// place or, with reduced motion, settles them at once and draws a single frame.
// The corner the source caption covers, kept free of bubbles.
function captionArea() {
  const box = document.querySelector('.caption')?.getBoundingClientRect();
  if (!box || !(box.width > 0)) return null;
  const margin = 4;
  return { x: box.left - margin, y: box.top - margin, w: box.width + 2 * margin, h: box.height + 2 * margin };
}

function layout(resized) {
  const { width, height } = surface.size;
  avoid = captionArea();
  const visible = coins.filter((c) => Number.isFinite(c.change[period]));
  const radii = bubbleRadii(visible.map((c) => c.change[period]), width, height);
  const previous = new Map(bodies.map((b) => [b.id, b]));
  if (resized && previous.size && layout.lastSize) {
    const sx = width / layout.lastSize.width;
    const sy = height / layout.lastSize.height;
    for (const b of previous.values()) { b.x *= sx; b.y *= sy; }
  }
  layout.lastSize = { width, height };
  const items = visible.map((c, i) => ({ id: c.id, r: radii[i] }));
  bodies = placeBodies(items, width, height, { seed: 7, previous });
  const from = new Map();
  bodies.forEach((b, i) => {
    const c = visible[i];
    Object.assign(b, { symbol: c.symbol, change: c.change[period], targetR: radii[i] });
    const old = previous.get(b.id);
    from.set(b.id, flags.reducedMotion || resized ? b.targetR : old ? old.r : 0);
  });
  // The first picture is the finished layout of the data at hand, drawn at once (settling
  // takes a few milliseconds); only later changes of the data are animated.
  if (flags.reducedMotion || previous.size === 0) {
    for (const b of bodies) b.r = b.targetR;
    settle(bodies, width, height, { avoid });
    animation = null;
    draw();
    canvas.dataset.settled = '1';
    return;
  }
  for (const b of bodies) b.r = from.get(b.id);
  const wasIdle = animation === null;
  animation = { start: performance.now(), from, calm: 0 };
  if (wasIdle) schedule();
}

function schedule() {
  setTimeout(() => requestAnimationFrame(frame), FRAME_MS);
}

function frame(now) {
  if (!animation) return;
  const { width, height } = surface.size;
  const t = Math.min(1, (now - animation.start) / GROW_MS);
  const ease = 1 - Math.pow(1 - t, 3);
  for (const b of bodies) b.r = animation.from.get(b.id) + (b.targetR - animation.from.get(b.id)) * ease;
  const moved = Math.max(step(bodies, width, height, { avoid }), step(bodies, width, height, { avoid }));
  animation.calm = t >= 1 && moved < 0.04 ? animation.calm + 1 : 0;
  const done = animation.calm >= 8 || now - animation.start > MAX_ANIMATION_MS;
  if (done) {
    for (const b of bodies) b.r = b.targetR;
    resolveOverlaps(bodies, width, height, { avoid });
    animation = null;
  }
  draw();
  if (!done) schedule();
  else canvas.dataset.settled = '1';
}

function show(list, kind, updatedAt, source) {
  coins = list;
  note.set(kind, updatedAt, source);
  sprites = new Map([...sprites].filter(([id]) => list.some((c) => c.id === id)));
  canvas.dataset.settled = '0';
  layout(false);
}

// Start from the newest data at hand: the last live answer kept in storage if there is
// one, else the snapshot shipped with the page. Either way the page draws at once.
const shipped = readSnapshot(window.TAVELO_COIN_SNAPSHOT);
const cached = readSnapshot(cache.get(CACHE_KEY));
const start = latestKnown(shipped, cached);
whenFontsReady(
  () => { if (start && coins.length === 0) show(start.coins, start.kind, start.updatedAt, start.source); },
  () => { sprites.clear(); if (!animation) draw(); });

// The top coins: CoinGecko, then CoinPaprika, each passed over while it refuses.
const COIN_SOURCES = {
  coingecko: { url: () => marketsUrl(100), parse: parseMarkets },
  coinpaprika: { url: tickersUrl, parse: parseTickers },
};
const chain = new SourceChain(Object.keys(COIN_SOURCES), { firstPauseMs: 120e3 });

const poller = new Poller({
  intervalMs: 3 * 60e3,
  minIntervalMs: 60e3,   // CoinGecko's public API allows a handful of calls a minute
  baseBackoffMs: 30e3,
  task: async () => {
    for (const name of chain.usable()) {
      const res = await fetchText(COIN_SOURCES[name].url());
      const parsed = COIN_SOURCES[name].parse(res.status, res.text);
      if (!parsed.ok) {
        // CoinGecko's rate limit often comes without a Retry-After; two minutes is its window.
        // No answer at all (offline) is no refusal: the source is asked again soon.
        if (res.status !== 0) chain.refused(name, res.retryAfterMs ?? (parsed.error === 'rate-limited' ? 120e3 : null));
        continue;
      }
      chain.answered(name);
      const now = Date.now();
      cache.set(CACHE_KEY, { source: name, updatedAt: new Date(now).toISOString(), coins: parsed.coins });
      show(parsed.coins, 'live', now, name);
      return { ok: true };
    }
    note.render();
    return { ok: false, retryAfterMs: Math.max(0, chain.nextUsableAt() - Date.now()) };
  },
});
poller.start(1500);
pollWhileVisible(poller);
window.addEventListener('online', () => poller.poke());
