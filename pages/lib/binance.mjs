// Binance public market data: kline history over REST, live klines over a websocket.
import { readJson, finiteNumber } from './response.mjs';

// Binance documents data-api.binance.vision as a host for public market data only (no
// account endpoints), and data-stream.binance.vision for its streams, on port 9443 and
// on 443 for networks that allow nothing else.
export const BINANCE_REST_HOST = 'data-api.binance.vision';
export const BINANCE_WS_HOST = 'data-stream.binance.vision';
export const BINANCE_WS_PORTS = [9443, 443];

export function klinesUrl(symbol = 'BTCUSDT', interval = '15m', limit = 160, host = BINANCE_REST_HOST) {
  return `https://${host}/api/v3/klines?symbol=${symbol}&interval=${interval}&limit=${limit}`;
}

// `attempt` picks the port: every other try goes to 443.
export function klineStreamUrl(symbol = 'BTCUSDT', interval = '15m', attempt = 0) {
  const port = BINANCE_WS_PORTS[Math.abs(attempt) % BINANCE_WS_PORTS.length];
  return `wss://${BINANCE_WS_HOST}:${port}/ws/${symbol.toLowerCase()}@kline_${interval}`;
}

export function makeCandle(t, o, h, l, c, v) {
  const candle = { t: finiteNumber(t), o: finiteNumber(o), h: finiteNumber(h), l: finiteNumber(l), c: finiteNumber(c), v: finiteNumber(v) ?? 0 };
  if ([candle.t, candle.o, candle.h, candle.l, candle.c].some((x) => x === null)) return null;
  if (candle.o <= 0 || candle.c <= 0 || candle.l <= 0) return null;
  if (candle.h < Math.max(candle.o, candle.c, candle.l) || candle.l > Math.min(candle.o, candle.c)) return null;
  return candle;
}

export function parseKlines(status, text) {
  const read = readJson(status, text);
  if (!read.ok) return read;
  const json = read.json;
  if (!Array.isArray(json)) {
    // {"code":-1003,"msg":"Too many requests..."} is Binance's rate-limit answer.
    const code = json && json.code;
    return { ok: false, error: code === -1003 || code === -1015 ? 'rate-limited' : 'malformed' };
  }
  if (json.length === 0) return { ok: false, error: 'empty' };
  const candles = [];
  for (const row of json) {
    if (!Array.isArray(row) || row.length < 6) continue;
    const candle = makeCandle(row[0], row[1], row[2], row[3], row[4], row[5]);
    if (candle && (candles.length === 0 || candle.t > candles[candles.length - 1].t)) candles.push(candle);
  }
  if (candles.length === 0) return { ok: false, error: 'malformed' };
  return { ok: true, candles };
}

// One websocket message: { candle, closed } or null for anything else.
export function parseKlineMessage(text) {
  let msg;
  try { msg = JSON.parse(text); } catch (e) { return null; }
  const k = msg && msg.e === 'kline' ? msg.k : null;
  if (!k || typeof k !== 'object') return null;
  const candle = makeCandle(k.t, k.o, k.h, k.l, k.c, k.v);
  return candle ? { candle, closed: k.x === true } : null;
}

// Adds or updates the newest candle; the series never grows beyond max.
export function mergeCandle(candles, candle, max = 500) {
  if (!candle) return candles;
  const last = candles[candles.length - 1];
  let next;
  if (!last || candle.t > last.t) next = candles.concat([candle]);
  else if (candle.t === last.t) next = candles.slice(0, -1).concat([candle]);
  else return candles;
  return next.length > max ? next.slice(next.length - max) : next;
}

// Candles stored as { source, updatedAt, candles: [{ t, o, h, l, c, v }] } (the shipped
// snapshot, or the page's own kept answer): the valid ones in time order, or null.
export function readCandleSnapshot(data) {
  if (!data || !Array.isArray(data.candles)) return null;
  const list = [];
  for (const c of data.candles) {
    const candle = c && typeof c === 'object' ? makeCandle(c.t, c.o, c.h, c.l, c.c, c.v) : null;
    if (candle && (list.length === 0 || candle.t > list[list.length - 1].t)) list.push(candle);
  }
  if (list.length === 0) return null;
  const updatedAt = Date.parse(data.updatedAt);
  return { candles: list, updatedAt: Number.isFinite(updatedAt) ? updatedAt : NaN, kind: data.source === 'sample' ? 'sample' : 'snapshot',
    source: typeof data.source === 'string' ? data.source : '' };
}
