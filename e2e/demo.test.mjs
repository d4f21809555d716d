// The demo's pages in chromium: "/" shows every registered page, "/demo/<name>"
// one page alone, and a session moving between them works on the page it shows.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { demoPagePath, openDemoPage, startAll } from './lib/harness.mjs';

let env;

before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

// The page titles present on the page, by the ids of their labels.
const titles = (page) => page.evaluate(() =>
  ['LBLHOSTTITLE', 'LBLSTORETITLE', 'LBLHISTORYTITLE'].filter((id) => document.getElementById(id)));

test('the start page shows every page, each page URL only its own', async () => {
  const { page, errors } = await openDemoPage(env);
  assert.deepEqual(await titles(page), ['LBLHOSTTITLE', 'LBLSTORETITLE', 'LBLHISTORYTITLE']);
  for (const [name, id] of [['host_controls', 'LBLHOSTTITLE'], ['store', 'LBLSTORETITLE'], ['history', 'LBLHISTORYTITLE']]) {
    await page.goto(env.demo.url + demoPagePath(name));
    assert.deepEqual(await titles(page), [id], name);
  }
  await page.close();
  assert.deepEqual(errors, []);
});

test('an unknown page name is not found', async () => {
  const res = await fetch(env.demo.url + demoPagePath('no_such_page'));
  assert.equal(res.status, 404);
  assert.equal(await res.text(), 'No such demo page');
});

test('callbacks go to the page shown after the session moved between pages', async () => {
  const { page, errors, callbacks } = await openDemoPage(env, 'host_controls');
  await page.click('#BTNAJAX');
  await page.waitForFunction(() => document.getElementById('LBLCLICKS').textContent === 'Clicked 1 time');
  await page.goto(env.demo.url + demoPagePath('store'));
  await page.click('#BTNSTORESAVE');
  await page.waitForFunction(() => document.getElementById('LBLSTORERESULT').textContent === 'Saved');
  // back on the first page, its state is as it was left
  await page.goto(env.demo.url + demoPagePath('host_controls'));
  assert.equal(await page.textContent('#LBLCLICKS'), 'Clicked 1 time');
  await page.click('#BTNAJAX');
  await page.waitForFunction(() => document.getElementById('LBLCLICKS').textContent === 'Clicked 2 times');
  assert.deepEqual(callbacks, [200, 200, 200]);
  await page.close();
  assert.deepEqual(errors, []);
});
