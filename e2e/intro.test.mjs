// Intro tour in chromium against the real intro.js: the server starts the
// tour on the first step's element, the change, exit and completion events
// reach the server, options changed by the server before the start are used,
// and the server moves to a step and ends the tour.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openDemoPage, saveScreenshot, startAll } from './lib/harness.mjs';

let env;
before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

const statusIs = (page, text) =>
  page.waitForFunction((t) => document.getElementById('LBLTOURSTATUS').textContent === t, text, { timeout: 15000 })
    .catch(async (err) => {
      const shown = await page.evaluate(() => document.getElementById('LBLTOURSTATUS').textContent);
      throw new Error(`waiting for "${text}", shown "${shown}": ${err.message}`);
    });

// The tour's tooltip text and the element it highlights.
const shown = (page) => page.evaluate(() => ({
  text: document.querySelector('.introjs-tooltiptext')?.textContent ?? null,
  element: document.querySelector('.introjs-showElement')?.id ?? null,
}));
const waitShown = (page, element) =>
  page.waitForFunction((id) => document.querySelector('.introjs-showElement')?.id === id, element);
// The tour events the server got, as it logged them.
const logged = (page) => page.evaluate(() => document.getElementById('LBLTOURLOG').textContent.split(' ').filter(Boolean));
const waitLogged = (page, count) =>
  page.waitForFunction((n) => document.getElementById('LBLTOURLOG').textContent.split(' ').filter(Boolean).length >= n, count);
const waitText = (page, text) =>
  page.waitForFunction((t) => document.querySelector('.introjs-tooltiptext')?.textContent === t, text);
// A click the overlay does not intercept (the page's buttons lie under it).
const clickUnder = (page, id) => page.evaluate((id) => document.getElementById(id).click(), id);

test('server start, next step, change and exit events', async () => {
  const { page, errors } = await openDemoPage(env, 'intro');
  await page.waitForSelector('#BTNTOURSTART');
  assert.equal(await page.locator('.introjs-overlay').count(), 0, 'no overlay before the start');
  assert.equal(await page.evaluate(() => window.DEMOTOUR_IntroObj), null, 'the tour is built on first use');

  await page.click('#BTNTOURSTART');
  await page.waitForSelector('.introjs-overlay');
  await waitShown(page, 'EDTTOURNAME');
  assert.deepEqual(await shown(page), { text: 'Type your name here.', element: 'EDTTOURNAME' });
  await statusIs(page, 'step 1: EDTTOURNAME');
  assert.equal(await page.locator('.introjs-bullets').isVisible(), true);
  await page.waitForTimeout(400);  // the tooltip's fade-in
  await saveScreenshot(page, 'intro');

  await page.click('.introjs-nextbutton');
  await waitShown(page, 'BTNTOURSTART');
  await waitText(page, 'This button starts the tour.');
  await statusIs(page, 'step 2: BTNTOURSTART');
  // Each step change sends before change, change and after change.
  await waitLogged(page, 6);
  assert.deepEqual(await logged(page), ['before', 'change', 'after', 'before', 'change', 'after']);

  await page.click('.introjs-skipbutton');
  await page.waitForSelector('.introjs-overlay', { state: 'detached' });
  assert.equal(await page.locator('.introjs-showElement').count(), 0);
  await statusIs(page, 'exited');

  // The exit handler gave the start button a new caption, so the host put a
  // new element in its place: the next tour points at that one.
  await page.waitForFunction(() => document.getElementById('BTNTOURSTART').value === 'Start again');
  await page.click('#BTNTOURSTART');
  await waitShown(page, 'EDTTOURNAME');
  await page.click('.introjs-nextbutton');
  await waitShown(page, 'BTNTOURSTART');
  assert.equal(await page.evaluate(() => document.querySelector('.introjs-showElement') === document.getElementById('BTNTOURSTART')), true);
  await statusIs(page, 'step 2: BTNTOURSTART');
  await page.keyboard.press('Escape');
  await page.waitForSelector('.introjs-overlay', { state: 'detached' });
  assert.deepEqual(errors, []);
});

test('options changed before the start, go to a step, end from the server, complete', async () => {
  const { page, errors } = await openDemoPage(env, 'intro');
  await page.waitForSelector('#BTNTOURSTART');
  // The browser context is one session, which keeps the form of the first test.
  const earlier = (await logged(page)).length;
  const since = async () => (await logged(page)).slice(earlier);
  await page.click('#BTNTOUROPTIONS');
  await statusIs(page, 'options changed');
  assert.equal(await page.locator('.introjs-overlay').count(), 0, 'changing options does not start the tour');
  assert.deepEqual(errors, [], 'no call on a tour that was never built');

  await page.click('#BTNTOURSTART');
  await waitShown(page, 'EDTTOURNAME');
  assert.equal(await page.locator('.introjs-bullets').isVisible(), false, 'showBullets false is used');
  assert.equal((await page.textContent('.introjs-nextbutton')).trim(), 'Onwards');

  // The server's step 3 (GoToStep(2), 0-based) is the third step shown.
  await clickUnder(page, 'BTNTOURSTEP3');
  await waitShown(page, 'BTNTOUROPTIONS');
  await waitText(page, "The server changes the tour's options.");
  await statusIs(page, 'step 3: BTNTOUROPTIONS');

  await clickUnder(page, 'BTNTOUREND');
  await page.waitForSelector('.introjs-overlay', { state: 'detached' });
  assert.equal(await page.locator('.introjs-tooltip').count(), 0);
  await statusIs(page, 'ended by the server');
  assert.ok(!(await since()).includes('exit'), 'intro.js calls onexit for the user\'s exits only');

  // The done button of the last step completes the tour (and is no exit).
  await page.click('#BTNTOURSTART');
  await waitShown(page, 'EDTTOURNAME');
  await clickUnder(page, 'BTNTOURSTEP3');
  await waitShown(page, 'BTNTOUROPTIONS');
  assert.equal((await page.textContent('.introjs-skipbutton')).trim(), 'Done');
  await page.click('.introjs-skipbutton');
  await page.waitForSelector('.introjs-overlay', { state: 'detached' });
  await statusIs(page, 'completed');
  const events = await since();
  assert.equal(events.at(-1), 'complete');
  assert.ok(!events.includes('exit'), events.join(' '));
  assert.deepEqual(errors, []);
});
