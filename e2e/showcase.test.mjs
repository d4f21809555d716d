// The showcase in chromium: every page the demo lists (/demo/pages.json) is
// in the navigation, opens on its own with its heading, its sentence, its live
// example and the C++ source it is built from, at 1280x800 and at 390x844
// without console errors, failed requests or a horizontal scroll bar; its
// first button answers. Saves docs/screenshots/<name>-page.png (1280x800) and
// <name>-page-phone.png (390x844) of each page, and showcase.png of the start
// page (a component's own browser test saves <name>.png, in the state it
// shows off).
// On every page the frame's slow button runs under the lock indicator.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdir } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { demoPagePath, startAll, watchErrors } from './lib/harness.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const shots = path.join(here, '..', 'docs', 'screenshots');
const sizes = [
  { suffix: '-page', width: 1280, height: 800 },
  { suffix: '-page-phone', width: 390, height: 844 },
];

let env;
let pages;

before(async () => {
  env = await startAll();
  const res = await fetch(env.demo.url + '/demo/pages.json');
  assert.equal(res.status, 200);
  assert.match(res.headers.get('content-type'), /^application\/json/);
  pages = (await res.json()).pages;
});
after(async () => { await env?.stop(); });

// A page of the given size on that path, with its errors and callback statuses.
async function open(pathName, size) {
  const page = await env.context.newPage();
  await page.setViewportSize({ width: size.width, height: size.height });
  const errors = watchErrors(page);
  const callbacks = [];
  page.on('response', (res) => {
    if (res.url().includes('/$/callback')) callbacks.push(res.status());
  });
  await page.goto(env.demo.url + pathName, { waitUntil: 'load' });
  await page.evaluate(() => document.fonts.ready);
  return { page, errors, callbacks };
}

// The page's width beyond the viewport (0 when nothing scrolls sideways).
const sideScroll = (page) => page.evaluate(() =>
  document.documentElement.scrollWidth - document.documentElement.clientWidth);

async function shoot(page, name) {
  await mkdir(shots, { recursive: true });
  await page.waitForTimeout(250);  // plug-ins that draw after load
  await page.screenshot({ path: path.join(shots, `${name}.png`), fullPage: false });
}

test('the pages list is the navigation, and the start page shows every page', async () => {
  assert.ok(pages.length >= 6, JSON.stringify(pages));
  for (const p of pages) {
    assert.match(p.name, /^[a-z0-9_-]+$/);
    assert.equal(p.path, demoPagePath(p.name));
    assert.ok(p.label && p.title && p.summary, JSON.stringify(p));
  }
  const { page, errors } = await open('/', sizes[0]);
  const nav = await page.$$eval('.zqd-nav a', (as) => as.map((a) => ({ href: a.getAttribute('href'), text: a.textContent })));
  assert.deepEqual(nav, [{ href: './', text: 'All pages' },
    ...pages.map((p) => ({ href: `demo/${p.name}`, text: p.label }))]);
  const headings = await page.$$eval('.zqd-intro h2', (hs) => hs.map((h) => h.textContent));
  assert.deepEqual(headings, pages.map((p) => p.title));
  // every page's example box holds controls
  for (const p of pages) {
    const count = await page.$$eval(`#DEMOEXAMPLE_${p.name.replace(/-/g, '_').toUpperCase()} > *`, (c) => c.length);
    assert.ok(count > 0, p.name);
  }
  await shoot(page, 'showcase');
  await page.close();
  assert.deepEqual(errors, []);
  const phone = await open('/', sizes[1]);
  assert.ok(await sideScroll(phone.page) <= 0, 'the start page scrolls sideways at 390px');
  await phone.page.close();
  assert.deepEqual(phone.errors, []);
});

for (const size of sizes) {
  test(`every page at ${size.width}x${size.height}: heading, example, source, no sideways scroll`, async () => {
    for (const p of pages) {
      const { page, errors } = await open(demoPagePath(p.name), size);
      const id = `DEMOEXAMPLE_${p.name.replace(/-/g, '_').toUpperCase()}`;
      const state = await page.evaluate((exampleId) => {
        const box = document.getElementById(exampleId);
        const rect = box.getBoundingClientRect();
        return {
          title: document.querySelector('.zqd-intro h2')?.textContent,
          summary: document.querySelector('.zqd-intro p')?.textContent,
          current: document.querySelector('.zqd-nav a[aria-current=page]')?.textContent,
          controls: box.children.length,
          height: rect.height,
          source: document.querySelector('.zqd-code code')?.textContent ?? '',
        };
      }, id);
      assert.equal(state.title, p.title, p.name);
      assert.equal(state.summary, p.summary, p.name);
      assert.equal(state.current, p.label, p.name);
      assert.ok(state.controls > 0 && state.height > 0, `${p.name}: ${JSON.stringify(state)}`);
      // the code shown is the page's source file: it registers this very page
      assert.ok(state.source.includes(`ZQDEMO_PAGE(`) && state.source.includes(`"${p.name}"`), p.name);
      assert.ok(await sideScroll(page) <= 0, `${p.name} scrolls sideways at ${size.width}px`);
      await shoot(page, p.name + size.suffix);
      await page.close();
      assert.deepEqual(errors, [], p.name);
    }
  });
}

// A download the browser takes over ends its request as aborted in chromium:
// not a fault of the page.
const realErrors = (errors) => errors.filter((e) =>
  !(e.startsWith('requestfailed:') && e.includes('ActionGetFile') && e.includes('ERR_ABORTED')));

test('the first button of every page\'s example answers, and the example changes', async () => {
  for (const p of pages) {
    const { page, errors, callbacks } = await open(demoPagePath(p.name), sizes[0]);
    const id = `DEMOEXAMPLE_${p.name.replace(/-/g, '_').toUpperCase()}`;
    const buttons = page.locator(`#${id} input[type=button]:visible:enabled, #${id} button:visible:enabled`);
    assert.ok(await buttons.count() > 0, `${p.name}: the example has no button to try`);
    // The first of its first three buttons whose answer changes the example
    // (a button may change only a setting the page shows nowhere).
    const markup = () => page.$eval(`#${id}`, (e) => e.innerHTML);
    let changed = false;
    for (let i = 0; i < Math.min(3, await buttons.count()) && !changed; i++) {
      const before = await markup();
      // A button may act in the browser only (no callback): then try the next.
      const answered = page.waitForResponse((res) => res.url().includes('/$/callback'),
        { timeout: 3000 }).catch(() => null);
      await buttons.nth(i).click();
      const res = await answered;
      if (res) assert.equal(res.status(), 200, p.name);
      changed = await page.waitForFunction(([exampleId, html]) =>
        document.getElementById(exampleId).innerHTML !== html, [id, before], { timeout: 3000 })
        .then(() => true, () => false);
    }
    assert.ok(changed, `${p.name}: no button changed the example`);
    await page.waitForTimeout(300);
    assert.ok(callbacks.every((s) => s === 200), `${p.name}: ${callbacks}`);
    await page.close();
    assert.deepEqual(realErrors(errors), [], p.name);
  }
});

test('on every page the frame\'s slow callback runs under the lock indicator', async () => {
  for (const pathName of ['/', ...pages.map((p) => demoPagePath(p.name))]) {
    const { page, errors, callbacks } = await open(pathName, sizes[0]);
    assert.equal(await page.evaluate(() => typeof jQuery.blockUI), 'function', pathName);
    const answered = page.waitForResponse((res) => res.url().includes('/$/callback'));
    await page.click('#DEMOSLOW');
    await page.waitForSelector('body > .blockUI.blockMsg', { state: 'visible', timeout: 900 });
    await page.waitForFunction(() => {
      const img = document.querySelector('body > .blockUI.blockMsg img');
      return img && img.complete && img.naturalWidth > 0;
    }, null, { timeout: 800 });
    const during = await page.evaluate(() => ({
      overlay: !!document.querySelector('body > .blockUI.blockOverlay'),
      text: document.querySelector('body > .blockUI.blockMsg').textContent.trim(),
      src: document.querySelector('body > .blockUI.blockMsg img').getAttribute('src'),
      result: document.getElementById('DEMOSLOWRESULT').textContent,
    }));
    assert.equal(during.overlay, true, pathName);
    assert.equal(during.text, 'Please wait...', pathName);
    assert.match(during.src, /loading-animation\/[a-z]+\/Loading[0-9]+\.gif/, pathName);
    assert.ok(!during.result.startsWith('Done'), pathName);
    assert.equal((await answered).status(), 200, pathName);
    await page.waitForFunction(() =>
      document.getElementById('DEMOSLOWRESULT').textContent ===
      'Done: the page was locked for the whole callback', null, { timeout: 3000 });
    await page.waitForSelector('.blockUI', { state: 'detached', timeout: 3000 });
    assert.ok(callbacks.every((st) => st === 200), `${pathName}: ${callbacks}`);
    await page.close();
    assert.deepEqual(errors, [], pathName);
  }
});

test('the theme switcher changes the jQuery UI theme and keeps it', async () => {
  const { page, errors } = await open(demoPagePath(pages[0].name), sizes[0]);
  const themes = await page.$$eval('#zqd-theme option', (os) => os.map((o) => o.value));
  assert.ok(themes.length >= 3, String(themes));
  assert.equal(themes[0], 'base');
  const other = themes[1];
  const header = () => page.evaluate(() => getComputedStyle(document.querySelector('.zqd-header')).backgroundColor);
  const before = await header();
  await page.selectOption('#zqd-theme', other);
  // the other theme's stylesheet loaded (a failed load would be among the errors) and applies
  await page.waitForFunction((b) => getComputedStyle(document.querySelector('.zqd-header')).backgroundColor !== b,
    before, { timeout: 15000 });
  assert.match(await page.$eval('#zqd-theme-css', (l) => l.href), new RegExp(`/${other}/jquery-ui`));
  await page.reload();
  assert.equal(await page.$eval('#zqd-theme', (s) => s.value), other);
  assert.match(await page.$eval('#zqd-theme-css', (l) => l.href), new RegExp(`/${other}/jquery-ui`));
  // back to the default for the other tests of this browser
  await page.selectOption('#zqd-theme', 'base');
  await page.close();
  assert.deepEqual(errors, []);
});
