import { test } from 'node:test';
import assert from 'node:assert/strict';
import { parseMarkets, readSnapshot, marketsUrl } from '../../pages/lib/coingecko.mjs';
import { parseKlines, parseKlineMessage, mergeCandle, klineStreamUrl } from '../../pages/lib/binance.mjs';
import { parseHeatmap, parseSeries } from '../../pages/lib/stocks.mjs';
import { readJson } from '../../pages/lib/response.mjs';
import { cleanText, cleanSymbol } from '../../pages/lib/text.mjs';
import { parseStooqCsv, parseNasdaqScreener } from '../../scripts/sources.mjs';

const coin = (over = {}) => ({ id: 'bitcoin', symbol: 'btc', name: 'Bitcoin', current_price: 97000, market_cap: 1.9e12,
  price_change_percentage_24h_in_currency: 2.5, price_change_percentage_1h_in_currency: 0.1, price_change_percentage_7d_in_currency: -3, ...over });

test('every source answers failures with the same error kinds', () => {
  for (const parse of [parseMarkets, parseKlines, parseHeatmap, parseSeries]) {
    assert.equal(parse(429, '').error, 'rate-limited');
    assert.equal(parse(503, '<html>down</html>').error, 'http-503');
    assert.equal(parse(0, '').error, 'http-0');
    assert.equal(parse(200, '').error, 'empty');
    assert.equal(parse(200, '   \n').error, 'empty');
    assert.equal(parse(200, '[{"id":"bitcoin","symbol":"bt').error, 'truncated');
    assert.equal(parse(200, '{"series": [').error, 'truncated');
    assert.equal(parse(200, '<!doctype html><p>captcha</p>').error, 'malformed');
  }
  assert.deepEqual(readJson(200, '{"a":1}'), { ok: true, json: { a: 1 } });
});

test('CoinGecko markets: valid rows are normalised, bad rows dropped, duplicates removed', () => {
  const body = JSON.stringify([coin(), coin({ id: 'bitcoin' }), coin({ id: 'eth', symbol: 'eth', price_change_percentage_24h_in_currency: null, price_change_percentage_24h: '-1.25' }),
    { id: 'nochange', symbol: 'nc' }, null, 42, coin({ id: '', symbol: 'x' }), coin({ id: 'nosym', symbol: '' })]);
  const r = parseMarkets(200, body);
  assert.equal(r.ok, true);
  assert.deepEqual(r.coins.map((c) => c.id), ['bitcoin', 'eth']);
  assert.equal(r.coins[0].symbol, 'BTC');
  assert.equal(r.coins[0].change['24h'], 2.5);
  assert.equal(r.coins[1].change['24h'], -1.25, 'falls back to the plain 24 h field, accepts numeric strings');
  assert.equal(r.coins[1].change['7d'], -3);
});

test('CoinGecko: rate-limit object, empty list, list without a usable row, over-long list', () => {
  assert.equal(parseMarkets(200, '{"status":{"error_code":429,"error_message":"You\'ve exceeded the Rate Limit"}}').error, 'rate-limited');
  assert.equal(parseMarkets(200, '{"error":"nope"}').error, 'malformed');
  assert.equal(parseMarkets(200, '[]').error, 'empty');
  assert.equal(parseMarkets(200, '[{"foo":1},{"id":"a"}]').error, 'malformed');
  const many = Array.from({ length: 250 }, (_, i) => coin({ id: `c${i}`, symbol: `c${i}` }));
  assert.equal(parseMarkets(200, JSON.stringify(many)).coins.length, 100);
  assert.match(marketsUrl(100), /^https:\/\/api\.coingecko\.com\/api\/v3\/coins\/markets\?.*per_page=100/);
});

test('CoinGecko snapshot shape round-trips and tells sample data apart', () => {
  const parsed = parseMarkets(200, JSON.stringify([coin()]));
  const snap = readSnapshot({ source: 'sample', updatedAt: '2024-01-01T00:00:00Z', coins: parsed.coins });
  assert.equal(snap.kind, 'sample');
  assert.deepEqual(snap.coins, parsed.coins);
  assert.equal(readSnapshot({ source: 'coingecko', updatedAt: 'garbage', coins: parsed.coins }).kind, 'snapshot');
  assert.ok(Number.isNaN(readSnapshot({ source: 'coingecko', updatedAt: 'garbage', coins: parsed.coins }).updatedAt));
  assert.equal(readSnapshot(null), null);
  assert.equal(readSnapshot({ coins: [] }), null);
});

test('Binance klines: validated, ordered, inconsistent candles rejected', () => {
  const row = (t, o, h, l, c) => [t, String(o), String(h), String(l), String(c), '12.5', t + 899999, '0', 10, '0', '0', '0'];
  const body = JSON.stringify([row(1000, 100, 110, 95, 105), row(2000, 105, 104, 100, 103) /* high below open */,
    row(3000, 103, 108, 101, 107), row(2500, 1, 2, 0.5, 1) /* goes back in time */, ['x'], row(4000, 'NaN', 1, 1, 1), row(5000, 107, 109, 106, 108)]);
  const r = parseKlines(200, body);
  assert.equal(r.ok, true);
  assert.deepEqual(r.candles.map((c) => c.t), [1000, 3000, 5000]);
  assert.deepEqual(r.candles[0], { t: 1000, o: 100, h: 110, l: 95, c: 105, v: 12.5 });
  assert.equal(parseKlines(200, '{"code":-1003,"msg":"Too many requests"}').error, 'rate-limited');
  assert.equal(parseKlines(418, '{"code":-1003}').error, 'rate-limited');
  assert.equal(parseKlines(200, '{"code":-1121,"msg":"Invalid symbol."}').error, 'malformed');
  assert.equal(parseKlines(200, '[]').error, 'empty');
  assert.equal(parseKlines(200, '[[1,"a"]]').error, 'malformed');
});

test('Binance websocket messages and the bounded candle buffer', () => {
  const msg = (t, c, x = false) => JSON.stringify({ e: 'kline', E: 1, s: 'BTCUSDT', k: { t, T: t + 1, o: '100', h: '120', l: '90', c: String(c), v: '3', x } });
  assert.deepEqual(parseKlineMessage(msg(1, 110, true)), { candle: { t: 1, o: 100, h: 120, l: 90, c: 110, v: 3 }, closed: true });
  for (const bad of ['', 'not json', '{"e":"trade"}', '{"e":"kline"}', '{"e":"kline","k":{"t":1,"o":"a"}}', 'null']) {
    assert.equal(parseKlineMessage(bad), null, bad);
  }
  let series = [];
  for (let t = 1; t <= 10; t++) series = mergeCandle(series, parseKlineMessage(msg(t, 100)).candle, 4);
  assert.deepEqual(series.map((c) => c.t), [7, 8, 9, 10], 'never grows past its bound');
  series = mergeCandle(series, parseKlineMessage(msg(10, 115)).candle, 4);
  assert.equal(series.length, 4);
  assert.equal(series[3].c, 115, 'an update to the open candle replaces it');
  assert.equal(mergeCandle(series, parseKlineMessage(msg(3, 101)).candle, 4), series, 'late candles are ignored');
  assert.equal(klineStreamUrl('BTCUSDT', '15m'), 'wss://data-stream.binance.vision:9443/ws/btcusdt@kline_15m');
  assert.equal(klineStreamUrl('BTCUSDT', '15m', 1), 'wss://data-stream.binance.vision:443/ws/btcusdt@kline_15m', 'the next try goes to 443');
  assert.equal(klineStreamUrl('BTCUSDT', '15m', 2), 'wss://data-stream.binance.vision:9443/ws/btcusdt@kline_15m');
});

test('site data files: heat map groups by sector, series keep only valid points', () => {
  const heat = parseHeatmap(200, JSON.stringify({ source: 'nasdaq', updatedAt: '2024-05-01T20:00:00Z', companies: [
    { s: 'AAPL', n: 'Apple', sector: 'Tech', cap: 3e12, chg: 0.5 }, { s: 'MSFT', n: 'Microsoft', sector: 'Tech', cap: 3.1e12, chg: '-1' },
    { s: 'XOM', n: 'Exxon', sector: 'Energy', cap: 4e11, chg: null }, { s: 'AAPL', sector: 'Tech', cap: 1 }, { s: 'ZERO', sector: 'Tech', cap: 0 }, { s: '', cap: 5 }] }));
  assert.equal(heat.ok, true);
  assert.equal(heat.kind, 'live');
  assert.deepEqual(heat.sectors.map((s) => [s.name, s.companies.length]), [['Tech', 2], ['Energy', 1]]);
  assert.equal(heat.sectors[0].cap, 6.1e12);
  assert.equal(heat.sectors[1].companies[0].change, null);
  assert.equal(parseHeatmap(200, '{"companies":[]}').error, 'empty');
  assert.equal(parseHeatmap(200, '{"companies":[{"s":"A"}]}').error, 'malformed');
  assert.equal(parseHeatmap(200, '[1,2]').error, 'malformed');

  const series = parseSeries(200, JSON.stringify({ source: 'sample', updatedAt: 'x', series: [
    { symbol: 'spy', name: 'S&P 500', closes: [[1, 10], [2, 11], [2, 12], [3, -1], [4, 'x'], [5, 13]] }, { symbol: 'ONE', closes: [[1, 1]] }] }));
  assert.equal(series.ok, true);
  assert.equal(series.kind, 'sample');
  assert.deepEqual(series.series, [{ symbol: 'SPY', name: 'S&P 500', points: [[1, 10], [2, 11], [5, 13]] }]);
});

test('network text is cleaned for drawing, never interpreted', () => {
  assert.equal(cleanText('<img src=x onerror=alert(1)>', 80), '<img src=x onerror=alert(1)>', 'markup stays literal text');
  assert.equal(cleanText('Bit\u202Ecoin\u0000\u200B \n\t Cash'), 'Bitcoin Cash');
  assert.equal(cleanText('a'.repeat(50), 10), 'aaaaaaaaa…');
  assert.equal(cleanText(null), '');
  assert.equal(cleanText(12.5), '12.5');
  assert.equal(cleanSymbol(' doge\u0007coinlongname '), 'DOGECOI…');
  const r = parseMarkets(200, JSON.stringify([coin({ symbol: '<b>x</b>', name: 'Evil\u202E<script>' })]));
  assert.equal(r.coins[0].symbol, '<B>X</B>');
  assert.equal(r.coins[0].name, 'Evil<script>');
});

test('data script parsers: Stooq CSV and the Nasdaq screener', () => {
  const csv = 'Date,Open,High,Low,Close,Volume\n2024-05-01,1,2,0.5,1.5,100\n2024-05-02,1,2,0.5,oops,100\n2024-05-03,1,2,0.5,1.7,100\n';
  assert.deepEqual(parseStooqCsv(200, csv).map((p) => p[1]), [1.5, 1.7]);
  assert.deepEqual(parseStooqCsv(200, 'No data'), []);
  assert.deepEqual(parseStooqCsv(429, csv), []);
  const members = new Map([['AAPL', { sector: 'Tech', n: 'Apple' }], ['BRK.B', { sector: 'Fin', n: 'Berkshire' }]]);
  const rows = { data: { rows: [{ symbol: 'AAPL', marketCap: '3,400,000,000,000', pctchange: '-0.53%' }, { symbol: 'BRK/B', marketCap: '900,000', pctchange: '1%' },
    { symbol: 'ZZZ', marketCap: '1', pctchange: '1%' }, { symbol: 'AAPL', marketCap: '', pctchange: '' }] } };
  assert.deepEqual(parseNasdaqScreener(200, JSON.stringify(rows), members), [
    { s: 'AAPL', n: 'Apple', sector: 'Tech', cap: 3.4e12, chg: -0.53 }, { s: 'BRK.B', n: 'Berkshire', sector: 'Fin', cap: 9e5, chg: 1 }]);
  assert.deepEqual(parseNasdaqScreener(200, '{"data":null}', members), []);
  const unchanged = { data: { rows: [{ symbol: 'AAPL', marketCap: '3,400,000,000,000', netchange: 'UNCH', pctchange: 'UNCH' },
    { symbol: 'BRK/B', marketCap: '1e308', pctchange: '1%' }] } };
  assert.deepEqual(parseNasdaqScreener(200, JSON.stringify(unchanged), members), [{ s: 'AAPL', n: 'Apple', sector: 'Tech', cap: 3.4e12, chg: 0 }],
    'UNCH is no change; an absurd cap is no company');
});
