// Debian's Chromium, headless with SwiftShader, driven by playwright-core, and a static
// server on 127.0.0.1 for the site: shared by the tests and the benchmark.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const { chromium } = require('playwright-core');

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.tsv': 'text/plain'};

/// Serves dir on 127.0.0.1 at a free port; resolves to { server, url }.
function serve(dir) {
  const server = http.createServer((req, res) => {
    const file = path.join(dir, decodeURIComponent(new URL(req.url, 'http://x').pathname));
    if (!file.startsWith(dir)) { res.writeHead(403).end(); return; }
    const target = file.endsWith('/') ? path.join(file, 'index.html') : file;
    fs.readFile(target, (err, data) => {
      if (err) { res.writeHead(404).end('not found'); return; }
      res.writeHead(200, { 'Content-Type': TYPES[path.extname(target)] || 'application/octet-stream' });
      res.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () =>
    resolve({ server, url: `http://127.0.0.1:${server.address().port}/` })));
}

async function launch() {
  // playwright gives every launch a new empty profile of its own (--user-data-dir).
  const browser = await chromium.launch({
    executablePath: process.env.ORVEX_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
           '--no-first-run', '--disable-background-networking', '--disable-component-update',
           '--disable-sync', '--disable-quic'],
  });
  return browser;
}

/// A page at url#hash of the given CSS size, its console errors collected in errors.
async function openPage(browser, url, hash, width, height, errors) {
  const page = await browser.newPage({ viewport: { width, height }, deviceScaleFactor: 1 });
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(`${url}#${hash}`);
  await page.evaluate(() => window.orvexExplorer.ready);
  return page;
}

module.exports = { serve, launch, openPage };
