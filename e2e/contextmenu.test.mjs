// Context menu in chromium on the real jQuery contextMenu plug-in: a right
// click opens the menu with its items, a sub-menu opens on hover, a chosen
// item reaches its server handler with its key and the values of the input
// items, the server opens the menu at a point and hides it, hiding item 1
// during a callback hides that item while item 0 has a sub-menu, a select
// option with quotes renders, the keyboard drives the menu, and the console
// stays clean.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openDemoPage, saveScreenshot, startAll } from './lib/harness.mjs';

let env;

before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

const MENU = 'ul.context-menu-list.DEMOCONTEXTMENU';
const visibleMenu = (page) => page.locator(`${MENU}:visible`);
const item = (page, text) => page.locator(`${MENU} > li.context-menu-item`, { hasText: text }).first();

async function openMenu(page) {
  await page.click('#PNLCONTEXTMENU', { button: 'right', position: { x: 60, y: 60 } });
  await visibleMenu(page).waitFor({ state: 'visible', timeout: 10000 });
  // The keyboard drives the menu once its show animation is over.
  await page.waitForFunction((m) => !window.jQuery(m).is(':animated'), MENU, { timeout: 10000 });
}

async function result(page, prefix) {
  await page.waitForFunction((p) => document.getElementById('LBLCMRESULT').textContent.startsWith(p), prefix,
    { timeout: 15000 });
  return page.evaluate(() => document.getElementById('LBLCMRESULT').textContent);
}

test('right click shows the menu, the sub-menu opens on hover, the item reaches the server with its key', async () => {
  const { page, errors, callbacks } = await openDemoPage(env, 'contextmenu');
  await openMenu(page);
  const names = await page.$$eval(`${MENU} > li.context-menu-item > span`, (s) => s.map((e) => e.textContent));
  for (const n of ['Open', 'Copy', 'Send values', 'Hide Copy']) assert.ok(names.includes(n), JSON.stringify(names));
  // The select option with quotes is there as text.
  const options = await page.$$eval(`${MENU} select option`, (o) => o.map((e) => [e.value, e.textContent]));
  assert.deepEqual(options, [['red', 'Red'], ['night blue', 'Dark "night" blue']]);

  await item(page, 'Open').hover();
  const sub = page.locator(`${MENU} li.context-menu-submenu ul.context-menu-list li`, { hasText: 'In a window' });
  await sub.waitFor({ state: 'visible', timeout: 10000 });
  await saveScreenshot(page, 'contextmenu-open');
  await sub.click();
  // The label may still show an earlier page's choice (one session): wait for this one.
  const text = await result(page, 'key=DEMOCONTEXTMENU_0_1 ');
  assert.match(text, /^key=DEMOCONTEXTMENU_0_1 /);
  await visibleMenu(page).waitFor({ state: 'hidden' });
  assert.ok(callbacks.length > 0 && callbacks.every((s) => s === 200), String(callbacks));
  await page.close();
  assert.deepEqual(errors, []);
});

test('input values reach the server', async () => {
  const { page, errors } = await openDemoPage(env, 'contextmenu');
  await openMenu(page);
  const input = page.locator(`${MENU} input[type=text]`);
  await input.fill('Zoë "Q"');
  await page.locator(`${MENU} input[type=checkbox]`).uncheck();
  await page.locator(`${MENU} input[type=radio][value=large]`).check();
  await page.locator(`${MENU} select`).selectOption('night blue');
  await item(page, 'Send values').click();
  const text = await result(page, 'key=DEMOCONTEXTMENU_8');
  const values = JSON.parse(text.slice(text.indexOf('values=') + 7));
  assert.equal(values.DEMOCONTEXTMENU_7, 'Zoë "Q"');
  assert.equal(values.DEMOCONTEXTMENU_3, false);
  assert.equal(values.size, 'large');
  assert.equal(values.DEMOCONTEXTMENU_6, 'night blue');
  await page.close();
  assert.deepEqual(errors, []);
});

test('the server opens the menu at a point and hides it', async () => {
  const { page, errors } = await openDemoPage(env, 'contextmenu');
  await page.click('#BTNCMSHOWAT');
  await visibleMenu(page).waitFor({ state: 'visible', timeout: 10000 });
  const box = await visibleMenu(page).boundingBox();
  assert.ok(Math.abs(box.x - 400) <= 10 && Math.abs(box.y - 300) <= 10, JSON.stringify(box));
  // The plug-in's layer covers the page while the menu is open: the button
  // is pressed through its element, not through the layer.
  await page.evaluate(() => document.getElementById('BTNCMHIDE').click());
  await visibleMenu(page).waitFor({ state: 'hidden', timeout: 10000 });
  await page.close();
  assert.deepEqual(errors, []);
});

test('hiding item 1 in a callback hides that item although item 0 has a sub-menu', async () => {
  const { page, errors } = await openDemoPage(env, 'contextmenu');
  await openMenu(page);
  await item(page, 'Hide Copy').click();
  await result(page, 'key=DEMOCONTEXTMENU_9');
  await openMenu(page);
  assert.equal(await item(page, 'Copy').isVisible(), false);
  assert.equal(await item(page, 'Open').isVisible(), true);
  assert.equal(await page.locator(`${MENU} li`, { hasText: 'In a tab' }).first().evaluate(
    (li) => li.classList.contains('ui-helper-hidden')), false);
  await item(page, 'Show Copy').click();
  await result(page, 'key=DEMOCONTEXTMENU_10');
  await openMenu(page);
  assert.equal(await item(page, 'Copy').isVisible(), true);
  await page.keyboard.press('Escape');
  await page.close();
  assert.deepEqual(errors, []);
});

test('keyboard: arrows move, Enter chooses, Escape closes', async () => {
  const { page, errors } = await openDemoPage(env, 'contextmenu');
  await openMenu(page);
  await page.keyboard.press('Escape');
  await visibleMenu(page).waitFor({ state: 'hidden', timeout: 10000 });
  await openMenu(page);
  await page.keyboard.press('ArrowDown');  // Open
  await page.keyboard.press('ArrowDown');  // Copy
  const hovered = await page.locator(`${MENU} > li.context-menu-hover > span`).first().textContent();
  assert.equal(hovered, 'Copy');
  await page.keyboard.press('Enter');
  const text = await result(page, 'key=DEMOCONTEXTMENU_1 ');
  assert.match(text, /^key=DEMOCONTEXTMENU_1 /);
  await page.close();
  assert.deepEqual(errors, []);
});

test('a menu chosen by two panels opens on both', async () => {
  const { page, errors } = await openDemoPage(env, 'contextmenu');
  for (const id of ['#PNLSHARED1', '#PNLSHARED2']) {
    await page.click(id, { button: 'right', position: { x: 40, y: 60 } });
    const shared = page.locator('ul.context-menu-list.SHAREDCONTEXTMENU:visible');
    await shared.waitFor({ state: 'visible', timeout: 10000 });
    assert.match(await shared.textContent(), /Shared item/);
    await page.keyboard.press('Escape');
    await shared.waitFor({ state: 'hidden', timeout: 10000 });
  }
  await page.close();
  assert.deepEqual(errors, []);
});
