// The SCORM package in a real Moodle, played in Chromium as pupils and a teacher do, with what Moodle
// recorded read back from its database. tests/web/moodle.sh installs the Moodle and runs this:
//
//   MOODLE_URL=... MOODLE_SETUP=setup.json MOODLE_PASSWORD=... PSQL=psql node moodle.mjs ANSWERS_JSON OUT_DIR [IMAGES_DIR]
//
// MOODLE_SETUP is what moodle_course.php made (the course, the users, the activities); PSQL reaches
// Moodle's database through PGHOST, PGUSER and PGDATABASE. Each pupil logs in through the login form
// and enters the activity from its page, as a pupil does; the exercise is played in the frame of
// Moodle's player, through its accessibility elements (exercise.mjs). The screenshots go into OUT_DIR,
// and with IMAGES_DIR, those of docs/web.md into it, as the docs show them (SHOT lines say what each
// shows). The last line is "N passed, N failed".

import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { open } from './drivers.mjs';
import { Exercise, pause, windowShown } from './exercise.mjs';

const [answersFile, outDir, imagesDir] = process.argv.slice(2);
const base = process.env.MOODLE_URL;
if (!answersFile || !outDir || !base || !process.env.MOODLE_SETUP || !process.env.PSQL) {
    console.error('usage: MOODLE_URL=... MOODLE_SETUP=... MOODLE_PASSWORD=... PSQL=... node moodle.mjs ANSWERS_JSON OUT_DIR [IMAGES_DIR]');
    process.exit(2);
}
mkdirSync(outDir, { recursive: true });
if (imagesDir) mkdirSync(imagesDir, { recursive: true });
const answers = JSON.parse(readFileSync(answersFile, 'utf8'));
const setup = JSON.parse(readFileSync(process.env.MOODLE_SETUP, 'utf8'));
const password = process.env.MOODLE_PASSWORD;
const full = answers.pointsForCompound + answers.pointsForCoefficients;
const percent = (points) => `Βαθμός ${points}%`;
// Where the SCO's own files are served from: the frame of the player that shows the exercise.
const scoPath = '/mod_scorm/content/';
const desk = { width: 1280, height: 1024 };

class Failure extends Error {}
function expect(condition, message) {
    if (!condition) throw new Failure(message);
}

// ---- What Moodle recorded ------------------------------------------------------------------------

// Rows of a query, each an array of its columns' texts (separated by characters no value holds).
function query(sql) {
    const text = execFileSync(process.env.PSQL, ['-X', '-q', '-A', '-t', '-F', '\x1f', '-R', '\x1e', '-c', sql],
        { encoding: 'utf8' });
    return text.replace(/\n$/, '').split('\x1e').filter((row) => row !== '').map((row) => row.split('\x1f'));
}

// A pupil's tracks in an activity: for each attempt, its elements and their values.
function tracks(username, activity) {
    const attempts = new Map();
    for (const [attempt, element, value] of query(`
            SELECT a.attempt, e.element, v.value
              FROM mdl_scorm_attempt a
              JOIN mdl_user u ON u.id = a.userid
         LEFT JOIN mdl_scorm_scoes_value v ON v.attemptid = a.id
         LEFT JOIN mdl_scorm_element e ON e.id = v.elementid
             WHERE u.username = '${username}' AND a.scormid = ${activity.scorm}
          ORDER BY a.attempt, e.element`)) {
        if (!attempts.has(attempt)) attempts.set(attempt, {});
        if (element) attempts.get(attempt)[element] = value;
    }
    return attempts;
}

const lastAttempt = (username, activity) => [...tracks(username, activity).values()].at(-1) ?? {};

// The interactions of an attempt's tracks, by number: Moodle's player stores cmi.interactions.N.x as
// cmi.interactions_N.x.
function interactions(track) {
    const found = new Map();
    for (const [element, value] of Object.entries(track)) {
        const match = /^cmi\.interactions[._](\d+)\.(.+)$/.exec(element);
        if (!match) continue;
        if (!found.has(match[1])) found.set(match[1], {});
        found.get(match[1])[match[2]] = value;
    }
    return found;
}

function completion(username, activity) {
    return query(`SELECT c.completionstate FROM mdl_course_modules_completion c JOIN mdl_user u ON u.id = c.userid
                   WHERE u.username = '${username}' AND c.coursemoduleid = ${activity.cmid}`)[0]?.[0] ?? 'none';
}

function gradebook(username, activity) {
    return query(`SELECT g.finalgrade FROM mdl_grade_grades g JOIN mdl_grade_items i ON i.id = g.itemid
                  JOIN mdl_user u ON u.id = g.userid
                   WHERE i.itemmodule = 'scorm' AND i.iteminstance = ${activity.scorm} AND u.username = '${username}'`)[0]?.[0] ?? 'none';
}

// Waits until what Moodle recorded satisfies a condition; the last reading is returned either way.
async function recorded(read, condition, seconds = 20) {
    const deadline = Date.now() + seconds * 1000;
    let value = read();
    while (!condition(value) && Date.now() < deadline) {
        await pause(250);
        value = read();
    }
    return value;
}

// ---- Moodle as its users see it --------------------------------------------------------------------

// A browser of its own for each user, logged in through Moodle's login form. What the SCO's frame says
// on its console, and each request, are kept with the frame they come from.
async function logIn(username, viewport = desk) {
    const tab = await open('chromium', viewport);
    tab.scoConsole = [];
    tab.page.on('console', (message) => {
        const where = message.location()?.url ?? '';
        if (where.includes(scoPath) || message.stackTrace().some((frame) => frame.url?.includes(scoPath))) {
            tab.scoConsole.push(`${message.type()}: ${message.text()}`);
        }
    });
    tab.page.on('pageerror', (error) => {
        if (String(error.stack ?? '').includes(scoPath)) tab.scoConsole.push(`pageerror: ${error.message}`);
    });
    tab.responses = [];
    tab.page.on('response', (response) => tab.responses.push({ url: response.url(), type: response.headers()['content-type'] ?? '' }));
    await tab.goto(`${base}/login/index.php`);
    await tab.page.type('#username', username);
    await tab.page.type('#password', password);
    await Promise.all([tab.page.waitForNavigation({ waitUntil: 'load' }), tab.page.click('#loginbtn')]);
    // Moodle goes on through a page that tries the session cookie (login/index.php?testsession=...).
    const loggedIn = await tab.page.waitForFunction(() => !location.pathname.startsWith('/login/') &&
        document.readyState === 'complete' && !document.body.classList.contains('notloggedin'), { timeout: 30_000 })
        .then(() => true, () => false);
    expect(loggedIn, `${username} could not log in (${tab.page.url()})`);
    return tab;
}

// The exercise's tab as seen from Moodle's page: the player's frame lies somewhere in it, so a point of
// the frame is moved by the frame's place before the pointer goes there.
function framed(tab) {
    const frameAt = () => tab.evaluateTop(() => {
        const frame = document.getElementById('scorm_object');
        const box = frame.getBoundingClientRect();
        return { x: box.left + frame.clientLeft, y: box.top + frame.clientTop };
    });
    return {
        ...tab,
        pointer: {
            ...tab.pointer,
            move: async (x, y) => {
                const at = await frameAt();
                return tab.pointer.move(x + at.x, y + at.y);
            },
        },
    };
}

// Enters an activity from its page with the Enter button, as a pupil does, and waits for the exercise in
// the player's frame. Returns the exercise, and the requests and console lines of this launch.
async function launch(tab, activity) {
    const firstRequest = tab.requests.length;
    const firstLine = tab.scoConsole.length;
    await tab.goto(`${base}/mod/scorm/view.php?id=${activity.cmid}`);
    await Promise.all([tab.page.waitForNavigation({ waitUntil: 'load' }), tab.page.click('button#n')]);
    tab.useFrame(scoPath);
    const exercise = new Exercise(framed(tab), 'mouse');
    await exercise.waitFor(() => document.getElementById('message')?.hidden === true && document.getElementById('screen') !== null,
        'the exercise in the player', 120);
    await exercise.enableReader();
    return {
        exercise,
        wasmRequests: () => tab.requests.slice(firstRequest).filter((url) => new URL(url).pathname.endsWith('.wasm')),
        errors: () => tab.scoConsole.slice(firstLine).filter((line) => /^(error|pageerror|assert)/.test(line)),
    };
}

// What each launch must show: the program fetched once, and nothing said at error level in the SCO.
function expectCleanLaunch(launched) {
    const wasm = launched.wasmRequests();
    expect(wasm.length === 1, `the program was requested ${wasm.length} times in one launch: ${wasm.join(', ')}`);
    const errors = launched.errors();
    expect(errors.length === 0, `the SCO's console:\n    ${errors.join('\n    ')}`);
}

async function placeAndType(exercise, r) {
    await exercise.place(answers.rightKind[r], r);
    await exercise.typeCoefficients(r, answers.rightTexts[r]);
}

// ---- Checks ------------------------------------------------------------------------------------------

const results = [];
let pupilOneAttempt = null;

async function check(name, run) {
    const started = Date.now();
    try {
        await run();
        results.push(true);
        console.log(`PASS ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
    } catch (error) {
        results.push(false);
        console.log(`FAIL ${name}: ${error instanceof Failure ? error.message : error.stack}`);
    }
}

// Runs with a user's browser, which is closed (and on failure, its screen kept) however it ends.
async function as(username, name, run, viewport) {
    let tab;
    try {
        tab = await logIn(username, viewport);
        await run(tab);
    } catch (error) {
        if (tab) {
            const shot = join(outDir, `failed-${name}.png`);
            await tab.page.screenshot({ path: shot }).catch(() => {});
            console.log(`    screenshot: ${shot}; the SCO's console: ${tab.scoConsole.slice(-10).join(' | ') || 'nothing'}`);
        }
        throw error;
    } finally {
        await tab?.close().catch(() => {});
    }
}

const main = setup.activities.defaults;

await check('a whole attempt: Moodle records 100 and "passed", the activity complete, 100 in the gradebook; one download of the program, no error in the SCO', () =>
    as('pupil1', 'whole', async (tab) => {
        const launched = await launch(tab, main);
        const { exercise } = launched;
        for (let r = 0; r < answers.rightKind.length; r++) await placeAndType(exercise, r);
        const grade = await exercise.check();
        expect(grade === percent(100), `the exercise shows ${grade}`);
        const track = await recorded(() => lastAttempt('pupil1', main),
            (t) => t['cmi.core.score.raw'] === '100' && t['cmi.core.lesson_status'] === 'passed');
        expect(track['cmi.core.score.raw'] === '100' && track['cmi.core.lesson_status'] === 'passed',
            `Moodle recorded score ${track['cmi.core.score.raw']}, status ${track['cmi.core.lesson_status']}`);
        const state = await recorded(() => completion('pupil1', main), (s) => s === '1' || s === '2');
        expect(state === '1' || state === '2', `the activity's completion state is ${state}`);
        const grades = await recorded(() => gradebook('pupil1', main), (g) => Number(g) === 100);
        expect(Number(grades) === 100, `the gradebook holds ${grades}`);
        // Exit finishes the session: Moodle adds the session's time to the attempt's total.
        await exercise.command('Έξοδος');
        const finished = await recorded(() => lastAttempt('pupil1', main), (t) => t['cmi.core.total_time'] !== undefined && t['cmi.core.total_time'] !== '00:00:00');
        expect(finished['cmi.core.total_time'] !== undefined && finished['cmi.core.total_time'] !== '00:00:00',
            `no total time after Exit (${finished['cmi.core.total_time']})`);
        expect(finished['cmi.core.lesson_status'] === 'passed', `after Exit the status is ${finished['cmi.core.lesson_status']}`);
        pupilOneAttempt = finished;
        expectCleanLaunch(launched);
    }));

await check('after a Check, Moodle holds one interaction per placed reaction', async () => {
    expect(pupilOneAttempt, 'no attempt of the pupil to look at');
    const found = interactions(pupilOneAttempt);
    const listed = [...found.entries()].map(([n, fields]) => `${n}: ${JSON.stringify(fields)}`).join('\n    ');
    console.log(`    interactions recorded:${listed ? `\n    ${listed}` : ' none'}`);
    expect(found.size === answers.rightKind.length, `${found.size} interactions for ${answers.rightKind.length} placed reactions`);
    const ids = new Set([...found.values()].map((fields) => fields.id));
    expect(ids.size === found.size && !ids.has(undefined), 'interactions without an id of their own');
});

await check('a partial attempt left through Moodle\'s Exit stays "incomplete"; entered again: the same attempt, not in review, the window as it was left; finished then: 100, "passed", complete, 100 in the gradebook', () =>
    as('pupil2', 'partial', async (tab) => {
        let launched = await launch(tab, main);
        let { exercise } = launched;
        await placeAndType(exercise, 0);
        const grade = await exercise.check();
        expect(grade === percent(full), `the exercise shows ${grade}`);
        const checked = await recorded(() => lastAttempt('pupil2', main), (t) => t['cmi.core.score.raw'] === String(full));
        expect(checked['cmi.core.score.raw'] === String(full) && checked['cmi.core.lesson_status'] === 'incomplete',
            `after Check Moodle recorded score ${checked['cmi.core.score.raw']}, status ${checked['cmi.core.lesson_status']}`);
        expect(interactions(checked).size === 1, `${interactions(checked).size} interactions for the one reaction placed`);
        expectCleanLaunch(launched);
        // More done after the Check: a compound placed on the next reaction.
        await exercise.place(answers.rightKind[1], 1);
        const shown = await windowShown(exercise);
        // Moodle's own way out of the player.
        await Promise.all([tab.page.waitForNavigation({ waitUntil: 'load' }), tab.page.click('a[title="Exit activity"]')]);
        const left = await recorded(() => lastAttempt('pupil2', main), (t) => t['cmi.core.total_time'] !== undefined);
        expect(left['cmi.core.total_time'] !== undefined, 'leaving did not finish the session (no total time)');
        expect(left['cmi.core.lesson_status'] === 'incomplete',
            `after leaving Moodle recorded status ${left['cmi.core.lesson_status']}, score ${left['cmi.core.score.raw']}`);
        expect(completion('pupil2', main) !== '1', 'the partial attempt completed the activity');

        launched = await launch(tab, main);
        exercise = launched.exercise;
        const mode = await tab.evaluateTop(() => document.getElementById('scormmode')?.textContent.trim() ?? 'normal');
        expect(mode === 'normal', `entered again, the player is in "${mode}"`);
        const attempts = tracks('pupil2', main);
        expect(attempts.size === 1, `entered again, Moodle holds ${attempts.size} attempts`);
        expectCleanLaunch(launched);
        const again = await windowShown(exercise);
        expect(JSON.stringify(again) === JSON.stringify(shown),
            `entered again, the window shows ${JSON.stringify(again)}; it was left as ${JSON.stringify(shown)}`);
        // Finished on this visit: the same attempt records 100, "passed", the activity complete, 100 in the
        // gradebook.
        await exercise.typeCoefficients(1, answers.rightTexts[1]);
        for (let r = 2; r < answers.rightKind.length; r++) await placeAndType(exercise, r);
        const whole = await exercise.check();
        expect(whole === percent(100), `finished, the exercise shows ${whole}`);
        const finished = await recorded(() => lastAttempt('pupil2', main),
            (t) => t['cmi.core.score.raw'] === '100' && t['cmi.core.lesson_status'] === 'passed');
        expect(finished['cmi.core.score.raw'] === '100' && finished['cmi.core.lesson_status'] === 'passed',
            `finished, Moodle recorded score ${finished['cmi.core.score.raw']}, status ${finished['cmi.core.lesson_status']}`);
        expect(tracks('pupil2', main).size === 1, `finished, Moodle holds ${tracks('pupil2', main).size} attempts`);
        const state = await recorded(() => completion('pupil2', main), (c) => c === '1' || c === '2');
        expect(state === '1' || state === '2', `finished, the activity's completion state is ${state}`);
        const grades = await recorded(() => gradebook('pupil2', main), (g) => Number(g) === 100);
        expect(Number(grades) === 100, `finished, the gradebook holds ${grades}`);
    }));

await check("the teacher's interactions report lists the pupil's interactions", () =>
    as('teacher', 'report', async (tab) => {
        const report = `${base}/mod/scorm/report.php?id=${main.cmid}&mode=interactions`;
        await tab.goto(report);
        // The course's index folded away, as Moodle then keeps it for the teacher.
        const index = await tab.page.waitForSelector('#theme_boost-drawers-courseindex [data-action="closedrawer"]',
            { visible: true, timeout: 10_000 }).catch(() => null);
        if (index) {
            await index.click();
            await tab.page.waitForFunction(() => !document.getElementById('theme_boost-drawers-courseindex').classList.contains('show'));
            await pause(1500); // Moodle keeping it so for the teacher
        }
        // The report's columns the teacher folds away, to see the answers beside the names.
        for (const column of ['email', 'start', 'finish', 'picture']) await tab.goto(`${report}&thide=${column}`);
        // It shows only the responses at first: the teacher asks for each answer's name and result too, and
        // for the pupils who made an attempt only.
        await tab.page.evaluate(() => {
            for (const option of ['qtext', 'resp', 'result']) document.getElementById(`id_${option}`).checked = true;
            document.getElementById('id_attemptsmode').value = '1';
        });
        await Promise.all([tab.page.waitForNavigation({ waitUntil: 'load' }), tab.page.click('#id_submitbutton')]);
        const rows = await tab.page.evaluate(() => [...document.querySelectorAll('table#attempts tbody tr')]
            .map((row) => [...row.querySelectorAll('td')].map((cell) => cell.textContent.trim())));
        const pupilRow = rows.find((cells) => cells.some((text) => text.includes('Μαθητής 1')));
        // The page scrolled just enough to show the whole table.
        await tab.page.evaluate(() => scrollTo(0, Math.max(0, document.getElementById('attempts').getBoundingClientRect().bottom + 16 - innerHeight)));
        await pause(300);
        await tab.page.screenshot({ path: join(outDir, 'interactions-report.png') });
        if (imagesDir) await keep(tab, 'moodle-interactions-report');
        expect(pupilRow, `the report has no row for the pupil (${rows.length} rows)`);
        const held = [...interactions(pupilOneAttempt ?? {}).values()];
        expect(held.length > 0, 'Moodle holds no interactions to look for');
        const missing = held.flatMap((fields) => [fields.id, fields.student_response, fields.result])
            .filter((text) => !pupilRow.includes(text));
        expect(missing.length === 0, `the report's row lacks ${missing.join(', ')}: ${pupilRow.join(' | ')}`);
    }, { width: 1366, height: 768 }));

await check('entered and left without a Check: the status is "incomplete", not "completed", and the pupil comes back to the same attempt, not in review', () =>
    as('pupil3', 'left', async (tab) => {
        let launched = await launch(tab, main);
        expectCleanLaunch(launched);
        await Promise.all([tab.page.waitForNavigation({ waitUntil: 'load' }), tab.page.click('a[title="Exit activity"]')]);
        const left = await recorded(() => lastAttempt('pupil3', main), (t) => t['cmi.core.total_time'] !== undefined);
        expect(left['cmi.core.total_time'] !== undefined, 'leaving did not finish the session (no total time)');
        const status = left['cmi.core.lesson_status'];
        launched = await launch(tab, main);
        const mode = await tab.evaluateTop(() => document.getElementById('scormmode')?.textContent.trim() ?? 'normal');
        expect(status === 'incomplete' && mode === 'normal',
            `Moodle recorded the status ${status}, and the pupil came back in "${mode}" (${tracks('pupil3', main).size} attempts)`);
        expectCleanLaunch(launched);
    }));

// ---- The screenshots of docs/web.md ------------------------------------------------------------------

// A screenshot made small for the docs: pngquant's 256 colours when it is there.
async function keep(tab, name, page = tab.page) {
    const path = join(imagesDir, `${name}.png`);
    await page.screenshot({ path });
    try {
        execFileSync('pngquant', ['--force', '--skip-if-larger', '--strip', '--output', path, '256', '--', path], { stdio: 'ignore' });
    } catch {
        // Kept as it is: larger, no less true.
    }
}

// How much of the exercise's window a pupil sees in a page without scrolling, and whether the page
// scrolls; `page` holds the player's frame.
async function visibleShare(page) {
    const frame = page.frames().find((f) => f.url().includes(scoPath));
    const inner = await frame.evaluate(() => {
        const canvas = document.querySelector('#qt-shadow-container').shadowRoot.querySelector('.qt-window.frameless .qt-window-content');
        const box = canvas.getBoundingClientRect();
        const turn = getComputedStyle(document.getElementById('turn')).display !== 'none';
        return { left: box.left, top: box.top, right: box.right, bottom: box.bottom, turn };
    });
    const outer = await page.evaluate(() => {
        const frame = document.getElementById('scorm_object');
        const box = frame.getBoundingClientRect();
        return { x: box.left + frame.clientLeft, y: box.top + frame.clientTop, width: innerWidth, height: innerHeight,
            scrolls: document.documentElement.scrollHeight > innerHeight + 1 };
    });
    const left = Math.max(0, outer.x + inner.left);
    const top = Math.max(0, outer.y + inner.top);
    const right = Math.min(outer.width, outer.x + inner.right);
    const bottom = Math.min(outer.height, outer.y + inner.bottom);
    const seen = Math.max(0, right - left) * Math.max(0, bottom - top);
    const whole = (inner.right - inner.left) * (inner.bottom - inner.top);
    return { share: inner.turn ? 0 : seen / whole, turn: inner.turn, scrolls: outer.scrolls,
        size: `${Math.round(inner.right - inner.left)} x ${Math.round(inner.bottom - inner.top)}` };
}

// A measurement for the docs, not a check: said in a line of its own, counted only when it cannot be made.
async function measure(name, run) {
    try {
        await run();
    } catch (error) {
        results.push(false);
        console.log(`FAIL ${name}: ${error instanceof Failure ? error.message : error.stack}`);
    }
}

// The layouts docs/web.md shows; the others are left in OUT_DIR.
const inDocs = ['defaults-laptop', 'new-window-laptop', 'defaults-tablet', 'new-window-tablet'];

async function layoutShots() {
    // The viewport of a page: a laptop's whole screen (in full screen), and what a browser's bars and the
    // desktop's panel leave of it; a tablet held either way.
    const devices = [
        { name: 'laptop', width: 1366, height: 768 },
        { name: 'laptop-windowed', width: 1366, height: 657 },
        { name: 'tablet', width: 1024, height: 768 },
        { name: 'tablet-upright', width: 768, height: 1024 },
    ];
    for (const layout of ['defaults', 'no-structure', 'new-window']) {
        const activity = setup.activities[layout];
        for (const device of devices) {
            await measure(`the exercise at ${device.width} x ${device.height} with the display settings "${layout}"`, () =>
                as('pupil3', `${layout}-${device.name}`, async (tab) => {
                    await tab.goto(`${base}/mod/scorm/view.php?id=${activity.cmid}`);
                    // An attempt left earlier may have ended: a new one, so that the player is not in review.
                    if (await tab.page.$('input#a')) await tab.page.click('input#a');
                    let page = tab.page;
                    if (layout === 'new-window') {
                        const opened = tab.browser.waitForTarget((target) => target.url().includes('display=popup'), { timeout: 60_000 });
                        await tab.page.click('button#n');
                        page = await (await opened).page();
                        await page.setViewport({ width: device.width, height: device.height });
                    } else {
                        await Promise.all([tab.page.waitForNavigation({ waitUntil: 'load' }), tab.page.click('button#n')]);
                    }
                    const deadline = Date.now() + 120_000;
                    for (;;) {
                        const frame = page.frames().find((f) => f.url().includes(scoPath));
                        const shown = await frame?.evaluate(() => document.getElementById('message')?.hidden === true &&
                            !!document.querySelector('#qt-shadow-container')?.shadowRoot?.querySelector('.qt-window.frameless .qt-window-content'))
                            .catch(() => false);
                        if (shown) break;
                        expect(Date.now() < deadline, 'the exercise did not appear');
                        await pause(200);
                    }
                    await pause(1000); // the window fitted to its frame and painted
                    const seen = await visibleShare(page);
                    console.log(`SHOT ${layout} at ${device.width} x ${device.height}: ` + (seen.turn
                        ? 'the frame is too small: the page asks to turn the device'
                        : `the window is drawn ${seen.size}, ${Math.round(seen.share * 100)} % of it seen without scrolling`) +
                        `; the page ${seen.scrolls ? 'scrolls' : 'does not scroll'}`);
                    await page.screenshot({ path: join(outDir, `layout-${layout}-${device.name}.png`) });
                    if (inDocs.includes(`${layout}-${device.name}`)) await keep(tab, `moodle-${layout}-${device.name}`, page);
                }, device));
        }
    }
}

// ---- With the wasm type known to Moodle --------------------------------------------------------------

// The package stored after an administrator added the type (Site administration > Server > File types):
// the program then comes as application/wasm, which lets the browser compile it while it downloads.
await check('a package added after the file type wasm: the program comes as application/wasm, fetched once', () =>
    as('pupil4', 'wasm-type', async (tab) => {
        const launched = await launch(tab, setup.activities['wasm-type']);
        const wasm = tab.responses.filter((response) => new URL(response.url).pathname.endsWith('.wasm'));
        expect(wasm.length === 1 && wasm[0].type.startsWith('application/wasm'),
            `the program came ${wasm.length} times, as ${wasm.map((response) => response.type).join(', ')}`);
        expectCleanLaunch(launched);
    }));

if (imagesDir) await layoutShots();

const passed = results.filter(Boolean).length;
console.log(`${passed} passed, ${results.length - passed} failed`);
process.exit(passed === results.length ? 0 : 1);
