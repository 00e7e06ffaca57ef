// CoinPaprika's keyless tickers: the bubbles' source when CoinGecko refuses.
//   [{"id":"btc-bitcoin","name":"Bitcoin","symbol":"BTC","rank":1,
//     "quotes":{"USD":{"price":..,"market_cap":..,"percent_change_1h":..,"percent_change_24h":..,"percent_change_7d":..}}}]
import { readJson, finiteNumber } from './response.mjs';
import { normaliseCoins } from './coingecko.mjs';

export const COINPAPRIKA_HOST = 'api.coinpaprika.com';

export function tickersUrl() {
  return `https://${COINPAPRIKA_HOST}/v1/tickers?quotes=USD`;
}

export function parseTickers(status, text, limit = 100) {
  const read = readJson(status, text);
  if (!read.ok) return read;
  const json = read.json;
  if (!Array.isArray(json)) return { ok: false, error: json && json.error ? 'refused' : 'malformed' };
  const ranked = json
    .filter((t) => t && typeof t === 'object' && t.quotes && t.quotes.USD && finiteNumber(t.rank) !== null && t.rank > 0)
    .sort((a, b) => a.rank - b.rank);
  // The same shape as CoinGecko's markets, so both go through one normaliser.
  const coins = normaliseCoins(ranked.map((t) => ({
    id: t.id, symbol: t.symbol, name: t.name, current_price: t.quotes.USD.price, market_cap: t.quotes.USD.market_cap,
    price_change_percentage_1h_in_currency: t.quotes.USD.percent_change_1h,
    price_change_percentage_24h_in_currency: t.quotes.USD.percent_change_24h,
    price_change_percentage_7d_in_currency: t.quotes.USD.percent_change_7d,
  })), limit);
  if (coins.length === 0) return { ok: false, error: json.length ? 'malformed' : 'empty' };
  return { ok: true, coins };
}
