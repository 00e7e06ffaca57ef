#!/usr/bin/env node
// Cost of the live-view pages in the real engine: each page runs in the WebKitGTK probe on
// its own Xvfb (1920x1080, software rendering); after it has settled, the CPU time of the
// probe's whole process tree (UI, web and network processes) plus the X server is
// measured over a window and reported as % of one core. The crypto bubbles page is set
// beside a naive baseline that redraws the same bubbles in full every frame.
//
//   node bench/pages/run-bench.mjs [--seconds 60] [--settle 10] [--pages bubbles,naive,chart,heatmap,stocks]
//
// Run it on a quiet machine and compare figures from one run only.

import { spawn } from 'node:child_process';
import { readFileSync, readdirSync, existsSync } from 'node:fs';
import { join, resolve, dirname } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { startSite as startViewSite } from '../../scripts/start-site.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
// The pages with their built scripts: the build's bundle and site output.
const build = process.env.TAVELO_BUILD_DIR || join(repo, 'build');
const args = process.argv.slice(2);
const opt = (name, fallback) => { const i = args.indexOf(name); return i >= 0 ? args[i + 1] : fallback; };
const seconds = Number(opt('--seconds', '60'));
const settle = Number(opt('--settle', '10'));
const probe = process.env.WEBKIT_PAGE_PROBE ||
  [join(repo, 'build/bin/webkit-page-probe'), join(repo, 'build-pages/webkit-page-probe')].find((p) => existsSync(p)) ||
  join(repo, 'build/bin/webkit-page-probe');
const TICK = 100;  // USER_HZ on Linux

function cpuTicks(pid) {
  try {
    const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
    const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    return Number(fields[11]) + Number(fields[12]);
  } catch (e) { return 0; }
}

function descendants(root) {
  const parent = new Map();
  for (const d of readdirSync('/proc')) {
    if (!/^\d+$/.test(d)) continue;
    try {
      const stat = readFileSync(`/proc/${d}/stat`, 'utf8');
      parent.set(Number(d), Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]));
    } catch (e) { /* gone */ }
  }
  const out = [root];
  for (let i = 0; i < out.length; i++) for (const [pid, pp] of parent) if (pp === out[i]) out.push(pid);
  return out;
}

function sample(pids) {
  return new Map(pids.map((p) => [p, cpuTicks(p)]));
}

async function startXvfb() {
  const x = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1920x1080x24', '-nolisten', 'tcp'], { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const display = await new Promise((ok, fail) => {
    x.stdio[3].once('data', (d) => ok(`:${String(d).trim()}`));
    x.once('exit', () => fail(new Error('Xvfb did not start')));
  });
  return { x, display };
}

async function startSite() {
  const site = await startViewSite({ root: join(build, 'site') });
  return { s: { kill: site.stop }, origin: site.origin };
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function measure(url, scheme) {
  const { x, display } = await startXvfb();
  const probeArgs = ['--url', url, '--width', '1920', '--height', '1080', '--wait-ms', String((settle + seconds + 5) * 1000)];
  if (scheme) probeArgs.push('--scheme', scheme);
  const p = spawn(probe, probeArgs, { env: { ...process.env, DISPLAY: display }, stdio: ['ignore', 'pipe', 'ignore'] });
  let errors = 0;
  p.stdout.on('data', (d) => { errors += (String(d).match(/"level":"error"/g) || []).length; });
  await sleep(settle * 1000);
  const pids = descendants(p.pid);
  const before = sample([...pids, x.pid]);
  const t0 = process.hrtime.bigint();
  await sleep(seconds * 1000);
  const after = sample([...pids, x.pid]);
  const elapsed = Number(process.hrtime.bigint() - t0) / 1e9;
  p.kill('SIGTERM'); x.kill('SIGTERM');
  const pct = (list) => (100 * list.reduce((a, pid) => a + (after.get(pid) - before.get(pid)), 0)) / TICK / elapsed;
  return { page: pct(pids), xserver: pct([x.pid]), processes: pids.length, errors };
}

if (!existsSync(probe)) { console.error(`probe not built: ${probe}`); process.exit(2); }
const { s: site, origin } = await startSite();
const res = join(build, 'Tavelo Live Wallpaper.app/Contents/Resources');
const scheme = `probe-res=${res}`;
const PAGES = {
  bubbles: ['crypto bubbles (index.html?darkened=1)', 'probe-res://bundle/index.html?darkened=1', scheme],
  naive: ['naive baseline (same bubbles, full redraw every frame)', pathToFileURL(join(repo, 'bench/pages/naive-bubbles.html')).href],
  chart: ['crypto chart (chartIndex.html?darkened=1)', 'probe-res://bundle/chartIndex.html?darkened=1', scheme],
  heatmap: ['S&P 500 heat map (view.html?darkened=1)', `${origin}/view.html?darkened=1`],
  stocks: ['stocks chart (stockView.html?darkened=1)', `${origin}/stockView.html?darkened=1`],
};
const chosen = opt('--pages', 'bubbles,naive,chart,heatmap,stocks').split(',');
const results = {};
console.log(`window ${seconds} s after ${settle} s settling; CPU as % of one core`);
for (const key of chosen) {
  const [label, url, sch] = PAGES[key];
  const r = await measure(url, sch);
  results[key] = r;
  console.log(`${label.padEnd(58)} page ${r.page.toFixed(2).padStart(6)} %   X server ${r.xserver.toFixed(2).padStart(6)} %`);
}
if (results.bubbles && results.naive) {
  const total = (r) => r.page + r.xserver;
  const ratio = total(results.bubbles) / total(results.naive);
  console.log(`ratio bubbles / naive (page + X server): ${ratio.toFixed(4)} (budget 0.1) ${ratio <= 0.1 ? 'OK' : 'OVER BUDGET'}`);
}
site.kill('SIGTERM');
const over = Object.entries(results).filter(([k, r]) => k !== 'naive' && r.page > 10);
process.exit(over.length ? 1 : 0);
