// The page around the exercise: it starts the program in #screen, says in one line what went wrong
// instead of leaving the page blank, and, since a page cannot close its own tab, says when the
// exercise has ended and offers to start it again.
'use strict';

(() => {
    const screen = document.getElementById('screen');
    const message = document.getElementById('message');
    const ended = document.getElementById('ended');

    const say = (text) => {
        message.textContent = text;
        message.hidden = false;
    };
    const end = () => {
        screen.hidden = true;
        message.hidden = true;
        ended.hidden = false;
        document.getElementById('again').focus();
    };
    document.getElementById('again').addEventListener('click', () => location.reload());

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

    // The program says when it ends (the Exit command); an exit of the runtime itself says so too.
    document.addEventListener('exerciseended', end);
    qtLoad({
        qt: {
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
    }).catch((error) => {
        say('Η άσκηση δεν φόρτωσε (' + error.message + '): ανανεώστε τη σελίδα ή δοκιμάστε άλλον φυλλομετρητή.');
    });
})();
