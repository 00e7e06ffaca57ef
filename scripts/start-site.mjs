// Starts the view site program (the same one the installed product runs) on a free
// loopback port, for the page tests and benchmarks. Its data job stays off: tests send
// nothing beyond loopback.
//   const site = await startSite({ root: 'build/site' }); ... site.origin ... site.stop();
import { spawn } from 'node:child_process';
import { existsSync } from 'node:fs';
import { createServer } from 'node:net';
import { join, resolve, dirname } from 'node:path';
import { fileURLToPath } from 'node:url';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '..');

export function siteProgram() {
  return process.env.TAVELO_SITE_PROGRAM || join(repo, 'build/bin/tavelo-live-wallpaper-site');
}

function freePort() {
  return new Promise((ok, fail) => {
    const probe = createServer();
    probe.once('error', fail);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => ok(port));
    });
  });
}

export async function startSite({ root = join(repo, 'build/site') } = {}) {
  const program = siteProgram();
  if (!existsSync(program)) throw new Error(`view site program not built: ${program}`);
  const port = await freePort();
  const child = spawn(program, ['--listen', `127.0.0.1:${port}`, '--root', resolve(root), '--no-data-job', '--idle-exit', '0'],
    { stdio: ['ignore', 'ignore', 'pipe'] });
  let log = '';
  child.stderr.on('data', (d) => { log += d; });
  const origin = `http://127.0.0.1:${port}`;
  for (let i = 0; i < 100; i++) {
    if (child.exitCode !== null) break;
    try {
      const res = await fetch(`${origin}/.well-known/tavelo-live-wallpaper-site`);
      if (res.ok && (await res.json()).service === 'tavelo-live-wallpaper-site') {
        return { origin, stop: () => child.kill('SIGTERM') };
      }
    } catch { /* not listening yet */ }
    await new Promise((r) => setTimeout(r, 50));
  }
  child.kill('SIGKILL');
  throw new Error(`the view site did not start: ${log}`);
}
