// Squarified treemap: rectangles whose areas follow the values, kept close to square so
// tickers fit. Used two levels deep for the heat map (sectors, then companies).

function worstRatio(row, side, scale) {
  let sum = 0; let max = -Infinity; let min = Infinity;
  for (const v of row) { sum += v; max = Math.max(max, v); min = Math.min(min, v); }
  const s = sum * scale;
  const side2 = side * side;
  return Math.max((side2 * max * scale) / (s * s), (s * s) / (side2 * min * scale));
}

// items: [{ value, ... }]; returns [{ item, x, y, w, h }] covering rect exactly.
export function squarify(items, rect) {
  const list = items.filter((it) => Number.isFinite(it.value) && it.value > 0).sort((a, b) => b.value - a.value);
  const total = list.reduce((a, it) => a + it.value, 0);
  const out = [];
  if (!total || rect.w <= 0 || rect.h <= 0) return out;
  let { x, y, w, h } = rect;
  const scale = (w * h) / total;
  let i = 0;
  while (i < list.length) {
    const side = Math.min(w, h);
    const row = [list[i].value];
    let j = i + 1;
    while (j < list.length) {
      const next = row.concat([list[j].value]);
      if (worstRatio(next, side, scale) > worstRatio(row, side, scale)) break;
      row.push(list[j].value);
      j++;
    }
    const rowArea = row.reduce((a, v) => a + v, 0) * scale;
    const last = j >= list.length;
    if (w >= h) {
      const rw = last ? w : rowArea / h;
      let cy = y;
      for (let k = i; k < j; k++) {
        const ih = k === j - 1 ? y + h - cy : (list[k].value * scale) / rw;
        out.push({ item: list[k], x, y: cy, w: rw, h: ih });
        cy += ih;
      }
      x += rw; w -= rw;
    } else {
      const rh = last ? h : rowArea / w;
      let cx = x;
      for (let k = i; k < j; k++) {
        const iw = k === j - 1 ? x + w - cx : (list[k].value * scale) / rh;
        out.push({ item: list[k], x: cx, y, w: iw, h: rh });
        cx += iw;
      }
      y += rh; h -= rh;
    }
    i = j;
  }
  return out;
}

// Sectors first, then companies inside each sector below a header band when the
// sector is big enough to carry its name.
export function layoutHeatmap(sectors, rect, { gap = 2, header = 18, minHeaderArea = 9000 } = {}) {
  const tiles = [];
  const groups = [];
  const sectorRects = squarify(sectors.map((s) => ({ value: s.cap, sector: s })), rect);
  for (const sr of sectorRects) {
    const inner = { x: sr.x + gap / 2, y: sr.y + gap / 2, w: Math.max(0, sr.w - gap), h: Math.max(0, sr.h - gap) };
    const showHeader = inner.w * inner.h >= minHeaderArea && inner.h > header * 3;
    const body = showHeader ? { x: inner.x, y: inner.y + header, w: inner.w, h: inner.h - header } : inner;
    groups.push({ sector: sr.item.sector, x: inner.x, y: inner.y, w: inner.w, h: inner.h, header: showHeader ? header : 0 });
    for (const cr of squarify(sr.item.sector.companies.map((c) => ({ value: c.cap, company: c })), body)) {
      tiles.push({ company: cr.item.company, sector: sr.item.sector.name, x: cr.x, y: cr.y, w: cr.w, h: cr.h });
    }
  }
  return { groups, tiles };
}
