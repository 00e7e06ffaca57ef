import { test } from 'node:test';
import assert from 'node:assert/strict';
import { latestKnown } from '../../pages/lib/latest.mjs';
import { readCandleSnapshot } from '../../pages/lib/binance.mjs';

const at = (iso) => Date.parse(iso);

test('a page starts from the newest real data it has', () => {
  const shipped = { kind: 'snapshot', updatedAt: at('2026-12-01T00:00:00Z') };
  const sample = { kind: 'sample', updatedAt: at('2026-12-07T00:00:00Z') };
  const keptNewer = { kind: 'snapshot', updatedAt: at('2026-12-05T00:00:00Z') };
  const keptOlder = { kind: 'snapshot', updatedAt: at('2026-11-01T00:00:00Z') };
  assert.equal(latestKnown(shipped, keptNewer), keptNewer);
  assert.equal(latestKnown(shipped, keptOlder), shipped);
  assert.equal(latestKnown(sample, keptOlder), keptOlder, 'a made-up sample loses even when it is newer');
  assert.equal(latestKnown(shipped, null), shipped);
  assert.equal(latestKnown(null, keptOlder), keptOlder);
  assert.equal(latestKnown(null, null), null);
  assert.equal(latestKnown(shipped, { kind: 'snapshot', updatedAt: NaN }), shipped, 'an undated answer does not beat a dated one');
  assert.equal(latestKnown({ kind: 'snapshot', updatedAt: NaN }, keptOlder), keptOlder);
});

test('kept candles are read back valid, in time order, or not at all', () => {
  const good = (t, c) => ({ t, o: 100, h: Math.max(100, c) + 1, l: Math.min(100, c) - 1, c, v: 3 });
  const read = readCandleSnapshot({
    source: 'binance', updatedAt: '2026-12-07T10:00:00Z',
    candles: [good(1000, 101), null, 'x', { t: 2000, o: 100, h: 90, l: 80, c: 95 }, good(3000, 99), good(2500, 100), good(4000, 102)],
  });
  assert.deepEqual(read.candles.map((c) => c.t), [1000, 3000, 4000], 'bad candles and ones out of order are dropped');
  assert.equal(read.updatedAt, at('2026-12-07T10:00:00Z'));
  assert.equal(read.kind, 'snapshot');
  assert.equal(readCandleSnapshot({ source: 'sample', candles: [good(1, 100)] }).kind, 'sample');
  assert.ok(Number.isNaN(readCandleSnapshot({ candles: [good(1, 100)] }).updatedAt));
  for (const nothing of [null, undefined, {}, { candles: 'no' }, { candles: [] }, { candles: [{ t: 1 }] }]) {
    assert.equal(readCandleSnapshot(nothing), null);
  }
});
