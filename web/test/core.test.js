// One reader: every HEX file of tests/data through the WebAssembly core and
// through the native ktq51-flash gives the same 16384-byte stream, or the
// same error text, byte for byte. The core runs under Node's own WASI.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { readFileSync, readdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { paths } from './paths.js';
import { NodeCore } from './support.js';
import { ProgramBoard } from '../src/job.js';

function HexFiles(dir) {
  return readdirSync(dir, { withFileTypes: true }).flatMap((entry) => {
    const path = join(dir, entry.name);
    if (entry.isDirectory()) return HexFiles(path);
    return /\.(hex|ihx)$/.test(entry.name) ? [path] : [];
  });
}

test('the core and the native reader agree on every file', async () => {
  const core = await NodeCore();
  const out = mkdtempSync(join(tmpdir(), 'ktq51-reader-'));
  const files = HexFiles(paths.data);
  assert.ok(files.length >= 25, `only ${files.length} files`);
  for (const file of files) {
    const stream = join(out, 'stream.bin');
    const native = spawnSync(paths.flash, ['--stream-out', stream, file], { encoding: 'utf8' });
    const message = core.open(file, readFileSync(file));
    if (native.status === 0) {
      assert.equal(message, null, file);
      assert.deepEqual(core.stream(), new Uint8Array(readFileSync(stream)), file);
    } else {
      assert.equal(native.status, 1, `${file}: ${native.stderr}`);
      assert.equal(`${file}: ${message}\n`, native.stderr, file);
    }
  }
  rmSync(out, { recursive: true });
  // The grid as the window shows it: the addresses, and the bytes of the
  // last file that loaded, FF where it put nothing.
  assert.equal(core.cell(0, 0), '3000');
  assert.equal(core.cell(0, 255), '3FF0');
  assert.equal(core.open('blink.hex', readFileSync(join(paths.data, 'sdcc_blink.hex'))), null);
  assert.equal(core.cell(1, 0), '02');
  assert.equal(core.cell(16, 255), 'FF');
});

test('the texts are the program\'s own', async () => {
  const core = await NodeCore();
  assert.equal(core.text('confirm'), 'Opravdu chcete přeprogramovat KTQ - 51?');
  assert.equal(core.text('done'), 'Programovani proběhlo v pořádku');
  assert.equal(core.progress(8192), 'Odesláno 8192 z 16384 bajtů, zbývá asi 5 s');
  assert.equal(core.confirmBoards(2), 'Opravdu chcete přeprogramovat 2 desky KTQ - 51?');
  assert.match(core.sendFailed('gone', 4096, 5120, 'FT232R', 'The device has been lost.'),
    /^Chyba pri odesílání\nOdesláno 4096 z 16384 bajtů: The device has been lost\.\n.*Zařízení zmizelo/s);
  assert.match(core.openFailed('in-use', 'FT232R', 'Failed to open serial port.'),
    /^COM nelze otevřít\nFT232R: port používá jiný program\n/);
  assert.match(core.refuse('big.hex', 'too-large'), /^Soubor big\.hex nelze otevřít:\nsoubor je větší než 64 MiB/);
  assert.equal(core.maxFileBytes, 64 * 1024 * 1024);
  assert.equal(core.writeLimitMs, 163850);
  assert.deepEqual(core.portFilters()[0], { usbVendorId: 0x0403, usbProductId: 0x6001 });
});

// A port that never answers, in its open or in a write whose abort and
// close never answer either: the job ends with the time-out all the same.
test('a port that never answers ends the job with the time-out', async () => {
  const core = { ...(await NodeCore()), writeLimitMs: 300 };
  const never = () => new Promise(() => {});
  const port = { label: 'FT232R', gone: false, open: async () => {}, write: never, drain: never, abort: never, close: never };
  for (const stuck of [{ open: never }, {}]) {
    const result = await ProgramBoard(core, { ...port, ...stuck }, core.stream());
    assert.equal(result.ok, false);
    assert.match(result.message, /^Chyba pri odesílání\nOdesláno 0 z 16384 bajtů/, JSON.stringify(stuck));
    assert.match(result.message, /[čc]as/i);
  }
});
