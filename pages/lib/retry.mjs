// Refresh scheduling for data sources: a regular interval when things work, exponential
// backoff with jitter when they do not, the server's Retry-After when it asks for one,
// and an immediate retry when the browser comes back online, never faster than the
// source's rate limit allows.

export function backoffDelay(attempt, { baseMs = 15e3, maxMs = 10 * 60e3, random = Math.random } = {}) {
  const raw = Math.min(maxMs, baseMs * 2 ** Math.max(0, attempt));
  return Math.round(Math.min(maxMs, raw * (0.8 + 0.4 * random())));
}

// The longest pause any source of the pages documents: Binance bans an IP that keeps
// asking after a 429 for 2 minutes up to 3 days.
export const LONGEST_BAN_MS = 3 * 24 * 3600e3;

// Retry-After is either delta-seconds or an HTTP date. It is honoured up to the longest
// documented ban; beyond that it is a broken header, not a provider's word.
export function parseRetryAfter(value, nowMs = Date.now()) {
  if (value === null || value === undefined) return null;
  const s = String(value).trim();
  if (s === '') return null;
  let ms;
  if (/^\d+(\.\d+)?$/.test(s)) ms = Number(s) * 1000;
  else {
    // Only an HTTP date (it has a weekday or month name): Date.parse takes "-5" as a year.
    const at = /[a-z]{3}/i.test(s) ? Date.parse(s) : NaN;
    if (!Number.isFinite(at)) return null;
    ms = at - nowMs;
  }
  return Math.min(LONGEST_BAN_MS, Math.max(0, Math.round(ms)));
}

export class Poller {
  // task() resolves to { ok: boolean, retryAfterMs?: number }; it must not throw, but a
  // rejected promise counts as a failure.
  constructor({ task, intervalMs, minIntervalMs = 0, baseBackoffMs = 15e3, maxBackoffMs = 10 * 60e3,
                timers = globalThis, now = () => Date.now(), random = Math.random }) {
    Object.assign(this, { task, intervalMs, minIntervalMs, baseBackoffMs, maxBackoffMs, timers, now, random });
    this.failures = 0;
    this.lastAttempt = -Infinity;
    this.timer = null;
    this.running = false;
    this.paused = false;
    this.inFlight = false;
    this.dueAt = Infinity;
  }

  start(delayMs = 0) {
    this.running = true;
    this.schedule(delayMs);
  }

  stop() {
    this.running = false;
    this.clearTimer();
  }

  // While nobody can see the page (a hidden wallpaper) it asks nothing. The next
  // attempt keeps its due time: shown again, the poller asks at once if that time has
  // passed, and otherwise when it comes, as if it had never been paused.
  pause() {
    this.paused = true;
    this.clearTimer();
  }

  resume() {
    if (!this.paused) return;
    this.paused = false;
    if (this.running && !this.inFlight) this.setTimer(Math.max(0, this.dueAt - this.now()));
  }

  // "Try again now" (the online event): honoured at once unless that would break the
  // source's rate limit, in which case it runs as soon as the limit allows.
  poke() {
    if (!this.running || this.paused || this.inFlight) return;
    const wait = Math.max(0, this.lastAttempt + this.minIntervalMs - this.now());
    this.failures = 0;
    this.schedule(wait);
  }

  schedule(delayMs) {
    if (!this.running) return;
    this.dueAt = this.now() + delayMs;
    if (!this.paused) this.setTimer(delayMs);
  }

  setTimer(delayMs) {
    this.clearTimer();
    this.timer = this.timers.setTimeout(() => { this.timer = null; this.run(); }, delayMs);
  }

  clearTimer() {
    if (this.timer !== null) this.timers.clearTimeout(this.timer);
    this.timer = null;
  }

  async run() {
    if (!this.running || this.paused || this.inFlight) return;
    this.inFlight = true;
    this.lastAttempt = this.now();
    let result;
    try {
      result = await this.task();
    } catch (e) {
      result = { ok: false };
    }
    this.inFlight = false;
    if (!this.running) return;
    if (result && result.ok) {
      this.failures = 0;
      this.schedule(Math.max(this.intervalMs, this.minIntervalMs));
    } else {
      const backoff = backoffDelay(this.failures, { baseMs: this.baseBackoffMs, maxMs: this.maxBackoffMs, random: this.random });
      this.failures += 1;
      const asked = result && Number.isFinite(result.retryAfterMs) ? result.retryAfterMs : 0;
      this.schedule(Math.max(backoff, asked, this.minIntervalMs));
    }
  }
}
