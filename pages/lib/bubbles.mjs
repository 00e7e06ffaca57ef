// Bubble sizing and packing. A bubble's area follows the size of its coin's move; the
// bubbles are spread over the whole screen and pushed apart until none overlap, then the
// simulation stops for good: a settled wallpaper costs nothing to show.

export function mulberry32(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// Radii such that the bubbles cover about `fill` of the screen, area proportional to
// |change|, with a floor so a flat coin is still a readable dot and a cap so one wild
// move cannot swallow the screen.
export function bubbleRadii(changes, width, height, { fill = 0.5, floorPct = 0.4 } = {}) {
  const n = changes.length;
  if (n === 0 || !(width > 0) || !(height > 0)) return [];
  const short = Math.min(width, height);
  const minR = Math.max(4, short * 0.02);
  const maxR = short * 0.2;
  const weights = changes.map((c) => Math.max(Number.isFinite(c) ? Math.abs(c) : 0, floorPct));
  const target = fill * width * height;
  // Clamping changes the total, so find the scale by bisection on the clamped sum.
  const areaFor = (k) => weights.reduce((sum, w) => {
    const r = Math.min(maxR, Math.max(minR, Math.sqrt((k * w) / Math.PI)));
    return sum + Math.PI * r * r;
  }, 0);
  let lo = 0;
  let hi = 1;
  while (areaFor(hi) < target && hi < 1e15) hi *= 2;
  for (let i = 0; i < 50; i++) {
    const mid = (lo + hi) / 2;
    if (areaFor(mid) < target) lo = mid; else hi = mid;
  }
  return weights.map((w) => Math.min(maxR, Math.max(minR, Math.sqrt((lo * w) / Math.PI))));
}

// Bodies: { id, r, x, y, px, py } (px/py: previous position, Verlet style).
export function placeBodies(items, width, height, { seed = 1, previous = new Map() } = {}) {
  const rnd = mulberry32(seed);
  return items.map(({ id, r }) => {
    const old = previous.get(id);
    const x = old ? old.x : r + rnd() * Math.max(0, width - 2 * r);
    const y = old ? old.y : r + rnd() * Math.max(0, height - 2 * r);
    return { id, r, x, y, px: x, py: y };
  });
}

// Moves a bubble out of a rectangle the page keeps clear (the caption in a corner), by
// the shortest way that stays on screen.
function keepOutOf(b, rect, width, height) {
  if (!rect) return;
  const cx = Math.min(rect.x + rect.w, Math.max(rect.x, b.x));
  const cy = Math.min(rect.y + rect.h, Math.max(rect.y, b.y));
  const dx = b.x - cx;
  const dy = b.y - cy;
  const d = Math.hypot(dx, dy);
  if (d >= b.r) return;
  const candidates = [
    [rect.x - b.r, b.y], [rect.x + rect.w + b.r, b.y],
    [b.x, rect.y - b.r], [b.x, rect.y + rect.h + b.r],
  ];
  if (d > 1e-6) candidates.push([cx + (dx / d) * b.r, cy + (dy / d) * b.r]);
  const r = Math.min(b.r, width / 2, height / 2);
  let best = null;
  for (const [x, y] of candidates) {
    if (x < r - 1e-9 || x > width - r + 1e-9 || y < r - 1e-9 || y > height - r + 1e-9) continue;
    const cost = Math.hypot(x - b.x, y - b.y);
    if (!best || cost < best[2]) best = [x, y, cost];
  }
  if (best) { b.x = best[0]; b.y = best[1]; }
}

function keepInside(b, width, height) {
  const r = Math.min(b.r, width / 2, height / 2);
  b.x = Math.min(width - r, Math.max(r, b.x));
  b.y = Math.min(height - r, Math.max(r, b.y));
}

// Pushes every overlapping pair apart (heavier bubbles move less). Returns the largest
// overlap it found.
function separate(bodies, width, height, stiffness, avoid) {
  let worst = 0;
  for (let i = 0; i < bodies.length; i++) {
    const a = bodies[i];
    for (let j = i + 1; j < bodies.length; j++) {
      const b = bodies[j];
      let dx = b.x - a.x;
      let dy = b.y - a.y;
      const min = a.r + b.r;
      const d2 = dx * dx + dy * dy;
      if (d2 >= min * min) continue;
      let d = Math.sqrt(d2);
      if (d < 1e-6) { dx = (i % 2 ? 1 : -1) * 1e-3; dy = 1e-3; d = Math.hypot(dx, dy); }
      const overlap = min - d;
      worst = Math.max(worst, overlap);
      const wa = b.r * b.r / (a.r * a.r + b.r * b.r);
      const push = overlap * stiffness;
      const ux = dx / d;
      const uy = dy / d;
      a.x -= ux * push * wa; a.y -= uy * push * wa;
      b.x += ux * push * (1 - wa); b.y += uy * push * (1 - wa);
    }
  }
  for (const b of bodies) { keepInside(b, width, height); keepOutOf(b, avoid, width, height); }
  return worst;
}

// One animation step: inertia with damping, then collisions. Returns the largest
// movement of any bubble, which tells the caller when everything has come to rest.
export function step(bodies, width, height, { damping = 0.86, avoid = null } = {}) {
  let moved = 0;
  for (const b of bodies) {
    const vx = (b.x - b.px) * damping;
    const vy = (b.y - b.py) * damping;
    b.px = b.x; b.py = b.y;
    b.x += vx; b.y += vy;
  }
  separate(bodies, width, height, 0.5, avoid);
  for (const b of bodies) moved = Math.max(moved, Math.hypot(b.x - b.px, b.y - b.py));
  return moved;
}

// Strict final pass: after it no two bubbles overlap (within a hair) unless they cannot
// all fit, in which case the caller's sizing is at fault.
export function resolveOverlaps(bodies, width, height, { tolerance = 0.01, maxPasses = 2000, avoid = null } = {}) {
  let worst = Infinity;
  for (let pass = 0; pass < maxPasses && worst > tolerance; pass++) worst = separate(bodies, width, height, 1.01, avoid);
  for (const b of bodies) { b.px = b.x; b.py = b.y; }
  return worst;
}

export function settle(bodies, width, height, { maxSteps = 900, restThreshold = 0.05, avoid = null } = {}) {
  let calm = 0;
  for (let i = 0; i < maxSteps && calm < 10; i++) calm = step(bodies, width, height, { avoid }) < restThreshold ? calm + 1 : 0;
  resolveOverlaps(bodies, width, height, { avoid });
  return bodies;
}

export function largestOverlap(bodies) {
  let worst = 0;
  for (let i = 0; i < bodies.length; i++) {
    for (let j = i + 1; j < bodies.length; j++) {
      const a = bodies[i];
      const b = bodies[j];
      worst = Math.max(worst, a.r + b.r - Math.hypot(a.x - b.x, a.y - b.y));
    }
  }
  return worst;
}
