// Run by the driver check in its guest (tests/guest/browser-step), under
// this machine's root: the page in Debian's Chromium takes the adapter the
// policy grants, with no chooser, loads FILE and programs it. Prints the
// result, and how long the page's parts took.
//
//   node guest-page.js URL FILE
import { chromium } from 'playwright-core';

const [url, file] = process.argv.slice(2);
const started = Date.now();
const seconds = (from) => ((Date.now() - from) / 1000).toFixed(1);
// Under software emulation Chromium needs to run in one process.
const browser = await chromium.launch({
  executablePath: '/usr/lib/chromium/chromium',
  args: ['--headless', '--no-sandbox', '--single-process', '--no-zygote', '--disable-gpu', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  timeout: 240000,
});
let status = 1;
try {
  const page = await browser.newPage();
  page.setDefaultTimeout(120000);
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('adapter').textContent.startsWith('Port: '));
  console.log(`page-adapter=${await page.textContent('#adapter')}`);
  console.log(`page-ready-seconds=${seconds(started)}`);
  await page.setInputFiles('#open', file);
  await page.waitForFunction(() => document.querySelector('[role=gridcell]')?.textContent !== 'FF');
  await page.click('#program');
  await page.waitForSelector('#question[open]');
  const asked = Date.now();
  await page.click('#yes');
  await page.waitForSelector('#message[open]');
  console.log(`page-transfer-seconds=${seconds(asked)}`);
  const message = await page.textContent('#message p');
  console.log(`page-message=${message}`);
  status = message === 'Programovani proběhlo v pořádku' ? 0 : 1;
} finally {
  await browser.close();
}
process.exit(status);
