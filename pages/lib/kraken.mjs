// Kraken's public OHLC endpoint: keyless candles, the crypto chart's source where
// Binance does not serve (it answers 451 in restricted locations).
//   {"error":[],"result":{"XXBTZUSD":[[time s,"open","high","low","close","vwap","volume",count],...],"last":...}}
import { readJson } from './response.mjs';
import { makeCandle } from './binance.mjs';

export const KRAKEN_HOST = 'api.kraken.com';

export function krakenOhlcUrl(pair = 'XBTUSD', intervalMinutes = 15) {
  return `https://${KRAKEN_HOST}/0/public/OHLC?pair=${pair}&interval=${intervalMinutes}`;
}

export function parseKrakenOhlc(status, text, max = 500) {
  const read = readJson(status, text);
  if (!read.ok) return read;
  const json = read.json;
  if (!json || typeof json !== 'object' || Array.isArray(json)) return { ok: false, error: 'malformed' };
  if (Array.isArray(json.error) && json.error.length > 0) {
    // "EAPI:Rate limit exceeded", "EGeneral:Too many requests"
    const limited = json.error.some((e) => typeof e === 'string' && /rate limit|too many/i.test(e));
    return { ok: false, error: limited ? 'rate-limited' : 'refused' };
  }
  const result = json.result && typeof json.result === 'object' ? json.result : null;
  const rows = result ? Object.entries(result).find(([key, value]) => key !== 'last' && Array.isArray(value)) : null;
  if (!rows) return { ok: false, error: 'malformed' };
  const candles = [];
  for (const row of rows[1]) {
    if (!Array.isArray(row) || row.length < 7) continue;
    const candle = makeCandle(Number(row[0]) * 1000, row[1], row[2], row[3], row[4], row[6]);
    if (candle && (candles.length === 0 || candle.t > candles[candles.length - 1].t)) candles.push(candle);
  }
  if (candles.length === 0) return { ok: false, error: 'empty' };
  return { ok: true, candles: candles.slice(-max) };
}
