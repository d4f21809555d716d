// The chart gallery in chromium, drawn by the real jqPlot and its plug-ins:
// every chart draws into its series canvas with no console error and each
// renderer name the server writes is a class the linked plug-ins define; pie
// labels are percentages; category ticks are the categories and rotated
// canvas labels carry text; a cursor drag zooms and a double click resets;
// the highlighter shows a number; point labels match the points; the overlay
// line colours its pixel row; a dragged point changes the series data;
// MoveBlock from the server moves block 2; themes change the grid colour and
// Default restores it.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openDemoPage, saveScreenshot, startAll } from './lib/harness.mjs';

let env;

before(async () => { env = await startAll(); });
after(async () => { await env?.stop(); });

const charts = ['GALBAR', 'GALSTACKED', 'GALPIE', 'GALDONUT', 'GALBUBBLE', 'GALFUNNEL', 'GALMETER',
  'GALOHLC', 'GALBLOCK', 'GALMEKKO', 'GALBEZIER', 'GALDATE', 'GALLOG', 'GALCATEGORY', 'GALZOOM',
  'GALDRAG', 'GALHIGHLIGHT', 'GALTREND', 'GALOVERLAY', 'GALLEGEND', 'GALTHEME'];

async function openGallery() {
  const opened = await openDemoPage(env, 'chartgallery');
  await opened.page.waitForFunction((ids) => ids.every((id) => {
    const o = window[`${id}JQObj`];
    return typeof o !== 'undefined' && o !== null;
  }), charts);
  return opened;
}

// Non-transparent pixels of a chart's series canvases (the bubble renderer
// draws each bubble on a canvas of its own inside the series element).
function seriesPixels(page, id) {
  return page.$$eval(`#${id} canvas.jqplot-series-canvas, #${id} .jqplot-series-canvas canvas`, (canvases) => canvases.reduce((sum, c) => {
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 3; i < d.length; i += 4) if (d[i] !== 0) n++;
    return sum + n;
  }, 0));
}

// The viewport position of a data point of a chart, scrolled into view.
async function pointAt(page, id, x, y) {
  await page.locator(`#${id}`).scrollIntoViewIfNeeded();
  return page.evaluate(([id, x, y]) => {
    const p = window[`${id}JQObj`];
    const r = document.querySelector(`#${id} .jqplot-event-canvas`).getBoundingClientRect();
    return [r.left + p.axes.xaxis.series_u2p(x), r.top + p.axes.yaxis.series_u2p(y)];
  }, [id, x, y]);
}

// The most common colour of a few points of a chart's grid canvas.
function gridColour(page, id) {
  return page.evaluate((id) => {
    const c = document.querySelector(`#${id} canvas.jqplot-grid-canvas`);
    const p = window[`${id}JQObj`];
    const o = p._gridPadding;
    const w = c.width - o.left - o.right, h = c.height - o.top - o.bottom;
    const ctx = c.getContext('2d');
    const seen = {};
    for (const fx of [0.13, 0.37, 0.61, 0.87]) for (const fy of [0.11, 0.43, 0.71]) {
      const d = ctx.getImageData(Math.round(o.left + w * fx), Math.round(o.top + h * fy), 1, 1).data;
      const k = '#' + [d[0], d[1], d[2]].map((v) => v.toString(16).padStart(2, '0')).join('');
      seen[k] = (seen[k] || 0) + 1;
    }
    return Object.entries(seen).sort((a, b) => b[1] - a[1])[0][0];
  }, id);
}

test('every gallery chart draws with the renderers its plug-ins define', async () => {
  const { page, errors } = await openGallery();
  for (const id of charts) {
    if (id === 'GALBLOCK') continue;  // blocks are elements, checked below
    assert.ok(await seriesPixels(page, id) > 400, `${id} series canvas is (nearly) blank`);
  }
  const blocks = await page.$$eval('#GALBLOCK .jqplot-series-canvas > div', (els) => els.map((e) => e.textContent));
  assert.deepEqual(blocks, ['one', 'two', 'three', 'four']);
  // The renderer each series was drawn with is the plug-in's own class.
  const renderers = await page.evaluate(() => ({
    bar: GALBARJQObj.series[0].renderer.constructor === $.jqplot.BarRenderer,
    pie: GALPIEJQObj.series[0].renderer.constructor === $.jqplot.PieRenderer,
    donut: GALDONUTJQObj.series[0].renderer.constructor === $.jqplot.DonutRenderer,
    bubble: GALBUBBLEJQObj.series[0].renderer.constructor === $.jqplot.BubbleRenderer,
    funnel: GALFUNNELJQObj.series[0].renderer.constructor === $.jqplot.FunnelRenderer,
    meter: GALMETERJQObj.series[0].renderer.constructor === $.jqplot.MeterGaugeRenderer,
    ohlc: GALOHLCJQObj.series[0].renderer.constructor === $.jqplot.OHLCRenderer,
    block: GALBLOCKJQObj.series[0].renderer.constructor === $.jqplot.BlockRenderer,
    mekko: GALMEKKOJQObj.series[0].renderer.constructor === $.jqplot.MekkoRenderer,
    mekkoAxis: GALMEKKOJQObj.axes.xaxis.renderer.constructor === $.jqplot.MekkoAxisRenderer,
    bezier: GALBEZIERJQObj.series[0].renderer.constructor === $.jqplot.BezierCurveRenderer,
    date: GALDATEJQObj.axes.xaxis.renderer.constructor === $.jqplot.DateAxisRenderer,
    log: GALLOGJQObj.axes.yaxis.renderer.constructor === $.jqplot.LogAxisRenderer,
    category: GALCATEGORYJQObj.axes.xaxis.renderer.constructor === $.jqplot.CategoryAxisRenderer,
    canvasTicks: GALCATEGORYJQObj.axes.xaxis._ticks[0].constructor === $.jqplot.CanvasAxisTickRenderer,
    legend: GALLEGENDJQObj.legend.renderer.constructor === $.jqplot.EnhancedLegendRenderer,
  }));
  for (const [name, ok] of Object.entries(renderers)) assert.ok(ok, `${name} renderer`);
  await saveScreenshot(page, 'chartgallery');
  await page.close();
  assert.deepEqual(errors, []);
});

test('pie labels are percentages; category ticks are the categories, rotated and readable', async () => {
  const { page, errors } = await openGallery();
  const pie = await page.$$eval('#GALPIE .jqplot-data-label', (els) => els.map((e) => e.textContent));
  assert.deepEqual(pie, ['40%', '25%', '20%', '15%']);
  // The category renderer puts an unlabelled tick between categories.
  const ticks = await page.evaluate(() => GALCATEGORYJQObj.axes.xaxis._ticks.map((t) => t.label).filter((l) => l !== ''));
  assert.deepEqual(ticks, ['Apples', 'Pears', 'Plums', 'Figs']);
  const canvasTicks = await page.evaluate(() => GALCATEGORYJQObj.axes.xaxis._ticks.filter((t) => t.label !== '').map((t) => ({
    angle: t.angle, text: t._textRenderer.text, canvas: t._elem && t._elem.get(0).tagName,
  })));
  for (const t of canvasTicks) {
    assert.equal(t.angle, -30);
    assert.equal(t.canvas, 'CANVAS');
    assert.notEqual(t.text, 'undefined');
  }
  assert.deepEqual(canvasTicks.map((t) => t.text), ['Apples', 'Pears', 'Plums', 'Figs']);
  // Date ticks are dates in the given format, log ticks powers.
  const dates = await page.$$eval('#GALDATE .jqplot-xaxis-tick', (els) => els.map((e) => e.textContent));
  assert.ok(dates.length > 1 && dates.every((d) => /^[A-Z][a-z]{2} 2026$/.test(d)), String(dates));
  await page.close();
  assert.deepEqual(errors, []);
});

test('a cursor drag zooms the x axis and a double click resets it', async () => {
  const { page, errors } = await openGallery();
  const min0 = await page.evaluate(() => GALZOOMJQObj.axes.xaxis.min);
  const [x1, y1] = await pointAt(page, 'GALZOOM', 3, 8);
  const [x2, y2] = await pointAt(page, 'GALZOOM', 6, 3);
  await page.mouse.move(x1, y1);
  await page.mouse.down();
  await page.mouse.move((x1 + x2) / 2, (y1 + y2) / 2, { steps: 4 });
  await page.mouse.move(x2, y2, { steps: 4 });
  await page.mouse.up();
  await page.waitForFunction((m) => GALZOOMJQObj.axes.xaxis.min !== m, min0);
  const zoomed = await page.evaluate(() => GALZOOMJQObj.axes.xaxis.min);
  assert.ok(zoomed > min0 + 1, `zoomed min ${zoomed} from ${min0}`);
  await page.mouse.dblclick(x1, y1);
  await page.waitForFunction((m) => GALZOOMJQObj.axes.xaxis.min === m, min0);
  await page.close();
  assert.deepEqual(errors, []);
});

test('the highlighter shows a number; point labels match the points', async () => {
  const { page, errors } = await openGallery();
  const [x, y] = await pointAt(page, 'GALHIGHLIGHT', 2, 5);
  await page.mouse.move(x - 3, y - 3);
  await page.mouse.move(x, y, { steps: 3 });
  const tip = page.locator('#GALHIGHLIGHT .jqplot-highlighter-tooltip');
  await tip.waitFor({ state: 'visible' });
  assert.match(await tip.textContent(), /\d/);
  assert.match(await tip.textContent(), /5/);
  const labels = await page.$$eval('#GALBAR .jqplot-point-label', (els) => els.map((e) => e.textContent));
  const points = await page.evaluate(() => GALBARJQObj.series[0].data.length);
  assert.equal(labels.length, points);
  assert.deepEqual(labels.map(Number).sort((a, b) => a - b), [2, 4, 7, 9]);
  await page.close();
  assert.deepEqual(errors, []);
});

test('the overlay line colours its row of pixels', async () => {
  const { page, errors } = await openGallery();
  const row = await page.evaluate(() => {
    const p = GALOVERLAYJQObj;
    const c = document.querySelector('#GALOVERLAY canvas.jqplot-overlayCanvas-canvas');
    const y = Math.round(p.axes.yaxis.series_u2p(5));
    const ctx = c.getContext('2d');
    const cols = [];
    for (const fx of [0.2, 0.5, 0.8]) {
      const x = Math.round(p.grid._width * fx);
      const d = ctx.getImageData(x, y, 1, 1).data;
      cols.push([d[0], d[1], d[2], d[3]]);
    }
    return cols;
  });
  for (const [r, g, b, a] of row) {
    assert.ok(a > 200 && r > 200 && g < 60 && b < 60, `pixel ${[r, g, b, a]}`);
  }
  await page.close();
  assert.deepEqual(errors, []);
});

test('dragging a point changes the series data', async () => {
  const { page, errors } = await openGallery();
  const [x, y] = await pointAt(page, 'GALDRAG', 2, 5);
  const [, ty] = await pointAt(page, 'GALDRAG', 2, 8);
  await page.mouse.move(x, y);
  await page.mouse.down();
  await page.mouse.move(x, (y + ty) / 2, { steps: 4 });
  await page.mouse.move(x, ty, { steps: 4 });
  await page.mouse.up();
  await page.waitForFunction(() => GALDRAGJQObj.series[0].data[1][1] > 6);
  const v = await page.evaluate(() => GALDRAGJQObj.series[0].data[1][1]);
  assert.ok(Math.abs(v - 8) < 0.5, `dragged to ${v}`);
  await page.close();
  assert.deepEqual(errors, []);
});

test('MoveBlock from the server moves block 2', async () => {
  const { page, errors, callbacks } = await openGallery();
  const before = await page.evaluate(() => GALBLOCKJQObj.series[0].data[2].slice(0, 2));
  assert.deepEqual(before, [5, 3]);
  const pos0 = await page.evaluate(() => $(GALBLOCKJQObj.series[0].canvas._elem.children()[2]).position());
  await page.click('#BTNGALMOVEBLOCK');
  await page.waitForFunction(() => GALBLOCKJQObj.series[0].data[2][0] === 6);
  assert.deepEqual(await page.evaluate(() => GALBLOCKJQObj.series[0].data[2].slice(0, 2)), [6, 1]);
  const pos1 = await page.evaluate(() => $(GALBLOCKJQObj.series[0].canvas._elem.children()[2]).position());
  assert.ok(pos1.left > pos0.left && pos1.top > pos0.top, `${JSON.stringify(pos0)} -> ${JSON.stringify(pos1)}`);
  assert.ok(callbacks.every((s) => s === 200));
  await page.close();
  assert.deepEqual(errors, []);
});

test('a theme changes the grid background and Default restores it', async () => {
  const { page, errors } = await openGallery();
  const original = await gridColour(page, 'GALTHEME');
  assert.equal(original, '#fffdf6');
  await page.click('#BTNGALTHEMENIGHT');
  await page.waitForFunction(() => GALTHEMEJQObj.themeEngine.activeTheme._name === 'Night');
  assert.equal(await gridColour(page, 'GALTHEME'), '#303030');
  await page.click('#BTNGALTHEMEOCEAN');
  await page.waitForFunction(() => GALTHEMEJQObj.themeEngine.activeTheme._name === 'Ocean');
  assert.equal(await gridColour(page, 'GALTHEME'), '#d0e8ff');
  await saveScreenshot(page, 'chartgallery-theme');
  await page.click('#BTNGALTHEMEDEFAULT');
  await page.waitForFunction(() => GALTHEMEJQObj.themeEngine.activeTheme._name === 'Default');
  assert.equal(await gridColour(page, 'GALTHEME'), original);
  // Activating again registers nothing twice: no client error.
  await page.click('#BTNGALTHEMENIGHT');
  await page.waitForFunction(() => GALTHEMEJQObj.themeEngine.activeTheme._name === 'Night');
  await page.close();
  assert.deepEqual(errors, []);
});
