// S&P 500 heat map: sectors, then companies, tile area by market cap, colour by the
// day's change. Drawn once per data change or resize; nothing moves in between.
import { formatPercent } from '../lib/format.mjs';
import { parseHeatmap, readHeatmap } from '../lib/stocks.mjs';
import { layoutHeatmap } from '../lib/treemap.mjs';
import { theme, changeColor, rgb, mix } from '../lib/palette.mjs';
import { pageFlags, statusNote, sharpCanvas, canvasFont, followDataFile } from './common.mjs';

const flags = pageFlags();
const colors = theme(flags.darkened);
document.documentElement.classList.toggle('darkened', flags.darkened);
const note = statusNote(document.getElementById('status'));
const canvas = document.getElementById('stage');
let data = null;

const surface = sharpCanvas(canvas, () => draw());
const ctx = surface.ctx;

function fitText(text, weight, size, maxWidth) {
  ctx.font = canvasFont(weight, size);
  const w = ctx.measureText(text).width;
  return w <= maxWidth ? size : size * (maxWidth / w);
}

function draw() {
  const { width, height, dpr } = surface.size;
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.clearRect(0, 0, canvas.width, canvas.height);
  ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  if (!data) return;
  const small = width < 700;
  const captionH = small ? 22 : Math.max(28, Math.round(height * 0.035));
  const margin = small ? 4 : Math.round(Math.min(width, height) * 0.012);
  const header = small ? 13 : Math.round(Math.max(16, Math.min(24, height * 0.02)));
  const { groups, tiles } = layoutHeatmap(data.sectors, { x: margin, y: margin, w: width - 2 * margin, h: height - 2 * margin - captionH },
    { gap: small ? 2 : 4, header, minHeaderArea: small ? 4000 : 12000 });

  ctx.textAlign = 'left'; ctx.textBaseline = 'middle';
  for (const g of groups) {
    if (!g.header) continue;
    const size = fitText(g.sector.name.toUpperCase(), 600, header * 0.6, g.w - 8);
    ctx.font = canvasFont(600, size);
    ctx.fillStyle = rgb(colors.muted);
    ctx.fillText(g.sector.name.toUpperCase(), g.x + 3, g.y + header / 2);
  }
  ctx.textAlign = 'center';
  for (const t of tiles) {
    const c = t.company;
    const col = changeColor(c.change, flags.darkened, 3);
    const x = t.x + 0.5; const y = t.y + 0.5; const w = t.w - 1; const h = t.h - 1;
    if (w <= 0 || h <= 0) continue;
    ctx.fillStyle = rgb(col);
    ctx.fillRect(x, y, w, h);
    // A faint top light gives the tiles depth without any per-frame cost.
    ctx.fillStyle = rgb(mix(col, [255, 255, 255], 0.08));
    ctx.fillRect(x, y, w, Math.min(h, Math.max(1, h * 0.04)));
    const area = w * h;
    if (w < 22 || h < 14) continue;
    const base = Math.min(w * 0.28, h * 0.36, Math.sqrt(area) * 0.22, 64);
    if (base < 7) continue;
    const symSize = fitText(c.symbol, 700, base, w - 6);
    const showChange = h > symSize * 2.6 && symSize >= 9;
    ctx.fillStyle = rgb(colors.text, flags.darkened ? 0.9 : 1);
    ctx.font = canvasFont(700, symSize);
    ctx.fillText(c.symbol, x + w / 2, y + h / 2 - (showChange ? symSize * 0.42 : 0));
    if (showChange) {
      ctx.font = canvasFont(500, symSize * 0.62);
      ctx.fillStyle = rgb(colors.text, 0.8);
      ctx.fillText(formatPercent(c.change), x + w / 2, y + h / 2 + symSize * 0.55);
    }
  }
  canvas.dataset.drawnAt = String(Date.now());
  canvas.dataset.tiles = String(tiles.length);
}

followDataFile({
  path: 'data/sp500.json',
  parse: parseHeatmap,
  note,
  current: () => data,
  show: (result) => { data = result; draw(); },
  draw,
});
