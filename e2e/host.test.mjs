// The demo page in chromium: host controls, callbacks, submits, the session token.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openDemoPage, startAll, startDemo } from './lib/harness.mjs';

let env;

before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

const openDemo = () => openDemoPage(env, 'host_controls');

test('the demo page loads its files with no console errors', async () => {
  const { page, errors } = await openDemo();
  assert.equal(await page.title(), 'zqjq demo');
  const ready = await page.evaluate(() => ({
    jquery: typeof jQuery === 'function' && jQuery.fn.jquery,
    runtime: typeof executeAjaxEvent === 'function' && typeof SubmitClickConfirm === 'function',
    token: typeof GZQToken === 'string' && GZQToken.length,
  }));
  assert.deepEqual(ready, { jquery: '3.8.0', runtime: true, token: 32 });
  assert.equal(await page.textContent('#LBLCLICKS'), 'Not clicked yet');
  await page.close();
  assert.deepEqual(errors, []);
});

test('an ajax click changes the label through a callback, without a page load', async () => {
  const { page, errors, callbacks } = await openDemo();
  await page.evaluate(() => { window.samePage = true; });
  await page.click('#BTNAJAX');
  await page.waitForFunction(() => document.getElementById('LBLCLICKS').textContent === 'Clicked 1 time');
  await page.click('#BTNAJAX');
  await page.click('#BTNAJAX');
  await page.waitForFunction(() => document.getElementById('LBLCLICKS').textContent === 'Clicked 3 times');
  assert.equal(await page.evaluate(() => window.samePage), true);
  assert.deepEqual(callbacks, [200, 200, 200]);
  // the server kept the caption: a new render of the page shows it
  await page.reload();
  assert.equal(await page.textContent('#LBLCLICKS'), 'Clicked 3 times');
  await page.close();
  assert.deepEqual(errors, []);
});

test('a submitted edit value reaches the server and comes back on the page', async () => {
  const { page, errors } = await openDemo();
  const text = 'Grüße <b>&</b> "42"';
  await page.fill('#EDITNAME', text);
  await Promise.all([page.waitForNavigation(), page.click('#BTNSUBMIT')]);
  assert.equal(await page.textContent('#LBLECHO'), 'You sent: ' + text);
  assert.equal(await page.inputValue('#EDITNAME'), text);
  assert.equal(await page.locator('#LBLECHO b').count(), 0);  // shown as text, not markup
  await page.close();
  assert.deepEqual(errors, []);
});

test('a callback without the session token is refused and changes nothing', async () => {
  const { page } = await openDemo();
  const before = await page.textContent('#LBLCLICKS');
  const result = await page.evaluate(async () => {
    const post = (body) => fetch(GZQCallbackUrl + '?callback=BTNAJAX.DoOnAsyncClick', {
      method: 'POST',
      headers: { 'Content-Type': 'application/x-www-form-urlencoded' },
      body,
    }).then(async (r) => ({ status: r.status, text: await r.text() }));
    return {
      missing: await post(''),
      wrong: await post('ZQ_TOKEN=' + '0'.repeat(32)),
    };
  });
  assert.deepEqual(result.missing, { status: 403, text: 'Invalid or missing session token' });
  assert.equal(result.wrong.status, 403);
  // nothing changed on the server: the page rendered again shows the old caption
  await page.reload();
  assert.equal(await page.textContent('#LBLCLICKS'), before);
  // and a proper click still counts from where it was
  await page.click('#BTNAJAX');
  await page.waitForFunction((t) => document.getElementById('LBLCLICKS').textContent !== t, before);
  await page.close();
});

test('the demo stops cleanly on SIGINT and on SIGTERM', async () => {
  for (const signal of ['SIGINT', 'SIGTERM']) {
    const demo = await startDemo();
    const exited = new Promise((resolve) => demo.proc.once('exit', (code, sig) => resolve({ code, sig })));
    demo.proc.kill(signal);
    const timer = setTimeout(() => demo.proc.kill('SIGKILL'), 10000);
    assert.deepEqual(await exited, { code: 0, sig: null });
    clearTimeout(timer);
    assert.match(demo.output(), /zq_demo: stopped after \d+ requests/);
  }
});
