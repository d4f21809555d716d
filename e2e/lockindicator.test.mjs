// The lock indicator in chromium: blockUI blocks the page (message and
// animated image) while a 1 s callback runs and lets go after the response;
// the panel's item blocks only the panel; the event function's indicator
// index picks its own item; Lock / Unlock from the server block and free the
// panel; the hook never throws for an event without an item.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openDemoPage, saveScreenshot, startAll } from './lib/harness.mjs';

let env;

before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

const openDemo = () => openDemoPage(env, 'lockindicator');

// What is blocked right now: the page's and the panel's overlay and message.
const blockState = (page) => page.evaluate(() => {
  const shown = (el) => !!el && el.getClientRects().length > 0 && getComputedStyle(el).display !== 'none';
  const pageOverlay = document.querySelector('body > .blockUI.blockOverlay');
  const pageMsg = document.querySelector('body > .blockUI.blockMsg');
  const panel = document.getElementById('LOCKPANEL');
  const panelMsg = panel && panel.querySelector('.blockUI.blockMsg');
  const img = pageMsg && pageMsg.querySelector('img');
  return {
    pageOverlay: shown(pageOverlay),
    pageMsg: shown(pageMsg),
    pageText: pageMsg ? pageMsg.textContent.trim() : '',
    pageImage: img ? { loaded: img.complete && img.naturalWidth > 0, src: img.getAttribute('src') } : null,
    panelOverlay: shown(panel && panel.querySelector('.blockUI.blockOverlay')),
    panelText: panelMsg ? panelMsg.textContent.trim() : '',
  };
});

const resultIs = (page, text) => page.waitForFunction(
  (t) => document.getElementById('LBLLOCKRESULT').textContent === t, text, { timeout: 5000 });

test('during a 1 s callback the page is blocked with message and image; free after the response', async () => {
  const { page, errors, callbacks } = await openDemo();
  assert.equal(await page.evaluate(() => typeof jQuery.blockUI), 'function');
  await page.click('#BTNLOCKSLOW');
  await page.waitForSelector('body > .blockUI.blockMsg', { state: 'visible', timeout: 900 });
  // Give the image time to load while the server still sleeps.
  await page.waitForFunction(() => {
    const img = document.querySelector('body > .blockUI.blockMsg img');
    return img && img.complete && img.naturalWidth > 0;
  }, null, { timeout: 800 });
  const during = await blockState(page);
  assert.equal(during.pageOverlay, true);
  assert.equal(during.pageMsg, true);
  assert.equal(during.pageText, 'Please wait...');
  assert.equal(during.pageImage.loaded, true);
  assert.match(during.pageImage.src, /loading-animation\/blue\/Loading3\.gif/);
  assert.equal(during.panelOverlay, false);
  await saveScreenshot(page, 'lockindicator');
  await resultIs(page, 'Slow callback done');
  await page.waitForSelector('.blockUI', { state: 'detached', timeout: 3000 });
  const afterwards = await blockState(page);
  assert.equal(afterwards.pageOverlay, false);
  assert.equal(afterwards.pageMsg, false);
  assert.ok(callbacks.every((s) => s === 200), String(callbacks));
  await page.close();
  assert.deepEqual(errors, []);
});

test('the panel item blocks only inside the panel', async () => {
  const { page, errors } = await openDemo();
  await page.click('#LOCKPANEL');
  await page.waitForSelector('#LOCKPANEL .blockUI.blockMsg', { state: 'visible', timeout: 900 });
  const during = await blockState(page);
  assert.equal(during.panelOverlay, true);
  assert.equal(during.panelText, 'Panel busy...');
  assert.equal(during.pageOverlay, false);
  assert.equal(during.pageMsg, false);
  // The overlay lies over the panel, not beyond it.
  const boxes = await page.evaluate(() => {
    const r = (el) => el.getBoundingClientRect().toJSON();
    return { panel: r(document.getElementById('LOCKPANEL')),
      overlay: r(document.querySelector('#LOCKPANEL .blockUI.blockOverlay')) };
  });
  assert.ok(Math.abs(boxes.overlay.width - boxes.panel.width) <= 2, JSON.stringify(boxes));
  assert.ok(Math.abs(boxes.overlay.top - boxes.panel.top) <= 2, JSON.stringify(boxes));
  await resultIs(page, 'Panel callback done');
  await page.waitForSelector('#LOCKPANEL .blockUI', { state: 'detached', timeout: 3000 });
  await page.close();
  assert.deepEqual(errors, []);
});

test('the event function\'s indicator index picks its own item', async () => {
  const { page, errors } = await openDemo();
  const key = await page.evaluate(() => GEventIndicators);
  await page.click('#LOCKSAVEBOX');
  await page.waitForSelector('body > .blockUI.blockMsg', { state: 'visible', timeout: 900 });
  const during = await blockState(page);
  // Item 2, written as text: the "<item 2>" is not markup.
  assert.equal(during.pageText, 'Saving <item 2>...');
  assert.match(during.pageImage.src, /loading-animation\/red\/Loading1\.gif/);
  assert.deepEqual(await page.evaluate(() => GEventIndicators), { ...key, 'LOCKSAVEBOX.JQEvents.OnClick': '2' });
  await resultIs(page, 'Saved');
  await page.waitForSelector('.blockUI', { state: 'detached', timeout: 3000 });
  await page.close();
  assert.deepEqual(errors, []);
});

test('Lock and Unlock from the server toggle the panel block', async () => {
  const { page, errors } = await openDemo();
  await page.click('#BTNLOCKPANEL');
  await page.waitForSelector('#LOCKPANEL .blockUI.blockOverlay', { state: 'visible', timeout: 3000 });
  // The page block of the callback itself is gone; the panel stays blocked.
  await page.waitForSelector('body > .blockUI', { state: 'detached', timeout: 3000 });
  assert.equal((await blockState(page)).panelText, 'Panel busy...');
  await page.click('#BTNUNLOCKPANEL');
  await page.waitForSelector('#LOCKPANEL .blockUI', { state: 'detached', timeout: 3000 });
  await page.waitForSelector('.blockUI', { state: 'detached', timeout: 3000 });
  await page.close();
  assert.deepEqual(errors, []);
});

test('a stale table entry and unknown names never throw in the hooks', async () => {
  const { page, errors } = await openDemo();
  const r = await page.evaluate(() => {
    GEventIndicators['X.OnClick'] = 'no_such_item';
    const out = [];
    for (const [params, handler] of [['&ajaxevent=OnClick', 'X.DoAjaxRequest'], ['', 'Y.DoOnSomething'], ['', '']]) {
      try { PreAsyncProgressScript(params, handler); PostAsyncProgressScript(params, handler); out.push('ok'); }
      catch (e) { out.push(String(e)); }
    }
    return out;
  });
  assert.deepEqual(r, ['ok', 'ok', 'ok']);
  await page.close();
  assert.deepEqual(errors, []);
});
