// The client runtime (webroot/zq.runtime.js) in chromium against a small
// scripted server in this process, so that its side of the protocol is checked
// on its own: queueing, posted fields, response application, error statuses.
import { test, before, after, beforeEach } from 'node:test';
import assert from 'node:assert/strict';
import http from 'node:http';
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import { launchBrowser, watchErrors, webRoot } from './lib/harness.mjs';

const TOKEN = '0123456789abcdef0123456789abcdef';
const PAGE = `<!DOCTYPE html><html><head><meta charset="utf-8"><title>runtime</title>
<script src="/zq.runtime.js"></script></head><body>
<form id="SubmitForm" name="SubmitForm" method="POST" action="/" onsubmit="return FormDefaultSubmit();">
<span id="LBL">start</span>
<input type="text" name="EDIT1" id="EDIT1" value="héllo &amp; more">
<input type="checkbox" name="CHK1" id="CHK1" value="yes">
<input type="hidden" name="ZQ_TOKEN" value="${TOKEN}">
<input type="hidden" name="ZQ_SUBMITTER" value="">
<input type="hidden" name="ZQ_SUBMITPARAM" value="">
</form>
<script>var GZQToken="${TOKEN}", GZQCallbackUrl="/$/callback"; var applied = [];</script>
</body></html>`;

let server, base, browser, page, errors;
let calls = [];        // { callback, body } per callback request, in arrival order
let submits = [];      // bodies of POST /
let replies = [];      // scripted replies, taken one per callback
let inFlight = 0, maxInFlight = 0;

const xml = (inner) => `<?xml version="1.0" encoding="UTF-8"?>\n<response>${inner}</response>`;

function reply(res, { status = 200, body = xml(''), delay = 0, type = 'text/xml; charset=utf-8' }) {
  setTimeout(() => {
    inFlight--;
    res.writeHead(status, { 'Content-Type': type });
    res.end(body);
  }, delay);
}

before(async () => {
  server = http.createServer(async (req, res) => {
    const url = new URL(req.url, 'http://x');
    let body = '';
    for await (const chunk of req) body += chunk;
    if (url.pathname === '/$/callback') {
      inFlight++;
      maxInFlight = Math.max(maxInFlight, inFlight);
      calls.push({ callback: url.searchParams.get('callback'), body });
      reply(res, replies.shift() || {});
    } else if (url.pathname === '/' && req.method === 'POST') {
      submits.push({ body, type: req.headers['content-type'] });
      res.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
      res.end('<!DOCTYPE html><html><body><p id="done">submitted</p></body></html>');
    } else if (url.pathname === '/') {
      res.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
      res.end(PAGE);
    } else if (url.pathname === '/zq.runtime.js' || url.pathname === '/extra.css' || url.pathname === '/extra.js') {
      const file = url.pathname === '/zq.runtime.js' ? path.join(webRoot, 'zq.runtime.js') : null;
      const text = file ? await readFile(file) : url.pathname === '/extra.js' ? 'window.extraLoaded = (window.extraLoaded||0)+1;' : 'p{}';
      res.writeHead(200, { 'Content-Type': url.pathname.endsWith('.css') ? 'text/css' : 'text/javascript' });
      res.end(text);
    } else if (url.pathname === '/favicon.ico') {
      res.writeHead(200, { 'Content-Type': 'image/x-icon' });
      res.end(await readFile(path.join(webRoot, 'favicon.ico')));
    } else {
      res.writeHead(404);
      res.end();
    }
  });
  await new Promise((r) => server.listen(0, '127.0.0.1', r));
  base = `http://127.0.0.1:${server.address().port}`;
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  await new Promise((r) => server?.close(r));
});

beforeEach(async () => {
  calls = []; submits = []; replies = []; inFlight = 0; maxInFlight = 0;
  page = await browser.context.newPage();
  errors = watchErrors(page);
  await page.goto(base + '/');
});

const waitCalls = (n) => page.waitForFunction(() => ZQRuntimeState().pending === 0 && !ZQRuntimeState().busy)
  .then(() => assert.equal(calls.length, n));

test('callbacks are sent one at a time and applied in call order', async () => {
  replies = [
    { delay: 300, body: xml('<execute><![CDATA[applied.push(1);]]></execute>') },
    { delay: 10, body: xml('<execute><![CDATA[applied.push(2);]]></execute>') },
    { delay: 0, body: xml('<execute><![CDATA[applied.push(3);]]></execute>') },
  ];
  await page.evaluate(() => {
    executeAjaxEvent('&ajaxevent=A', IWCLForm, 'A.DoAjaxRequest', true, null, true);
    executeAjaxEvent('&ajaxevent=B', IWCLForm, 'B.DoAjaxRequest', true, null, true);
    executeAjaxEvent('&ajaxevent=C', IWCLForm, 'C.DoAjaxRequest', true, null, true);
  });
  await waitCalls(3);
  assert.equal(maxInFlight, 1);
  assert.deepEqual(calls.map((c) => c.callback), ['A.DoAjaxRequest', 'B.DoAjaxRequest', 'C.DoAjaxRequest']);
  assert.deepEqual(await page.evaluate(() => applied), [1, 2, 3]);
  await page.close();
  assert.deepEqual(errors, []);
});

test('posts the fragment, then the changed inputs, then the token', async () => {
  await page.evaluate(() => {
    AddChangedControl('EDIT1');
    AddChangedControl('CHK1');
    AddChangedControl('EDIT1');  // marked twice, sent once
    document.getElementById('CHK1').checked = true;
    executeAjaxEvent('&ajaxevent=OnClick&x=1', IWCLForm, 'BTN1.DoAjaxRequest', true, null, true);
    executeAjaxEvent('&ajaxevent=OnClick', IWCLForm, 'BTN1.DoAjaxRequest', true, null, true);
  });
  await waitCalls(2);
  assert.equal(calls[0].body,
    `ajaxevent=OnClick&x=1&EDIT1=h%C3%A9llo%20%26%20more&CHK1=yes&ZQ_TOKEN=${TOKEN}`);
  // the changed list is cleared once a reply succeeded
  assert.equal(calls[1].body, `ajaxevent=OnClick&ZQ_TOKEN=${TOKEN}`);
  await page.close();
});

test('changed inputs are kept until a callback reply succeeds', async () => {
  const edit = `EDIT1=h%C3%A9llo%20%26%20more`;
  // a failed status, then a network error: the input goes again each time
  replies = [{ status: 500, body: xml('<error>boom</error>') }, {}, { delay: 300 }, {}];
  await page.evaluate(() => {
    AddChangedControl('EDIT1');
    executeAjaxEvent('&ajaxevent=A', IWCLForm, 'A.DoAjaxRequest', true, null, true);
  });
  await waitCalls(1);
  let aborted = false;
  await page.route('**/$/callback*', (route) => {
    if (aborted) return route.continue();
    aborted = true;
    return route.abort('connectionreset');
  });
  await page.evaluate(() => executeAjaxEvent('&ajaxevent=B', IWCLForm, 'B.DoAjaxRequest', true, null, true));
  await page.waitForFunction(() => ZQRuntimeState().pending === 0 && !ZQRuntimeState().busy);
  assert.equal(aborted, true);
  assert.deepEqual(await page.evaluate(() => ZQRuntimeState().changed), ['EDIT1']);
  await page.evaluate(() => executeAjaxEvent('&ajaxevent=C', IWCLForm, 'C.DoAjaxRequest', true, null, true));
  await waitCalls(2);
  assert.equal(calls[0].body, `ajaxevent=A&${edit}&ZQ_TOKEN=${TOKEN}`);
  assert.equal(calls[1].body, `ajaxevent=C&${edit}&ZQ_TOKEN=${TOKEN}`);
  // C succeeded: the list is empty
  assert.deepEqual(await page.evaluate(() => ZQRuntimeState().changed), []);
  // a name marked again while its callback is on the way stays for its new value
  await page.evaluate(() => {
    AddChangedControl('EDIT1');
    executeAjaxEvent('&ajaxevent=D', IWCLForm, 'D.DoAjaxRequest', true, null, true);
    AddChangedControl('EDIT1');
  });
  await waitCalls(3);
  assert.deepEqual(await page.evaluate(() => ZQRuntimeState().changed), ['EDIT1']);
  await page.evaluate(() => executeAjaxEvent('&ajaxevent=E', IWCLForm, 'E.DoAjaxRequest', true, null, true));
  await waitCalls(4);
  assert.equal(calls[3].body, `ajaxevent=E&${edit}&ZQ_TOKEN=${TOKEN}`);
  await page.close();
});

test('updates replace elements before scripts run; CDATA pieces are joined', async () => {
  replies = [{
    body: xml('<update id="LBL"><![CDATA[<span id="LBL">new ]]]]><![CDATA[> text</span>]]></update>' +
      '<execute><![CDATA[applied.push(document.getElementById("LBL").textContent);]]></execute>' +
      '<execute>applied.push(&quot;plain&quot;.length);</execute>'),
  }];
  await page.evaluate(() => executeAjaxEvent('&ajaxevent=X', IWCLForm, 'X.DoAjaxRequest', true, null, true));
  await waitCalls(1);
  assert.deepEqual(await page.evaluate(() => applied), ['new ]]> text', 5]);
  await page.close();
  assert.deepEqual(errors, []);
});

test('control elements set style declarations, visibility and the enabled state before scripts run', async () => {
  replies = [{
    body: xml('<control id="LBL" visible="false" style="width:30px;z-index:7"/>' +
      '<control id="EDIT1" enabled="false"/>' +
      '<execute><![CDATA[var l = document.getElementById("LBL");' +
      'applied.push(l.style.width, l.style.zIndex, l.style.visibility, document.getElementById("EDIT1").disabled);]]></execute>'),
  }, {
    body: xml('<control id="LBL" visible="true"/><control id="EDIT1" enabled="true"/>' +
      '<execute><![CDATA[applied.push(document.getElementById("LBL").style.visibility, document.getElementById("LBL").style.width,' +
      'document.getElementById("EDIT1").disabled);]]></execute>'),
  }];
  await page.evaluate(() => {
    executeAjaxEvent('&ajaxevent=X', IWCLForm, 'X.DoAjaxRequest', true, null, true);
    executeAjaxEvent('&ajaxevent=Y', IWCLForm, 'Y.DoAjaxRequest', true, null, true);
  });
  await waitCalls(2);
  // An absent attribute leaves that property as it was (the width stays).
  assert.deepEqual(await page.evaluate(() => applied), ['30px', '7', 'hidden', true, '', '30px', false]);
  await page.close();
  assert.deepEqual(errors, []);
});

test('a failing response script is logged and the next one still runs', async () => {
  replies = [{ body: xml('<execute><![CDATA[nosuchfunction();]]></execute><execute><![CDATA[applied.push("after");]]></execute>') }];
  await page.evaluate(() => executeAjaxEvent('&ajaxevent=X', IWCLForm, 'X.DoAjaxRequest', true, null, true));
  await waitCalls(1);
  assert.deepEqual(await page.evaluate(() => applied), ['after']);
  assert.equal(errors.length, 1);
  assert.match(errors[0], /Response script failed: nosuchfunction is not defined/);
  await page.close();
});

test('403 and 500 apply nothing, log the reason and release the queue', async () => {
  replies = [
    { status: 403, type: 'text/plain', body: 'Invalid or missing session token' },
    { status: 500, body: xml('<error><![CDATA[handler broke]]></error>') },
    { body: xml('<execute><![CDATA[applied.push("third");]]></execute>') },
  ];
  await page.evaluate(() => {
    for (const n of ['A', 'B', 'C']) executeAjaxEvent('&ajaxevent=' + n, IWCLForm, n + '.DoAjaxRequest', true, null, true);
  });
  await waitCalls(3);
  assert.deepEqual(await page.evaluate(() => applied), ['third']);
  const own = errors.filter((e) => !e.includes('Failed to load resource'));
  assert.deepEqual(own, [
    'console: Callback A.DoAjaxRequest refused: Invalid or missing session token',
    'console: Callback B.DoAjaxRequest failed (500): handler broke',
  ]);
  await page.close();
});

test('410 tells the user the session expired and reloads the page', async () => {
  replies = [{ status: 410, body: xml('<expired/>') }];
  const dialogs = [];
  page.on('dialog', (d) => { dialogs.push(d.message()); d.accept(); });
  await page.evaluate(() => { window.marker = 1; });
  const reloaded = page.waitForEvent('load');
  await page.evaluate(() => executeAjaxEvent('&ajaxevent=X', IWCLForm, 'X.DoAjaxRequest', true, null, true));
  await reloaded;
  assert.deepEqual(dialogs, ['Your session has expired. The page will be reloaded.']);
  assert.equal(await page.evaluate(() => window.marker), undefined);
  await page.close();
});

test('SubmitClickConfirm posts the form with submitter, parameter and token after pending callbacks', async () => {
  replies = [{ delay: 200 }];
  const navigated = page.waitForURL(base + '/', { waitUntil: 'load' });
  await page.evaluate(() => {
    executeAjaxEvent('&ajaxevent=A', IWCLForm, 'A.DoAjaxRequest', true, null, true);
    document.getElementById('EDIT1').value = 'typed';
    SubmitClickConfirm('BTN1', '&a=1&b=2', true, '');
    SubmitClickConfirm('BTN1', false, true, '');  // ignored: a submit is under way
  });
  await navigated;
  await page.waitForSelector('#done');
  assert.equal(calls.length, 1);
  assert.equal(submits.length, 1);
  const fields = new URLSearchParams(submits[0].body);
  assert.equal(fields.get('EDIT1'), 'typed');
  assert.equal(fields.get('ZQ_SUBMITTER'), 'BTN1');
  assert.equal(fields.get('ZQ_SUBMITPARAM'), '&a=1&b=2');
  assert.equal(fields.get('ZQ_TOKEN'), TOKEN);
  assert.match(submits[0].type, /application\/x-www-form-urlencoded/);
  await page.close();
});

test('a declined confirmation submits nothing', async () => {
  page.on('dialog', (d) => d.dismiss());
  const sent = await page.evaluate(() => {
    SubmitClickConfirm('BTN1', false, true, 'Sure?');
    return ZQRuntimeState();
  });
  assert.equal(sent.submitting, false);
  assert.equal(sent.pending, 0);
  await page.close();
  assert.equal(submits.length, 0);
});

test('hidden inputs, client objects and file loading helpers', async () => {
  const r = await page.evaluate(async () => {
    const out = {};
    ZQSetHiddenInputVal('PNL1_POS', [10, 20]);
    out.hidden = document.querySelector('input[name=PNL1_POS]').value;
    out.changed = ZQRuntimeState().changed;
    window.PNL1IWCL = NewIWCL(IWCLForm, 'PNL1', false);
    window.BTN1IWCL = NewIWCL(PNL1IWCL, 'BTN1', false);
    let released = 0;
    BTN1IWCL.OnZQRelease = () => released++;
    let resized = 0;
    PNL1IWCL.OnZQResize = (rect) => { resized += rect === null ? 1 : 10; };
    out.resize = Body_OnResize();
    out.resized = resized;
    ZQRelease_IWCL('PNL1IWCL');  // releases the child too
    out.released = released;
    out.vars = [window.PNL1IWCL, window.BTN1IWCL];
    out.formKids = IWCLForm.children.length;
    out.filtered = ZQFilterLoadedFiles(['/zq.runtime.js', '/extra.js', '/extra.js'], false);
    out.scriptTag = AddScriptTags('/extra.js');
    out.knownTag = AddScriptTags('/zq.runtime.js');
    out.linkTag = AddLinkTags('/extra.css?v=1&x="');
    await new Promise((res) => LazyLoad.css(['/extra.css'], () => LazyLoad.js(['/extra.js', '/extra.js'], res)));
    out.extraLoaded = window.extraLoaded;
    out.afterLoad = ZQFilterLoadedFiles(['/extra.js'], false).length + ZQFilterLoadedFiles(['/extra.css'], true).length;
    return out;
  });
  assert.deepEqual(r, {
    hidden: '10,20',
    changed: ['PNL1_POS'],
    resize: true,
    resized: 1,
    released: 1,
    vars: [null, null],
    formKids: 0,
    filtered: ['/extra.js'],
    scriptTag: '<script type="text/javascript" src="/extra.js"></script>',
    knownTag: '',
    linkTag: '<link rel="stylesheet" type="text/css" href="/extra.css?v=1&amp;x=&quot;">',
    extraLoaded: 1,
    afterLoad: 0,
  });
  await page.close();
  assert.deepEqual(errors, []);
});
