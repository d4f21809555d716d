// File download in chromium: a server handler starts a download during an
// ajax callback; the jquery.fileDownload plug-in fetches it through the URL
// action map, the bytes arrive complete, the success callback runs while the
// plug-in's cookie is set, a used fid cannot be fetched again, a non-ASCII
// file name arrives decoded and a failed download reaches the fail callback.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { createHash } from 'node:crypto';
import { openDemoPage, startAll } from './lib/harness.mjs';

let env;

before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

// The demo's text file: "line 1\n" ... "line 2000\n".
function textContent() {
  let s = '';
  for (let i = 1; i <= 2000; i++) s += `line ${i}\n`;
  return Buffer.from(s);
}

// Downloads end the plug-in's iframe request without a page, which chromium
// reports as an aborted request: that is how a download looks, not an error.
function realErrors(errors) {
  return errors.filter((e) => !(e.startsWith('requestfailed:') && e.includes('ActionGetFile') && e.includes('ERR_ABORTED')));
}

async function openDemo() {
  const opened = await openDemoPage(env, 'download');
  const fileRequests = [];
  opened.page.on('request', (req) => {
    if (req.url().includes('ActionGetFile')) fileRequests.push(req.url());
  });
  return { ...opened, fileRequests };
}

async function result(page, expected) {
  const read = () => page.evaluate(() => {
    const l = document.getElementById('LBLDOWNLOADRESULT');
    return { text: l.textContent, cookie: l.getAttribute('data-cookie') };
  });
  try {
    await page.waitForFunction(
      (t) => document.getElementById('LBLDOWNLOADRESULT').textContent.startsWith(t), expected, { timeout: 30000 });
  } catch (err) {
    throw new Error(`waiting for "${expected}": ${JSON.stringify(await read())} (cookies: ${await page.evaluate(() => document.cookie)})`);
  }
  return read();
}

// Clears the outcome shown, so that the next one waited for is the new one.
const clearResult = (page) => page.evaluate(() => { document.getElementById('LBLDOWNLOADRESULT').textContent = ''; });

async function clickAndDownload(page, button) {
  await clearResult(page);
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: 30000 }), page.click(button)]);
  return download;
}

test('a text file started by a callback arrives complete, with the success callback and the cookie', async () => {
  const { page, errors, callbacks, fileRequests } = await openDemo();
  const download = await clickAndDownload(page, '#BTNDOWNLOADTEXT');
  assert.equal(download.suggestedFilename(), 'lines.txt');
  const bytes = await readFile(await download.path());
  assert.ok(bytes.equals(textContent()), 'downloaded bytes differ');
  assert.deepEqual(await result(page, 'Download complete'), { text: 'Download complete', cookie: 'set' });
  // The plug-in removed its cookie afterwards.
  assert.equal(await page.evaluate(() => /fileDownload=/.test(document.cookie)), false);
  assert.equal(fileRequests.length, 1);
  assert.ok(callbacks.every((s) => s === 200), String(callbacks));

  // Replaying the used fid.
  const replay = await page.evaluate(async (url) => (await fetch(url)).text(), fileRequests[0]);
  assert.equal(replay, 'Detected hacking attempt on file request!');
  await page.close();
  assert.deepEqual(realErrors(errors), []);
});

test('a 50 MB file arrives complete', async () => {
  const { page, errors } = await openDemo();
  const download = await clickAndDownload(page, '#BTNDOWNLOADLARGE');
  const bytes = await readFile(await download.path());
  assert.equal(bytes.length, 50 * 1024 * 1024);
  const expected = Buffer.alloc(bytes.length);
  for (let i = 0; i < expected.length; i++) expected[i] = (i * 31 + 7) & 0xff;
  assert.equal(createHash('sha256').update(bytes).digest('hex'), createHash('sha256').update(expected).digest('hex'));
  await result(page, 'Download complete');
  await page.close();
  assert.deepEqual(realErrors(errors), []);
});

test('a non-ASCII file name arrives decoded; a stream built by the application arrives', async () => {
  const { page, errors } = await openDemo();
  const named = await clickAndDownload(page, '#BTNDOWNLOADNONASCII');
  // Decoded from filename*=UTF-8''; chromium itself may replace the quotes.
  assert.match(named.suggestedFilename(), /^Grüße – 日本語 ["_]report["_]\.txt$/);
  assert.ok((await readFile(await named.path())).equals(textContent()));
  await result(page, 'Download complete');

  const stream = await clickAndDownload(page, '#BTNDOWNLOADSTREAM');
  assert.equal(stream.suggestedFilename(), 'squares.csv');
  const csv = (await readFile(await stream.path())).toString();
  assert.ok(csv.startsWith('name,value\nrow 1,1\nrow 2,4\n'), csv.slice(0, 40));
  assert.ok(csv.endsWith('row 100,10000\n'));
  // Waited for, so that the plug-in removes its cookie before the page goes.
  await result(page, 'Download complete');
  await page.close();
  assert.deepEqual(realErrors(errors), []);
});

test('a failed download reaches the fail callback with the server message', async () => {
  const { page, errors } = await openDemo();
  assert.equal(await page.evaluate(() => /fileDownload=/.test(document.cookie)), false, 'no cookie left from before');
  await clearResult(page);
  await page.click('#BTNDOWNLOADMISSING');
  const r = await result(page, 'Download failed');
  assert.equal(r.text, 'Download failed: The file can not be returned by server!');
  await page.close();
  assert.deepEqual(realErrors(errors), []);
});
