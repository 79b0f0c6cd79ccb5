// The program's WebAssembly core under Node's own WASI: for the build (the
// policies from the core's table) and the tests.
import { readFileSync } from 'node:fs';
import { WASI } from 'node:wasi';
import { Core } from './src/core.js';

export async function NodeCore(file) {
  const wasi = new WASI({ version: 'preview1', returnOnExit: true });
  const module = await WebAssembly.compile(readFileSync(file));
  // Node 18 has no getImportObject(); its wasiImport is the same calls.
  const instance = await WebAssembly.instantiate(module, { wasi_snapshot_preview1: wasi.wasiImport });
  wasi.initialize(instance);
  return Core(instance);
}
