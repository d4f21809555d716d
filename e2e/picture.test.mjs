// Picture holders and the image cache in chromium: cached pictures load at
// their sizes, an icon keeps its transparency, a picture changed in a
// callback shows its new pixels, thumbnails preview on hover, and the image
// the browser shows is saved back on the server as a PNG of its displayed size.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openDemoPage, startAll } from './lib/harness.mjs';

let env;

before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

const openDemo = () => openDemoPage(env, 'picture');

// Waits until the image has loaded and returns its natural size.
async function naturalSize(page, selector) {
  await page.waitForFunction((s) => {
    const img = document.querySelector(s);
    return img && img.complete && img.naturalWidth > 0;
  }, selector);
  return page.$eval(selector, (img) => [img.naturalWidth, img.naturalHeight]);
}

// The RGBA of a pixel of the image's natural-size bitmap.
function pixel(page, selector, x, y) {
  return page.$eval(selector, (img, [px, py]) => {
    const c = document.createElement('canvas');
    c.width = img.naturalWidth;
    c.height = img.naturalHeight;
    const ctx = c.getContext('2d');
    ctx.drawImage(img, 0, 0);
    return Array.from(ctx.getImageData(px, py, 1, 1).data);
  }, [x, y]);
}

test('every cached picture loads with its natural size', async () => {
  const { page, errors } = await openDemo();
  assert.deepEqual(await naturalSize(page, '#IMGPNG'), [48, 32]);
  assert.deepEqual(await naturalSize(page, '#IMGICON'), [32, 32]);
  assert.deepEqual(await naturalSize(page, '#IMGCHANGED'), [40, 40]);
  assert.deepEqual(await naturalSize(page, '#IMGSHOWN'), [48, 32]);
  const thumbs = await page.$$eval('#IMGTHUMBS img', (imgs) => imgs.length);
  assert.equal(thumbs, 3);
  for (let i = 1; i <= 3; i++) {
    assert.deepEqual(await naturalSize(page, `#IMGTHUMBS img:nth-child(${i})`), [16, 16]);
  }
  // The gradient's corners, and the icon: transparent outside its disc.
  assert.deepEqual(await pixel(page, '#IMGPNG', 0, 0), [0, 0, 160, 255]);
  assert.deepEqual(await pixel(page, '#IMGPNG', 47, 31), [255, 255, 160, 255]);
  assert.equal((await pixel(page, '#IMGICON', 0, 0))[3], 0);
  assert.deepEqual(await pixel(page, '#IMGICON', 16, 16), [255, 140, 0, 255]);
  await page.close();
  assert.deepEqual(errors, []);
});

test('a picture changed during a callback shows its new pixels under a new URL', async () => {
  const { page, errors, callbacks } = await openDemo();
  await naturalSize(page, '#IMGCHANGED');
  const before = await page.getAttribute('#IMGCHANGED', 'src');
  assert.deepEqual(await pixel(page, '#IMGCHANGED', 20, 20), [220, 30, 30, 255]);
  await page.click('#BTNIMAGECHANGE');
  await page.waitForFunction((old) => document.getElementById('IMGCHANGED').getAttribute('src') !== old, before);
  const after = await page.getAttribute('#IMGCHANGED', 'src');
  assert.match(after, /^\/userimgcache\/[0-9a-f]+\/DemoForm\w*_ImgChanged_Picture\.png\?cacheid=[0-9A-F]{32}$/);
  await page.waitForFunction(() => {
    const img = document.getElementById('IMGCHANGED');
    return img.complete && img.naturalWidth === 40;
  });
  assert.deepEqual(await pixel(page, '#IMGCHANGED', 20, 20), [30, 180, 60, 255]);
  assert.ok(callbacks.length > 0 && callbacks.every((s) => s === 200), String(callbacks));
  await page.close();
  assert.deepEqual(errors, []);
});

test('hovering a thumbnail shows its preview, leaving hides it', async () => {
  const { page, errors } = await openDemo();
  await naturalSize(page, '#IMGTHUMBS img:nth-child(2)');
  const preview = '.imgPreviewContainer';
  assert.equal(await page.isVisible(preview), false);
  await page.hover('#IMGTHUMBS img:nth-child(2)');
  await page.waitForSelector(`${preview} img`, { state: 'visible' });
  const shown = await page.$eval(`${preview} img`, (img) => ({
    src: img.getAttribute('src'), width: img.width, height: img.height, loading: img.parentNode.className,
  }));
  assert.equal(shown.src, await page.getAttribute('#IMGTHUMBS img:nth-child(2)', 'src'));
  assert.deepEqual([shown.width, shown.height], [96, 96]);
  assert.equal(shown.loading, 'imgPreviewContainer');
  await page.mouse.move(5, 5);
  await page.waitForSelector(preview, { state: 'hidden' });
  await page.close();
  assert.deepEqual(errors, []);
});

test('the image the browser shows is saved on the server as a PNG of its displayed size', async () => {
  const { page, errors } = await openDemo();
  await naturalSize(page, '#IMGSHOWN');
  const posted = page.waitForResponse((res) => res.url().includes('/IWZQJQ/ID') && res.request().method() === 'POST');
  await page.click('#BTNIMAGESAVE');
  const res = await posted;
  assert.equal(res.status(), 200);
  assert.equal(await res.text(), '{success:true}');
  await page.click('#BTNIMAGECHECK');
  await page.waitForFunction(() => document.getElementById('LBLIMAGESAVED').textContent.startsWith('Saved PNG'));
  assert.equal(await page.textContent('#LBLIMAGESAVED'), 'Saved PNG 96x64');

  assert.deepEqual(errors, []);

  // A forged post to the same entry (a name the server did not ask for) is
  // refused; the browser logs the failed request, nothing else.
  const forged = await page.evaluate(async (url) => {
    const r = await fetch(url, {
      method: 'POST',
      headers: { 'Content-Type': 'application/x-www-form-urlencoded' },
      body: 'imageData=AAAA&filename=%2Ftmp%2Fevil.png',
    });
    await r.text();
    return [r.status, r.statusText];
  }, res.url());
  // The action map answers a refused entry with 500 and the reason as its status text.
  assert.deepEqual(forged, [500, '500: Invalid file name: "/tmp/evil.png"!']);
  const checked = page.waitForResponse((r) => r.url().includes('/$/callback'));
  await page.click('#BTNIMAGECHECK');
  await checked;
  assert.equal(await page.textContent('#LBLIMAGESAVED'), 'Saved PNG 96x64');
  await page.close();
  assert.deepEqual(errors, [
    'console: Failed to load resource: the server responded with a status of 500 (500: Invalid file name: "/tmp/evil.png"!)',
  ]);
});
