// The sources of one dataset, asked in order. Each keeps its own health: a source that
// refuses (401/403, 451, 429 or 418, an HTML page or a wrong format in a 200) is passed
// over for as long as it asked, up to the longest documented ban, or else for a pause
// that doubles while it keeps refusing; the next source is asked meanwhile.
import { LONGEST_BAN_MS } from './retry.mjs';

export class SourceChain {
  constructor(names, { now = () => Date.now(), firstPauseMs = 60e3, longestPauseMs = LONGEST_BAN_MS } = {}) {
    this.sources = names.map((name) => ({ name, skippedUntil: -Infinity, refusals: 0 }));
    Object.assign(this, { now, firstPauseMs, longestPauseMs });
  }

  // The names of the sources that may be asked now, in order.
  usable() {
    const at = this.now();
    return this.sources.filter((s) => s.skippedUntil <= at).map((s) => s.name);
  }

  answered(name) {
    const source = this.find(name);
    source.skippedUntil = -Infinity;
    source.refusals = 0;
  }

  // Returns how long the source is skipped.
  refused(name, retryAfterMs = null) {
    const source = this.find(name);
    source.refusals += 1;
    let pause = Math.min(this.longestPauseMs, this.firstPauseMs * 2 ** (source.refusals - 1));
    if (Number.isFinite(retryAfterMs)) pause = Math.min(this.longestPauseMs, Math.max(1e3, retryAfterMs));
    source.skippedUntil = this.now() + pause;
    return pause;
  }

  // When the first skipped source may be asked again.
  nextUsableAt() {
    return Math.min(...this.sources.map((s) => s.skippedUntil));
  }

  find(name) {
    const source = this.sources.find((s) => s.name === name);
    if (!source) throw new Error(`unknown source ${name}`);
    return source;
  }
}
