// The page's weight and start-up, the exercise beside an empty Qt window of the same size and menu bar
// built the same way (scripts/web.sh bench):
//   - the bytes a browser is sent: every file of the site, raw, gzip (level 9) and brotli (level 11);
//   - from navigation to the first painted window: the first animation frame in which the window's
//     canvas is on the page, drawn;
//   - from navigation to the first accepted input: a pointer press that the harness sends at the window
//     as soon as it is painted, timed when it reaches the window's element;
//   - taken apart: from navigation to the program compiled and instantiated (its download and
//     compilation), and from then to the first painted window (the program's own start: Qt, the
//     fonts, the window's controls and pictures, the first frame).
// Each side is loaded RUNS times (default 10), alternated, in headless Chromium from a local server,
// each time in a fresh browser context with nothing cached; the medians are printed.
//
//   node bench.mjs SITE_DIR BARE_SITE_DIR [RUNS]

import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { brotliCompressSync, constants, gzipSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';
import { executables } from './drivers.mjs';
import { serve } from './serve.mjs';

const [siteDir, bareDir, runsText = '10'] = process.argv.slice(2);
if (!siteDir || !bareDir) {
    console.error('usage: node bench.mjs SITE_DIR BARE_SITE_DIR [RUNS]');
    process.exit(2);
}
const runs = Number(runsText);

function weigh(dir) {
    let raw = 0;
    let gzip = 0;
    let brotli = 0;
    for (const name of readdirSync(dir)) {
        const bytes = readFileSync(join(dir, name));
        raw += bytes.length;
        gzip += gzipSync(bytes, { level: 9 }).length;
        brotli += brotliCompressSync(bytes, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length;
    }
    return { raw, gzip, brotli };
}

// Runs in the page before anything else: watches for the window's first drawn frame and its first press.
function watch() {
    window.benchTimes = {};
    for (const name of ['instantiateStreaming', 'instantiate']) {
        const original = WebAssembly[name];
        WebAssembly[name] = async (...args) => {
            const result = await original.apply(WebAssembly, args);
            window.benchTimes.compiled ??= performance.now();
            return result;
        };
    }
    document.addEventListener('pointerdown', () => {
        window.benchTimes.input ??= performance.now();
    }, true);
    const look = () => {
        const canvas = document.querySelector('#qt-shadow-container')?.shadowRoot?.querySelector('.qt-window .qt-window-content');
        if (canvas && canvas.width > 0 && canvas.getBoundingClientRect().width > 0) {
            requestAnimationFrame(() => { window.benchTimes.paint = performance.now(); });
        } else {
            requestAnimationFrame(look);
        }
    };
    requestAnimationFrame(look);
}

async function load(browser, url) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({ width: 657, height: 642 });
    await page.setCacheEnabled(false);
    await page.evaluateOnNewDocument(watch);
    await page.goto(url, { waitUntil: 'domcontentloaded' });
    await page.waitForFunction(() => window.benchTimes?.paint !== undefined, { timeout: 60_000, polling: 'raf' });
    await page.mouse.move(300, 300);
    await page.mouse.down();
    await page.waitForFunction(() => window.benchTimes.input !== undefined, { timeout: 60_000 });
    await page.mouse.up();
    const times = await page.evaluate(() => window.benchTimes);
    await context.close();
    return times;
}

const median = (values) => {
    const sorted = [...values].sort((a, b) => a - b);
    const middle = Math.floor(sorted.length / 2);
    return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

const sides = { exercise: siteDir, 'empty window': bareDir };
const servers = {};
for (const [name, dir] of Object.entries(sides)) servers[name] = await serve({ root: dir, base: '/' });
const browser = await puppeteer.launch({
    executablePath: executables.chromium,
    headless: true,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-background-networking',
        '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-quic'],
});
const times = { exercise: [], 'empty window': [] };
for (const name of Object.keys(sides)) await load(browser, `http://127.0.0.1:${servers[name].address().port}/`); // warm-up
for (let run = 0; run < runs; run++) {
    for (const name of Object.keys(sides)) {
        times[name].push(await load(browser, `http://127.0.0.1:${servers[name].address().port}/`));
    }
}
await browser.close();
for (const server of Object.values(servers)) server.close();

const mb = (bytes) => `${(bytes / 1e6).toFixed(2)} MB`;
const ms = (value) => `${value.toFixed(0)} ms`;
const weights = Object.fromEntries(Object.entries(sides).map(([name, dir]) => [name, weigh(dir)]));
const medians = Object.fromEntries(Object.entries(times).map(([name, list]) => [name, {
    paint: median(list.map((t) => t.paint)),
    input: median(list.map((t) => t.input)),
    compiled: median(list.map((t) => t.compiled)),
    start: median(list.map((t) => t.paint - t.compiled)),
}]));
console.log(`| ${runs} loads each, headless Chromium, local server | exercise | empty window | ratio |`);
console.log('|---|---|---|---|');
for (const kind of ['raw', 'gzip', 'brotli']) {
    const [a, b] = [weights.exercise[kind], weights['empty window'][kind]];
    console.log(`| bytes sent, ${kind} | ${mb(a)} | ${mb(b)} | ${(a / b).toFixed(2)} |`);
}
for (const [kind, label] of [['paint', 'navigation to first painted window'], ['input', 'navigation to first accepted input'],
    ['compiled', 'navigation to the program compiled'], ['start', 'compiled to first painted window']]) {
    const [a, b] = [medians.exercise[kind], medians['empty window'][kind]];
    console.log(`| ${label} (median) | ${ms(a)} | ${ms(b)} | ${(a / b).toFixed(3)} |`);
}
