// The exercise as its page shows it, read and driven as a pupil and a screen reader's user do: every
// control through the accessibility layer of Qt for WebAssembly, which puts each control's accessible
// name and place into the page, and every input the browser's own (a tab of drivers.mjs). The browser
// suite (suite.mjs) and the run in a real learning platform (moodle.mjs) play it through these.

// The compounds' names as the tiles carry them, by kind.
export const kindNames = ['άνθρακας', 'διοξείδιο του άνθρακα', 'μονοξείδιο του άνθρακα', 'νερό', 'υδρογόνο'];
export const reactionNames = ['αιθινίου', 'προπινίου', 'βουτινίου', 'πεντινίου', 'αλκινίου'];
export const pause = (ms) => new Promise((done) => setTimeout(done, ms));

// Runs in the page: every accessible element of every Qt window, with its place in the page's CSS
// pixels. Qt gives them in the windows' own pixels, which the page scales alike for all windows: the
// main window's first element is the window itself, whose width in those pixels gives the scale.
export function readControls() {
    const host = document.querySelector('#qt-shadow-container');
    const root = host?.shadowRoot;
    const main = root?.querySelector('.qt-window.frameless');
    const mainCanvas = main?.querySelector('.qt-window-content');
    const mainElement = main?.querySelector('.qt-window-a11y-container *');
    if (!mainCanvas || !mainElement) return [];
    const scale = mainCanvas.getBoundingClientRect().width / parseFloat(mainElement.style.width);
    const controls = [];
    for (const window of root.querySelectorAll('.qt-window')) {
        const canvas = window.querySelector('.qt-window-content');
        if (!canvas) continue;
        const box = canvas.getBoundingClientRect();
        for (const element of window.querySelectorAll('.qt-window-a11y-container *')) {
            const width = parseFloat(element.style.width) || 0;
            const height = parseFloat(element.style.height) || 0;
            controls.push({
                tag: element.tagName,
                role: element.getAttribute('role'),
                text: (element.tagName === 'INPUT' ? element.getAttribute('name') ?? element.textContent : element.textContent ?? '').trim(),
                value: element.tagName === 'INPUT' ? element.textContent : undefined,
                description: element.getAttribute('aria-description') ?? '',
                focused: element === root.activeElement,
                main: window === main,
                shown: width > 0 && height > 0 && element.getAttribute('aria-hidden') !== 'true',
                x: box.left + (parseFloat(element.style.left) + width / 2) * scale,
                y: box.top + (parseFloat(element.style.top) + height / 2) * scale,
                width: width * scale,
                height: height * scale,
            });
        }
    }
    return controls;
}

export class Exercise {
    constructor(tab, input) {
        this.tab = tab;
        this.input = input; // 'mouse' or 'touch'
    }

    async load(url, seconds = 60) {
        await this.tab.goto(url);
        await this.waitFor(() => document.getElementById('message').hidden, 'the window to appear', seconds);
        await this.enableReader();
    }

    async enableReader() {
        // Switched on as a screen reader's user does, with the page's hidden button.
        await this.tab.evaluate(() => {
            const root = document.querySelector('#qt-shadow-container').shadowRoot;
            root.querySelector('button.hidden-visually-read-by-screen-reader')?.click();
        });
        await this.until(async () => (await this.controls()).some((c) => c.text.startsWith('Βαθμός')), 'the controls');
    }

    async waitFor(predicate, what, seconds = 60) {
        const deadline = Date.now() + seconds * 1000;
        // A page that reloads loses the script's context for a moment: that is a "not yet". A page whose
        // process stopped is not coming back, and says so at once.
        const notYet = (error) => {
            if (/page crash/.test(error.message)) throw error;
            return false;
        };
        while (!(await this.tab.evaluate(predicate).catch(notYet))) {
            if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}`);
            await pause(100);
        }
    }

    async until(condition, what, seconds = 20) {
        const deadline = Date.now() + seconds * 1000;
        while (!(await condition())) {
            if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}`);
            await pause(100);
        }
    }

    // WebKit's WebDriver now and then cannot parse a result it was sent while the page was changing
    // ("Could not parse script result"): the read is made again.
    async controls() {
        for (let attempt = 1; ; attempt++) {
            try {
                return await this.tab.evaluate(readControls);
            } catch (error) {
                if (attempt >= 5 || !/Could not parse script result/.test(error.message)) throw error;
                await pause(100);
            }
        }
    }

    async find(predicate, what) {
        let found;
        await this.until(async () => (found = (await this.controls()).find(predicate)) !== undefined, what);
        return found;
    }

    // The top tile of a kind in the tray (the tiles of a stack lie on one place).
    trayTile(kind) {
        return this.find((c) => c.main && c.tag === 'BUTTON' && c.text === kindNames[kind] && c.shown,
            `a tile of ${kindNames[kind]}`);
    }

    reaction(r) {
        return this.find((c) => c.main && c.text === `Πλήρης καύση του ${reactionNames[r]}` + (r === 4 ? ' CνH2ν−2' : ''),
            `reaction ${r}`);
    }

    async grade() {
        const grade = (await this.controls()).find((c) => c.main && c.text.startsWith('Βαθμός'));
        return grade?.shown ? grade.text : null;
    }

    async press(x, y) {
        if (this.input === 'touch') await this.tab.touch.start(x, y);
        else {
            await this.tab.pointer.move(x, y);
            await this.tab.pointer.down();
        }
    }

    async moveTo(x, y) {
        if (this.input === 'touch') await this.tab.touch.move(x, y);
        else await this.tab.pointer.move(x, y);
    }

    async release() {
        if (this.input === 'touch') await this.tab.touch.end();
        else await this.tab.pointer.up();
    }

    async click(control) {
        await this.press(control.x, control.y);
        await this.release();
    }

    // Carries a tile to a point in a few steps, as a hand does.
    async drag(from, to) {
        await this.press(from.x, from.y);
        for (let step = 1; step <= 5; step++) {
            await this.moveTo(from.x + ((to.x - from.x) * step) / 5, from.y + ((to.y - from.y) * step) / 5);
        }
        await this.release();
    }

    async place(kind, r) {
        const tile = await this.trayTile(kind);
        const reaction = await this.reaction(r);
        await this.drag(tile, reaction);
        await this.until(async () => (await this.boxes(r)).length > 0, `the boxes of reaction ${r}`);
    }

    // The coefficient boxes shown over a reaction, left to right.
    async boxes(r) {
        const reaction = await this.reaction(r);
        return (await this.controls())
            .filter((c) => c.main && c.tag === 'INPUT' && c.shown && Math.abs(c.y - reaction.y) < reaction.height / 2)
            .sort((a, b) => a.x - b.x);
    }

    // Types a reaction's coefficients: the pointer (or finger) in its first box, then Tab, as the help says.
    async typeCoefficients(r, texts) {
        const boxes = await this.boxes(r);
        const written = texts.slice(texts.length - boxes.length);
        await this.click(boxes[0]);
        for (const [n, text] of written.entries()) {
            if (n > 0) await this.tab.key('Tab');
            else await this.tab.chord('Control', 'a');
            await this.tab.type(text);
        }
    }

    // What each of a reaction's boxes holds, as a screen reader reads it.
    async boxTexts(r) {
        return (await this.boxes(r)).map((box) => box.value);
    }

    async command(caption) {
        const item = await this.find((c) => c.main && c.role === 'menuitem' && c.text === caption, caption);
        await this.tab.pointer.move(item.x, item.y);
        await this.tab.pointer.down();
        await this.tab.pointer.up();
    }

    async check() {
        await this.command('Έλεγχος');
        let grade;
        await this.until(async () => (grade = await this.grade()) !== null, 'the grade');
        return grade;
    }
}

// What the window shows, as a screen reader reads it: the compounds in the tray from left to right, each
// placed tile with where it lies, each reaction's boxes and the grade. An empty box's element holds its
// name until the box has had text or the keyboard (Qt for WebAssembly's way): it reads as empty.
export async function windowShown(exercise) {
    const controls = (await exercise.controls()).filter((c) => c.main && c.shown);
    const tiles = controls.filter((c) => c.tag === 'BUTTON' && kindNames.includes(c.text));
    const tray = [...new Set(tiles.filter((c) => !c.description.startsWith('στην καύση')).sort((a, b) => a.x - b.x).map((c) => c.text))];
    const placed = tiles.filter((c) => c.description.startsWith('στην καύση')).map((c) => `${c.text} ${c.description}`).sort();
    const boxes = [];
    for (let r = 0; r < reactionNames.length; r++) {
        boxes.push((await exercise.boxes(r)).map((box) => (box.value === box.text ? '' : box.value)).join('|'));
    }
    return { tray, placed, boxes, grade: await exercise.grade() };
}
