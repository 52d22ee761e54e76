#!/usr/bin/env bash
# The exercise heard as a blind pupil hears it: the program runs on a virtual X server with the
# accessibility bus, Orca reads it through speech-dispatcher and espeak-ng in Greek (into an ALSA "file"
# device over "null", so nothing sounds), and the keyboard alone does a wrong attempt and a whole one.
# Orca's debug log is the record of what was said; the script asserts on it: the keyboard path at the
# start, the pick-up, each target, the drop, Escape and Delete, the grade after each Check, Tab going on
# from it, and no box of a reaction naming the compound its blank asks for before the Check.
#
#   scripts/orca_check.sh BUILD_DIR     (the program and web_answers, the right answers, from BUILD_DIR/bin)
#
# It installs what it needs (Debian's packages) as the other commands do. When it cannot run (the
# packages missing and not installable, no X server, Orca not starting) it says so in one line and
# succeeds, so that the rest of the suite stands. What Orca said is kept in BUILD_DIR/orca_check/.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# Orca and the speech stack, the X server, the keyboard's driver, the accessibility bus and a session bus.
ORCA_PACKAGES="orca speech-dispatcher speech-dispatcher-espeak-ng xvfb xdotool at-spi2-core dbus"

dir="$(cd "${1:?orca_check.sh needs the build folder}" && pwd)"
program="$dir/bin/alkyne-combustion"
answers_tool="$dir/bin/web_answers"

skip() {
    echo "Test by ear skipped: $*."
    exit 0
}

if [ -z "${ORCA_CHECK_SESSION:-}" ]; then
    if [ ! -x "$program" ] || [ ! -x "$answers_tool" ]; then
        skip "$program or $answers_tool is not built"
    fi
    if ! installed="$( (ensure_packages "$ORCA_PACKAGES") 2>&1)"; then
        skip "Orca, speech-dispatcher or Xvfb is missing and this account may not install them (${installed//$'\n'/ })"
    fi
    [ -z "$installed" ] || printf '%s\n' "$installed" | tail -n 1 >&2
    # A session bus of its own, which the accessibility bus and speech-dispatcher's clients find.
    exec dbus-run-session -- env ORCA_CHECK_SESSION=1 "$0" "$@"
fi

out="$dir/orca_check"
rm -rf "$out"
mkdir -p "$out"
work="$(mktemp -d "${TMPDIR:-/tmp}/orca-check.XXXXXX")"
pids=()
finish() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    [ -z "${XVFB_PID:-}" ] || kill "$XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

# A home of its own: ALSA writes the sound into a file over its "null" device, speech-dispatcher speaks
# with espeak-ng through ALSA, and Orca keeps its settings apart from the user's.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
export XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache"
mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher" "$XDG_RUNTIME_DIR" "$work/orca"
chmod 700 "$XDG_RUNTIME_DIR"
cat >"$HOME/.asoundrc" <<EOF
pcm.!default { type file; slave.pcm "null"; file "$work/speech.raw"; format "raw" }
EOF
cat >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf" <<EOF
AudioOutputMethod "alsa"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
DefaultLanguage "el"
EOF

start_xvfb || skip "Xvfb did not start"
export DISPLAY="$XVFB_DISPLAY"
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || skip "the accessibility bus ($launcher) is missing"
"$launcher" --launch-immediately >"$out/at-spi.log" 2>&1 &
pids+=($!)

# speech-dispatcher in the foreground, in this shell's locale, with the settings above; Orca finds it
# by its socket in the runtime folder.
speech-dispatcher --run-single --timeout 0 --pid-file "$work/speechd.pid" >"$out/speechd.log" 2>&1 &
pids+=($!)
# Orca connects once, as it starts: speech-dispatcher 0.12 (Debian 13) opens its socket only after its
# modules have started, which takes seconds on a busy machine.
socket="$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock"
for _ in $(seq 150); do
    [ -S "$socket" ] && break
    sleep 0.2
done
[ -S "$socket" ] || skip "speech-dispatcher did not start ($(tail -n 1 "$out/speechd.log"))"

log="$out/orca.log"
# Orca's log at the level of what it says and why, not of every step of its work, and written line by
# line, so that what was said is there to read as soon as it is said.
cat >"$work/orca/orca-customizations.py" <<EOF
import orca.debug
orca.debug.debugLevel = orca.debug.LEVEL_INFO
if orca.debug.debugFile is not None:
    orca.debug.debugFile.reconfigure(line_buffering=True)
EOF
# Orca speaks Greek, as a Greek pupil's does: it takes its voice's language from LANG, and its own words
# from LANGUAGE, whether or not the C library has the Greek locale.
LANG=el_GR.UTF-8 LANGUAGE=el orca --replace -u "$work/orca" --debug-file="$log" >"$out/orca.out" 2>&1 &
pids+=($!)

# What Orca said, one utterance a line, from line $1 of its log on.
said_from() {
    tail -n +"${1:-1}" "$log" 2>/dev/null | sed -n "s/^.* - SPEECH OUTPUT: '\(.*\)' *{'established.*$/\1/p"
}
mark() {
    wc -l <"$log"
}
# The first thing not heard ends the run: what follows would wait for speech in vain.
fail() {
    echo "Test by ear: FAILED: $*" >&2
    said_from 1 >"$out/said.txt"
    exit 1
}
# Waits until Orca has had its say: its log still for a second (at most half a minute).
settle() {
    local size=-1 now _
    for _ in $(seq 60); do
        now="$(stat -c %s "$log")"
        [ "$now" != "$size" ] || return 0
        size="$now"
        sleep 0.5
    done
}
# Waits up to half a minute for Orca to say something matching the extended regular expression $2 from
# line $1 of its log on.
heard() {
    local from="$1" pattern="$2" _
    for _ in $(seq 150); do
        said_from "$from" | grep -qE -- "$pattern" && return 0
        sleep 0.2
    done
    return 1
}
# Presses a key ($1, as xdotool names it) and expects Orca to say what matches $2, in the words said
# after it.
step() {
    local key="$1" pattern="$2" from
    settle
    from="$(mark)"
    xdotool key --clearmodifiers "$key"
    if ! heard "$from" "$pattern"; then
        fail "after $key, Orca did not say /$pattern/; it said: $(said_from "$from" | tr '\n' '|')"
    fi
    last_step="$from"
}

for _ in $(seq 100); do
    grep -q "SPEECH OUTPUT" "$log" 2>/dev/null && break
    sleep 0.2
done
grep -q "SPEECH OUTPUT" "$log" 2>/dev/null || skip "Orca did not start ($(tail -n 1 "$out/orca.out" 2>/dev/null))"

# The right answers, as the tests keep them.
"$answers_tool" >"$work/answers.json"
mapfile -t right_kind < <(python3 -c 'import json,sys; [print(k) for k in json.load(sys.stdin)["rightKind"]]' <"$work/answers.json")
mapfile -t right_texts < <(python3 -c 'import json,sys; [print("|".join(t)) for t in json.load(sys.stdin)["rightTexts"]]' <"$work/answers.json")
# The compounds as the tiles are named, by kind; the alkynes as the reactions are spoken.
kinds=("άνθρακας" "διοξείδιο του άνθρακα" "μονοξείδιο του άνθρακα" "νερό" "υδρογόνο")
alkynes=("αιθινίου" "προπινίου" "βουτινίου" "πεντινίου" "γενικού αλκινίου")
kind_pattern="^($(IFS='|'; echo "${kinds[*]}"))( |$)"

start="$(mark)"
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" >"$out/program.log" 2>&1 &
pids+=($!)
window="$(timeout 30 xdotool search --sync --onlyvisible --classname alkyne-combustion | head -n 1)" ||
    skip "the exercise's window did not appear"
xdotool windowfocus --sync "$window"

# The keyboard path, told as the window opens.
heard "$start" "F6 πηγαίνει στις ενώσεις" || fail "the keyboard path was not heard at the start: $(said_from "$start" | tr '\n' '|')"

# Walks the tray with Right, listening, to the tile of the compound named $1; F6 first, to come into the
# tray, unless $2 is "in-tray". Right and Left are heard whichever tile F6 comes to.
reach() {
    local name="$1" _
    if [ "${2:-}" != in-tray ]; then
        settle
        xdotool key F6
    fi
    step Right "$kind_pattern"
    step Left "$kind_pattern"
    for _ in 1 2 3 4 5 6 7 8; do
        said_from "$last_step" | grep -E "$kind_pattern" | tail -n 1 | grep -q "^$name\( \|$\)" && return 0
        step Right "$kind_pattern"
    done
    fail "the tile of $name was not reached"
}
# Types text into the box that has the keyboard; the general alkyne's ν as the Latin v it also accepts.
type_text() {
    settle
    [ -z "$1" ] || xdotool type --delay 40 "${1//ν/v}"
}

# ---- A wrong attempt -------------------------------------------------------------------------------
echo "Test by ear: a wrong attempt" >&2
reach "άνθρακας"
step space "Σηκώσατε τον άνθρακα, πάνω από την καύση του αιθινίου"
step Down "πάνω από την καύση του προπινίου"
step Down "πάνω από την καύση του βουτινίου"
step Up "πάνω από την καύση του προπινίου"
step Up "πάνω από την καύση του αιθινίου"
step Return "άνθρακας στο κενό"
dropped="$last_step"
step Tab "Συντελεστής του οξυγόνου στην καύση του αιθινίου"
step Tab "Συντελεστής του άνθρακα στο κενό, στην καύση του αιθινίου"
step Tab "Συντελεστής του νερού στην καύση του αιθινίου"
# Ethyne's blank asks for carbon dioxide: nothing said since the drop names it.
if said_from "$dropped" | grep -q "διοξείδ"; then
    fail "the right compound was named before the Check: $(said_from "$dropped" | grep "διοξείδ" | head -n 1)"
fi
reach "υδρογόνο"
step space "Σηκώσατε το υδρογόνο"
step Escape "στη σειρά των ενώσεων"
said_from "$last_step" | grep -q "^υδρογόνο" || fail "Escape did not read the tile put back"
reach "νερό" in-tray
step space "Σηκώσατε το νερό"
step Down "πάνω από την καύση του προπινίου"
step Down "πάνω από την καύση του βουτινίου"
step Return "νερό στο κενό"
step F6 "$kind_pattern"
step Left "^νερό( |$)"
step Delete "Το νερό βγήκε από την καύση του βουτινίου και γύρισε στη σειρά των ενώσεων"
step F6 "Συντελεστής του αιθινίου"
# Check from the menu: F10, Right to "Έλεγχος", Enter.
step F10 "Βοήθεια"
step Right "Έλεγχος"
step Return "Βαθμός 0%"
heard "$last_step" "ο άνθρακας από την καύση του αιθινίου" || fail "the Check did not say which compound went home"
# Ethyne's boxes went with the carbon: Tab goes on, into the tray.
step Tab "$kind_pattern"

# ---- A whole attempt -------------------------------------------------------------------------------
echo "Test by ear: a whole attempt" >&2
step F10 "Βοήθεια"
step Right "Έλεγχος"
step Right "Απ' την αρχή"
settle
xdotool key Return
for r in 0 1 2 3 4; do
    kind="${right_kind[$r]}"
    reach "${kinds[$kind]}"
    step space "πάνω από την καύση του αιθινίου"
    for ((down = 1; down <= r; down++)); do
        step Down "πάνω από την καύση του ${alkynes[$down]}"
    done
    step Return "${kinds[$kind]} στο κενό"
    IFS='|' read -r -a texts <<<"${right_texts[$r]}"
    first=0
    [ "$r" -lt 4 ] || first=1
    for ((box = first; box < 4; box++)); do
        [ "$box" -eq "$first" ] || step Tab "Συντελεστής"
        type_text "${texts[$box]}"
    done
done
# This Check from Alt, tapped: the menu bar stays open for the arrows whenever Orca answers.
step alt "Βοήθεια"
step Right "Έλεγχος"
step Return "Βαθμός 100%"
heard "$last_step" "Καμία ένωση δεν γύρισε πίσω, κανένας συντελεστής δεν άδειασε" ||
    fail "the whole attempt's Check did not say that nothing changed"

said_from 1 >"$out/said.txt"
bytes="$(stat -c %s "$work/speech.raw" 2>/dev/null || echo 0)"
if [ "$bytes" -eq 0 ]; then
    fail "espeak-ng made no sound (nothing written to ALSA)"
fi
echo "Test by ear: passed; what Orca said is in $out/said.txt ($bytes bytes of speech)."
