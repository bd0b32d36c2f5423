// Opens a manual page in headless Chromium: every image must have loaded and stand in a figure
// with a caption, every link of the contents must reach its heading, no console error and no page
// error may occur, and the first screen is kept as a screenshot.
// Usage: node check_manual.js MANUAL.html SCREENSHOT.png
'use strict';
const path = require('path');
const { chromium } = require('playwright-core');

async function main() {
  const [manual, screenshot] = process.argv.slice(2);
  if (!manual || !screenshot) {
    console.error('usage: node check_manual.js MANUAL.html SCREENSHOT.png');
    return 2;
  }
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const problems = [];
  try {
    const page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
    page.on('console', (m) => { if (m.type() === 'error') problems.push('console error: ' + m.text()); });
    page.on('pageerror', (e) => problems.push('page error: ' + e.message));
    page.on('requestfailed', (r) => problems.push('request failed: ' + r.url().slice(0, 80)));
    await page.goto('file://' + path.resolve(manual), { waitUntil: 'load' });
    const images = await page.evaluate(() => Array.from(document.images).map((img) => ({
      alt: img.alt, loaded: img.complete && img.naturalWidth > 0, external: !img.src.startsWith('data:'),
    })));
    if (images.length === 0) problems.push('the page has no images');
    const uncaptioned = await page.evaluate(() => Array.from(document.images).filter((img) => {
      const caption = img.closest('figure') && img.closest('figure').querySelector('figcaption');
      return !caption || caption.textContent.trim() === '';
    }).map((img) => img.alt));
    for (const alt of uncaptioned) problems.push('picture without a caption: ' + alt);
    const links = await page.evaluate(() => Array.from(document.querySelectorAll('nav a')).map((a) => ({
      text: a.textContent, reaches: !!document.getElementById(a.getAttribute('href').slice(1)),
    })));
    if (links.length === 0) problems.push('the page has no contents');
    for (const link of links) if (!link.reaches) problems.push('contents link to nowhere: ' + link.text);
    for (const img of images) {
      if (!img.loaded) problems.push('image did not load: ' + img.alt);
      if (img.external) problems.push('image is not embedded: ' + img.alt);
    }
    await page.screenshot({ path: screenshot });
    console.log(`${path.basename(path.dirname(path.resolve(manual)))}: ${images.length} images, ` +
                `${images.filter((i) => i.loaded).length} loaded, ${links.length} contents links; ` +
                `first screen in ${screenshot}`);
  } finally {
    await browser.close();
  }
  for (const p of problems) console.log('FAIL ' + p);
  return problems.length === 0 ? 0 : 1;
}

main().then((code) => process.exit(code), (e) => { console.error(e); process.exit(1); });
