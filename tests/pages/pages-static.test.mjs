import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, readdirSync } from 'node:fs';
import { join, resolve, dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
import { ENTRIES, bundle } from '../../scripts/build-pages.mjs';
import { PAGES as SITE_PAGES, stamped } from '../../scripts/stamp-site.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const PAGES = ['resources/index.html', 'resources/chartIndex.html', 'site/view.html', 'site/stockView.html', 'site/index.html'];

test('the shipped page scripts are built from the current modules', () => {
  for (const [entry, out] of ENTRIES) {
    assert.equal(readFileSync(join(repo, out), 'utf8'), bundle(entry), `${out} is stale: run node scripts/build-pages.mjs`);
  }
});

test('the view site names its scripts and styles by their current content', () => {
  for (const page of SITE_PAGES) {
    const html = readFileSync(page, 'utf8');
    assert.equal(html, stamped(html), `${page} is stale: run node scripts/stamp-site.mjs`);
    // Data changes in place and must never be stamped (the site keeps stamped files a year).
    assert.doesNotMatch(html, /data\/[^"]*\?v=/, page);
  }
});

test('page code never turns text into markup', () => {
  const dirs = ['pages/app', 'pages/lib'];
  for (const dir of dirs) {
    for (const f of readdirSync(join(repo, dir))) {
      const src = readFileSync(join(repo, dir, f), 'utf8');
      assert.doesNotMatch(src, /\.innerHTML|\.outerHTML|insertAdjacentHTML|document\.write|\beval\(|new Function\(/, `${dir}/${f}`);
    }
  }
});

test('pages load only relative URLs, classic scripts, nothing from a CDN', () => {
  for (const page of PAGES) {
    const html = readFileSync(join(repo, page), 'utf8');
    for (const m of html.matchAll(/\b(?:src|href)\s*=\s*"([^"]*)"/g)) {
      assert.doesNotMatch(m[1], /^([a-z]+:|\/)/i, `${page}: ${m[1]} must be relative`);
    }
    assert.doesNotMatch(html, /type\s*=\s*"module"/, `${page}: module scripts are blocked over file://`);
  }
  for (const css of ['resources/css/pages.css', 'site/css/pages.css', 'site/css/site.css']) {
    for (const m of readFileSync(join(repo, css), 'utf8').matchAll(/url\("?([^")]*)"?\)/g)) assert.doesNotMatch(m[1], /^([a-z]+:|\/)/i, `${css}: ${m[1]}`);
  }
});

test('shipped snapshots are valid and labelled', async () => {
  const { readSnapshot } = await import('../../pages/lib/coingecko.mjs');
  const { readHeatmap, readSeries } = await import('../../pages/lib/stocks.mjs');
  const load = (file, name) => {
    const window = {};
    new Function('window', readFileSync(join(repo, file), 'utf8'))(window);
    return window[name];
  };
  const coins = load('resources/data/coins-snapshot.js', 'TAVELO_COIN_SNAPSHOT');
  assert.equal(readSnapshot(coins).coins.length, 100);
  assert.ok(['sample', 'coingecko'].includes(coins.source));
  const btc = load('resources/data/btc-snapshot.js', 'TAVELO_BTC_SNAPSHOT');
  assert.ok(btc.candles.length >= 100 && ['sample', 'binance'].includes(btc.source));
  assert.ok(readHeatmap(load('site/data/sp500.js', 'TAVELO_SP500')).sectors.length >= 10);
  assert.equal(readSeries(load('site/data/indices.js', 'TAVELO_INDICES')).series.length, 4);
  assert.deepEqual(load('site/data/sp500.js', 'TAVELO_SP500'), JSON.parse(readFileSync(join(repo, 'site/data/sp500.json'), 'utf8')));
});
