// Parsers for the stock sources the data script reads (not used by the pages).
import { readJson, finiteNumber } from '../pages/lib/response.mjs';

// Stooq daily CSV: Date,Open,High,Low,Close,Volume -> [[ms, close], ...]
export function parseStooqCsv(status, text) {
  if (status !== 200 || typeof text !== 'string') return [];
  const rows = text.trim().split(/\r?\n/);
  if (!/^date,/i.test(rows[0] || '')) return [];
  const out = [];
  for (const row of rows.slice(1)) {
    const [date, , , , close] = row.split(',');
    const t = Date.parse(`${date}T20:00:00Z`);
    const c = finiteNumber(close);
    if (Number.isFinite(t) && c !== null && c > 0 && (!out.length || t > out[out.length - 1][0])) out.push([t, c]);
  }
  return out;
}

// Nasdaq screener: { data: { rows: [{ symbol, marketCap: "3,400,000", pctchange: "-0.53%" }] } }
export function parseNasdaqScreener(status, text, members) {
  const read = readJson(status, text);
  const rows = read.ok && read.json && read.json.data && Array.isArray(read.json.data.rows) ? read.json.data.rows : [];
  const out = [];
  for (const row of rows) {
    const symbol = String(row.symbol || '').trim().replace('/', '.');
    const member = members.get(symbol);
    if (!member) continue;
    const cap = finiteNumber(String(row.marketCap || '').replace(/,/g, ''));
    // "UNCH" is Nasdaq's word for a price that did not move.
    const chg = row.pctchange === 'UNCH' ? 0 : finiteNumber(String(row.pctchange || '').replace('%', ''));
    if (cap && cap > 0 && cap <= 1e14) out.push({ s: symbol, n: member.n, sector: member.sector, cap, chg });
  }
  return out;
}
