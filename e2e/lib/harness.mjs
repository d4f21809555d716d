// Shared helper of the browser tests: starts the demo server on a free loopback
// port, launches Debian's chromium through playwright-core with a fresh
// profile, records console and page errors, and stops everything (bounded).
//
// Environment: ZQ_DEMO_BIN (the zq_demo executable) and ZQ_WEBROOT (the web
// root folder); both default to the paths of a `build/` tree in this checkout.
import { spawn } from 'node:child_process';
import { mkdir, mkdtemp, rm } from 'node:fs/promises';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const repo = path.resolve(here, '..', '..');

export const demoBin = process.env.ZQ_DEMO_BIN || path.join(repo, 'build', 'demo', 'zq_demo');
export const webRoot = process.env.ZQ_WEBROOT || path.join(repo, 'webroot');
export const chromiumPath = process.env.ZQ_CHROMIUM || '/usr/bin/chromium';

export const chromiumArgs = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// A port that was free a moment ago on 127.0.0.1.
export function freePort() {
  return new Promise((resolve, reject) => {
    const srv = net.createServer();
    srv.unref();
    srv.on('error', reject);
    srv.listen(0, '127.0.0.1', () => {
      const { port } = srv.address();
      srv.close(() => resolve(port));
    });
  });
}

async function answers(url) {
  try {
    const res = await fetch(url, { signal: AbortSignal.timeout(1000), redirect: 'manual' });
    await res.arrayBuffer();
    return res.status > 0;
  } catch {
    return false;
  }
}

// Starts the demo server; resolves once it answers HTTP on its port.
// Returns { url, port, proc, output(), stop() }.
export async function startDemo({ extraArgs = [], timeoutMs = 15000 } = {}) {
  let lastError = null;
  for (let attempt = 0; attempt < 3; attempt++) {  // the free port may be taken meanwhile
    const port = await freePort();
    const proc = spawn(demoBin, ['--port', String(port), '--webroot', webRoot, ...extraArgs], {
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    let out = '';
    proc.stdout.on('data', (d) => { out += d; });
    proc.stderr.on('data', (d) => { out += d; });
    let exited = null;
    proc.on('exit', (code, signal) => { exited = { code, signal }; });
    proc.on('error', (err) => { exited = { error: err }; });
    const url = `http://127.0.0.1:${port}`;
    const deadline = Date.now() + timeoutMs;
    while (Date.now() < deadline && !exited) {
      if (await answers(url + '/')) {
        return {
          url, port, proc,
          output: () => out,
          stop: () => stopProcess(proc),
        };
      }
      await sleep(100);
    }
    await stopProcess(proc);
    lastError = new Error(`demo server did not start on port ${port}: ${JSON.stringify(exited)}\n${out}`);
  }
  throw lastError;
}

// SIGTERM, then SIGKILL after the grace time. Resolves with the exit status.
export function stopProcess(proc, graceMs = 5000) {
  return new Promise((resolve) => {
    if (proc.exitCode !== null || proc.signalCode !== null) {
      resolve({ code: proc.exitCode, signal: proc.signalCode });
      return;
    }
    const timer = setTimeout(() => proc.kill('SIGKILL'), graceMs);
    proc.once('exit', (code, signal) => {
      clearTimeout(timer);
      resolve({ code, signal });
    });
    proc.kill('SIGTERM');
  });
}

// Launches chromium with a fresh temporary profile. Returns { context, close() }.
export async function launchBrowser() {
  const profile = await mkdtemp(path.join(os.tmpdir(), 'zq-e2e-profile-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    args: chromiumArgs,
    timeout: 30000,
  });
  context.setDefaultTimeout(10000);
  return {
    context,
    async close() {
      await Promise.race([context.close(), sleep(10000)]);
      await rm(profile, { recursive: true, force: true });
    },
  };
}

// Records console errors, page errors and failed requests of a page.
export function watchErrors(page) {
  const errors = [];
  page.on('console', (msg) => {
    if (msg.type() === 'error') errors.push(`console: ${msg.text()}`);
  });
  page.on('pageerror', (err) => errors.push(`pageerror: ${err.message}`));
  page.on('requestfailed', (req) => errors.push(`requestfailed: ${req.url()} ${req.failure()?.errorText}`));
  return errors;
}

// The path of a demo page: "/demo/<name>" shows that page alone (the page a
// component's test opens); no name gives "/", every page together.
export function demoPagePath(name) {
  return name ? `/demo/${encodeURIComponent(name)}` : '/';
}

// A new page of the environment's browser on the demo page of that name (see
// demoPagePath), with its errors watched and the statuses of its callback
// responses recorded.
export async function openDemoPage(env, name) {
  const page = await env.context.newPage();
  const errors = watchErrors(page);
  const callbacks = [];
  page.on('response', (res) => {
    if (res.url().includes('/$/callback')) callbacks.push(res.status());
  });
  await page.goto(env.demo.url + demoPagePath(name));
  return { page, errors, callbacks };
}

// Saves the page as docs/screenshots/<name>.png (the component docs show it):
// the whole page at the browser context's fixed viewport width, overwritten each run.
export async function saveScreenshot(page, name) {
  const shots = path.join(repo, 'docs', 'screenshots');
  await mkdir(shots, { recursive: true });
  await page.screenshot({ path: path.join(shots, `${name}.png`), fullPage: true });
}

// Demo server and browser for a test file: call in before(), stop in after().
export async function startAll() {
  const demo = await startDemo();
  let browser;
  try {
    browser = await launchBrowser();
  } catch (err) {
    await demo.stop();
    throw err;
  }
  return {
    demo,
    browser,
    context: browser.context,
    async stop() {
      await browser.close();
      return demo.stop();
    },
  };
}
