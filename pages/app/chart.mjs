// Crypto chart: BTC/USDT candlesticks. History over REST first, then live klines over a
// websocket. Two layers: the candles and axes, redrawn when the data changes (at most
// every couple of seconds), and the last-price marker.
import { formatPrice, formatPercent } from '../lib/format.mjs';
import { BINANCE_REST_HOST, klinesUrl, klineStreamUrl, parseKlines, parseKlineMessage, mergeCandle, readCandleSnapshot } from '../lib/binance.mjs';
import { niceTicks, timeTicks, formatTimeTick, linear } from '../lib/scale.mjs';
import { krakenOhlcUrl, parseKrakenOhlc } from '../lib/kraken.mjs';
import { Poller, backoffDelay } from '../lib/retry.mjs';
import { SourceChain } from '../lib/source-chain.mjs';
import { theme, rgb } from '../lib/palette.mjs';
import { latestKnown, KEEP_EVERY_MS } from '../lib/latest.mjs';
import { pageFlags, cache, fetchText, statusNote, sharpCanvas, whenFontsReady, canvasFont, whileVisible } from './common.mjs';

const SYMBOL = 'BTCUSDT';
const INTERVAL = '15m';
const INTERVAL_MS = 15 * 60e3;
const MAX_CANDLES = 160;
const CACHE_KEY = 'tavelo.btc.v1';

const flags = pageFlags();
const colors = theme(flags.darkened);
document.documentElement.classList.toggle('darkened', flags.darkened);
const redrawEveryMs = flags.darkened || flags.reducedMotion ? 5e3 : 2e3;

const note = statusNote(document.getElementById('status'));
const priceEl = document.getElementById('price');
const changeEl = document.getElementById('change');
const canvas = document.getElementById('stage');
let candles = [];
let lastDraw = 0;
let drawTimer = null;

const surface = sharpCanvas(canvas, () => draw());
const ctx = surface.ctx;

function requestDraw() {
  const wait = Math.max(0, lastDraw + redrawEveryMs - Date.now());
  if (drawTimer === null) drawTimer = setTimeout(() => { drawTimer = null; draw(); }, wait);
}

function draw() {
  lastDraw = Date.now();
  const { width, height, dpr } = surface.size;
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.clearRect(0, 0, canvas.width, canvas.height);
  ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  if (candles.length < 2) return;

  const small = width < 700;
  const fontSize = small ? 10 : Math.round(Math.min(15, Math.max(11, width / 150)));
  const pad = { left: small ? 12 : Math.round(width * 0.035), right: small ? 58 : Math.round(fontSize * 7.5),
    top: small ? 78 : Math.round(height * 0.2), bottom: small ? 26 : Math.round(fontSize * 3.6) };
  // The time axis sits above the source caption in the corner, never under it.
  const caption = document.querySelector('.caption');
  if (caption) {
    const captionTop = caption.getBoundingClientRect().top;
    if (captionTop > 0) pad.bottom = Math.max(pad.bottom, Math.round(height - captionTop + fontSize * 1.8));
  }
  const plot = { x: pad.left, y: pad.top, w: width - pad.left - pad.right, h: height - pad.top - pad.bottom };
  if (plot.w < 40 || plot.h < 40) return;

  const visibleCount = Math.max(20, Math.min(candles.length, Math.floor(plot.w / (small ? 5 : 9))));
  const shown = candles.slice(-visibleCount);
  let lo = Infinity; let hi = -Infinity;
  for (const c of shown) { lo = Math.min(lo, c.l); hi = Math.max(hi, c.h); }
  const margin = (hi - lo) * 0.08 || hi * 0.01;
  lo -= margin; hi += margin;
  const y = linear(lo, hi, plot.y + plot.h, plot.y);
  const slot = plot.w / visibleCount;
  const x = (i) => plot.x + slot * (i + 0.5);

  ctx.font = canvasFont(400, fontSize);
  ctx.lineWidth = 1;
  // Price grid and axis labels on the right.
  ctx.textAlign = 'left'; ctx.textBaseline = 'middle';
  for (const v of niceTicks(lo, hi, small ? 4 : 6)) {
    const yy = Math.round(y(v)) + 0.5;
    ctx.strokeStyle = rgb(colors.grid);
    ctx.beginPath(); ctx.moveTo(plot.x, yy); ctx.lineTo(plot.x + plot.w, yy); ctx.stroke();
    ctx.fillStyle = rgb(colors.muted);
    ctx.fillText(formatPrice(v).replace(/\.00$/, ''), plot.x + plot.w + 10, yy);
  }
  // Time axis below.
  const { ticks, stepMs } = timeTicks(shown[0].t, shown[shown.length - 1].t, small ? 3 : 7);
  ctx.textAlign = 'center'; ctx.textBaseline = 'top';
  for (const t of ticks) {
    const i = (t - shown[0].t) / INTERVAL_MS;
    const xx = Math.round(x(i)) + 0.5;
    ctx.strokeStyle = rgb(colors.grid);
    ctx.beginPath(); ctx.moveTo(xx, plot.y); ctx.lineTo(xx, plot.y + plot.h); ctx.stroke();
    ctx.fillStyle = rgb(colors.muted);
    ctx.fillText(formatTimeTick(t, stepMs), xx, plot.y + plot.h + fontSize * 0.8);
  }
  // Candles: wicks, then bodies, batched per colour.
  const bodyW = Math.max(1, Math.min(14, slot * 0.64));
  for (const up of [true, false]) {
    const col = up ? colors.up : colors.down;
    ctx.strokeStyle = rgb(col, flags.darkened ? 0.8 : 1);
    ctx.fillStyle = rgb(col, flags.darkened ? 0.8 : 1);
    ctx.beginPath();
    shown.forEach((c, i) => {
      if ((c.c >= c.o) !== up) return;
      const xx = Math.round(x(i)) + 0.5;
      ctx.moveTo(xx, y(c.h)); ctx.lineTo(xx, y(c.l));
    });
    ctx.stroke();
    shown.forEach((c, i) => {
      if ((c.c >= c.o) !== up) return;
      const top = y(Math.max(c.o, c.c));
      const h = Math.max(1, y(Math.min(c.o, c.c)) - top);
      ctx.fillRect(Math.round(x(i) - bodyW / 2), top, Math.round(bodyW), h);
    });
  }
  // Last price: dashed line and a tag on the axis.
  const last = shown[shown.length - 1];
  const ly = Math.round(y(last.c)) + 0.5;
  const tagCol = last.c >= last.o ? colors.up : colors.down;
  ctx.setLineDash([4, 4]);
  ctx.strokeStyle = rgb(tagCol, 0.7);
  ctx.beginPath(); ctx.moveTo(plot.x, ly); ctx.lineTo(plot.x + plot.w, ly); ctx.stroke();
  ctx.setLineDash([]);
  const label = formatPrice(last.c);
  ctx.font = canvasFont(600, fontSize);
  const tw = ctx.measureText(label).width + 12;
  ctx.fillStyle = rgb(tagCol, flags.darkened ? 0.85 : 1);
  ctx.fillRect(plot.x + plot.w + 4, ly - fontSize * 0.85, tw, fontSize * 1.7);
  ctx.fillStyle = flags.darkened ? rgb(colors.text) : 'rgb(255,255,255)';
  if (flags.darkened) ctx.fillStyle = rgb([235, 238, 242]);
  ctx.textAlign = 'left'; ctx.textBaseline = 'middle';
  ctx.fillText(label, plot.x + plot.w + 10, ly + 0.5);

  priceEl.textContent = formatPrice(last.c);
  const change = ((last.c - shown[0].o) / shown[0].o) * 100;
  const changeText = formatPercent(change);
  changeEl.textContent = `${changeText} · ${Math.round((shown.length * INTERVAL_MS) / 3600e3)} h`;
  // A change that rounds to zero is shown neither as a gain nor as a loss.
  changeEl.className = changeText.startsWith('+') ? 'up' : change < 0 && !changeText.startsWith('0') ? 'down' : '';
  canvas.dataset.drawnAt = String(lastDraw);
  canvas.dataset.candles = String(shown.length);
}

let source = 'binance';

function setCandles(next, kind, updatedAt) {
  candles = next.slice(-MAX_CANDLES);
  note.set(kind, updatedAt, source);
  requestDraw();
}

// The last live candles are kept, so the next start draws them rather than an older
// snapshot.
let keptAt = 0;
function keep() {
  const now = Date.now();
  if (now - keptAt < KEEP_EVERY_MS) return;
  keptAt = now;
  cache.set(CACHE_KEY, { source, updatedAt: new Date(now).toISOString(), candles });
}

// The newest data at hand first, so the chart is there before any network answer.
const start = latestKnown(readCandleSnapshot(window.TAVELO_BTC_SNAPSHOT), readCandleSnapshot(cache.get(CACHE_KEY)));
if (start) {
  candles = start.candles.slice(-MAX_CANDLES);
  note.set(start.kind, start.updatedAt, start.source);
}
whenFontsReady(() => draw());

let socket = null;
let socketFailures = 0;
let socketTimer = null;

function openSocket() {
  if (socket || document.hidden || typeof WebSocket !== 'function') return;
  socketTimer = null;
  let ws;
  // Alternate between the stream's two ports: some networks let only 443 through.
  try { ws = new WebSocket(klineStreamUrl(SYMBOL, INTERVAL, socketFailures)); } catch (e) { return scheduleSocket(); }
  socket = ws;
  ws.onmessage = (event) => {
    const update = parseKlineMessage(typeof event.data === 'string' ? event.data : '');
    if (!update) return;
    socketFailures = 0;
    candles = mergeCandle(candles, update.candle, MAX_CANDLES);
    note.set('live', Date.now(), 'binance');
    keep();
    requestDraw();
  };
  ws.onclose = () => { socket = null; scheduleSocket(); };
  ws.onerror = () => {};
}

function cancelSocketRetry() {
  clearTimeout(socketTimer);
  socketTimer = null;
}

function scheduleSocket() {
  if (socketTimer !== null || document.hidden) return;
  socketTimer = setTimeout(openSocket, backoffDelay(socketFailures++, { baseMs: 5e3, maxMs: 5 * 60e3 }));
}

// The candle sources, in order: Binance's market-data host, its main API host, then
// Kraken, which serves where Binance answers 451. Only Binance has the live stream; on
// Kraken the history is asked for every minute instead.
const HISTORY_SOURCES = {
  'binance-data': { name: 'binance', url: () => klinesUrl(SYMBOL, INTERVAL, MAX_CANDLES, BINANCE_REST_HOST), parse: parseKlines, streams: true },
  'binance-api': { name: 'binance', url: () => klinesUrl(SYMBOL, INTERVAL, MAX_CANDLES, 'api.binance.com'), parse: parseKlines, streams: true },
  kraken: { name: 'kraken', url: () => krakenOhlcUrl('XBTUSD', 15), parse: (status, text) => parseKrakenOhlc(status, text, MAX_CANDLES), streams: false },
};
const chain = new SourceChain(Object.keys(HISTORY_SOURCES), { firstPauseMs: 60e3 });

// History: once at start, and again after an outage to fill the gap.
const history = new Poller({
  intervalMs: 30 * 60e3,
  minIntervalMs: 20e3,
  baseBackoffMs: 20e3,
  task: async () => {
    for (const key of chain.usable()) {
      const from = HISTORY_SOURCES[key];
      const res = await fetchText(from.url());
      const parsed = from.parse(res.status, res.text);
      if (!parsed.ok) {
        // No answer at all (offline) is no refusal: the source is asked again soon.
        if (res.status !== 0) chain.refused(key, res.retryAfterMs);
        continue;
      }
      chain.answered(key);
      source = from.name;
      history.intervalMs = from.streams ? 30 * 60e3 : 60e3;
      setCandles(parsed.candles, 'live', Date.now());
      keptAt = 0;
      keep();
      if (from.streams) openSocket();
      return { ok: true };
    }
    // Every source is resting: ask again when the first of them may be asked.
    return { ok: false, retryAfterMs: Math.max(0, chain.nextUsableAt() - Date.now()) };
  },
});
history.start(800);
// Hidden, the chart neither streams nor asks: the stream is closed (it would keep the
// page parsing ticks nobody sees). Shown again, the history is asked for at once (within
// the rate limit) to fill the gap, and its answer opens the stream again.
whileVisible({
  onHidden: () => {
    history.pause();
    cancelSocketRetry();
    if (socket) { socket.onclose = null; socket.close(); socket = null; }
  },
  // Resumed, the poller would wait for its due time; the poke asks at once instead.
  onShown: () => { history.resume(); history.poke(); },
});
window.addEventListener('online', () => {
  history.poke();
  if (!socket) { socketFailures = 0; cancelSocketRetry(); openSocket(); }
});
