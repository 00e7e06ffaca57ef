import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { request } from 'node:http';
import { spawn } from 'node:child_process';
import { resolve, dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
import { resolveInside } from '../../scripts/serve-site.mjs';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
// The site as the build assembled it, with its built scripts.
const site = process.env.TAVELO_SITE_DIR || resolve(repo, 'build/site');
let child; let origin;

before(async () => {
  child = spawn(process.execPath, ['scripts/serve-site.mjs', '--root', site, '--port', '0', '--host', '127.0.0.1'], { cwd: repo });
  origin = await new Promise((ok, fail) => {
    child.stdout.once('data', (d) => ok(String(d).trim().split(' ').pop()));
    child.once('exit', (code) => fail(new Error(`server exited ${code}`)));
  });
});
after(() => child.kill('SIGTERM'));

// Raw request so that "../" reaches the server unnormalised.
function get(path) {
  const url = new URL(origin);
  return new Promise((ok, fail) => {
    const req = request({ host: url.hostname, port: url.port, path, method: 'GET' }, (res) => {
      let body = '';
      res.on('data', (d) => { body += d; });
      res.on('end', () => ok({ status: res.statusCode, type: res.headers['content-type'], body }));
    });
    req.on('error', fail);
    req.end();
  });
}

test('prints its URL and serves pages with the right types', async () => {
  assert.match(origin, /^http:\/\/127\.0\.0\.1:\d+$/);
  const cases = { '/': 'text/html', '/view.html?darkened=1': 'text/html', '/js/heatmap.js': 'text/javascript', '/data/sp500.json': 'application/json',
    '/fonts/inter-latin-400-normal.woff2': 'font/woff2', '/css/pages.css': 'text/css' };
  for (const [path, type] of Object.entries(cases)) {
    const res = await get(path);
    assert.equal(res.status, 200, path);
    assert.ok(res.type.startsWith(type), `${path}: ${res.type}`);
  }
  assert.match((await get('/')).body, /Tavelo Live Wallpaper/);
});

test('refuses everything outside the root', async () => {
  for (const path of ['/../README.md', '/%2e%2e/README.md', '/data/..%2f..%2fREADME.md', '/..%5c..%5cREADME.md', '/%00']) {
    const res = await get(path);
    assert.ok([403, 404].includes(res.status), `${path}: ${res.status}`);
    assert.doesNotMatch(res.body, /Tavelo Live Wallpaper\n/);
  }
  assert.equal((await get('/missing.html')).status, 404);
  assert.equal(resolveInside('/srv/site', '/a/../../etc/passwd'), null);
  assert.equal(resolveInside('/srv/site', '/a/b.html?x=../../'), '/srv/site/a/b.html');
  assert.equal(resolveInside('/srv/site', '/%E0%A4%A'), null, 'bad escapes are refused, not thrown');
});
