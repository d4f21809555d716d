// Image control in chromium: the rendered img shows the server's PNG, and a
// source the server changes during a callback reaches the page.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openDemoPage, saveScreenshot, startAll } from './lib/harness.mjs';

let env;
before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

// The loaded image's natural size and the colour of its centre pixel.
const picture = (page) => page.evaluate(async () => {
  const img = document.getElementById('DEMOIMAGE_IMG');
  if (!img.complete) await new Promise((r) => { img.onload = r; img.onerror = r; });
  const c = document.createElement('canvas');
  c.width = img.naturalWidth; c.height = img.naturalHeight;
  if (!c.width) return { width: 0, height: 0, rgb: null };
  const g = c.getContext('2d');
  g.drawImage(img, 0, 0);
  const d = g.getImageData(c.width >> 1, c.height >> 1, 1, 1).data;
  return { width: img.naturalWidth, height: img.naturalHeight, rgb: [d[0], d[1], d[2]] };
});

test('renders the image and follows a server change of its source', async () => {
  const { page, errors } = await openDemoPage(env, 'image');
  await page.waitForSelector('#DEMOIMAGE_IMG');
  assert.equal(await page.getAttribute('#DEMOIMAGE_IMG', 'alt'), 'a "coloured" square');
  assert.deepEqual(await picture(page), { width: 40, height: 20, rgb: [200, 30, 30] });
  const box = await page.locator('#DEMOIMAGE_IMG').boundingBox();
  assert.deepEqual([box.width, box.height], [120, 60], 'the img fills the control');

  const before = await page.getAttribute('#DEMOIMAGE_IMG', 'src');
  await page.click('#BTNIMAGEBLUE');
  await page.waitForFunction((s) => document.getElementById('DEMOIMAGE_IMG').getAttribute('src') !== s, before);
  assert.deepEqual(await picture(page), { width: 60, height: 30, rgb: [30, 30, 200] });
  assert.equal(await page.textContent('#LBLIMAGESTATUS'), 'blue');
  await saveScreenshot(page, 'image');

  await page.click('#BTNIMAGERED');
  await page.waitForFunction((s) => document.getElementById('DEMOIMAGE_IMG').getAttribute('src') === s, before);
  assert.deepEqual(await picture(page), { width: 40, height: 20, rgb: [200, 30, 30] });

  // Quotes and a closing script tag in the source arrive as they were sent.
  await page.click('#BTNIMAGEQUOTED');
  await page.waitForFunction(() => document.getElementById('DEMOIMAGE_IMG').getAttribute('src').endsWith('#a"b</script>\'c'));
  assert.deepEqual(await picture(page), { width: 50, height: 25, rgb: [30, 160, 30] });
  // The session keeps the form: the next page renders that source into the
  // img's attribute, again unchanged.
  const quoted = await page.getAttribute('#DEMOIMAGE_IMG', 'src');
  await page.reload();
  await page.waitForSelector('#DEMOIMAGE_IMG');
  assert.equal(await page.getAttribute('#DEMOIMAGE_IMG', 'src'), quoted);
  assert.deepEqual(await picture(page), { width: 50, height: 25, rgb: [30, 160, 30] });
  assert.deepEqual(errors, []);
});
