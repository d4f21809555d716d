// The browser history in chromium: the server sets the URL fragment, and every
// fragment change - set by the server, back, forward, typed - arrives at the
// server's OnHashChange handler.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openDemoPage, startAll } from './lib/harness.mjs';

let env;

before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

const openDemo = () => openDemoPage(env, 'history');

const label = (page) => page.textContent('#LBLHISTORYHASH');
async function waitHash(page, hash) {
  await page.waitForFunction((h) => document.getElementById('LBLHISTORYHASH').textContent === 'Hash: ' + h, hash);
}

test('server-set hashes and back/forward navigation each reach the server handler', async () => {
  const { page, errors } = await openDemo();
  assert.equal(await label(page), 'No hash change yet');
  await page.evaluate(() => { window.samePage = true; });

  await page.click('#BTNHISTORY_PAGE1');
  await waitHash(page, '#page1');
  assert.equal(await page.evaluate(() => location.hash), '#page1');
  await page.click('#BTNHISTORY_PAGE2');
  await waitHash(page, '#page2');
  await page.click('#BTNHISTORY_PAGE3');
  await waitHash(page, '#page3');

  await page.goBack();
  await waitHash(page, '#page2');
  await page.goBack();
  await waitHash(page, '#page1');
  await page.goForward();
  await waitHash(page, '#page2');

  // Setting the current hash again still reports it (the script fires the
  // change event itself).
  await page.click('#BTNHISTORY_PAGE2');
  await page.waitForFunction(() => document.getElementById('LBLHISTORYLOG').textContent.endsWith('#page2 #page2'));

  assert.equal(await page.textContent('#LBLHISTORYLOG'), '#page1 #page2 #page3 #page2 #page1 #page2 #page2');
  assert.equal(await page.evaluate(() => window.samePage), true);
  await page.close();
  assert.deepEqual(errors, []);
});

test('a typed fragment with markup reaches the server as text', async () => {
  const { page, errors } = await openDemo();
  const typed = '#a"b<i>c</i>';
  await page.evaluate((h) => { location.hash = h; }, typed);
  const expected = await page.evaluate(() => location.hash);  // as the browser encodes it
  await waitHash(page, expected);
  assert.equal(await page.locator('#LBLHISTORYHASH i').count(), 0);
  await page.close();
  assert.deepEqual(errors, []);
});
