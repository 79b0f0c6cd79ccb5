// Builds the page into dist/: a folder of static files that any web server
// can serve (HTTPS, or http://localhost), the program's WebAssembly core
// among them, and the service worker told which files to keep.
//
//   node build.js [CORE.wasm]      (default: the web preset's build)
import { createHash } from 'node:crypto';
import { cpSync, mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { dirname, join, relative } from 'node:path';
import { fileURLToPath } from 'node:url';
import { NodeCore } from './node-core.js';

const here = dirname(fileURLToPath(import.meta.url));
const top = join(here, '..');
const core = process.argv[2] ?? join(top, 'build', 'web', 'web', 'wasm', 'programator-core.wasm');
const dist = join(here, 'dist');

rmSync(dist, { recursive: true, force: true });
mkdirSync(join(dist, 'src'), { recursive: true });
for (const file of ['index.html', 'manifest.webmanifest']) cpSync(join(here, file), join(dist, file));
for (const file of readdirSync(join(here, 'src'))) cpSync(join(here, 'src', file), join(dist, 'src', file));
cpSync(join(top, 'packaging', 'icons', 'cz.ktq51.Programator.svg'), join(dist, 'icon.svg'));
cpSync(core, join(dist, 'programator-core.wasm'));

// The policies that grant the page the adapters without a chooser, one file
// per browser, from the program's own table of chips and boards: the
// school's address goes where the example's is.
const filters = (await NodeCore(core)).portFilters();
const kSchool = 'https://programator.skola.example';
const devices = filters.map((filter) => ({
  vendor_id: filter.usbVendorId,
  ...(filter.usbProductId === undefined ? {} : { product_id: filter.usbProductId }),
}));
mkdirSync(join(dist, 'policies'));
const chromium = JSON.stringify({ SerialAllowUsbDevicesForUrls: [{ devices, urls: [kSchool] }] }, null, 2);
writeFileSync(join(dist, 'policies', 'chrome.json'), `${chromium}\n`);
writeFileSync(join(dist, 'policies', 'edge.json'), `${chromium}\n`);
// Firefox leaves Web Serial off whenever a policy is in force, unless it is
// allowed: 3 lets sites ask for a port.
writeFileSync(join(dist, 'policies', 'firefox.json'), `${JSON.stringify({ policies: { DefaultSerialGuardSetting: 3 } }, null, 2)}\n`);

// The files the service worker keeps, and a version that changes with them.
const files = [];
const walk = (dir) => {
  for (const entry of readdirSync(dir, { withFileTypes: true })) {
    const path = join(dir, entry.name);
    if (entry.isDirectory()) walk(path);
    else files.push(relative(dist, path));
  }
};
walk(dist);
files.sort();
const hash = createHash('sha256');
for (const file of files) hash.update(file).update(readFileSync(join(dist, file)));
const { version } = JSON.parse(readFileSync(join(here, 'package.json'), 'utf8'));
const worker = readFileSync(join(here, 'sw.js'), 'utf8')
  .replace('VERSION', `${version}-${hash.digest('hex').slice(0, 12)}`)
  .replace('FILES', JSON.stringify(['./', ...files]));
writeFileSync(join(dist, 'sw.js'), worker);
console.log(`web/dist: ${files.length + 1} files`);
