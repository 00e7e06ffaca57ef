import { test } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync, readFileSync, readdirSync } from 'node:fs';
import { join, resolve, dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
import { ENTRIES, VIEWS, bundle } from '../../scripts/build-pages.mjs';
import { sitePages, stamped } from '../../scripts/stamp-site.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const PAGES = ['resources/index.html', 'resources/chartIndex.html', 'site/view.html', 'site/stockView.html', 'site/index.html'];

// Where the build puts the page scripts (cmake/Pages.cmake).
const built = process.env.TAVELO_PAGE_SCRIPTS_DIR || join(repo, 'build/page-scripts');

test('the build made every page script from the current modules', () => {
  assert.equal(ENTRIES.length, VIEWS.length);
  for (const [entry, out] of ENTRIES) {
    assert.equal(readFileSync(join(built, out), 'utf8'), bundle(entry), `${out} is stale: rebuild`);
  }
});

test('every view of the table has its page and module, and the page loads its script', () => {
  for (const view of VIEWS) {
    const page = join(repo, view.location === 'local' ? 'resources' : 'site', view.page);
    assert.ok(existsSync(page), `${view.id}: no page ${page}`);
    assert.ok(existsSync(join(repo, view.module)), `${view.id}: no module ${view.module}`);
    assert.ok(readFileSync(page, 'utf8').includes(`src="${view.script}"`), `${view.id}: ${view.page} does not load ${view.script}`);
  }
});

test('the assembled view site names its scripts and styles by their current content', () => {
  const site = process.env.TAVELO_SITE_DIR || join(repo, 'build/site');
  for (const page of sitePages(site)) {
    const html = readFileSync(page, 'utf8');
    assert.match(html, /\?v=[0-9a-f]{12}"/, `${page} names no asset by content`);
    assert.equal(html, stamped(html, site), `${page} is stale: rebuild`);
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
  for (const css of ['resources/css/pages.css', 'site/css/site.css']) {
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
  const json = (file) => JSON.parse(readFileSync(join(repo, file), 'utf8'));
  assert.ok(readHeatmap(json('site/data/sp500.json')).sectors.length >= 10);
  assert.equal(readSeries(json('site/data/indices.json')).series.length, 4);
  // The site's data is never a script: no page of the site loads one from data/.
  assert.deepEqual(readdirSync(join(repo, 'site/data')).filter((f) => !f.endsWith('.json')), []);
  for (const page of ['site/view.html', 'site/stockView.html', 'site/index.html']) {
    assert.doesNotMatch(readFileSync(join(repo, page), 'utf8'), /<script[^>]*src="[^"]*data\//, page);
  }
});
