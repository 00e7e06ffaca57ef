// Axis helpers for the charts: round tick values and readable time ticks.

export function niceStep(span, count) {
  if (!(span > 0) || !(count > 0)) return 1;
  const raw = span / count;
  const mag = 10 ** Math.floor(Math.log10(raw));
  const norm = raw / mag;
  const nice = norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 2.5 ? 2.5 : norm <= 5 ? 5 : 10;
  return nice * mag;
}

export function niceTicks(min, max, count = 5) {
  if (!Number.isFinite(min) || !Number.isFinite(max)) return [];
  if (max < min) [min, max] = [max, min];
  if (max === min) return [min];
  const stepSize = niceStep(max - min, count);
  const ticks = [];
  for (let v = Math.ceil(min / stepSize) * stepSize; v <= max + stepSize * 1e-9; v += stepSize) {
    ticks.push(Number(v.toFixed(10)));
  }
  return ticks;
}

const MINUTE = 60e3;
const TIME_STEPS = [5, 10, 15, 30, 60, 120, 180, 240, 360, 720, 1440, 2880, 10080, 20160].map((m) => m * MINUTE);

// Ticks on local-time boundaries (whole hours, midnights) so labels read naturally.
export function timeTicks(t0, t1, count = 6) {
  if (!(t1 > t0)) return [];
  const want = (t1 - t0) / count;
  const stepMs = TIME_STEPS.find((s) => s >= want) ?? TIME_STEPS[TIME_STEPS.length - 1];
  const offset = new Date(t0).getTimezoneOffset() * MINUTE;
  const ticks = [];
  let t = Math.ceil((t0 - offset) / Math.min(stepMs, 1440 * MINUTE)) * Math.min(stepMs, 1440 * MINUTE) + offset;
  if (stepMs > 1440 * MINUTE) {
    while (new Date(t).getDay() !== 1) t += 1440 * MINUTE;  // weekly ticks on Mondays
  }
  for (; t <= t1; t += stepMs) ticks.push(t);
  return { ticks, stepMs };
}

const MONTHS = ['Jan', 'Feb', 'Mar', 'Apr', 'May', 'Jun', 'Jul', 'Aug', 'Sep', 'Oct', 'Nov', 'Dec'];

export function formatTimeTick(t, stepMs) {
  const d = new Date(t);
  const two = (n) => String(n).padStart(2, '0');
  if (stepMs >= 1440 * MINUTE || (d.getHours() === 0 && d.getMinutes() === 0)) return `${MONTHS[d.getMonth()]} ${d.getDate()}`;
  return `${two(d.getHours())}:${two(d.getMinutes())}`;
}

export function linear(d0, d1, r0, r1) {
  const k = d1 === d0 ? 0 : (r1 - r0) / (d1 - d0);
  return (v) => r0 + (v - d0) * k;
}
