#!/usr/bin/env node
// Static file server for the view site on loopback, for `make run` and the tests.
//   node scripts/serve-site.mjs --root site --port 8787 --host 127.0.0.1
// Prints one line with its URL once it listens. --port 0 picks a free port.

import { createServer } from 'node:http';
import { createReadStream, promises as fs } from 'node:fs';
import { extname, join, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

export const MIME = {
  '.html': 'text/html; charset=utf-8', '.css': 'text/css; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8', '.mjs': 'text/javascript; charset=utf-8',
  '.json': 'application/json; charset=utf-8', '.svg': 'image/svg+xml', '.png': 'image/png',
  '.jpg': 'image/jpeg', '.jpeg': 'image/jpeg', '.webp': 'image/webp', '.ico': 'image/x-icon',
  '.woff2': 'font/woff2', '.woff': 'font/woff', '.txt': 'text/plain; charset=utf-8', '.map': 'application/json',
};

// Maps a request path to a file under root, or null when it would leave root.
export function resolveInside(root, urlPath) {
  let decoded;
  try { decoded = decodeURIComponent(urlPath.split('?')[0].split('#')[0]); } catch (e) { return null; }
  if (decoded.includes('\0')) return null;
  const target = resolve(root, '.' + (decoded.startsWith('/') ? decoded : '/' + decoded));
  return target === root || target.startsWith(root + sep) ? target : null;
}

export function startServer({ root, port = 0, host = '127.0.0.1' }) {
  const base = resolve(root);
  const server = createServer(async (req, res) => {
    const send = (status, text) => {
      res.writeHead(status, { 'content-type': 'text/plain; charset=utf-8', 'x-content-type-options': 'nosniff' });
      res.end(text);
    };
    if (req.method !== 'GET' && req.method !== 'HEAD') return send(405, 'method not allowed');
    let file = resolveInside(base, req.url || '/');
    if (!file) return send(403, 'forbidden');
    try {
      let stat = await fs.stat(file);
      if (stat.isDirectory()) { file = join(file, 'index.html'); stat = await fs.stat(file); }
      // Symlinks must not lead out of the root either.
      const real = await fs.realpath(file);
      const realBase = await fs.realpath(base);
      if (!real.startsWith(realBase + sep)) return send(403, 'forbidden');
      res.writeHead(200, {
        'content-type': MIME[extname(file).toLowerCase()] || 'application/octet-stream',
        'content-length': stat.size,
        'cache-control': file.includes(`${sep}data${sep}`) ? 'no-cache' : 'public, max-age=300',
        'x-content-type-options': 'nosniff',
      });
      if (req.method === 'HEAD') return res.end();
      createReadStream(file).pipe(res);
    } catch (e) {
      send(404, 'not found');
    }
  });
  return new Promise((ok, fail) => {
    server.once('error', fail);
    server.listen(port, host, () => ok(server));
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const args = process.argv.slice(2);
  const opt = (name, fallback) => { const i = args.indexOf(name); return i >= 0 && args[i + 1] ? args[i + 1] : fallback; };
  const host = opt('--host', '127.0.0.1');
  startServer({ root: opt('--root', 'site'), port: Number(opt('--port', '8787')), host }).then((server) => {
    console.log(`serving ${resolve(opt('--root', 'site'))} at http://${host}:${server.address().port}`);
    const stop = () => server.close(() => process.exit(0));
    process.on('SIGTERM', stop);
    process.on('SIGINT', stop);
  }, (e) => { console.error(`serve-site: ${e.message}`); process.exit(1); });
}
