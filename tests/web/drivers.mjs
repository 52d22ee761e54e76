// The browsers the suite drives, behind one small interface: Chromium and Firefox through Puppeteer
// (the DevTools protocol and WebDriver BiDi), WebKitGTK through its W3C WebDriver. Every input is the
// browser's own: pointer, touch and key events dispatched by its automation, not synthesized in the page.
//
//   const tab = await open(name, {width, height, ratio, touch});
//   await tab.goto(url); await tab.evaluate(fn, ...args);
//   await tab.pointer.move(x, y); .down(); .up(); await tab.touch.start(x, y) ...; await tab.touch.doubleTap(x, y);
//   await tab.key('F6');
//   await tab.type('2ν'); await tab.screenshot(); tab.openedTabs; await tab.front(); tab.messages; await tab.close();
//   tab.page, tab.browser: Puppeteer's page and browser (Chromium and Firefox only)
//
// WebKitGTK's MiniBrowser needs an X display (DISPLAY); scripts/web.sh suite starts one.

import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';

export const executables = {
    chromium: '/usr/bin/chromium',
    firefox: '/usr/bin/firefox-esr',
    webkit: '/usr/bin/WebKitWebDriver',
};
const miniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// Chromium as root in a closed network: no sandbox, nothing fetched in the background, WebGL (which Qt
// draws its windows with) in software.
const chromiumArguments = [
    '--no-sandbox', '--disable-gpu-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
    '--disable-quic', '--disable-features=Translate,MediaRouter', '--disable-popup-blocking',
];

export async function open(name, viewport) {
    return name === 'webkit' ? openWebKit(viewport) : openPuppeteer(name, viewport);
}

async function openPuppeteer(name, { width, height, ratio = 1, touch = false }) {
    const profile = mkdtempSync(join(tmpdir(), `suite-${name}-`));
    const browser = await puppeteer.launch({
        browser: name === 'firefox' ? 'firefox' : 'chrome',
        executablePath: executables[name],
        headless: true,
        userDataDir: profile,
        args: name === 'chromium' ? chromiumArguments : [],
        extraPrefsFirefox: { 'dom.disable_open_during_load': false, 'network.dns.disableIPv6': true },
        protocolTimeout: 120_000,
    });
    const page = (await browser.pages())[0] ?? (await browser.newPage());
    // Chromium's own input protocol, for a gesture the browser performs whole.
    const session = name === 'chromium' ? await page.createCDPSession() : null;
    const messages = [];
    const requests = [];
    page.on('request', (request) => requests.push(request.url()));
    page.on('console', (message) => messages.push(`${message.type()}: ${message.text()}`));
    page.on('pageerror', (error) => messages.push(`pageerror: ${error.message}`));
    const openedTabs = [];
    browser.on('targetcreated', (target) => {
        if (target.type() === 'page') openedTabs.push(target.url());
    });
    browser.on('targetchanged', (target) => {
        if (target.type() === 'page' && target !== page.target()) openedTabs.push(target.url());
    });
    await page.setViewport({ width, height, deviceScaleFactor: ratio, hasTouch: touch, isMobile: false });
    // Where scripts run: the page, or a frame of it whose address holds a text (useFrame), as when a
    // learning platform plays the exercise in a frame of its own page.
    let frameText = null;
    const context = () => (frameText ? page.frames().find((frame) => frame.url().includes(frameText)) ?? page : page);
    return {
        name,
        messages,
        requests,
        openedTabs,
        // Puppeteer's own objects, for what this interface does not cover (a learning platform's forms and
        // the windows it opens).
        page,
        browser,
        goto: (url) => page.goto(url, { waitUntil: 'load' }),
        evaluate: (fn, ...args) => context().evaluate(fn, ...args),
        evaluateTop: (fn, ...args) => page.evaluate(fn, ...args),
        useFrame: (text) => {
            frameText = text;
        },
        resize: (size) => page.setViewport({ width: size.width, height: size.height, deviceScaleFactor: size.ratio ?? ratio, hasTouch: touch }),
        pointer: {
            move: (x, y) => page.mouse.move(x, y, { steps: 1 }),
            down: () => page.mouse.down(),
            up: () => page.mouse.up(),
        },
        touch: {
            start: (x, y) => page.touchscreen.touchStart(x, y),
            move: (x, y) => page.touchscreen.touchMove(x, y),
            end: () => page.touchscreen.touchEnd(),
            // Two taps as one gesture, timed by the browser itself, so that they stay within the
            // double-tap interval however busy the machine is.
            doubleTap: (x, y) => session.send('Input.synthesizeTapGesture', { x, y, tapCount: 2, gestureSourceType: 'touch' }),
        },
        // The space bar by its character, which Firefox's WebDriver BiDi knows too.
        key: (key) => page.keyboard.press(key === 'Space' ? ' ' : key),
        chord: async (modifier, key) => {
            await page.keyboard.down(modifier);
            await page.keyboard.press(key);
            await page.keyboard.up(modifier);
        },
        type: (text) => page.keyboard.type(text),
        // Back to the exercise's tab, as a pupil goes after a link opened another: a tab behind
        // others is not drawn, and each input sent to it waits seconds for a frame.
        front: () => page.bringToFront(),
        screenshot: (path) => page.screenshot({ path }),
        screenshotBuffer: () => page.screenshot({ type: 'png', captureBeyondViewport: false }),
        screenshotClip: (clip) => page.screenshot({ clip, type: 'png' }),
        close: async () => {
            await browser.close();
            rmSync(profile, { recursive: true, force: true });
        },
    };
}

// WebKitGTK: its WebDriver service, spoken to in plain HTTP.
const webDriverKeys = {
    F6: '\uE036', F10: '\uE03A', Tab: '\uE004', Enter: '\uE007', Escape: '\uE00C', Delete: '\uE017', Space: ' ',
    ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', Control: '\uE009',
    Alt: '\uE00A', Backspace: '\uE003',
};

async function openWebKit({ width, height }) {
    const port = 4444 + Math.floor(Math.random() * 1000);
    const service = spawn(executables.webkit, [`--port=${port}`], { stdio: 'ignore' });
    const base = `http://127.0.0.1:${port}`;
    const call = async (method, path, body) => {
        for (let attempt = 0; ; attempt++) {
            try {
                const response = await fetch(base + path, {
                    method,
                    headers: { 'Content-Type': 'application/json' },
                    body: body === undefined ? undefined : JSON.stringify(body),
                });
                const answer = await response.json();
                if (!response.ok) throw new Error(`WebDriver ${path}: ${answer.value?.message ?? response.status}`);
                return answer.value;
            } catch (error) {
                if (attempt > 50 || !/fetch failed|ECONNREFUSED/.test(String(error.cause ?? error))) throw error;
                await new Promise((done) => setTimeout(done, 100));
            }
        }
    };
    const session = await call('POST', '/session', {
        capabilities: {
            alwaysMatch: {
                'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation'] },
            },
        },
    });
    const id = `/session/${session.sessionId}`;
    await call('POST', `${id}/window/rect`, { width, height });
    const pointer = (actions) =>
        call('POST', `${id}/actions`, {
            actions: [{ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions }],
        });
    const keys = (actions) => call('POST', `${id}/actions`, { actions: [{ type: 'key', id: 'keyboard', actions }] });
    let at = { x: 0, y: 0 };
    return {
        name: 'webkit',
        messages: null, // WebKit's WebDriver does not hand over the console, nor the requests
        requests: null,
        openedTabs: [],
        goto: (url) => call('POST', `${id}/url`, { url }),
        evaluate: (fn, ...args) =>
            call('POST', `${id}/execute/sync`, { script: `return (${fn}).apply(null, arguments)`, args }),
        resize: (size) => call('POST', `${id}/window/rect`, { width: size.width, height: size.height }),
        pointer: {
            move: (x, y) => {
                at = { x: Math.round(x), y: Math.round(y) };
                return pointer([{ type: 'pointerMove', origin: 'viewport', duration: 0, ...at }]);
            },
            down: () => pointer([{ type: 'pointerMove', origin: 'viewport', duration: 0, ...at }, { type: 'pointerDown', button: 0 }]),
            up: () => pointer([{ type: 'pointerMove', origin: 'viewport', duration: 0, ...at }, { type: 'pointerUp', button: 0 }]),
        },
        touch: null,
        key: (key) => {
            const value = webDriverKeys[key] ?? key;
            return keys([{ type: 'keyDown', value }, { type: 'keyUp', value }]);
        },
        chord: (modifier, key) => {
            const m = webDriverKeys[modifier];
            const value = webDriverKeys[key] ?? key;
            return keys([{ type: 'keyDown', value: m }, { type: 'keyDown', value }, { type: 'keyUp', value }, { type: 'keyUp', value: m }]);
        },
        type: (text) => keys([...text].flatMap((value) => [{ type: 'keyDown', value }, { type: 'keyUp', value }])),
        screenshot: async (path) => {
            const { writeFileSync } = await import('node:fs');
            writeFileSync(path, Buffer.from(await call('GET', `${id}/screenshot`), 'base64'));
        },
        close: async () => {
            await call('DELETE', id).catch(() => {});
            service.kill();
        },
    };
}
