// A picture of the page for the README: headless Chromium, the page served
// from 127.0.0.1 with the stand-in serial port of the tests (one adapter),
// a HEX file loaded, in Czech or in English.
//
//   node screenshot.js OUT.png [FILE.hex] [WIDTH] [cs|en]
import { chromium } from 'playwright-core';
import { join } from 'node:path';
import { Serve } from './serve.js';
import { paths } from './test/paths.js';
import { StandInSerial } from './test/stand-in.js';

const [out, file = join(paths.data, 'sdcc_blink.hex'), width = '820', language = 'cs'] = process.argv.slice(2);
const server = await Serve(paths.page);
const browser = await chromium.launch({
  executablePath: process.env.KTQ51_CHROMIUM ?? '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const page = await browser.newPage({ viewport: { width: Number(width), height: 720 } });
await page.addInitScript(StandInSerial);
await page.goto(`http://127.0.0.1:${server.address().port}/`);
await page.waitForFunction(() => document.getElementById('program').textContent === 'Programuj');
await page.selectOption('#language', language);
await page.evaluate(() => window.ktqSerial.plug('a', { usbVendorId: 0x0403, usbProductId: 0x6001 }));
await page.setInputFiles('#open', file);
await page.waitForFunction(() => document.querySelector('[role=gridcell]')?.textContent !== 'FF');
await page.screenshot({ path: out });
await browser.close();
server.close();
