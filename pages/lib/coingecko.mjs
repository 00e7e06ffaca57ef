// CoinGecko's public markets endpoint: the top coins by market cap with their moves.
import { readJson, finiteNumber } from './response.mjs';
import { cleanText, cleanSymbol } from './text.mjs';

export const PERIODS = ['1h', '24h', '7d'];
export const COINGECKO_HOST = 'api.coingecko.com';

export function marketsUrl(count = 100) {
  return `https://${COINGECKO_HOST}/api/v3/coins/markets?vs_currency=usd&order=market_cap_desc` +
    `&per_page=${count}&page=1&sparkline=false&price_change_percentage=1h%2C24h%2C7d`;
}

function coinFrom(entry) {
  if (!entry || typeof entry !== 'object') return null;
  const id = cleanText(entry.id, 64);
  const symbol = cleanSymbol(entry.symbol);
  if (!id || !symbol) return null;
  const change = {
    '1h': finiteNumber(entry.price_change_percentage_1h_in_currency),
    '24h': finiteNumber(entry.price_change_percentage_24h_in_currency) ?? finiteNumber(entry.price_change_percentage_24h),
    '7d': finiteNumber(entry.price_change_percentage_7d_in_currency),
  };
  if (change['24h'] === null && change['1h'] === null && change['7d'] === null) return null;
  return {
    id,
    symbol,
    name: cleanText(entry.name, 32) || symbol,
    price: finiteNumber(entry.current_price),
    marketCap: finiteNumber(entry.market_cap),
    change,
  };
}

export function normaliseCoins(list, limit = 100) {
  const seen = new Set();
  const coins = [];
  for (const entry of list) {
    const coin = coinFrom(entry);
    if (!coin || seen.has(coin.id)) continue;
    seen.add(coin.id);
    coins.push(coin);
    if (coins.length >= limit) break;
  }
  return coins;
}

export function parseMarkets(status, text) {
  const read = readJson(status, text);
  if (!read.ok) return read;
  const json = read.json;
  if (!Array.isArray(json)) {
    // CoinGecko answers its rate limit with 200 or 429 and a status object.
    const code = json && json.status && json.status.error_code;
    return { ok: false, error: code === 429 ? 'rate-limited' : 'malformed' };
  }
  if (json.length === 0) return { ok: false, error: 'empty' };
  const coins = normaliseCoins(json);
  if (coins.length === 0) return { ok: false, error: 'malformed' };
  return { ok: true, coins };
}

// The shipped snapshot and cached copies use the normalised shape.
export function readSnapshot(snapshot) {
  if (!snapshot || !Array.isArray(snapshot.coins)) return null;
  const coins = normaliseCoins(snapshot.coins.map((c) => ({
    id: c.id, symbol: c.symbol, name: c.name, current_price: c.price, market_cap: c.marketCap,
    price_change_percentage_1h_in_currency: c.change && c.change['1h'],
    price_change_percentage_24h_in_currency: c.change && c.change['24h'],
    price_change_percentage_7d_in_currency: c.change && c.change['7d'],
  })));
  if (coins.length === 0) return null;
  const updatedAt = Date.parse(snapshot.updatedAt);
  return { coins, updatedAt: Number.isFinite(updatedAt) ? updatedAt : NaN, kind: snapshot.source === 'sample' ? 'sample' : 'snapshot',
    source: typeof snapshot.source === 'string' ? snapshot.source : '' };
}
