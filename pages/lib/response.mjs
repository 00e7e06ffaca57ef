// Classifies a raw HTTP answer before a source-specific parser looks at it, so that
// every source reports the same kinds of failure: 'rate-limited', 'http-<status>',
// 'empty', 'truncated', 'malformed'.

export function readJson(status, text) {
  if (status === 429 || status === 418) return { ok: false, error: 'rate-limited' };
  if (status !== 200) return { ok: false, error: `http-${status}` };
  const body = typeof text === 'string' ? text.trim() : '';
  if (body === '') return { ok: false, error: 'empty' };
  try {
    return { ok: true, json: JSON.parse(body) };
  } catch (e) {
    const opener = body[0];
    const closer = body[body.length - 1];
    const cutShort = (opener === '[' && closer !== ']') || (opener === '{' && closer !== '}');
    return { ok: false, error: cutShort ? 'truncated' : 'malformed' };
  }
}

export function finiteNumber(value) {
  const n = typeof value === 'string' && value.trim() !== '' ? Number(value) : value;
  return typeof n === 'number' && Number.isFinite(n) ? n : null;
}
