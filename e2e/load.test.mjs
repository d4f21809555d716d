// Bounded load check: 50 sessions in parallel, 200 callbacks each, on loopback.
// Every request must succeed; the figures are printed for the record.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { startDemo } from './lib/harness.mjs';
import { runLoad } from './lib/load.mjs';

let demo;
before(async () => { demo = await startDemo(); });
after(async () => { await demo?.stop(); });

test('50 sessions x 200 callbacks: no failed request', { timeout: 180000 }, async () => {
  const r = await runLoad({ base: demo.url, pid: demo.proc.pid, sessions: 50, callbacks: 200 });
  console.log(`load: ${r.callbacks} callbacks in ${r.seconds} s = ${r.callbacksPerSecond} callbacks/s; ` +
    `failed ${r.failed}; server RSS ${r.rssBeforeKiB} -> ${r.rssAfterKiB} KiB = ${r.kibPerSession} KiB per session`);
  assert.deepEqual(r.errors, []);
  assert.equal(r.failed, 0);
  assert.equal(r.callbacks, 50 * 200);
});
