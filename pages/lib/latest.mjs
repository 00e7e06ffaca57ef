// What a page draws before the network answers: of the snapshot shipped with it and
// the last live answer it kept, the newer one; a made-up sample loses to anything real.
// Each is { updatedAt: ms since the epoch (NaN when unknown), kind, ... } or null.
export function latestKnown(shipped, kept) {
  if (!kept) return shipped || null;
  if (!shipped || shipped.kind === 'sample') return kept;
  if (!Number.isFinite(kept.updatedAt)) return shipped;
  if (!Number.isFinite(shipped.updatedAt)) return kept;
  return kept.updatedAt > shipped.updatedAt ? kept : shipped;
}

// A kept answer is written at most this often: storage writes are disk writes, and a
// live feed can tick every second.
export const KEEP_EVERY_MS = 60e3;
