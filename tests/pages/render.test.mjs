// Renders every page in the real engine (WebKitGTK, through the probe) with no network.
// Needs an X display (ctest runs under Xvfb; by hand: xvfb-run -a node --test ...) and
// the probe binary: $WEBKIT_PAGE_PROBE, or build-pages/webkit-page-probe.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFile, spawn } from 'node:child_process';
import { existsSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve, dirname } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { startSite } from '../../scripts/start-site.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
// The pages as the build assembles them, with their built scripts: the application
// bundle's resources and the view site's output folder.
const resources = process.env.TAVELO_RESOURCES_DIR || join(repo, 'build/Tavelo Live Wallpaper.app/Contents/Resources');
const site = process.env.TAVELO_SITE_DIR || join(repo, 'build/site');
const probe = process.env.WEBKIT_PAGE_PROBE ||
  [join(repo, 'build/bin/webkit-page-probe'), join(repo, 'build-pages/webkit-page-probe')].find((p) => existsSync(p)) ||
  join(repo, 'build/bin/webkit-page-probe');
const DATA_HOSTS = new Set(['api.coingecko.com', 'api.coinpaprika.com', 'data-api.binance.vision', 'api.binance.com',
  'data-stream.binance.vision', 'api.kraken.com']);
const out = mkdtempSync(join(tmpdir(), 'page-render-'));
let server; let origin;

before(async () => {
  assert.ok(process.env.DISPLAY, 'rendering tests need an X display (run under xvfb-run)');
  assert.ok(existsSync(probe), `probe not built: ${probe}`);
  server = await startSite({ root: site });
  origin = server.origin;
});
after(() => { server.stop(); rmSync(out, { recursive: true, force: true }); });

function run(url, name, { width = 1920, height = 1080, scheme } = {}) {
  const args = ['--url', url, '--width', String(width), '--height', String(height), '--wait-ms', '2000',
    '--snapshot', join(out, `${name}.png`), '--eval', 'JSON.stringify(document.getElementById("stage") ? document.getElementById("stage").dataset : {})'];
  if (scheme) args.push('--scheme', scheme);
  return new Promise((ok, fail) => {
    execFile(probe, args, { timeout: 30e3 }, (error, stdout) => {
      if (error && error.killed) return fail(error);
      const events = stdout.split('\n').filter(Boolean).map((l) => JSON.parse(l));
      ok({ code: error ? error.code : 0, events, of: (kind) => events.filter((e) => e.event === kind) });
    });
  });
}

// A request is fine when it stays in the page's folder or goes to a market-data host.
function assertRequests(result, folder) {
  for (const r of result.of('request')) {
    if (r.uri.startsWith(folder)) continue;
    const host = new URL(r.uri).hostname;
    assert.ok(DATA_HOSTS.has(host), `request leaves the page's folder: ${r.uri}`);
  }
}

function assertDrawn(result, label) {
  assert.equal(result.of('load')[0]?.status, 'finished', `${label}: page did not load`);
  const errors = result.of('console').filter((c) => c.level === 'error');
  assert.deepEqual(errors, [], `${label}: console errors`);
  const shot = result.of('snapshot')[0];
  assert.ok(shot && shot.written, `${label}: no snapshot`);
  assert.ok(shot.luma_stddev > 8, `${label}: picture is blank (stddev ${shot.luma_stddev})`);
  const state = JSON.parse(result.of('eval')[0]?.result ?? '{}');
  return { shot, state };
}

const fileBase = pathToFileURL(resources).href + '/';
const LOCAL = [['index.html', 'bubbles'], ['chartIndex.html', 'candles']];

for (const [page, counter] of LOCAL) {
  for (const [how, base, scheme] of [['file', fileBase], ['custom scheme', 'probe-res://bundle/', `probe-res=${resources}`]]) {
    test(`${page} over ${how}: draws at once offline, darkened is darker, stays in its folder`, async () => {
      const plain = await run(base + page, `${page}-${how}-plain`, { scheme });
      const dark = await run(`${base + page}?darkened=1`, `${page}-${how}-dark`, { scheme });
      const a = assertDrawn(plain, 'plain');
      const b = assertDrawn(dark, 'darkened');
      assert.ok(Number(a.state[counter]) >= 20, `${counter}: ${a.state[counter]}`);
      assert.ok(b.shot.mean_luma < a.shot.mean_luma * 0.85, `darkened ${b.shot.mean_luma} vs plain ${a.shot.mean_luma}`);
      assertRequests(plain, base);
      assertRequests(dark, base);
    });
  }
}

test('bubbles fit a small screen without blank output', async () => {
  const r = await run(`probe-res://bundle/index.html?darkened=1`, 'bubbles-small', { width: 480, height: 300, scheme: `probe-res=${resources}` });
  const { shot, state } = assertDrawn(r, 'small');
  assert.equal(shot.width, 480);
  assert.equal(Number(state.bubbles), 100);
});

for (const [page, counter] of [['view.html', 'tiles'], ['stockView.html', 'series']]) {
  test(`site ${page}: draws from the loopback site, darkened is darker, same-origin only`, async () => {
    const plain = await run(`${origin}/${page}`, `${page}-plain`);
    const dark = await run(`${origin}/${page}?darkened=1`, `${page}-dark`);
    const a = assertDrawn(plain, 'plain');
    const b = assertDrawn(dark, 'darkened');
    assert.ok(Number(a.state[counter]) > 0);
    assert.ok(b.shot.mean_luma < a.shot.mean_luma * 0.85, `darkened ${b.shot.mean_luma} vs plain ${a.shot.mean_luma}`);
    assertRequests(plain, `${origin}/`);
    assertRequests(dark, `${origin}/`);
    assert.ok(plain.of('request').some((r) => r.uri === `${origin}/data/${page === 'view.html' ? 'sp500' : 'indices'}.json`), 'reads the live data file');
  });
}

test('site root page renders without errors', async () => {
  const r = await run(`${origin}/`, 'site-root', { width: 1280, height: 800 });
  assertDrawn(r, 'root');
  assertRequests(r, `${origin}/`);
});
