// Number, time and staleness formatting shared by every page. Pure functions, so the
// pages and the tests agree on exactly what a user reads.

export const MINUS = '\u2212';

function fixed(value, digits) {
  return value.toLocaleString('en-US', { minimumFractionDigits: digits, maximumFractionDigits: digits });
}

// "+3.4%", "−0.8%", "+128%": the sign is always shown, big moves lose their decimals.
export function formatPercent(value) {
  if (typeof value !== 'number' || !Number.isFinite(value)) return '—';
  const abs = Math.abs(value);
  const digits = abs >= 100 ? 0 : 1;
  const rounded = Number(abs.toFixed(digits));
  if (rounded === 0) return (0).toFixed(digits) + '%';
  return (value > 0 ? '+' : MINUS) + fixed(rounded, digits) + '%';
}

// Prices from 100,000 down to fractions of a cent, always with a readable precision.
export function formatPrice(value) {
  if (typeof value !== 'number' || !Number.isFinite(value)) return '—';
  const abs = Math.abs(value);
  let digits;
  if (abs >= 1000) digits = 2;
  else if (abs >= 1) digits = abs >= 100 ? 2 : 3;
  else if (abs === 0) digits = 2;
  else digits = Math.min(8, Math.max(4, 3 - Math.floor(Math.log10(abs))));
  const text = fixed(abs, digits);
  return (value < 0 ? MINUS : '') + text;
}

// Market capitalisations: "3.42T", "512B", "18.7M".
export function formatCompact(value) {
  if (typeof value !== 'number' || !Number.isFinite(value)) return '—';
  const abs = Math.abs(value);
  const units = [[1e12, 'T'], [1e9, 'B'], [1e6, 'M'], [1e3, 'K']];
  for (const [size, unit] of units) {
    if (abs >= size) {
      const n = abs / size;
      const digits = n >= 100 ? 0 : n >= 10 ? 1 : 2;
      return (value < 0 ? MINUS : '') + Number(n.toFixed(digits)) + unit;
    }
  }
  return (value < 0 ? MINUS : '') + String(Math.round(abs));
}

export function formatAge(ms) {
  if (typeof ms !== 'number' || !Number.isFinite(ms) || ms < 45e3) return 'just now';
  const minutes = Math.round(ms / 60e3);
  if (minutes < 60) return `${Math.max(1, minutes)} min ago`;
  const hours = Math.floor(ms / 3600e3);
  if (hours < 24) return `${hours} h ago`;
  const days = Math.floor(ms / 86400e3);
  return days === 1 ? '1 day ago' : `${days} days ago`;
}

// Where a view's data came from, as the note names it.
const SOURCE_NAMES = {
  nasdaq: 'Nasdaq', fmp: 'Financial Modeling Prep', stooq: 'Stooq', binance: 'Binance', kraken: 'Kraken',
  coinbase: 'Coinbase', coingecko: 'CoinGecko', coinpaprika: 'CoinPaprika',
};

export function sourceName(source) {
  if (typeof source !== 'string' || source === '' || source === 'sample') return '';
  return SOURCE_NAMES[source] || source.replace(/[^A-Za-z0-9 .-]/g, '').slice(0, 32);
}

// A view whose data is older than this has heard from none of its sources for a day.
export const SILENT_AFTER_MS = 24 * 3600e3;

// The note under every view: where its data came from and how old it is.
//   kind: 'live' (last refresh came from the source), 'snapshot' (shipped or cached data
//   of real origin), 'sample' (made-up values on real names: the shipped sample only).
export function statusText({ kind, source, updatedAt, now, online = true }) {
  if (kind === 'sample') return online ? 'sample data' : 'offline · sample data';
  const from = sourceName(source);
  const age = Number.isFinite(updatedAt) && Number.isFinite(now) ? now - updatedAt : NaN;
  const offline = online ? '' : 'offline · ';
  if (!Number.isFinite(age)) return offline + (from || 'age unknown');
  if (age >= SILENT_AFTER_MS && online) {
    return `No source has answered for ${formatAge(age).replace(' ago', '')}; showing the last data${from ? ` from ${from}` : ''}`;
  }
  return `${offline}${from ? `${from} · ` : ''}updated ${formatAge(age)}`;
}
