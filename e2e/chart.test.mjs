// Charts in chromium, drawn by the real jqPlot: the series canvases carry
// pixels, tick labels are numbers, a click at a point's pixel reaches the
// server with its series and point index, remote data comes by GET from the
// GetData URL as JSON.parse-able text and is drawn, a server-side replot
// changes the drawing, copy to image gives a PNG data URL, and the console
// stays clean.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openDemoPage, saveScreenshot, startAll } from './lib/harness.mjs';

let env;

before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

// Opens the page and waits until the three charts exist on the client.
async function openCharts() {
  const opened = await openDemoPage(env, 'chart');
  opened.dataRequests = [];
  opened.page.on('response', async (res) => {
    if (res.url().includes('ActionGetData')) {
      opened.dataRequests.push({ method: res.request().method(), status: res.status(), body: await res.text() });
    }
  });
  await opened.page.waitForFunction(() =>
    typeof CHARTLINEJQObj !== 'undefined' && CHARTLINEJQObj && CHARTBARJQObj && CHARTREMOTEJQObj);
  return opened;
}

// Number of non-transparent pixels of every series canvas of a chart.
function seriesPixels(page, id) {
  return page.$$eval(`#${id} canvas.jqplot-series-canvas`, (canvases) => canvases.reduce((sum, c) => {
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 3; i < d.length; i += 4) if (d[i] !== 0) n++;
    return sum + n;
  }, 0));
}

// A signature of the drawn series: a hash of their pixels.
function seriesHash(page, id) {
  return page.$$eval(`#${id} canvas.jqplot-series-canvas`, (canvases) => {
    let h = 0;
    for (const c of canvases) {
      const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      for (let i = 0; i < d.length; i += 7) h = (h * 31 + d[i]) | 0;
    }
    return h;
  });
}

test('each chart draws its series with numeric tick labels', async () => {
  const { page, errors } = await openCharts();
  for (const id of ['CHARTLINE', 'CHARTBAR', 'CHARTREMOTE']) {
    assert.ok(await seriesPixels(page, id) > 100, `${id} series canvas is blank`);
    const ticks = await page.$$eval(`#${id} .jqplot-yaxis-tick`, (els) => els.map((e) => e.textContent));
    assert.ok(ticks.length > 2, `${id} has y ticks`);
    for (const t of ticks) assert.match(t, /^-?\d+(\.\d+)?$/, `${id} tick "${t}"`);
  }
  const xticks = await page.$$eval('#CHARTLINE .jqplot-xaxis-tick', (els) => els.map((e) => e.textContent));
  assert.equal(Number(xticks[0]), 0);
  assert.equal(Number(xticks[xticks.length - 1]), 5);
  // Title and legend from the server's options.
  assert.equal(await page.textContent('#CHARTLINE .jqplot-title'), 'Sales by quarter');
  const legend = await page.$$eval('#CHARTLINE .jqplot-table-legend-label', (els) => els.map((e) => e.textContent));
  assert.deepEqual(legend, ['North', 'South', 'West']);
  await saveScreenshot(page, 'chart');
  await page.close();
  assert.deepEqual(errors, []);
});

test('a click on a point reaches the server with its series and point index', async () => {
  const { page, errors, callbacks } = await openCharts();
  // The pixel of series 2, point 1 ([2,8]) from the chart's own axes.
  const [x, y] = await page.evaluate(() => {
    const p = CHARTLINEJQObj;
    const gx = p.axes.xaxis.series_u2p(2);
    const gy = p.axes.yaxis.series_u2p(8);
    const off = $('#CHARTLINE .jqplot-event-canvas').offset();
    return [off.left + gx, off.top + gy];
  });
  await page.mouse.click(x, y);
  await page.waitForFunction(() => document.getElementById('LBLCHARTCLICK').textContent !== 'no point clicked');
  assert.equal(await page.textContent('#LBLCHARTCLICK'), 'series 2, point 1, value 8');
  assert.ok(callbacks.length > 0 && callbacks.every((s) => s === 200), String(callbacks));
  await page.close();
  assert.deepEqual(errors, []);
});

test('remote data comes from the GetData URL and a server change reloads it', async () => {
  const { page, errors, dataRequests } = await openCharts();
  await page.waitForFunction(() => CHARTREMOTEJQObj.series[0].data.length === 5);
  assert.ok(dataRequests.length >= 1);
  assert.equal(dataRequests[0].method, 'GET');
  assert.equal(dataRequests[0].status, 200);
  const parsed = JSON.parse(dataRequests[0].body);
  assert.deepEqual(parsed, [[[1, 5], [2, 9], [3, 4], [4, 11], [5, 7]]]);
  const before = await seriesHash(page, 'CHARTREMOTE');
  await page.click('#BTNCHARTDATA');
  await page.waitForFunction(() => CHARTREMOTEJQObj.series[0].data[0][1] === 15);
  // A reply is recorded once its body has been read, which may end after the
  // chart has drawn it: wait (bounded) for the record of the new data.
  const isNew = (r) => JSON.parse(r.body)[0]?.[0]?.[1] === 15;
  for (let i = 0; i < 100 && !dataRequests.some(isNew); ++i) await new Promise((r) => setTimeout(r, 50));
  const last = dataRequests[dataRequests.length - 1];
  assert.deepEqual(JSON.parse(last.body), [[[1, 15], [2, 27], [3, 12], [4, 33], [5, 21]]]);
  assert.notEqual(await seriesHash(page, 'CHARTREMOTE'), before);
  assert.ok(await seriesPixels(page, 'CHARTREMOTE') > 100);
  await page.close();
  assert.deepEqual(errors, []);
});

test('a replot from the server changes the drawing; copy to image gives a PNG', async () => {
  const { page, errors } = await openCharts();
  const before = await seriesHash(page, 'CHARTLINE');
  await page.click('#BTNCHARTREPLOT');
  await page.waitForFunction(() => CHARTLINEJQObj.axes.yaxis.max === 24);
  assert.notEqual(await seriesHash(page, 'CHARTLINE'), before);
  await page.click('#BTNCHARTIMAGE');
  await page.waitForFunction(() => (document.getElementById('CHARTIMAGE_IMG')?.src || '').startsWith('data:image/png'));
  await page.waitForFunction(() => document.getElementById('CHARTIMAGE_IMG').naturalWidth > 100);
  await saveScreenshot(page, 'chart');
  await page.close();
  assert.deepEqual(errors, []);
});
