// Serves a built site over HTTP, has Lighthouse judge its page as a phone visitor
// would, and takes the screenshots the README shows. Prints the four scores and
// exits with 1 when accessibility, best practices or SEO is below 100, or
// performance below 95.
//   node check.mjs SITE_DIR SCREENSHOT_DIR
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import * as chromeLauncher from 'chrome-launcher';
import lighthouse from 'lighthouse';
import puppeteer from 'puppeteer-core';

const [site, shots] = process.argv.slice(2);
const chromium = process.env.CHROME_PATH || '/usr/bin/chromium';
// Without these, Chromium keeps reaching for Google's hosts, which this machine refuses.
const flags = ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const types = {'.html': 'text/html; charset=utf-8', '.jpg': 'image/jpeg', '.png': 'image/png', '.gif': 'image/gif',
               '.webp': 'image/webp', '.avif': 'image/avif'};

const server = http.createServer((request, response) => {
  const wanted = decodeURIComponent(new URL(request.url, 'http://x').pathname);
  const file = path.join(site, wanted.endsWith('/') ? wanted + 'index.html' : wanted);
  if (!file.startsWith(path.resolve(site)) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    response.writeHead(404).end();
    return;
  }
  response.writeHead(200, {'Content-Type': types[path.extname(file).toLowerCase()] || 'application/octet-stream'});
  fs.createReadStream(file).pipe(response);
});
await new Promise(done => server.listen(0, '127.0.0.1', done));
const page = `http://127.0.0.1:${server.address().port}/index.html`;

const chrome = await chromeLauncher.launch({chromePath: chromium, chromeFlags: flags});
const result = await lighthouse(page, {port: chrome.port, output: 'json', logLevel: 'error',
  onlyCategories: ['performance', 'accessibility', 'best-practices', 'seo']});
await chrome.kill();
const scores = Object.fromEntries(Object.entries(result.lhr.categories).map(([id, c]) => [id, Math.round(c.score * 100)]));
console.log(`Lighthouse (mobile): performance ${scores.performance}, accessibility ${scores.accessibility}, ` +
            `best practices ${scores['best-practices']}, SEO ${scores.seo}`);
for (const audit of Object.values(result.lhr.audits))
  if (audit.score !== null && audit.score < 1 && ['binary', 'numeric'].includes(audit.scoreDisplayMode))
    console.log(`  ${audit.id}: ${audit.score} ${audit.displayValue || ''}`);

if (shots) {
  fs.mkdirSync(shots, {recursive: true});
  const browser = await puppeteer.launch({executablePath: chromium, args: flags});
  const tab = await browser.newPage();
  const views = [['desktop', {width: 1280, height: 900}, 'light'], ['phone', {width: 390, height: 844, isMobile: true,
                 hasTouch: true, deviceScaleFactor: 2}, 'light'], ['desktop-dark', {width: 1280, height: 900}, 'dark']];
  for (const [name, viewport, scheme] of views) {
    await tab.setViewport(viewport);
    await tab.emulateMediaFeatures([{name: 'prefers-color-scheme', value: scheme}]);
    await tab.goto(page, {waitUntil: 'networkidle0'});
    await tab.screenshot({path: path.join(shots, `gallery-${name}.png`)});
  }
  await tab.setViewport({width: 1280, height: 900});
  await tab.goto(page, {waitUntil: 'networkidle0'});
  await tab.focus('a[data-view]');
  await tab.keyboard.press('Enter');
  await tab.keyboard.press('ArrowRight');
  await tab.waitForFunction(() => { const p = document.querySelector('.viewer img'); return p.complete && p.naturalWidth; });
  await tab.screenshot({path: path.join(shots, 'gallery-viewer.png')});
  await browser.close();
}
server.close();
const met = scores.accessibility === 100 && scores['best-practices'] === 100 && scores.seo === 100 && scores.performance >= 95;
process.exit(met ? 0 : 1);
