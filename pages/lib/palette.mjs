// Colours for up/down moves in both variants. The darkened variant (wallpaper) is lower
// in brightness and saturation and never uses pure white; the plain one (screen saver)
// is vivid.

const THEMES = {
  plain: {
    up: [34, 197, 94], down: [239, 68, 68], flat: [71, 78, 92],
    text: [246, 248, 250], muted: [163, 172, 186], grid: [255, 255, 255, 0.07], bg: [9, 11, 15],
  },
  dark: {
    up: [46, 120, 84], down: [142, 58, 62], flat: [44, 49, 58],
    text: [196, 202, 210], muted: [118, 126, 138], grid: [255, 255, 255, 0.045], bg: [6, 7, 10],
  },
};

export function theme(darkened) {
  return darkened ? THEMES.dark : THEMES.plain;
}

export function rgb(c, alpha) {
  const a = alpha ?? (c.length > 3 ? c[3] : 1);
  return a >= 1 ? `rgb(${c[0]},${c[1]},${c[2]})` : `rgba(${c[0]},${c[1]},${c[2]},${a})`;
}

export function mix(a, b, t) {
  const u = Math.min(1, Math.max(0, t));
  return [0, 1, 2].map((i) => Math.round(a[i] + (b[i] - a[i]) * u));
}

// A move of `full` percent or more gets the full colour; smaller moves fade toward grey.
export function changeColor(pct, darkened, full = 3) {
  const t = theme(darkened);
  if (!Number.isFinite(pct) || pct === 0) return t.flat;
  const strength = Math.pow(Math.min(1, Math.abs(pct) / full), 0.7);
  return mix(t.flat, pct > 0 ? t.up : t.down, 0.25 + 0.75 * strength);
}

export function luminance(c) {
  return (0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2]) / 255;
}
