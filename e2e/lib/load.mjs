// Load check against a running demo server: N sessions in parallel, each opens
// the page (session cookie and token) and sends M callbacks one after the
// other on a kept-alive connection, as a browser page does. Reports failed
// requests, callbacks per second and the server's memory per session.
//
// Standalone: node e2e/lib/load.mjs  (starts its own demo server; see harness.mjs)
import http from 'node:http';
import { readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';

function request(agent, base, { method = 'GET', path = '/', headers = {}, body = null }) {
  return new Promise((resolve) => {
    const req = http.request(base + path, { method, agent, headers, timeout: 30000 }, (res) => {
      let text = '';
      res.setEncoding('utf8');
      res.on('data', (d) => { text += d; });
      res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, text }));
      // A connection closed before the end of the body must not leave the caller waiting.
      res.on('close', () => { if (!res.complete) resolve({ status: 0, error: 'connection closed mid-response', text }); });
    });
    req.on('timeout', () => req.destroy(new Error('timeout')));
    req.on('error', (err) => resolve({ status: 0, error: err.message, text: '' }));
    if (body) req.write(body);
    req.end();
  });
}

function rssKiB(pid) {
  const status = readFileSync(`/proc/${pid}/status`, 'utf8');
  return Number(/VmRSS:\s+(\d+)/.exec(status)[1]);
}

async function session(base, callbacks, stats) {
  const agent = new http.Agent({ keepAlive: true, maxSockets: 1 });
  try {
    const page = await request(agent, base, {});
    if (page.status !== 200) {
      stats.failed++;
      stats.errors.push(`page: ${page.status} ${page.error || ''}`);
      return;
    }
    const cookie = String(page.headers['set-cookie'] || '').split(';')[0];
    const token = /name="ZQ_TOKEN" value="([0-9a-f]+)"/.exec(page.text)?.[1];
    if (!cookie || !token) {
      stats.failed++;
      stats.errors.push('page without session cookie or token');
      return;
    }
    for (let i = 0; i < callbacks; i++) {
      const res = await request(agent, base, {
        method: 'POST',
        path: '/$/callback?callback=BTNAJAX.DoOnAsyncClick',
        headers: { Cookie: cookie, 'Content-Type': 'application/x-www-form-urlencoded' },
        body: `ZQ_TOKEN=${token}`,
      });
      stats.sent++;
      const n = i + 1;
      const expected = `Clicked ${n} time${n === 1 ? '' : 's'}`;
      if (res.status !== 200 || !res.text.includes(expected)) {
        stats.failed++;
        if (stats.errors.length < 5) stats.errors.push(`callback ${n}: ${res.status} ${res.error || res.text.slice(0, 200)}`);
      }
    }
  } finally {
    agent.destroy();
  }
}

// Runs the check against the server at base (its process id for the memory figure).
export async function runLoad({ base, pid, sessions = 50, callbacks = 200 }) {
  // warm up: one session, so that start-up allocations are not counted per session
  const warm = { sent: 0, failed: 0, errors: [] };
  await session(base, 5, warm);
  const rssBefore = rssKiB(pid);
  const stats = { sent: 0, failed: warm.failed, errors: warm.errors };
  const t0 = process.hrtime.bigint();
  await Promise.all(Array.from({ length: sessions }, () => session(base, callbacks, stats)));
  const seconds = Number(process.hrtime.bigint() - t0) / 1e9;
  const rssAfter = rssKiB(pid);
  return {
    sessions,
    callbacksPerSession: callbacks,
    callbacks: stats.sent,
    failed: stats.failed,
    errors: stats.errors,
    seconds: Number(seconds.toFixed(2)),
    callbacksPerSecond: Math.round(stats.sent / seconds),
    rssBeforeKiB: rssBefore,
    rssAfterKiB: rssAfter,
    kibPerSession: Math.round((rssAfter - rssBefore) / sessions),
  };
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const { startDemo } = await import('./harness.mjs');
  const demo = await startDemo();
  try {
    const r = await runLoad({ base: demo.url, pid: demo.proc.pid });
    console.log(JSON.stringify(r, null, 2));
    process.exitCode = r.failed === 0 ? 0 : 1;
  } finally {
    await demo.stop();
  }
}
