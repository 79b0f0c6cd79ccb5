// The page in a real browser: Debian's Chromium, headless, driven by
// playwright-core, on the page served from 127.0.0.1, with a stand-in
// navigator.serial (stand-in.js) that feeds the board simulator: the
// stream exact and the line settings exact, "Ne" cancels, an adapter
// pulled out mid-transfer and plugged in again, two boards at once, the job
// by keyboard alone with every control named, and the page in English.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { closeSync, openSync, readFileSync, writeSync } from 'node:fs';
import { join } from 'node:path';
import { chromium } from 'playwright-core';
import { Serve } from '../serve.js';
import { paths } from './paths.js';
import { StandInSerial } from './stand-in.js';
import { NodeCore, Simulator, StopSimulators } from './support.js';

const kLine = { baudRate: 19200, dataBits: 8, parity: 'none', stopBits: 1, flowControl: 'none' };
const kFile = join(paths.data, 'sdcc_blink.hex');
// A test that waits longer has hung: it fails, and after() ends what it started.
const kTimeout = { timeout: 60000 };
let server, browser, core, expected;

before(async () => {
  server = await Serve(paths.page);
  browser = await chromium.launch({
    executablePath: process.env.KTQ51_CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  core = await NodeCore();
  assert.equal(core.open('blink.hex', readFileSync(kFile)), null);
  expected = core.stream();
});
after(async () => {
  StopSimulators();
  await browser?.close();
  server?.close();
});

// A page with the stand-in serial; each board a simulator, written to as
// the page writes, each write held `delayMs` (a line that takes its time);
// `options` are the browser context's (its locale).
async function Page(delayMs = 0, options = {}) {
  const context = await browser.newContext(options);
  await context.addInitScript(StandInSerial);
  const page = await context.newPage();
  const boards = new Map(); // id -> { simulator, fd, options }
  await page.exposeFunction('ktqOpen', (id, options) => {
    const board = boards.get(id);
    board.options = options;
    board.fd = openSync(board.simulator.device, 'w');
    // The pseudo-terminal set as the page asked, as a driver would set the line.
    execFileSync('stty', ['-F', board.simulator.device, String(options.baudRate), 'raw', '-echo', 'cs8', '-parenb', '-cstopb']);
  });
  await page.exposeFunction('ktqWrite', async (id, bytes) => {
    await new Promise((resolve) => setTimeout(resolve, delayMs));
    writeSync(boards.get(id).fd, Buffer.from(bytes));
  });
  const release = (id) => {
    const board = boards.get(id);
    if (board?.fd !== undefined) closeSync(board.fd);
    if (board) board.fd = undefined;
  };
  await page.exposeFunction('ktqDrain', release);
  await page.exposeFunction('ktqAbort', release);
  const messages = [];
  page.on('pageerror', (error) => messages.push(String(error)));
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForFunction(() => document.getElementById('program').textContent === 'Programuj');
  const plug = async (id, info = { usbVendorId: 0x0403, usbProductId: 0x6001 }) => {
    boards.set(id, { simulator: new Simulator() });
    await page.evaluate(([port, ids]) => window.ktqSerial.plug(port, ids), [id, info]);
  };
  return { page, boards, plug, messages, close: () => context.close() };
}

// The page as a screen reader gets it (Chromium's accessibility tree):
// each node's role, name, description, value, and its states.
async function Accessible(page) {
  const { nodes } = await (await page.context().newCDPSession(page)).send('Accessibility.getFullAXTree');
  return nodes.filter((node) => !node.ignored).map((node) => Object.fromEntries([['role', node.role?.value],
    ...['name', 'description', 'value'].map((key) => [key, node[key]?.value ?? '']),
    ...(node.properties ?? []).map((property) => [property.name, property.value.value])]));
}
const Focused = async (page) => (await Accessible(page)).find((node) => node.focused && node.role !== 'RootWebArea');

// Presses a command and answers its question with `answer`; resolves with
// the question and what the status line said while it was open.
async function Program(page, command, answer) {
  await page.click(`#${command}`);
  await page.waitForSelector('#question[open]');
  const asked = { question: await page.textContent('#question p'), status: await page.textContent('#status') };
  await page.click(answer === 'yes' ? '#yes' : '#no');
  return asked;
}

test('Programuj sends the exact stream with the line settings, and Ne sends nothing', kTimeout, async () => {
  const { page, boards, plug, messages, close } = await Page();
  await plug('a');
  assert.equal(await page.textContent('#adapter'), 'Port: Převodník FTDI (0403:6001)');
  await page.setInputFiles('#open', kFile);
  await page.waitForFunction(() => document.querySelector('[role=gridcell]')?.textContent === '02');

  assert.deepEqual(await Program(page, 'program', 'no'),
    { question: 'Opravdu chcete přeprogramovat KTQ - 51?', status: 'Programuji... (cca 10s)' });
  await page.waitForFunction(() => document.getElementById('status').textContent !== 'Programuji... (cca 10s)');
  assert.equal(await page.textContent('#status'), 'Programování zrušeno');
  assert.equal(boards.get('a').options, undefined, 'the port was opened after a no');

  await Program(page, 'program', 'yes');
  await page.waitForSelector('#message[open]');
  assert.equal(await page.textContent('#message p'), 'Programovani proběhlo v pořádku');
  await page.click('#ok');
  await page.waitForFunction(() => document.getElementById('status').textContent === '');
  assert.deepEqual(boards.get('a').options, kLine);
  const { stream, report } = await boards.get('a').simulator.received(core);
  assert.deepEqual(stream, expected, report);
  assert.deepEqual(messages, []);
  await close();
});

test('an adapter pulled out mid-transfer says so, is not replaced by one that was there, and plugged in again it works', kTimeout, async () => {
  const { page, boards, plug, close } = await Page(60);
  await plug('a');
  await plug('c'); // the same kind as the board's, there before it is pulled out
  await page.setInputFiles('#open', kFile);
  await Program(page, 'program', 'yes');
  await page.waitForFunction(() => document.getElementById('progress').open);
  // Nothing else starts while it runs, whatever is plugged in.
  await plug('d', { usbVendorId: 0x10c4, usbProductId: 0xea60 });
  assert.equal(await page.isDisabled('#program-all'), true);
  await new Promise((resolve) => setTimeout(resolve, 300));
  await page.evaluate(() => window.ktqSerial.unplug('a'));
  await page.waitForSelector('#message[open]');
  const failed = await page.textContent('#message p');
  assert.match(failed, /^Chyba pri odesílání\nOdesláno \d+ z 16384 bajtů: The device has been lost\.\n/);
  assert.match(failed, /Zařízení zmizelo/);
  await page.click('#ok');
  assert.match(await page.textContent('#adapter'), /^Žádný převodník není vybrán/);
  boards.get('a').simulator.stop();
  await plug('b');
  assert.equal(await page.textContent('#status'), 'Převodník je znovu připojen.');
  assert.match(await page.textContent('#adapter'), /^Port: Převodník FTDI \(0403:6001\) č\. 2\n/);
  await Program(page, 'program', 'yes');
  await page.waitForSelector('#message[open]');
  assert.equal(await page.textContent('#message p'), 'Programovani proběhlo v pořádku');
  const { stream, report } = await boards.get('b').simulator.received(core);
  assert.deepEqual(stream, expected, report);
  await close();
});

test('every board at once: a row each, each stream exact, and the total', kTimeout, async () => {
  const { page, boards, plug, close } = await Page(5);
  await plug('a');
  await plug('b');
  await page.setInputFiles('#open', kFile);
  assert.equal((await Program(page, 'program-all', 'yes')).question, 'Opravdu chcete přeprogramovat 2 desky KTQ - 51?');
  await page.waitForFunction(() => document.getElementById('boards-total').textContent !== '');
  assert.equal(await page.textContent('#boards-total'), 'Naprogramováno 2 z 2 desek');
  const results = await page.$$eval('#boards tbody tr', (rows) => rows.map((row) => row.cells[2].textContent));
  assert.deepEqual(results, ['Programovani proběhlo v pořádku', 'Programovani proběhlo v pořádku']);
  for (const id of ['a', 'b']) {
    const { stream, report } = await boards.get(id).simulator.received(core);
    assert.deepEqual(stream, expected, `${id}: ${report}`);
  }
  await close();
});

test('a browser without Web Serial is told which browsers work', kTimeout, async () => {
  const context = await browser.newContext();
  await context.addInitScript(() => delete Navigator.prototype.serial);
  const page = await context.newPage();
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForSelector('#unsupported:not([hidden])');
  assert.match(await page.textContent('#unsupported'), /^Tento prohlížeč neumí Web Serial.*Chrome a Microsoft Edge/);
  assert.equal(await page.isDisabled('#program'), true);
  await context.close();
});

test('by keyboard alone, in reading order, every control named: Otevřít, the grid, Programuj, the question, the result', kTimeout, async () => {
  const { page, boards, plug, close } = await Page(60);
  const chooser = page.waitForEvent('filechooser'); // asked for early, so that the browser hands it over
  for (const id of ['a', 'b']) await plug(id);
  // Presses each key in turn; what has focus after each, by its id or role.
  const focused = () => page.evaluate(() => document.activeElement.id || document.activeElement.getAttribute('role'));
  const keys = async (...names) => { const ids = []; for (const key of names) ids.push(await page.keyboard.press(key).then(focused)); return ids; };
  assert.deepEqual(await keys('Tab', 'Tab', 'Enter'), ['language', 'open-button', 'open-button']);
  await (await chooser).setFiles(kFile);
  await page.waitForFunction(() => document.querySelector('[role=gridcell]')?.textContent === '02');
  assert.deepEqual(await keys('Tab', 'Tab', 'Tab', 'Tab'), ['program', 'choose', 'program-all', 'gridcell']);
  const nodes = await Accessible(page);
  assert.deepEqual(nodes.filter((node) => node.focusable && (!node.name || ['generic', 'none'].includes(node.role))), []);
  assert.equal(nodes.filter((node) => ['grid', 'columnheader'].includes(node.role)).map((node) => node.name).join(' '), 'Programovaná data Adresa 0 1 2 3 4 5 6 7 8 9 A B C D E F');
  const cells = [(await Focused(page)).name];
  for (const key of ['ArrowDown', 'ArrowRight', 'Control+End']) cells.push((await keys(key), await Focused(page)).name);
  assert.deepEqual(cells, [core.cellName(1, 0), core.cellName(1, 1), core.cellName(2, 1), '3FFF: FF']);
  assert.deepEqual(await keys('Shift+Tab', 'Shift+Tab', 'Shift+Tab', 'Enter'), ['program-all', 'choose', 'program', 'yes']);
  const box = async () => (await Accessible(page)).find((node) => node.role === 'alertdialog').description;
  assert.equal(await box(), 'Opravdu chcete přeprogramovat KTQ - 51?');
  await page.keyboard.press('Space');
  await page.waitForFunction(() => document.getElementById('progress-bar').value > 0);
  const { name, value, valuemax } = (await Accessible(page)).find((node) => node.role === 'progressbar');
  assert.deepEqual([name, value > 0, valuemax], ['Průběh', true, 16384]);
  await page.waitForSelector('#message[open]');
  assert.deepEqual([await box(), (await Focused(page)).name], ['Programovani proběhlo v pořádku', 'OK']);
  assert.deepEqual(await keys('Enter'), ['program']);
  const { stream, report } = await boards.get('a').simulator.received(core);
  assert.deepEqual(stream, expected, report);
  await close();
});

test('English at once, every text seen or named, kept over a reload; Czech whatever the browser prefers', kTimeout, async () => {
  const { page, plug, close } = await Page(0, { locale: 'en-US' }); // Page() waits for the Czech "Programuj"
  await plug('a');
  await Program(page, 'program', 'no');
  await page.press('#language', 'ArrowDown');
  const english = async () => {
    const seen = await page.evaluate(() => [document.documentElement.lang, document.title, document.body.innerText.replace('Čeština', ''),
      ...[...document.querySelectorAll('[aria-label], [title]')].map((e) => `${e.getAttribute('aria-label')} ${e.title}`)].join('\n'));
    assert.match(seen, /^en\n/);
    assert.doesNotMatch(seen, /[áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ„]/);
  };
  await english();
  // The status shown before is said again; the next question is English.
  assert.deepEqual([await page.textContent('#status'), (await Program(page, 'program', 'no')).question],
    ['Programming cancelled', 'Do you really want to reprogram the KTQ - 51?']);
  await page.reload();
  await page.waitForFunction(() => document.getElementById('program').textContent === 'Program');
  await english();
  await close();
});
