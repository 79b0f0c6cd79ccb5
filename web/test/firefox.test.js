// Firefox ESR from Debian with its own Web Serial, under test: the page's
// job and transport program a mock port of Gecko (dom.webserial.testing:
// it echoes what is written), and what comes back is the stream, exact.
// The port is chosen as a user chooses it, by a click on Vybrat převodník…
// (Marionette's click counts as the user's), the chooser answered by
// Gecko's test mode.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { Serve } from '../serve.js';
import { Marionette } from './marionette.js';
import { paths } from './paths.js';

const kMarionettePort = 2829;
const kPrefs = {
  'dom.webserial.enabled': true,
  'dom.webserial.testing.enabled': true,
  'dom.webserial.gated': false,
  'marionette.port': kMarionettePort,
  'browser.shell.checkDefaultBrowser': false,
  'datareporting.policy.dataSubmissionEnabled': false,
  'toolkit.telemetry.reportingpolicy.firstRun': false,
  'browser.aboutwelcome.enabled': false,
};

// Runs in the page: programs the chosen mock port with the page's own job
// and transport, reading back what it echoes.
const kProgram = `
const [hex, done] = [arguments[0], arguments[arguments.length - 1]];
(async () => {
  const { LoadCore } = await import('./src/core.js');
  const { ProgramBoard } = await import('./src/job.js');
  const { WebSerialTransport } = await import('./src/transport.js');
  const core = await LoadCore('programator-core.wasm');
  if (core.open('blink.hex', new TextEncoder().encode(hex)) !== null) throw new Error('not loaded');
  const stream = core.stream();
  const [port] = await navigator.serial.getPorts();
  const transport = new WebSerialTransport(port, 'mock');
  const echoed = [];
  let reading;
  const open = transport.open.bind(transport);
  transport.open = async (options) => {
    await open(options);
    const reader = port.readable.getReader();
    reading = (async () => {
      let n = 0;
      while (n < stream.length) {
        const { value, done: end } = await reader.read();
        if (end) break;
        echoed.push(...value);
        n += value.length;
      }
      reader.releaseLock();
    })();
  };
  const close = transport.close.bind(transport);
  transport.close = async () => {
    await Promise.race([reading, new Promise((r) => setTimeout(r, 5000))]);
    await close();
  };
  const result = await ProgramBoard(core, transport, stream);
  done({ ok: result.ok, message: result.message, same: echoed.length === stream.length && echoed.every((b, i) => b === stream[i]), echoed: echoed.length });
})().catch((error) => done({ error: String(error) }));`;

test("the page's job programs Gecko's own Web Serial exactly", async () => {
  const dir = mkdtempSync(join(tmpdir(), 'ktq51-firefox-'));
  writeFileSync(join(dir, 'user.js'), Object.entries(kPrefs).map(([k, v]) => `user_pref(${JSON.stringify(k)}, ${JSON.stringify(v)});\n`).join(''));
  const server = await Serve(paths.page);
  const firefox = spawn(process.env.KTQ51_FIREFOX ?? 'firefox-esr', ['--headless', '--marionette', '--no-remote', '--profile', dir, 'about:blank'], {
    env: { ...process.env, HOME: dir },
    stdio: 'ignore',
  });
  try {
    const m = await Marionette.connect(kMarionettePort);
    await m.send('WebDriver:NewSession', { capabilities: {} });
    await m.send('WebDriver:Navigate', { url: `http://127.0.0.1:${server.address().port}/` });
    await m.send('WebDriver:ExecuteAsyncScript', {
      script: `const done = arguments[arguments.length - 1];
        navigator.serial.autoselectPorts = true;
        navigator.serial.removeAllMockDevices()
          .then(() => navigator.serial.simulateDeviceConnection('ktq51', '/dev/ttyUSB0', 0x0403, 0x6001)).then(done);`,
      args: [],
    });
    const button = await m.send('WebDriver:FindElement', { using: 'css selector', value: '#choose' });
    await m.send('WebDriver:ElementClick', { id: Object.values(button.value ?? button)[0] });
    const chosen = await m.send('WebDriver:ExecuteAsyncScript', {
      script: `const done = arguments[arguments.length - 1];
        const look = () => document.getElementById('adapter').textContent.startsWith('Port: ') ? done(document.getElementById('adapter').textContent) : setTimeout(look, 100);
        look();`,
      args: [],
    });
    assert.equal(chosen.value, 'Port: Převodník FTDI (0403:6001)');
    const { value } = await m.send('WebDriver:ExecuteAsyncScript', {
      script: kProgram,
      args: [readFileSync(join(paths.data, 'sdcc_blink.hex'), 'utf8')],
      scriptTimeout: 60000,
    });
    assert.deepEqual(value, { ok: true, message: 'Programovani proběhlo v pořádku', same: true, echoed: 16384 });
  } finally {
    const exited = firefox.exitCode !== null || firefox.signalCode !== null;
    firefox.kill();
    server.close();
    if (!exited) await new Promise((resolve) => firefox.on('exit', resolve));
    rmSync(dir, { recursive: true, force: true });
  }
});
