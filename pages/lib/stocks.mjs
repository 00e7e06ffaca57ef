// The view site's own stock data files (site/data/*.json), written by the regeneration
// script. The pages re-read them periodically; the files are the live source.
import { readJson, finiteNumber } from './response.mjs';
import { cleanText, cleanSymbol } from './text.mjs';

export const LARGEST_CAP = 1e14;
const LARGEST_CHANGE = 1000;

function meta(json) {
  const updatedAt = Date.parse(json.updatedAt);
  const source = typeof json.source === 'string' ? json.source : '';
  return { updatedAt: Number.isFinite(updatedAt) ? updatedAt : NaN, kind: source === 'sample' ? 'sample' : 'live', source };
}

export function readHeatmap(json) {
  if (!json || typeof json !== 'object' || !Array.isArray(json.companies)) return { ok: false, error: 'malformed' };
  const bySector = new Map();
  const seen = new Set();
  for (const c of json.companies) {
    if (!c || typeof c !== 'object') continue;
    const symbol = cleanSymbol(c.s);
    const cap = finiteNumber(c.cap);
    // No company is worth a hundred trillion dollars: one absurd cap would shrink every
    // other tile to nothing.
    if (!symbol || seen.has(symbol) || cap === null || cap <= 0 || cap > LARGEST_CAP) continue;
    seen.add(symbol);
    const sector = cleanText(c.sector, 32) || 'Other';
    if (!bySector.has(sector)) bySector.set(sector, []);
    const change = finiteNumber(c.chg);
    bySector.get(sector).push({ symbol, name: cleanText(c.n, 40) || symbol, cap,
      change: change !== null && Math.abs(change) <= LARGEST_CHANGE ? change : null });
  }
  if (bySector.size === 0) return { ok: false, error: json.companies.length ? 'malformed' : 'empty' };
  const sectors = [...bySector].map(([name, companies]) => ({ name, companies, cap: companies.reduce((a, c) => a + c.cap, 0) }));
  sectors.sort((a, b) => b.cap - a.cap);
  return { ok: true, sectors, ...meta(json) };
}

export function parseHeatmap(status, text) {
  const read = readJson(status, text);
  return read.ok ? readHeatmap(read.json) : read;
}

export function readSeries(json) {
  if (!json || typeof json !== 'object' || !Array.isArray(json.series)) return { ok: false, error: 'malformed' };
  const series = [];
  for (const s of json.series) {
    if (!s || !Array.isArray(s.closes)) continue;
    const points = [];
    for (const p of s.closes) {
      const t = Array.isArray(p) ? finiteNumber(p[0]) : null;
      const v = Array.isArray(p) ? finiteNumber(p[1]) : null;
      if (t !== null && v !== null && v > 0 && (points.length === 0 || t > points[points.length - 1][0])) points.push([t, v]);
    }
    const symbol = cleanSymbol(s.symbol);
    if (!symbol || points.length < 2) continue;
    series.push({ symbol, name: cleanText(s.name, 40) || symbol, points });
  }
  if (series.length === 0) return { ok: false, error: json.series.length ? 'malformed' : 'empty' };
  return { ok: true, series, ...meta(json) };
}

export function parseSeries(status, text) {
  const read = readJson(status, text);
  return read.ok ? readSeries(read.json) : read;
}
