// File upload in chromium with real files through playwright's file chooser:
// files arrive byte-identical (SHA-256 on the server's list) and their list
// items show success; the same name again, with overriding off, fails with
// "already exists" and leaves the server's file alone; the uploader without
// auto-upload reports its stored files and the server starts them; dropped
// files upload; the client refuses an extension and a size outside the
// limits; a held upload can be cancelled; disabling from the server disables
// the button; a direct request naming "../../x" writes only inside the
// folder; the page logs no errors.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { createHash, randomBytes } from 'node:crypto';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { openDemoPage, saveScreenshot, startAll } from './lib/harness.mjs';

let env;
let files;
before(async () => {
  env = await startAll();
  files = mkdtempSync(path.join(os.tmpdir(), 'zq-e2e-upload-'));
});
after(async () => {
  await env?.stop();
  if (files) rmSync(files, { recursive: true, force: true });
});

const sha256 = (buf) => createHash('sha256').update(buf).digest('hex');
const uploadFolder = () => path.join(os.tmpdir(), `zq_demo_uploads_${env.demo.proc.pid}`);
let seq = 0;
// A real file of random bytes under a unique name.
function makeFile(ext, size, content) {
  const name = `e2e-${process.pid}-${++seq}.${ext}`;
  const data = content ?? randomBytes(size);
  const file = path.join(files, name);
  writeFileSync(file, data);
  return { name, file, data };
}

async function choose(page, selector, paths) {
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click(`${selector} .ui-button`)]);
  assert.equal(chooser.isMultiple(), true);
  await chooser.setFiles(paths);
}

// The list item of a file name in an uploader, once it has finished.
async function finishedItem(page, selector, name) {
  const li = page.locator(`${selector} li.qq-upload-finished-item`, { has: page.locator('.qq-upload-file', { hasText: name }) });
  await li.waitFor({ timeout: 15000 });
  return li;
}
const isSuccess = (li) => li.evaluate((el) => el.classList.contains('ui-state-highlight'));

async function receivedEntry(page, f) {
  const want = `${f.name} (${f.data.length} bytes, sha256 ${sha256(f.data)})`;
  try {
    await page.waitForFunction((w) => document.getElementById('LBLUPRECEIVED').textContent.includes(w), want, { timeout: 15000 });
  } catch {
    const shown = await page.locator('#LBLUPRECEIVED').textContent();
    throw new Error(`the server's list lacks "${want}"; it shows "${shown}"`);
  }
}

test('uploads by file chooser, drop, stored files, checks, cancel, disable and a forged name', async () => {
  const { page, errors } = await openDemoPage(env, 'upload');
  await page.waitForFunction(() => typeof UPFILES_JQObj !== 'undefined' && UPFILES_JQObj);

  // Two files at once, one of them held back until the screenshot is taken.
  const a = makeFile('bin', 300 * 1024);
  const b = makeFile('txt', 0, Buffer.from('hello \u00e9\r\n\0binary\xff', 'latin1'));
  let release;
  const held = new Promise((r) => { release = r; });
  await page.route('**/*ActionUpload*', async (route) => {
    if (route.request().postDataBuffer()?.includes(Buffer.from(a.name))) await held;
    try { await route.continue(); } catch { /* cancelled meanwhile */ }
  });
  await choose(page, '#UPFILES', [a.file, b.file]);
  const bItem = await finishedItem(page, '#UPFILES', b.name);
  assert.equal(await isSuccess(bItem), true);
  await page.waitForSelector('#UPFILES .qq-upload-spinner.qq-active');
  await saveScreenshot(page, 'upload');
  release();
  const aItem = await finishedItem(page, '#UPFILES', a.name);
  assert.equal(await isSuccess(aItem), true);
  await receivedEntry(page, a);
  await receivedEntry(page, b);
  assert.deepEqual(readFileSync(path.join(uploadFolder(), a.name)), a.data);

  // The same name again, overriding off: the failure, the server's file unchanged.
  const again = { ...a, data: randomBytes(1000) };
  writeFileSync(again.file, again.data);
  await choose(page, '#UPFILES', [again.file]);
  const failed = page.locator('#UPFILES li.ui-state-error', { has: page.locator('.qq-upload-file', { hasText: a.name }) });
  await failed.waitFor();
  assert.match(await failed.locator('.qq-upload-reason').textContent(), new RegExp(`Filename "${a.name.replace(/\./g, '\\.')}" already exists in upload folder!`));
  assert.equal(await failed.locator('.qq-upload-failed-text').isVisible(), true);
  assert.deepEqual(readFileSync(path.join(uploadFolder(), a.name)), a.data);

  // Dropped files upload too.
  const dropped = await page.evaluate(async () => {
    const dt = new DataTransfer();
    const name = `dropped-${Date.now()}.txt`;
    dt.items.add(new File(['dropped bytes'], name, { type: 'text/plain' }));
    const zone = document.getElementById('UPFILES');
    for (const type of ['dragenter', 'dragover', 'drop'])
      zone.dispatchEvent(new DragEvent(type, { dataTransfer: dt, bubbles: true, cancelable: true }));
    return name;
  });
  assert.equal(await isSuccess(await finishedItem(page, '#UPFILES', dropped)), true);
  await receivedEntry(page, { name: dropped, data: Buffer.from('dropped bytes') });

  // The client's checks: extension and size.
  const exe = makeFile('exe', 10);
  await choose(page, '#UPFILES', [exe.file]);
  await page.waitForFunction(() => /invalid extension/.test(document.getElementById('LBLUPMESSAGE').textContent));
  const big = makeFile('bin', 5 * 1024 * 1024 + 1);
  await choose(page, '#UPFILES', [big.file]);
  await page.waitForFunction(() => /too large/.test(document.getElementById('LBLUPMESSAGE').textContent));
  assert.equal(existsSync(path.join(uploadFolder(), exe.name)), false);
  assert.equal(existsSync(path.join(uploadFolder(), big.name)), false);

  // Auto-upload off: the files wait, the server sees them and starts them.
  const s1 = makeFile('txt', 2000);
  const s2 = makeFile('png', 3000);
  let posted = 0;
  page.on('request', (r) => { if (r.url().includes('ActionUpload') && r.method() === 'POST') posted++; });
  const before = posted;
  await choose(page, '#UPLATER', [s1.file, s2.file]);
  await page.waitForFunction(() => document.querySelectorAll('#UPLATER li').length === 2);
  assert.equal(posted, before, 'stored files are not sent by themselves');
  await page.click('#BTNUPSTART');
  await page.waitForFunction((w) => document.getElementById('LBLUPSTORED').textContent === w,
    `server started 2 stored: ${s1.name}, ${s2.name}`);
  assert.equal(await isSuccess(await finishedItem(page, '#UPLATER', s1.name)), true);
  assert.equal(await isSuccess(await finishedItem(page, '#UPLATER', s2.name)), true);
  await receivedEntry(page, s1);
  await receivedEntry(page, s2);

  // Cancel: a held upload is cancelled from the server; nothing is stored.
  const c = makeFile('bin', 50 * 1024);
  let releaseCancel;
  const cancelHeld = new Promise((r) => { releaseCancel = r; });
  await page.unroute('**/*ActionUpload*');
  await page.route('**/*ActionUpload*', async (route) => {
    if (route.request().postDataBuffer()?.includes(Buffer.from(c.name))) await cancelHeld;
    try { await route.continue(); } catch { /* cancelled */ }
  });
  await choose(page, '#UPFILES', [c.file]);
  await page.waitForFunction(() => UPFILES_JQObj.getInProgress() === 1);
  await page.click('#BTNUPCANCEL');
  await page.waitForFunction(() => UPFILES_JQObj.getInProgress() === 0);
  releaseCancel();
  assert.equal(await page.locator('#UPFILES li', { has: page.locator('.qq-upload-file', { hasText: c.name }) }).count(), 0);
  await page.unroute('**/*ActionUpload*');
  assert.equal(existsSync(path.join(uploadFolder(), c.name)), false);

  // Disabling from the server disables the button and its input.
  await page.click('#BTNUPTOGGLE');
  await page.waitForFunction(() => document.querySelector('#UPFILES .ui-button').classList.contains('ui-state-disabled'));
  assert.equal(await page.locator('#UPFILES .ui-button input').isDisabled(), true);
  await page.click('#BTNUPTOGGLE');
  await page.waitForFunction(() => !document.querySelector('#UPFILES .ui-button').classList.contains('ui-state-disabled'));
  assert.equal(await page.locator('#UPFILES .ui-button input').isDisabled(), false);

  // A direct request that names a file outside the folder.
  const escape = `zq-e2e-escape-${process.pid}`;
  const reply = await page.evaluate(async (name) => {
    const r = await fetch(UPFILES_JQObj._options.action + '?qqfile=' + encodeURIComponent('../../' + name), {
      method: 'POST', headers: { 'Content-Type': 'application/octet-stream' }, body: 'forged',
    });
    return r.text();
  }, escape);
  assert.equal(reply, '{"success":true}');
  assert.equal(readFileSync(path.join(uploadFolder(), escape), 'latin1'), 'forged');
  for (const dir of [path.resolve(uploadFolder(), '..'), path.resolve(uploadFolder(), '../..'), process.cwd()])
    assert.equal(existsSync(path.join(dir, escape)), false, `nothing written in ${dir}`);

  // Aborted requests of the cancelled upload are expected; nothing else.
  const unexpected = errors.filter((e) => !(e.startsWith('requestfailed:') && e.includes('ActionUpload')));
  assert.deepEqual(unexpected, []);
});
