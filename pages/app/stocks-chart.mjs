// Stocks chart: the major US indices (through their ETFs) as four area charts over the
// last six months, each with its last close and its day's move. Static between data
// refreshes; nothing animates.
import { formatPercent, formatPrice } from '../lib/format.mjs';
import { parseSeries, readSeries } from '../lib/stocks.mjs';
import { niceTicks, linear } from '../lib/scale.mjs';
import { theme, rgb } from '../lib/palette.mjs';
import { pageFlags, statusNote, sharpCanvas, canvasFont, followDataFile } from './common.mjs';

const MONTHS = ['Jan', 'Feb', 'Mar', 'Apr', 'May', 'Jun', 'Jul', 'Aug', 'Sep', 'Oct', 'Nov', 'Dec'];
const flags = pageFlags();
const colors = theme(flags.darkened);
document.documentElement.classList.toggle('darkened', flags.darkened);
const note = statusNote(document.getElementById('status'));
const canvas = document.getElementById('stage');
let data = null;

const surface = sharpCanvas(canvas, () => draw());
const ctx = surface.ctx;

function panel(series, box, small) {
  const pts = series.points;
  const last = pts[pts.length - 1][1];
  const prev = pts[pts.length - 2][1];
  const day = ((last - prev) / prev) * 100;
  const period = ((last - pts[0][1]) / pts[0][1]) * 100;
  const col = period >= 0 ? colors.up : colors.down;
  const fs = small ? 10 : Math.round(Math.max(11, Math.min(16, box.h / 24)));
  const titleSize = Math.round(fs * 1.25);
  const priceSize = Math.round(fs * (small ? 1.8 : 2.6));

  ctx.textBaseline = 'alphabetic'; ctx.textAlign = 'left';
  ctx.font = canvasFont(600, titleSize);
  ctx.fillStyle = rgb(colors.text, 0.9);
  ctx.fillText(series.name, box.x, box.y + titleSize);
  const nameW = ctx.measureText(series.name).width;
  ctx.font = canvasFont(400, fs);
  ctx.fillStyle = rgb(colors.muted);
  ctx.fillText(series.symbol, box.x + nameW + fs * 0.6, box.y + titleSize);
  ctx.font = canvasFont(700, priceSize);
  ctx.fillStyle = rgb(colors.text);
  const priceY = box.y + titleSize + priceSize * 1.15;
  const price = formatPrice(last);
  ctx.fillText(price, box.x, priceY);
  const pw = ctx.measureText(price).width;
  ctx.font = canvasFont(600, fs * 1.1);
  ctx.fillStyle = rgb(day >= 0 ? colors.up : colors.down, 1);
  ctx.fillText(`${formatPercent(day)} today`, box.x + pw + fs, priceY);
  ctx.fillStyle = rgb(colors.muted);
  ctx.textAlign = 'right';
  ctx.fillText(`${formatPercent(period)} · 6 mo`, box.x + box.w, priceY);

  const plot = { x: box.x, y: priceY + fs * 1.2, w: box.w - (small ? 34 : fs * 4), h: box.y + box.h - (priceY + fs * 1.2) - fs * 1.6 };
  if (plot.h < 20) return;
  let lo = Infinity; let hi = -Infinity;
  for (const [, v] of pts) { lo = Math.min(lo, v); hi = Math.max(hi, v); }
  const pad = (hi - lo) * 0.08 || hi * 0.01;
  lo -= pad; hi += pad;
  const x = linear(pts[0][0], pts[pts.length - 1][0], plot.x, plot.x + plot.w);
  const y = linear(lo, hi, plot.y + plot.h, plot.y);
  ctx.font = canvasFont(400, fs * 0.85);
  ctx.textAlign = 'left'; ctx.textBaseline = 'middle';
  ctx.lineWidth = 1;
  for (const v of niceTicks(lo, hi, small ? 3 : 4)) {
    const yy = Math.round(y(v)) + 0.5;
    ctx.strokeStyle = rgb(colors.grid);
    ctx.beginPath(); ctx.moveTo(plot.x, yy); ctx.lineTo(plot.x + plot.w, yy); ctx.stroke();
    ctx.fillStyle = rgb(colors.muted);
    ctx.fillText(String(Math.round(v)), plot.x + plot.w + 6, yy);
  }
  // Month labels along the bottom.
  ctx.textAlign = 'center'; ctx.textBaseline = 'top';
  let month = -1;
  for (const [t] of pts) {
    const d = new Date(t);
    if (d.getMonth() === month) continue;
    if (month !== -1) ctx.fillText(MONTHS[d.getMonth()], x(t), plot.y + plot.h + fs * 0.45);
    month = d.getMonth();
  }
  const grad = ctx.createLinearGradient(0, plot.y, 0, plot.y + plot.h);
  grad.addColorStop(0, rgb(col, flags.darkened ? 0.22 : 0.32));
  grad.addColorStop(1, rgb(col, 0));
  ctx.beginPath();
  pts.forEach(([t, v], i) => (i ? ctx.lineTo(x(t), y(v)) : ctx.moveTo(x(t), y(v))));
  ctx.lineTo(x(pts[pts.length - 1][0]), plot.y + plot.h);
  ctx.lineTo(x(pts[0][0]), plot.y + plot.h);
  ctx.closePath();
  ctx.fillStyle = grad; ctx.fill();
  ctx.beginPath();
  pts.forEach(([t, v], i) => (i ? ctx.lineTo(x(t), y(v)) : ctx.moveTo(x(t), y(v))));
  ctx.strokeStyle = rgb(col, flags.darkened ? 0.8 : 1);
  ctx.lineWidth = small ? 1.2 : 2;
  ctx.lineJoin = 'round';
  ctx.stroke();
  ctx.beginPath();
  ctx.arc(x(pts[pts.length - 1][0]), y(last), small ? 2.5 : 4, 0, Math.PI * 2);
  ctx.fillStyle = rgb(col); ctx.fill();
}

function draw() {
  const { width, height, dpr } = surface.size;
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.clearRect(0, 0, canvas.width, canvas.height);
  ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  if (!data) return;
  const small = width < 700;
  const list = data.series.slice(0, 4);
  const cols = list.length > 1 ? 2 : 1;
  const rows = Math.ceil(list.length / cols);
  const outer = small ? 12 : Math.round(Math.min(width, height) * 0.05);
  const gapX = small ? 16 : outer;
  const gapY = small ? 12 : Math.round(outer * 0.8);
  const top = outer; const bottom = small ? 26 : outer;
  const cw = (width - 2 * outer - gapX * (cols - 1)) / cols;
  const ch = (height - top - bottom - gapY * (rows - 1)) / rows;
  list.forEach((s, i) => panel(s, { x: outer + (i % cols) * (cw + gapX), y: top + Math.floor(i / cols) * (ch + gapY), w: cw, h: ch }, small));
  canvas.dataset.drawnAt = String(Date.now());
  canvas.dataset.series = String(list.length);
}

followDataFile({
  path: 'data/indices.json',
  parse: parseSeries,
  note,
  current: () => data,
  show: (result) => { data = result; draw(); },
  draw,
});
