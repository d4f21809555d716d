// Interactions in chromium against the real jQuery UI: drag, resize, drop and
// sort with the mouse, and the values that reach the server; a sortable
// option changed during a callback; the effects on the page.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { demoPagePath, openDemoPage, startAll, startDemo, watchErrors } from './lib/harness.mjs';

let env;

before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

const openDemo = () => openDemoPage(env, 'interactions');
const text = (page, id) => page.textContent(`#${id}`);

// Drags from the centre of the element by (dx, dy) in small mouse steps.
async function dragBy(page, selector, dx, dy) {
  const box = await page.locator(selector).boundingBox();
  const x = box.x + box.width / 2;
  const y = box.y + box.height / 2;
  await page.mouse.move(x, y);
  await page.mouse.down();
  await page.mouse.move(x + dx / 2, y + dy / 2, { steps: 5 });
  await page.mouse.move(x + dx, y + dy, { steps: 5 });
  await page.mouse.up();
}

// Starts a fresh record of the resize panel's client hooks once any sequence
// the page load caused (a window resize when the scroll bar appears) is over.
async function freshHooks(page) {
  await page.waitForTimeout(300);
  await page.evaluate(() => { window.ZQDemoHooks = []; });
}

async function waitText(page, id, notValue) {
  await page.waitForFunction(([i, v]) => document.getElementById(i).textContent !== v, [id, notValue]);
  return text(page, id);
}

test('the jQuery UI widgets are on the page, the badge is placed', async () => {
  const { page, errors } = await openDemo();
  const state = await page.evaluate(() => ({
    drag: $('#DRAGPANEL').hasClass('ui-draggable'),
    resize: $('#RESIZEPANEL').hasClass('ui-resizable'),
    drop: $('#DROPTARGET').hasClass('ui-droppable'),
    sort: $('#SORTLIST').hasClass('ui-sortable'),
    helper: typeof ZQResizeControl,
  }));
  assert.deepEqual(state, { drag: true, resize: true, drop: true, sort: true, helper: 'function' });
  // "my left center" at "right center" of the drop target.
  const target = await page.locator('#DROPTARGET').boundingBox();
  const badge = await page.locator('#POSBADGE').boundingBox();
  assert.ok(Math.abs(badge.x - (target.x + target.width)) <= 1, JSON.stringify({ target, badge }));
  assert.ok(Math.abs(badge.y + badge.height / 2 - (target.y + target.height / 2)) <= 1, JSON.stringify({ target, badge }));
  await page.close();
  assert.deepEqual(errors, []);
});

test('dragging the panel by (+50,+30) moves it and the server gets the new Left/Top', async () => {
  const { page, errors, callbacks } = await openDemo();
  const before = await page.evaluate(() => $('#DRAGPANEL').position());
  await dragBy(page, '#DRAGPANEL', 50, 30);
  const moved = await page.evaluate(() => $('#DRAGPANEL').position());
  assert.equal(Math.round(moved.left - before.left), 50);
  assert.equal(Math.round(moved.top - before.top), 30);
  const shown = await waitText(page, 'LBLDRAGPOS', 'not moved');
  assert.equal(shown, `${Math.round(moved.left)},${Math.round(moved.top)}`);
  assert.ok(callbacks.every((s) => s === 200), String(callbacks));
  await page.close();
  assert.deepEqual(errors, []);
});

test('resizing from the south-east handle updates the server\'s Width/Height', async () => {
  const { page, errors } = await openDemo();
  const before = await page.evaluate(() => ({ w: $('#RESIZEPANEL').outerWidth(), h: $('#RESIZEPANEL').outerHeight() }));
  await freshHooks(page);
  const handle = await page.locator('#RESIZEPANEL .ui-resizable-se').boundingBox();
  const x = handle.x + handle.width / 2;
  const y = handle.y + handle.height / 2;
  await page.mouse.move(x, y);
  await page.mouse.down();
  await page.mouse.move(x + 40, y + 25, { steps: 8 });
  await page.mouse.up();
  const shown = await waitText(page, 'LBLRESIZESIZE', 'not resized');
  const [w, h] = shown.split(',').map(Number);
  assert.ok(w >= before.w + 30 && w <= before.w + 50, `${shown} from ${JSON.stringify(before)}`);
  assert.ok(h >= before.h + 15 && h <= before.h + 35, `${shown} from ${JSON.stringify(before)}`);
  const now = await page.evaluate(() => ({ w: $('#RESIZEPANEL').width(), h: $('#RESIZEPANEL').height() }));
  assert.deepEqual([w, h], [Math.round(now.w), Math.round(now.h)]);
  // The client object's hooks ran once around the resize: before, then
  // OnZQResize with the element's rectangle (during and at the end), after.
  const hooks = await page.evaluate(() => window.ZQDemoHooks);
  assert.equal(hooks[0], 'before', String(hooks));
  assert.equal(hooks.at(-1), 'after', String(hooks));
  assert.deepEqual(hooks.slice(1, -1).filter((h) => h !== 'resize'), [], String(hooks));
  assert.ok(hooks.length >= 3, String(hooks));
  const rect = await page.evaluate(() => window.ZQDemoRect);
  const pos = await page.evaluate(() => ({ ...$('#RESIZEPANEL').position(), w: $('#RESIZEPANEL').outerWidth(),
    h: $('#RESIZEPANEL').outerHeight() }));
  assert.deepEqual(rect, { left: Math.round(pos.left), top: Math.round(pos.top), width: Math.round(pos.w),
    height: Math.round(pos.h) });
  await page.close();
  assert.deepEqual(errors, []);
});

test('a window resize and ZQResizeControl run the client object\'s hooks with its rectangle', async () => {
  const { page, errors } = await openDemo();
  await freshHooks(page);
  await page.setViewportSize({ width: 1100, height: 700 });
  // one sequence per burst of window resize events
  await page.waitForFunction(() => (window.ZQDemoHooks || []).length === 3);
  await page.waitForTimeout(300);
  assert.deepEqual(await page.evaluate(() => window.ZQDemoHooks), ['before', 'resize', 'after']);
  assert.equal(await page.evaluate(() => ZQResizeControl('RESIZEPANEL')), true);
  assert.deepEqual(await page.evaluate(() => window.ZQDemoHooks.slice(3)), ['before', 'resize', 'after']);
  const rect = await page.evaluate(() => window.ZQDemoRect);
  const pos = await page.evaluate(() => ({ ...$('#RESIZEPANEL').position(), w: $('#RESIZEPANEL').outerWidth(),
    h: $('#RESIZEPANEL').outerHeight() }));
  assert.deepEqual(rect, { left: Math.round(pos.left), top: Math.round(pos.top), width: Math.round(pos.w),
    height: Math.round(pos.h) });
  assert.equal(await page.evaluate(() => ZQResizeControl('NO_SUCH_CONTROL')), false);
  await page.close();
  assert.deepEqual(errors, []);
});

test('dropping the chip on the target fires the server handler', async () => {
  const { page, errors } = await openDemo();
  const chip = await page.locator('#DROPCHIP').boundingBox();
  const target = await page.locator('#DROPTARGET').boundingBox();
  await dragBy(page, '#DROPCHIP', target.x + target.width / 2 - (chip.x + chip.width / 2),
    target.y + target.height / 2 - (chip.y + chip.height / 2));
  assert.equal(await waitText(page, 'LBLDROP', 'nothing dropped'), 'dropped 1');
  await page.close();
  assert.deepEqual(errors, []);
});

test('a sortable reorder reaches the server', async () => {
  const { page, errors } = await openDemo();
  const first = await page.locator('#ITEM1').boundingBox();
  const third = await page.locator('#ITEM3').boundingBox();
  await dragBy(page, '#ITEM1', 0, third.y + third.height - first.y);
  const order = await waitText(page, 'LBLSORTORDER', 'ITEM1,ITEM2,ITEM3,ITEM4');
  const inPage = await page.evaluate(() => $('#SORTLIST li').map(function () { return this.id; }).get().join(','));
  assert.equal(order, inPage);
  assert.notEqual(order, 'ITEM1,ITEM2,ITEM3,ITEM4');
  await page.close();
  assert.deepEqual(errors, []);
});

test('a sortable option changed by the server during a callback takes effect in the widget', async () => {
  const { page, errors } = await openDemo();
  assert.equal(await page.evaluate(() => $('#SORTLIST').sortable('option', 'delay')), 0);
  await page.click('#BTNSORTDELAY');
  await page.waitForFunction(() => $('#SORTLIST').sortable('option', 'delay') === 150);
  await page.close();
  assert.deepEqual(errors, []);
});

test('highlight changes the computed background colour, blind hides the panel, fade and explode run', async () => {
  const { page, errors } = await openDemo();
  const original = await page.evaluate(() => getComputedStyle(document.getElementById('FXPANEL')).backgroundColor);
  await page.click('#BTNFXHIGHLIGHT');
  await page.waitForFunction((c) => getComputedStyle(document.getElementById('FXPANEL')).backgroundColor !== c,
    original);
  await page.waitForFunction((c) => getComputedStyle(document.getElementById('FXPANEL')).backgroundColor === c
    && !$('#FXPANEL').is(':animated'), original, { timeout: 10000 });
  await page.click('#BTNFXBLIND');
  await page.waitForFunction(() => !$('#FXPANEL').is(':visible'), null, { timeout: 10000 });
  await page.click('#BTNFXSHOW');
  await page.waitForFunction(() => $('#FXPANEL').is(':visible'));
  for (const id of ['BTNFXBOUNCE', 'BTNFXSHAKE']) {
    await page.click(`#${id}`);
    await page.waitForFunction(() => $('#FXPANEL').is(':animated'));
    await page.waitForFunction(() => !$('#FXPANEL').is(':animated'), null, { timeout: 10000 });
  }
  // Fade runs the opacity down and gives it back at the end.
  await page.click('#BTNFXFADE');
  await page.waitForFunction(() => Number(getComputedStyle(document.getElementById('FXPANEL')).opacity) < 0.5,
    null, { timeout: 10000 });
  await page.waitForFunction(() => !$('#FXPANEL').is(':animated')
    && getComputedStyle(document.getElementById('FXPANEL')).opacity === '1', null, { timeout: 10000 });
  // Explode breaks the panel into its pieces and leaves it hidden.
  await page.click('#BTNFXEXPLODE');
  await page.waitForFunction(() => document.querySelectorAll('.ui-effects-explode').length === 9);
  await page.waitForFunction(() => !$('#FXPANEL').is(':visible')
    && document.querySelectorAll('.ui-effects-explode').length === 0, null, { timeout: 10000 });
  await page.close();
  assert.deepEqual(errors, []);
});

test('with script debugging (plain files, multi-line script) the widgets work the same', async () => {
  const demo = await startDemo({ extraArgs: ['--debug'] });
  try {
    const page = await env.context.newPage();
    const errors = watchErrors(page);
    await page.goto(demo.url + demoPagePath('interactions'));
    const state = await page.evaluate(() => ({
      drag: $('#DRAGPANEL').hasClass('ui-draggable'),
      resize: $('#RESIZEPANEL').hasClass('ui-resizable'),
      sort: $('#SORTLIST').sortable('option', 'items'),
      plain: [...document.scripts].some((s) => /zq\.jquery\.helper\.js/.test(s.src)),
    }));
    assert.deepEqual(state, { drag: true, resize: true, sort: 'li', plain: true });
    await dragBy(page, '#DRAGPANEL', 50, 30);
    const moved = await page.evaluate(() => $('#DRAGPANEL').position());
    assert.equal(await waitText(page, 'LBLDRAGPOS', 'not moved'), `${Math.round(moved.left)},${Math.round(moved.top)}`);
    await page.close();
    assert.deepEqual(errors, []);
  } finally {
    await demo.stop();
  }
});
