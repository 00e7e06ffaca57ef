import { test } from 'node:test';
import assert from 'node:assert/strict';
import { SourceChain } from '../../pages/lib/source-chain.mjs';
import { parseKrakenOhlc, krakenOhlcUrl } from '../../pages/lib/kraken.mjs';
import { parseKlines, klinesUrl } from '../../pages/lib/binance.mjs';
import { parseHeatmap } from '../../pages/lib/stocks.mjs';
import { parseTickers, tickersUrl } from '../../pages/lib/coinpaprika.mjs';

function chainAt(names, options = {}) {
  const clock = { now: 0 };
  const chain = new SourceChain(names, { now: () => clock.now, firstPauseMs: 60e3, ...options });
  return { chain, clock };
}

test('sources are asked in order; a refusal skips one for its pause and leaves the others alone', () => {
  const { chain, clock } = chainAt(['binance-data', 'binance-api', 'kraken']);
  assert.deepEqual(chain.usable(), ['binance-data', 'binance-api', 'kraken']);
  assert.equal(chain.refused('binance-data'), 60e3);
  assert.deepEqual(chain.usable(), ['binance-api', 'kraken']);
  clock.now = 59e3;
  assert.deepEqual(chain.usable(), ['binance-api', 'kraken']);
  clock.now = 60e3;
  assert.deepEqual(chain.usable(), ['binance-data', 'binance-api', 'kraken'], 'back after its pause');
});

test('Retry-After is honoured up to three days; without one the pause doubles, and an answer resets it', () => {
  const { chain, clock } = chainAt(['binance-data', 'kraken']);
  assert.equal(chain.refused('binance-data', 2 * 86400e3), 2 * 86400e3);
  assert.equal(chain.refused('binance-data', 30 * 86400e3), 3 * 86400e3, 'a week is held to the documented longest ban');
  assert.deepEqual([1, 2, 3].map(() => chain.refused('kraken')), [60e3, 120e3, 240e3]);
  assert.equal(chain.nextUsableAt(), 240e3);
  clock.now = 240e3;
  chain.answered('kraken');
  assert.equal(chain.refused('kraken'), 60e3);
});

test('a 451 from Binance moves the chart to Kraken, whose documented answer reads as candles', () => {
  // Binance's answer from a restricted location.
  const blocked = parseKlines(451, '{"code":0,"msg":"Service unavailable from a restricted location according to \'b. Eligibility\' in https://www.binance.com/en/terms."}');
  assert.equal(blocked.ok, false);
  assert.equal(blocked.error, 'http-451');
  // The layout of Kraken's documented OHLC answer.
  const kraken = parseKrakenOhlc(200, JSON.stringify({ error: [], result: { XXBTZUSD: [
    [1688671200, '30306.1', '30306.2', '30305.7', '30305.7', '30306.1', '3.39243896', 23],
    [1688672100, '30300.3', '30300.4', '30291.4', '30291.4', '30294.7', '2.01029825', 19],
    [1688671200, '1', '1', '1', '1', '1', '1', 1],
    ['x'], null,
  ], last: 1688672100 } }));
  assert.equal(kraken.ok, true);
  assert.deepEqual(kraken.candles.map((c) => c.t), [1688671200e3, 1688672100e3], 'seconds become milliseconds, order is kept');
  assert.equal(kraken.candles[0].c, 30305.7);
  assert.equal(kraken.candles[1].v, 2.01029825);
  assert.equal(parseKrakenOhlc(200, '{"error":["EGeneral:Too many requests"]}').error, 'rate-limited');
  assert.equal(parseKrakenOhlc(200, '{"error":["EQuery:Unknown asset pair"]}').error, 'refused');
  assert.equal(parseKrakenOhlc(200, '<!DOCTYPE html><html>').error, 'malformed');
  assert.equal(parseKrakenOhlc(200, '{"error":[],"result":{"last":1}}').error, 'malformed');
  assert.equal(krakenOhlcUrl(), 'https://api.kraken.com/0/public/OHLC?pair=XBTUSD&interval=15');
  assert.equal(klinesUrl('BTCUSDT', '15m', 160), 'https://data-api.binance.vision/api/v3/klines?symbol=BTCUSDT&interval=15m&limit=160');
});

test('the heat map never gives one absurd cap the whole map, nor draws nothing for it', () => {
  const companies = [{ s: 'AAPL', n: 'Apple', sector: 'Tech', cap: 3e12, chg: 0.5 },
    { s: 'MSFT', n: 'Microsoft', sector: 'Tech', cap: 1e308, chg: 1 },
    { s: 'XOM', n: 'Exxon', sector: 'Energy', cap: 4e11, chg: 1e9 }];
  const heat = parseHeatmap(200, JSON.stringify({ source: 'nasdaq', updatedAt: '2024-05-01T20:00:00Z', companies }));
  assert.equal(heat.ok, true);
  const all = heat.sectors.flatMap((s) => s.companies);
  assert.deepEqual(all.map((c) => c.symbol).sort(), ['AAPL', 'XOM']);
  assert.equal(all.find((c) => c.symbol === 'XOM').change, null, 'an absurd change is unknown, not a colour');
  assert.equal(heat.source, 'nasdaq');
  assert.equal(parseHeatmap(200, JSON.stringify({ companies: [{ s: 'A', cap: 1e308 }] })).ok, false, 'nothing usable: the last data stays');
});

test('CoinPaprika tickers read as the same coins, in rank order, top 100 only', () => {
  const ticker = (rank, symbol, change24) => ({ id: `${symbol.toLowerCase()}-coin`, name: `${symbol} coin`, symbol, rank,
    quotes: { USD: { price: 10 * rank, market_cap: 1e9 / rank, percent_change_1h: 0.1, percent_change_24h: change24, percent_change_7d: -2 } } });
  const list = [ticker(2, 'ETH', -1.5), ticker(1, 'BTC', 2.25), { id: 'x', rank: 0, quotes: { USD: {} } }, null,
    ...Array.from({ length: 150 }, (_, i) => ticker(i + 3, `C${i}`, 0))];
  const parsed = parseTickers(200, JSON.stringify(list));
  assert.equal(parsed.ok, true);
  assert.equal(parsed.coins.length, 100);
  assert.deepEqual(parsed.coins.slice(0, 2).map((c) => [c.symbol, c.change['24h']]), [['BTC', 2.25], ['ETH', -1.5]]);
  assert.equal(parseTickers(402, '{"error":"payment required"}').error, 'http-402');
  assert.equal(parseTickers(200, '{"error":"id not found"}').error, 'refused');
  assert.equal(parseTickers(200, '<html>').error, 'malformed');
  assert.equal(tickersUrl(), 'https://api.coinpaprika.com/v1/tickers?quotes=USD');
});

test("Binance's documented and recorded kline answers read as candles", async () => {
  const { readFileSync } = await import('node:fs');
  const fixture = (name) => readFileSync(new URL(`./fixtures/${name}`, import.meta.url), 'utf8');
  const recorded = parseKlines(200, fixture('binance-klines-recorded.json'));
  assert.equal(recorded.ok, true);
  assert.deepEqual(recorded.candles, [{ t: 1624559520000, o: 34970.9, h: 35047.03, l: 34800.01, c: 35047.03, v: 0.419472 }]);
  const documented = parseKlines(200, fixture('binance-klines-docs.json'));
  assert.equal(documented.ok, true);
  assert.deepEqual(documented.candles[0], { t: 1499040000000, o: 0.0163479, h: 0.8, l: 0.015758, c: 0.015771, v: 148976.11427815 });
});
