// The page around the exercise: it starts the program in #screen, says in one line what went wrong
// instead of leaving the page blank, and, since a page cannot close its own tab, says when the
// exercise has ended and offers to start it again. Played inside a learning platform (a SCORM 1.2
// package), it hands the platform each grade with the answers judged, and keeps an unfinished attempt
// there for the pupil's next visit.
'use strict';

// The learning platform's SCORM 1.2 run-time, when the page is played inside one: the API object of a
// parent frame or of the opener's frames, as the standard has a content page look for it. Every call
// is tried and its answer ignored: a platform that refuses or fails never stops the exercise, and the
// pupil never hears of it. Outside a platform it does nothing.
const platform = (() => {
    const lookIn = (start) => {
        let frame = start;
        for (let depth = 0; frame && depth < 10; depth++) {
            try {
                if (frame.API && typeof frame.API.LMSInitialize === 'function') return frame.API;
            } catch {
                return null; // a frame of another origin: no platform of ours beyond it
            }
            if (frame.parent === frame) break;
            frame = frame.parent;
        }
        return null;
    };
    const api = (window.parent !== window ? lookIn(window.parent) : null) ?? (window.opener ? lookIn(window.opener) : null);
    const call = (name, ...args) => {
        try {
            return api?.[name](...args);
        } catch {
            return undefined;
        }
    };
    const started = Date.now();
    let finished = false;
    const two = (n) => String(n).padStart(2, '0');
    // SCORM 1.2's time span: HHHH:MM:SS.SS.
    const sessionTime = () => {
        const hundredths = Math.floor((Date.now() - started) / 10);
        return `${String(Math.floor(hundredths / 360000)).padStart(4, '0')}:${two(Math.floor(hundredths / 6000) % 60)}:` +
            `${two(Math.floor(hundredths / 100) % 60)}.${two(hundredths % 100)}`;
    };
    // SCORM 1.2's time of day: HH:MM:SS.
    const clock = () => {
        const now = new Date();
        return [now.getHours(), now.getMinutes(), now.getSeconds()].map(two).join(':');
    };
    if (api) call('LMSInitialize', '');
    // An attempt left before any Check is still open: a platform that finds no status when the session
    // ends may record it "completed" and show it for review only.
    const unstarted = ['', 'not attempted'].includes(call('LMSGetValue', 'cmi.core.lesson_status') ?? '');

    // The attempt, as the program last told it (a text of its own), and the last grade. Below 100 the
    // attempt stays open for the pupil's next visit: the window in cmi.suspend_data and cmi.core.exit
    // "suspend", on which the platform hands back cmi.core.entry "resume". At 100 the exit is set back to
    // "", a plain exit, so that an old "suspend" does not outlive the finished attempt (Moodle, for one,
    // sends only changed values, and resumes on a stored "suspend" alone).
    const resumed = api && call('LMSGetValue', 'cmi.core.entry') === 'resume' ? call('LMSGetValue', 'cmi.suspend_data') : null;
    let attempt = typeof resumed === 'string' ? resumed : '';
    let lastGrade = null;
    const keep = () => {
        if (lastGrade === 100) {
            call('LMSSetValue', 'cmi.core.exit', '');
        } else {
            call('LMSSetValue', 'cmi.suspend_data', attempt);
            call('LMSSetValue', 'cmi.core.exit', 'suspend');
        }
    };
    // Each answer the program judged, as an interaction for the teacher, numbered on from those the
    // platform holds (of earlier Checks and visits); an interaction the platform refuses is not counted.
    const record = (answers) => {
        if (!Array.isArray(answers)) return;
        const time = clock();
        for (const answer of answers) {
            const count = Number.parseInt(call('LMSGetValue', 'cmi.interactions._count'), 10);
            const at = `cmi.interactions.${Number.isInteger(count) && count >= 0 ? count : 0}.`;
            call('LMSSetValue', `${at}id`, String(answer?.id));
            call('LMSSetValue', `${at}type`, 'fill-in');
            call('LMSSetValue', `${at}student_response`, String(answer?.response).slice(0, 255));
            call('LMSSetValue', `${at}result`, answer?.right === true ? 'correct' : 'wrong');
            call('LMSSetValue', `${at}time`, time);
        }
    };
    return {
        // Whether the page is played inside a learning platform.
        found: api !== null,
        // The last grade stands: a whole answer "passed", anything less "incomplete", which leaves the
        // pupil free to correct it (see README.md).
        graded: (grade, answers) => {
            if (!api || finished) return;
            // The status is committed before the score: Moodle works out the activity's completion when it
            // stores a score, from the status it holds then, and not when a status it already holds changes.
            call('LMSSetValue', 'cmi.core.lesson_status', grade === 100 ? 'passed' : 'incomplete');
            call('LMSCommit', '');
            call('LMSSetValue', 'cmi.core.score.min', '0');
            call('LMSSetValue', 'cmi.core.score.max', '100');
            call('LMSSetValue', 'cmi.core.score.raw', String(grade));
            lastGrade = grade;
            record(answers);
            keep();
            call('LMSSetValue', 'cmi.core.session_time', sessionTime());
            call('LMSCommit', '');
        },
        // The program tells the attempt after each change the pupil makes; it is written at the next
        // grade or when the session finishes.
        changed: (text) => {
            if (api && !finished && typeof text === 'string') attempt = text;
        },
        // The attempt the platform handed back to resume, for the program to read (it trusts nothing in it).
        kept: () => (typeof resumed === 'string' ? resumed : null),
        finish: () => {
            if (!api || finished) return;
            finished = true;
            if (unstarted && lastGrade === null) call('LMSSetValue', 'cmi.core.lesson_status', 'incomplete');
            keep();
            call('LMSSetValue', 'cmi.core.session_time', sessionTime());
            call('LMSFinish', '');
        },
    };
})();

// The program, fetched once and compiled: while it arrives when the server names its type, from its
// bytes when the server does not (a learning platform serves it as any file), where the loader would
// fail and fetch it a second time.
const compiledProgram = async () => {
    const response = await fetch('alkyne-combustion.wasm', { credentials: 'same-origin' });
    if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
    const type = (response.headers.get('Content-Type') ?? '').split(';')[0].trim().toLowerCase();
    if (type === 'application/wasm' && typeof WebAssembly.compileStreaming === 'function') {
        return WebAssembly.compileStreaming(response);
    }
    return WebAssembly.compile(await response.arrayBuffer());
};

// The site's service worker (worker.js), which keeps this build's files for working offline, made ready
// before the program is fetched. On the first visit the page waits for it to fill its cache, which
// fetches the program, and then takes the program from there, so that it comes once. On a later visit
// with a network, a new build found on the server is installed whole and the page reloads into it;
// without a network the kept build opens. Resolves to true when the page is about to reload.
// Not inside a learning platform's frame (the platform serves the package: docs/web.md), nor where the
// browser has no service workers or refuses them (a file, a private window): there it does nothing.
const offlineReady = async () => {
    if (window.parent !== window || platform.found || !('serviceWorker' in navigator) ||
        !/^https?:$/.test(location.protocol) || !window.isSecureContext) return false;
    const workers = navigator.serviceWorker;
    try {
        const registration = await workers.register('worker.js', { scope: './' });
        const controlled = workers.controller !== null;
        if (controlled) await registration.update().catch(() => {}); // offline: the kept build
        const incoming = registration.installing ?? registration.waiting;
        if (!incoming) return false;
        // Until the new worker takes the page, or gives up (a file that failed: the page works as before).
        const took = await new Promise((done) => {
            workers.addEventListener('controllerchange', () => done(true), { once: true });
            const given = () => {
                if (incoming.state === 'redundant') done(false);
                if (incoming.state === 'activated') done(true); // it took the page as it activated
            };
            incoming.addEventListener('statechange', given);
            given();
        });
        if (took && controlled) {
            location.reload();
            return true;
        }
    } catch {
        // Refused (a private window, a policy): the page works as before.
    }
    return false;
};

(() => {
    const screen = document.getElementById('screen');
    const message = document.getElementById('message');
    const ended = document.getElementById('ended');

    const say = (text) => {
        message.textContent = text;
        message.hidden = false;
    };
    const end = () => {
        platform.finish();
        screen.hidden = true;
        message.hidden = true;
        ended.hidden = false;
        document.getElementById('again').focus();
    };
    document.getElementById('again').addEventListener('click', () => location.reload());
    document.addEventListener('exercisegraded', (event) => platform.graded(event.detail?.grade, event.detail?.answers));
    document.addEventListener('exercisechanged', (event) => platform.changed(event.detail?.attempt));
    // The program asks as it starts for an attempt to resume: the answer goes into the event's detail.
    document.addEventListener('exercisestarted', (event) => {
        if (event.detail) event.detail.attempt = platform.kept();
    });
    window.addEventListener('pagehide', () => platform.finish());

    if (location.protocol === 'file:') {
        say('Η άσκηση ανοίγει από διακομιστή ιστού, όχι από αρχείο: ανεβάστε τον φάκελο στην ιστοσελίδα ' +
            'του σχολείου, ή, σε αυτόν τον υπολογιστή, δώστε «python3 -m http.server» μέσα στον φάκελο ' +
            'και ανοίξτε τη διεύθυνση http://localhost:8000/');
        return;
    }
    if (typeof WebAssembly !== 'object' || typeof qtLoad !== 'function' ||
        typeof alkyne_combustion_entry !== 'function') {
        say('Αυτός ο φυλλομετρητής δεν μπορεί να ανοίξει την άσκηση: χρειάζεται μια σύγχρονη έκδοσή του.');
        return;
    }

    // WebKitGTK draws canvases with Skia, which builds a shader the first time a large picture is put
    // into one. Building it reads a number and checks errno after it, and the program's start brings
    // the page's thread thousands of the browser's own signals, whose handler can change errno in that
    // moment: the shader then fails to build and the page's process stops (a few starts in a hundred).
    // One such picture put here, before the program starts, builds it while no signal comes. Only in
    // WebKit: it costs Chromium the start of its canvas drawing, a fifth of a second, for nothing.
    const agent = navigator.userAgent;
    if (/AppleWebKit/.test(agent) && !/Chrome\/|Chromium\//.test(agent)) {
        const first = document.createElement('canvas');
        first.width = first.height = 256;
        first.getContext('2d')?.putImageData(new ImageData(256, 256), 0, 0);
    }

    // The program says when it ends (the Exit command); an exit of the runtime itself says so too.
    document.addEventListener('exerciseended', end);
    offlineReady().then((reloading) => !reloading && qtLoad({
        qt: {
            module: compiledProgram(),
            entryFunction: alkyne_combustion_entry,
            containerElements: [screen],
            onLoaded: () => { message.hidden = true; },
            onExit: (exit) => {
                if (exit.crashed) {
                    say('Η άσκηση σταμάτησε από σφάλμα: ανανεώστε τη σελίδα για να ξαναρχίσει.');
                } else {
                    end();
                }
            },
        },
    })).catch((error) => {
        say('Η άσκηση δεν φόρτωσε (' + error.message + '): ανανεώστε τη σελίδα ή δοκιμάστε άλλον φυλλομετρητή.');
    });
})();
