import { test } from 'node:test';
import assert from 'node:assert/strict';
import { backoffDelay, parseRetryAfter, Poller } from '../../pages/lib/retry.mjs';

test('backoff grows, is jittered and capped', () => {
  const mid = () => 0.5;
  assert.deepEqual([0, 1, 2, 3].map((a) => backoffDelay(a, { baseMs: 1000, maxMs: 60e3, random: mid })), [1000, 2000, 4000, 8000]);
  assert.equal(backoffDelay(30, { baseMs: 1000, maxMs: 60e3, random: () => 0.999 }), 60e3);
  assert.equal(backoffDelay(0, { baseMs: 1000, random: () => 0 }), 800);
  assert.equal(backoffDelay(0, { baseMs: 1000, random: () => 0.999 }), 1200);
});

test('Retry-After: seconds, HTTP dates, garbage', () => {
  const now = Date.parse('2024-05-01T12:00:00Z');
  assert.equal(parseRetryAfter('120', now), 120e3);
  assert.equal(parseRetryAfter('Wed, 01 May 2024 12:00:30 GMT', now), 30e3);
  assert.equal(parseRetryAfter('Wed, 01 May 2024 11:00:00 GMT', now), 0);
  assert.equal(parseRetryAfter('86400', now), 86400e3, 'a day-long ban is honoured');
  assert.equal(parseRetryAfter('259200', now), 259200e3, "Binance's longest documented ban, three days");
  assert.equal(parseRetryAfter('999999', now), 3 * 24 * 3600e3, 'no longer than that');
  for (const v of [null, undefined, '', 'soon', '-5']) assert.equal(parseRetryAfter(v, now), null, String(v));
});

// A hand-driven clock: timers fire only when the test advances time.
function fakeClock() {
  let now = 0; let seq = 0;
  const pending = new Map();
  return {
    now: () => now,
    timers: {
      setTimeout: (fn, ms) => { pending.set(++seq, { fn, at: now + ms }); return seq; },
      clearTimeout: (id) => pending.delete(id),
    },
    nextDelay: () => Math.min(...[...pending.values()].map((p) => p.at)) - now,
    async advance(ms) {
      const until = now + ms;
      for (;;) {
        const due = [...pending].filter(([, p]) => p.at <= until).sort((a, b) => a[1].at - b[1].at)[0];
        if (!due) break;
        pending.delete(due[0]);
        now = due[1].at;
        due[1].fn();
        await new Promise((r) => setImmediate(r));
      }
      now = until;
    },
    get pendingCount() { return pending.size; },
  };
}

test('poller: regular interval on success, backoff on failure, server hint honoured', async () => {
  const clock = fakeClock();
  const answers = [{ ok: true }, { ok: false }, { ok: false }, { ok: false, retryAfterMs: 300e3 }, 'throw', { ok: true }];
  const calls = [];
  const poller = new Poller({ intervalMs: 60e3, minIntervalMs: 20e3, baseBackoffMs: 10e3, timers: clock.timers, now: clock.now, random: () => 0.5,
    task: async () => { calls.push(clock.now()); const a = answers.shift(); if (a === 'throw') throw new Error('x'); return a; } });
  poller.start(1000);
  await clock.advance(1000);
  assert.equal(clock.nextDelay(), 60e3, 'after success: the interval');
  await clock.advance(60e3);
  assert.equal(clock.nextDelay(), 20e3, 'first failure: backoff, but never under the rate limit');
  await clock.advance(20e3);
  assert.equal(clock.nextDelay(), 20e3);
  await clock.advance(20e3);
  assert.equal(clock.nextDelay(), 300e3, 'Retry-After wins when longer');
  await clock.advance(300e3);
  assert.equal(clock.nextDelay(), 80e3, 'a thrown task counts as a failure and keeps backing off');
  await clock.advance(80e3);
  assert.equal(clock.nextDelay(), 60e3, 'success resets the backoff');
  assert.deepEqual(calls, [1000, 61000, 81000, 101000, 401000, 481000]);
  poller.stop();
  assert.equal(clock.pendingCount, 0);
});

test('poller: the online event retries at once, but not faster than the rate limit', async () => {
  const clock = fakeClock();
  const calls = [];
  const poller = new Poller({ intervalMs: 60e3, minIntervalMs: 30e3, baseBackoffMs: 120e3, timers: clock.timers, now: clock.now, random: () => 0.5,
    task: async () => { calls.push(clock.now()); return { ok: false }; } });
  poller.start(0);
  await clock.advance(0);
  assert.equal(clock.nextDelay(), 120e3);
  await clock.advance(10e3);
  poller.poke();
  assert.equal(clock.nextDelay(), 20e3, 'waits out the rest of the rate-limit window');
  await clock.advance(20e3);
  assert.deepEqual(calls, [0, 30e3]);
  await clock.advance(100e3);
  poller.poke();
  assert.equal(clock.nextDelay(), 0, 'long after the last attempt: right away');
  poller.stop();
  poller.poke();
  assert.equal(clock.pendingCount, 0, 'a stopped poller ignores pokes');
});

test('poller: paused, it asks nothing; resumed, it keeps the due time it had', async () => {
  const clock = fakeClock();
  const calls = [];
  let finish = null;
  const poller = new Poller({ intervalMs: 60e3, minIntervalMs: 30e3, timers: clock.timers, now: clock.now,
    task: () => { calls.push(clock.now()); return new Promise((resolve) => { finish = resolve; }); } });
  poller.start(0);
  await clock.advance(0);
  poller.pause();
  finish({ ok: true });
  await new Promise((r) => setImmediate(r));
  assert.equal(clock.pendingCount, 0, 'an answer that arrives while paused schedules nothing');
  poller.poke();
  await clock.advance(10e3);
  poller.resume();
  assert.equal(clock.nextDelay(), 50e3, 'shown before the next attempt was due: it waits for that time');
  poller.pause();
  await clock.advance(600e3);
  assert.deepEqual(calls, [0], 'nothing is asked while paused, pokes included');
  poller.resume();
  assert.equal(clock.nextDelay(), 0, 'shown after the due time: it asks at once');
  await clock.advance(0);
  assert.deepEqual(calls, [0, 610e3]);
  poller.stop();
  poller.resume();
  assert.equal(clock.pendingCount, 0, 'a stopped poller stays stopped');
});
