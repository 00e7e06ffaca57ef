#!/usr/bin/env node
// Names the view site's scripts and styles by their content in its pages
// (js/heatmap.js?v=<hash>), so the site can let browsers keep them for a year: a
// changed file gets a new address. Data files are never stamped: they change in place.
// The build runs it on the site it assembles (build/site/); the pages in site/ name
// their assets plainly.
//
//   node scripts/stamp-site.mjs DIR           rewrite the stamps in DIR/*.html
//   node scripts/stamp-site.mjs DIR --check   exit 1 if a stamp there is out of date
import { createHash } from 'node:crypto';
import { readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const ASSET = /\b(src|href)="((?:js|css)\/[A-Za-z0-9._-]+\.(?:js|css))(?:\?v=[0-9a-f]*)?"/g;

export function contentStamp(file) {
  return createHash('sha256').update(readFileSync(file)).digest('hex').slice(0, 12);
}

export function stamped(html, site) {
  return html.replace(ASSET, (all, attribute, path) => `${attribute}="${path}?v=${contentStamp(join(site, path))}"`);
}

export function sitePages(site) {
  return readdirSync(site).filter((f) => f.endsWith('.html')).map((f) => join(site, f));
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const site = process.argv.slice(2).find((a) => !a.startsWith('--'));
  if (!site) { console.error('usage: stamp-site.mjs DIR [--check]'); process.exit(2); }
  const check = process.argv.includes('--check');
  let stale = false;
  for (const page of sitePages(site)) {
    const html = readFileSync(page, 'utf8');
    const next = stamped(html, site);
    if (next === html) continue;
    stale = true;
    if (check) console.error(`${page}: stamps out of date`);
    else writeFileSync(page, next);
  }
  process.exit(check && stale ? 1 : 0);
}
