import { test } from 'node:test';
import assert from 'node:assert/strict';
import { bubbleRadii, placeBodies, settle, largestOverlap, step } from '../../pages/lib/bubbles.mjs';
import { squarify, layoutHeatmap } from '../../pages/lib/treemap.mjs';
import { formatPercent, formatPrice, formatCompact, formatAge, statusText, MINUS } from '../../pages/lib/format.mjs';
import { niceTicks, timeTicks, formatTimeTick } from '../../pages/lib/scale.mjs';
import { changeColor, luminance, theme } from '../../pages/lib/palette.mjs';

const changes = Array.from({ length: 100 }, (_, i) => Math.sin(i * 1.7) * (i % 9 === 0 ? 25 : 6));

test('bubble area follows the size of the move, fills about half the screen', () => {
  const set = [4, -1, 8, 0.001, NaN, ...changes.slice(0, 95)];
  const radii = bubbleRadii(set, 1920, 1080);
  assert.ok(Math.abs((radii[2] ** 2) / (radii[0] ** 2) - 2) < 1e-6, 'area doubles when the move doubles');
  assert.equal(radii[0], bubbleRadii([-4, ...set.slice(1)], 1920, 1080)[0], 'sign does not matter');
  assert.equal(radii[3], radii[4], 'a flat or unknown move gets the floor size');
  const many = bubbleRadii(changes, 1920, 1080);
  const area = many.reduce((a, r) => a + Math.PI * r * r, 0);
  assert.ok(Math.abs(area / (1920 * 1080) - 0.5) < 0.02, `covers ${area / (1920 * 1080)}`);
  assert.ok(Math.max(...many) <= 1080 * 0.2 + 1e-9, 'one wild move cannot swallow the screen');
  assert.deepEqual(bubbleRadii([], 100, 100), []);
  assert.deepEqual(bubbleRadii([1], 0, 100), []);
});

test('settled bubbles never overlap and stay on screen, at every size', () => {
  for (const [w, h] of [[1920, 1080], [480, 300], [3840, 2160], [300, 900], [1024, 768]]) {
    const radii = bubbleRadii(changes, w, h);
    const bodies = placeBodies(radii.map((r, i) => ({ id: `c${i}`, r })), w, h, { seed: 3 });
    settle(bodies, w, h);
    assert.ok(largestOverlap(bodies) < 0.05, `${w}x${h}: overlap ${largestOverlap(bodies)}`);
    for (const b of bodies) {
      assert.ok(b.x >= b.r - 1e-6 && b.x <= w - b.r + 1e-6 && b.y >= b.r - 1e-6 && b.y <= h - b.r + 1e-6, `${w}x${h}: ${b.id} off screen`);
    }
    assert.ok(step(bodies, w, h) < 0.05, `${w}x${h}: still moving after settling`);
  }
});

test('settled bubbles keep clear of the caption corner without overlapping', () => {
  for (const [w, h] of [[1920, 1080], [480, 300], [800, 450]]) {
    const avoid = { x: w - 240, y: h - 34, w: 230, h: 26 };
    const radii = bubbleRadii(changes, w, h);
    const bodies = placeBodies(radii.map((r, i) => ({ id: `c${i}`, r })), w, h, { seed: 3 });
    settle(bodies, w, h, { avoid });
    assert.ok(largestOverlap(bodies) < 0.05, `${w}x${h}: overlap ${largestOverlap(bodies)}`);
    for (const b of bodies) {
      const cx = Math.min(avoid.x + avoid.w, Math.max(avoid.x, b.x));
      const cy = Math.min(avoid.y + avoid.h, Math.max(avoid.y, b.y));
      assert.ok(Math.hypot(b.x - cx, b.y - cy) >= b.r - 0.5, `${w}x${h}: ${b.id} covers the caption`);
    }
  }
});

test('bubbles keep their places across a data refresh', () => {
  const previous = new Map([['btc', { x: 100, y: 200 }]]);
  const [btc, eth] = placeBodies([{ id: 'btc', r: 10 }, { id: 'eth', r: 10 }], 800, 600, { previous });
  assert.deepEqual([btc.x, btc.y], [100, 200]);
  assert.ok(eth.x >= 10 && eth.x <= 790);
  const again = placeBodies([{ id: 'eth', r: 10 }], 800, 600, { seed: 5 });
  assert.deepEqual(again, placeBodies([{ id: 'eth', r: 10 }], 800, 600, { seed: 5 }), 'placement is deterministic');
});

function assertTiling(rects, rect) {
  const total = rects.reduce((a, r) => a + r.w * r.h, 0);
  assert.ok(Math.abs(total - rect.w * rect.h) < 1e-6 * rect.w * rect.h, 'covers the rectangle');
  for (const r of rects) {
    assert.ok(r.x >= rect.x - 1e-6 && r.y >= rect.y - 1e-6 && r.x + r.w <= rect.x + rect.w + 1e-6 && r.y + r.h <= rect.y + rect.h + 1e-6, 'inside');
  }
  for (let i = 0; i < rects.length; i++) {
    for (let j = i + 1; j < rects.length; j++) {
      const a = rects[i]; const b = rects[j];
      const ox = Math.min(a.x + a.w, b.x + b.w) - Math.max(a.x, b.x);
      const oy = Math.min(a.y + a.h, b.y + b.h) - Math.max(a.y, b.y);
      assert.ok(ox <= 1e-6 || oy <= 1e-6, 'tiles do not overlap');
    }
  }
}

test('treemap areas follow the values and tile the rectangle', () => {
  const values = [500, 300, 120, 80, 80, 40, 10, 5, 1, 0, -3, NaN];
  const rect = { x: 10, y: 20, w: 1600, h: 900 };
  const rects = squarify(values.map((value, i) => ({ value, i })), rect);
  assert.equal(rects.length, 9, 'zero, negative and missing values take no space');
  const total = 500 + 300 + 120 + 80 + 80 + 40 + 10 + 5 + 1;
  for (const r of rects) assert.ok(Math.abs((r.w * r.h) / (rect.w * rect.h) - r.item.value / total) < 1e-9);
  assertTiling(rects, rect);
  const worst = Math.max(...rects.slice(0, 5).map((r) => Math.max(r.w / r.h, r.h / r.w)));
  assert.ok(worst < 3, `large tiles stay near square (${worst})`);
  assert.deepEqual(squarify([], rect), []);
  assert.deepEqual(squarify([{ value: 1 }], { x: 0, y: 0, w: 0, h: 10 }), []);
});

test('heat map: sectors hold their companies, headers only where they fit', () => {
  const sectors = [
    { name: 'Tech', cap: 10, companies: [{ symbol: 'A', cap: 6 }, { symbol: 'B', cap: 4 }] },
    { name: 'Energy', cap: 1, companies: [{ symbol: 'C', cap: 1 }] },
  ];
  const rect = { x: 0, y: 0, w: 1200, h: 800 };
  const { groups, tiles } = layoutHeatmap(sectors, rect, { gap: 2, header: 18, minHeaderArea: 20000 });
  assertTiling(groups.map((g) => ({ x: g.x - 1, y: g.y - 1, w: g.w + 2, h: g.h + 2 })), rect);
  const tech = groups.find((g) => g.sector.name === 'Tech');
  assert.equal(tech.header, 18);
  for (const t of tiles.filter((t) => t.sector === 'Tech')) {
    assert.ok(t.y >= tech.y + 18 - 1e-6 && t.x >= tech.x - 1e-6 && t.x + t.w <= tech.x + tech.w + 1e-6, 'tile inside its sector, below the header');
  }
  const a = tiles.find((t) => t.company.symbol === 'A');
  const b = tiles.find((t) => t.company.symbol === 'B');
  assert.ok(Math.abs((a.w * a.h) / (b.w * b.h) - 1.5) < 1e-9);
  const tiny = layoutHeatmap(sectors, { x: 0, y: 0, w: 120, h: 60 }, { header: 18, minHeaderArea: 20000 });
  assert.ok(tiny.groups.every((g) => g.header === 0), 'no header in a sector too small to carry it');
});

test('numbers read the same everywhere', () => {
  assert.equal(formatPercent(3.456), '+3.5%');
  assert.equal(formatPercent(-0.84), `${MINUS}0.8%`);
  assert.equal(formatPercent(-0.04), '0.0%', 'no signed zero');
  assert.equal(formatPercent(127.9), '+128%');
  assert.equal(formatPercent(1234.5), '+1,235%');
  assert.equal(formatPercent(NaN), '—');
  assert.equal(formatPercent(null), '—');
  assert.equal(formatPrice(97123.456), '97,123.46');
  assert.equal(formatPrice(2.34567), '2.346');
  assert.equal(formatPrice(0.36123), '0.3612');
  assert.equal(formatPrice(0.0000241234), '0.00002412');
  assert.equal(formatPrice(-5), `${MINUS}5.000`);
  assert.equal(formatPrice(Infinity), '—');
  assert.equal(formatCompact(3.42e12), '3.42T');
  assert.equal(formatCompact(512.4e9), '512B');
  assert.equal(formatCompact(18.74e6), '18.7M');
  assert.equal(formatCompact(999), '999');
});

test('the note names the source and the age; sample only on the sample; a silent day in one calm line', () => {
  const now = Date.parse('2024-05-01T12:00:00Z');
  assert.equal(statusText({ kind: 'live', source: 'nasdaq', updatedAt: now - 60e3, now }), 'Nasdaq · updated 1 min ago');
  assert.equal(statusText({ kind: 'live', source: 'fmp', updatedAt: now - 12 * 60e3, now }), 'Financial Modeling Prep · updated 12 min ago');
  assert.equal(statusText({ kind: 'live', source: 'kraken', updatedAt: now - 60e3, now, online: false }), 'offline · Kraken · updated 1 min ago');
  assert.equal(statusText({ kind: 'snapshot', source: 'binance', updatedAt: now - 3 * 3600e3, now }), 'Binance · updated 3 h ago');
  assert.equal(statusText({ kind: 'snapshot', source: 'stooq', updatedAt: now - 49 * 3600e3, now, online: false }), 'offline · Stooq · updated 2 days ago');
  assert.equal(statusText({ kind: 'snapshot', source: 'stooq', updatedAt: now - 49 * 3600e3, now }),
    'No source has answered for 2 days; showing the last data from Stooq');
  assert.equal(statusText({ kind: 'live', source: 'nasdaq', updatedAt: now - 23 * 3600e3, now }), 'Nasdaq · updated 23 h ago');
  assert.equal(statusText({ kind: 'snapshot', updatedAt: NaN, now }), 'age unknown');
  assert.equal(statusText({ kind: 'live', source: '<b>x</b>', updatedAt: now, now }), 'bxb · updated just now', 'no markup from a data file');
  assert.equal(statusText({ kind: 'sample', source: 'sample', updatedAt: now, now }), 'sample data');
  assert.equal(statusText({ kind: 'sample', updatedAt: now, now, online: false }), 'offline · sample data');
  for (const kind of ['live', 'snapshot']) {
    assert.doesNotMatch(statusText({ kind, source: 'nasdaq', updatedAt: now - 600e3, now }), /sample/);
  }
  assert.equal(formatAge(10e3), 'just now');
  assert.equal(formatAge(-5e3), 'just now', 'a clock running behind is not "in the future"');
  assert.equal(formatAge(26 * 3600e3), '1 day ago');
});

test('axis ticks are round and inside the range; time ticks land on whole hours', () => {
  process.env.TZ = 'UTC';
  assert.deepEqual(niceTicks(95012, 96480, 6), [95250, 95500, 95750, 96000, 96250]);
  assert.deepEqual(niceTicks(0.9, 1.21, 3), [1, 1.2]);
  assert.deepEqual(niceTicks(0.9, 1.21, 6), [0.9, 1, 1.1, 1.2]);
  assert.deepEqual(niceTicks(5, 5), [5]);
  assert.deepEqual(niceTicks(NaN, 1), []);
  const t0 = Date.parse('2024-05-01T10:07:00Z');
  const { ticks, stepMs } = timeTicks(t0, t0 + 40 * 3600e3, 7);
  assert.equal(stepMs, 6 * 3600e3);
  assert.equal(new Date(ticks[0]).toISOString(), '2024-05-01T12:00:00.000Z');
  assert.ok(ticks.every((t) => t >= t0 && t <= t0 + 40 * 3600e3));
  assert.equal(formatTimeTick(ticks[0], stepMs), '12:00');
  assert.equal(formatTimeTick(Date.parse('2024-05-02T00:00:00Z'), stepMs), 'May 2');
});

test('the darkened palette is dimmer and never pure white', () => {
  for (const pct of [-9, -2, -0.3, 0, 0.3, 2, 9]) {
    assert.ok(luminance(changeColor(pct, true)) < luminance(changeColor(pct, false)), `${pct}%`);
  }
  assert.ok(!theme(true).text.every((c) => c === 255));
  assert.ok(luminance(theme(true).text) < 0.85);
  const g = changeColor(5, false); const r = changeColor(-5, false);
  assert.ok(g[1] > g[0] && r[0] > r[1], 'up is green, down is red');
  assert.deepEqual(changeColor(NaN, false), theme(false).flat);
});
