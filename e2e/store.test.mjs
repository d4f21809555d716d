// The client store in chromium: values typed in the page are saved in the
// browser's store by the server (store.js) and read back through the store's
// value callback, unchanged whatever they hold.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openDemoPage, startAll } from './lib/harness.mjs';

let env;

before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

const openDemo = () => openDemoPage(env, 'store');

async function saveAndReadBack(page, key, value) {
  await page.fill('#EDITSTOREKEY', key);
  await page.fill('#EDITSTOREVALUE', value);
  await page.click('#BTNSTORESAVE');
  await page.waitForFunction(() => document.getElementById('LBLSTORERESULT').textContent === 'Saved');
  await page.click('#BTNSTOREREAD');
  await page.waitForFunction(() => document.getElementById('LBLSTORERESULT').textContent !== 'Saved');
  return page.textContent('#LBLSTORERESULT');
}

test('the store plug-in is loaded with the page', async () => {
  const { page, errors } = await openDemo();
  const ready = await page.evaluate(() => ({
    store: typeof store === 'object' && typeof store.set === 'function' && store.enabled,
    client: typeof DEMOSTOREIWCL,
  }));
  assert.deepEqual(ready, { store: true, client: 'object' });
  await page.close();
  assert.deepEqual(errors, []);
});

test('values with quotes, backslashes, non-ASCII text and </script> are stored and read back unchanged', async () => {
  const { page, errors, callbacks } = await openDemo();
  const values = [
    'plain value',
    'it\'s "quoted"',
    'back\\slash \\" \\\\ end\\',
    'Grüße, 日本語, emoji 😀',
    '</script><script>window.pwned=1</script>',
    '{"a":1,"b":"x\\"y"}',
  ];
  for (const [i, value] of values.entries()) {
    const key = `key ${i} "'</script>`;
    const shown = await saveAndReadBack(page, key, value);
    // The browser's store holds the value itself ...
    const stored = await page.evaluate((k) => store.get(k), key);
    assert.equal(stored, value);
    // ... and the server received it: JSON text of the string, or, for a
    // value that is JSON text, that JSON.
    let expected = value;
    try { expected = JSON.parse(value); } catch { /* plain text */ }
    assert.deepEqual(JSON.parse(shown), expected, `value ${i}`);
  }
  assert.equal(await page.evaluate(() => window.pwned), undefined);
  assert.ok(callbacks.every((s) => s === 200), String(callbacks));
  await page.close();
  assert.deepEqual(errors, []);
});

test('"]]>" in a key or a value travels through the ajax response intact', async () => {
  const { page, errors, callbacks } = await openDemo();
  const key = 'cdata ]]> key';
  const value = 'ends ]]> here ]]]]><![CDATA[> too';
  const shown = await saveAndReadBack(page, key, value);
  assert.equal(await page.evaluate((k) => store.get(k), key), value);
  assert.equal(JSON.parse(shown), value);
  assert.ok(callbacks.every((s) => s === 200), String(callbacks));
  await page.close();
  assert.deepEqual(errors, []);
});

test('a value survives a new page; a removed key reads back empty', async () => {
  const { page, errors } = await openDemo();
  await saveAndReadBack(page, 'kept', 'still here');
  await page.reload();
  await page.fill('#EDITSTOREKEY', 'kept');
  await page.click('#BTNSTOREREAD');
  await page.waitForFunction(() => document.getElementById('LBLSTORERESULT').textContent === '"still here"');
  await page.click('#BTNSTOREREMOVE');
  await page.waitForFunction(() => document.getElementById('LBLSTORERESULT').textContent === 'Removed');
  assert.equal(await page.evaluate(() => store.get('kept')), undefined);
  await page.click('#BTNSTOREREAD');
  await page.waitForFunction(() => document.getElementById('LBLSTORERESULT').textContent === '(no value)');
  await page.close();
  assert.deepEqual(errors, []);
});
