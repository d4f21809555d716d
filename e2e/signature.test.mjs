// Signature pad in chromium against the real jSignature: strokes give data,
// "save on server" writes a PNG with ink that comes back into the page, a
// forged save post writes nothing and is answered as a failure, copy to image
// fills the image, undo takes back a stroke, clear empties the pad, disabling
// stops strokes.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync, readdirSync, readFileSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { openDemoPage, saveScreenshot, startAll } from './lib/harness.mjs';

let env;
before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

async function stroke(page) {
  const box = await page.locator('#SIGNPAD canvas').boundingBox();
  await page.mouse.move(box.x + 30, box.y + 40);
  await page.mouse.down();
  for (let i = 1; i <= 20; i++) await page.mouse.move(box.x + 30 + i * 12, box.y + 40 + (i % 5) * 14);
  await page.mouse.up();
}

const strokes = (page) => page.evaluate(() => $('#SIGNPAD').jSignature('getData', 'native').length);
let pageErrors = [];
async function status(page, text) {
  try {
    await page.waitForFunction((t) => document.getElementById('LBLSIGNSTATUS').textContent === t, text, { timeout: 15000 });
  } catch (err) {
    const shown = await page.evaluate(() => document.getElementById('LBLSIGNSTATUS').textContent);
    throw new Error(`waiting for "${text}", shown "${shown}"; errors: ${JSON.stringify(pageErrors)}`);
  }
}

// Dark pixels of an image element, counted on a canvas.
const inkOf = (page, id) => page.evaluate(async (id) => {
  const img = document.getElementById(id);
  if (!img.complete) await new Promise((r) => { img.onload = r; });
  const c = document.createElement('canvas');
  c.width = img.naturalWidth; c.height = img.naturalHeight;
  const g = c.getContext('2d');
  g.drawImage(img, 0, 0);
  const d = g.getImageData(0, 0, c.width, c.height).data;
  let n = 0;
  for (let i = 0; i < d.length; i += 4) if (d[i + 3] > 0 && d[i] < 100 && d[i + 1] < 100 && d[i + 2] < 100) n++;
  return n;
}, id);

test('strokes, save on server, forged post, copy, clear and disable', async () => {
  const { page, errors } = await openDemoPage(env, 'signature');
  pageErrors = errors;
  await page.waitForSelector('#SIGNPAD canvas');
  assert.equal(await strokes(page), 0);
  await stroke(page);
  assert.ok(await strokes(page) > 0, 'the strokes give signature data');

  let postUrl = '';
  page.on('request', (r) => { if (r.url().includes('ActionPostFormData')) postUrl = r.url(); });
  await page.click('#BTNSIGNSAVE');
  await status(page, 'saved');
  await page.waitForFunction(() => (document.getElementById('IMGSIGNSAVED_IMG').getAttribute('src') || '').startsWith('data:image/png;base64,'));
  const src = await page.getAttribute('#IMGSIGNSAVED_IMG', 'src');
  const png = Buffer.from(src.slice(src.indexOf(',') + 1), 'base64');
  assert.deepEqual([...png.subarray(0, 8)], [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a], 'a PNG was written');
  assert.ok(await inkOf(page, 'IMGSIGNSAVED_IMG') > 20, 'the saved PNG has ink');

  // A forged post: the name the browser sends is never used.
  assert.ok(postUrl, 'the save posted to the action map');
  const forged = await page.evaluate(async (url) => {
    const body = new URLSearchParams({ filename: '../../evil.png', signdata: 'data:image/png;base64,iVBORw0KGgo=' });
    const r = await fetch(url, { method: 'POST', body });
    return r.text();
  }, postUrl);
  assert.match(forged, /success"?:false/);
  // The demo saves into a folder named after its process; only the recorded
  // name was written there, and nothing relative to it or to the server.
  const folder = path.join(os.tmpdir(), `zq_demo_signatures_${env.demo.proc.pid}`);
  assert.deepEqual(readdirSync(folder), ['signature.png']);
  assert.deepEqual(readFileSync(path.join(folder, 'signature.png')), png, 'the page shows the file written');
  for (const base of [folder, process.cwd(), path.resolve(process.cwd(), '..'), path.resolve(process.cwd(), '../build/demo')])
    assert.equal(existsSync(path.resolve(base, '../../evil.png')), false);

  await page.click('#BTNSIGNCOPY');
  await status(page, 'copied');
  assert.ok(await inkOf(page, 'IMGSIGNCOPY_IMG') > 20, 'copy to image shows the drawing');
  await saveScreenshot(page, 'signature');

  // The pad's own undo button takes back the last stroke only.
  const drawn = await strokes(page);
  await stroke(page);
  assert.equal(await strokes(page), drawn + 1);
  await page.click('#SIGNPAD input[type=button]');
  assert.equal(await strokes(page), drawn, 'undo takes back the last stroke');

  await page.click('#BTNSIGNCLEAR');
  await status(page, 'cleared');
  assert.equal(await strokes(page), 0, 'clear empties the data');

  await page.click('#BTNSIGNDISABLE');
  await status(page, 'disabled');
  await stroke(page);
  assert.equal(await strokes(page), 0, 'a disabled pad takes no strokes');
  assert.deepEqual(errors, []);
});
