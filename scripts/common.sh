# Shell logic shared by the repository's commands (run.sh, test.sh, scripts/*.sh). Source it from bash:
#
#   source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
#
#   ensure_packages PKG...           installs the Debian packages that are missing (see below)
#   build_dir NAME                   prints a build folder the current user can write (NAME: build, build-asan...)
#   configure_and_build DIR [ARG...] configures the project in DIR (extra ARGs go to cmake) and builds it
#   start_headless_sway              starts a headless Wayland compositor for this shell's clients (below)
#   sway_output_is MODE SCALE        whether sway's output has the mode and scale asked of it (below)
#   start_xvfb                       starts an X server without a screen for this shell's programs (below)
#   debian_mirror                    prints the Debian archive this machine's apt uses (below)
#   say TEXT...                      a line of progress on standard error, after the command's name (SAY_AS)
#   step NAME LOG COMMAND...         runs a step of a long build with its output in LOG; names both if it fails
#   BASE_PACKAGES                    the packages that building, running and testing the exercise need,
#                                    one string: pass it unquoted, or quoted, ensure_packages splits it
#   TEST_PACKAGES                    what the suite needs beyond them
#
# A package written A|B is the first of its alternatives that the release offers (releases split and
# rename packages: Qt's SVG plugins are in libqt6svg6 up to Qt 6.4, in qt6-svg-plugins from Qt 6.5 on):
# A when the package lists know it, else B.
#
# Installing: as root, apt-get runs directly; as a user with sudo, through one sudo call; anyone else
# gets the apt-get line to give to an administrator, nothing is changed and the script exits non-zero.
# The number of parallel build jobs is JOBS (default: the number of processors).

# Qt 6 Widgets with its run-time plugins, Qt SVG (the build draws the pictures with it), CMake and a C++
# compiler, the fonts the window's design asks for (Liberation stands in for Arial and MS Sans Serif,
# DejaVu for the menus), the validators of the desktop entry and the AppStream metainfo, which the suite
# runs, and Qt's private GUI headers, through which the keyboard tests switch accessibility on without a
# desktop.
BASE_PACKAGES="build-essential cmake qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins libgl-dev \
fontconfig fonts-liberation fonts-dejavu-core desktop-file-utils appstream qt6-base-private-dev"
# A headless Wayland compositor and Qt's Wayland platform, under which the window suites run a second
# time; Google Benchmark, for the benchmarks the test command builds.
TEST_PACKAGES="sway qt6-wayland libbenchmark-dev"

_alkyne_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

_alkyne_installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

_alkyne_offered() {
    # Read whole first: under pipefail, grep -q leaving at its match would fail apt-cache with SIGPIPE.
    local policy
    policy="$(apt-cache policy "$1" 2>/dev/null)" || return 1
    grep -q 'Candidate: [^(]' <<<"$policy"
}

# Prints each package that is not installed. Of a choice A|B, alternatives are taken in order: one that
# is installed will do, the first the package lists offer is missing; when the lists know none of them
# (not fetched yet), the choice itself is printed, to be made after they are.
_alkyne_missing_packages() {
    local arg choice alternative
    for arg in "$@"; do
        for choice in $arg; do
            local verdict="$choice"
            for alternative in ${choice//|/ }; do
                if _alkyne_installed "$alternative"; then
                    verdict=
                    break
                elif _alkyne_offered "$alternative"; then
                    verdict="$alternative"
                    break
                fi
            done
            [ -z "$verdict" ] || printf '%s\n' "$verdict"
        done
    done
}

# Prints each package to install: for a choice A|B, the first alternative the package lists offer.
_alkyne_choose() {
    local choice alternative
    for choice in "$@"; do
        local chosen="${choice%%|*}"
        if [ "$choice" != "$chosen" ]; then
            for alternative in ${choice//|/ }; do
                if _alkyne_offered "$alternative"; then
                    chosen="$alternative"
                    break
                fi
            done
        fi
        printf '%s\n' "$chosen"
    done
}

_alkyne_can_sudo() {
    command -v sudo >/dev/null 2>&1 || return 1
    sudo -n true 2>/dev/null && return 0
    # Debian and Ubuntu give sudo to these groups; sudo then asks for the user's password once.
    id -nG | tr ' ' '\n' | grep -qxE 'sudo|admin|wheel'
}

ensure_packages() {
    local missing
    mapfile -t missing < <(_alkyne_missing_packages "$@")
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    local as=()
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing Debian packages: ${missing[*]}" >&2
    elif _alkyne_can_sudo; then
        echo "Installing Debian packages with sudo: ${missing[*]}" >&2
        as=(sudo)
    else
        mapfile -t missing < <(_alkyne_choose "${missing[@]}")
        echo "Missing Debian packages, and this account may not install them. As root, run:" >&2
        echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    # The package lists first, so that a choice is made from what the release offers now; all in one
    # shell, so that sudo is called once.
    # shellcheck disable=SC2016 # $@ and $chosen belong to the inner shell
    local script='apt-get update -qq && mapfile -t chosen < <(_alkyne_choose "$@") &&
        apt-get install -y -qq --no-install-recommends "${chosen[@]}"'
    "${as[@]}" env DEBIAN_FRONTEND=noninteractive bash -c "$(declare -f _alkyne_offered _alkyne_choose); $script" bash \
        "${missing[@]}" && return 0
    echo "Installing ${missing[*]} failed." >&2
    exit 1
}

_alkyne_writable_tree() {
    # The folder and everything in it must be writable: a build made by root in a pupil's folder is not.
    [ -d "$1" ] && [ -w "$1" ] && [ -z "$(find "$1" ! -writable -print -quit 2>/dev/null)" ]
}

build_dir() {
    local name="${1:?build_dir needs a name, e.g. build}"
    local local_dir="$_alkyne_root/$name"
    if _alkyne_writable_tree "$local_dir" || { [ ! -e "$local_dir" ] && [ -w "$_alkyne_root" ]; }; then
        printf '%s\n' "$local_dir"
    else
        printf '%s\n' "${XDG_CACHE_HOME:-$HOME/.cache}/alkyne-combustion/$name"
    fi
}

configure_and_build() {
    local dir="${1:?configure_and_build needs a build folder}"
    shift
    mkdir -p "$dir"
    cmake -S "$_alkyne_root" -B "$dir" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@" &&
        cmake --build "$dir" -j "${JOBS:-$(nproc 2>/dev/null || echo 2)}"
}

# The headless output's mode, as start_headless_sway configures it.
SWAY_OUTPUT_MODE=2800x2000

# Whether sway's headless output has the mode MODE (WIDTHxHEIGHT) and the scale SCALE (1, 2...) asked of
# it. When not, SWAY_FAILURE says in one line what it has instead, and names the usual cause: a chroot
# without /dev/shm, where sway keeps a default output of its own.
sway_output_is() {
    local mode="$1" scale="$2" outputs found_mode found_scale
    outputs="$(swaymsg -p -s "$SWAY_IPC" -t get_outputs 2>&1)" || {
        SWAY_FAILURE="swaymsg could not list the outputs: $outputs"
        return 1
    }
    found_mode="$(sed -n 's/^ *Current mode: \([0-9]*x[0-9]*\).*/\1/p' <<<"$outputs" | head -n 1)"
    found_scale="$(sed -n 's/^ *Scale factor: \([0-9.]*\).*/\1/p' <<<"$outputs" | head -n 1)"
    if [ "$found_mode" = "$mode" ] && awk -v a="$found_scale" -v b="$scale" 'BEGIN { exit !(a != "" && a + 0 == b + 0) }'; then
        return 0
    fi
    [ -z "$found_scale" ] || found_scale="$(awk -v a="$found_scale" 'BEGIN { print a + 0 }')"
    SWAY_FAILURE="sway's output is ${found_mode:-of no mode} at scale ${found_scale:-none}, not $mode at scale $scale as configured"
    if ! mountpoint -q /dev/shm 2>/dev/null; then
        SWAY_FAILURE+="; /dev/shm is not mounted (in a chroot: mount -t tmpfs tmpfs /dev/shm)"
    fi
    return 1
}

# Starts sway on a headless output of 2800 x 2000 at scale 1 (room for the window at 200 %), as the user nobody when this is root (sway
# refuses root), and exports XDG_RUNTIME_DIR and WAYLAND_DISPLAY for its clients, who get a runtime
# folder of their own (Qt warns of one that belongs to somebody else) and the socket's full path. Sets
# SWAY_IPC (for swaymsg -s) and stops the compositor when the shell exits. Without one, it returns 1
# with the reason in SWAY_FAILURE.
start_headless_sway() {
    SWAY_FAILURE=
    if ! command -v sway >/dev/null 2>&1 || ! command -v swaymsg >/dev/null 2>&1; then
        SWAY_FAILURE="sway is not installed"
        return 1
    fi
    local as_user=()
    if [ "$(id -u)" -eq 0 ]; then
        if ! command -v setpriv >/dev/null 2>&1; then
            SWAY_FAILURE="running as root, and setpriv is missing to start sway as nobody"
            return 1
        fi
        as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
    fi
    _alkyne_sway_runtime="$(mktemp -d "${TMPDIR:-/tmp}/alkyne-wayland.XXXXXX")"
    local runtime="$_alkyne_sway_runtime"
    printf 'output HEADLESS-1 resolution %s scale 1\n' "$SWAY_OUTPUT_MODE" >"$runtime/config"
    [ ${#as_user[@]} -eq 0 ] || chown -R nobody "$runtime"
    chmod 700 "$runtime"
    "${as_user[@]}" env -i PATH="$PATH" HOME="$runtime" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless \
        WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway --config "$runtime/config" >"$runtime/sway.log" 2>&1 &
    _alkyne_sway_pid=$!
    trap 'kill "$_alkyne_sway_pid" 2>/dev/null; wait "$_alkyne_sway_pid" 2>/dev/null; rm -rf "$_alkyne_sway_runtime"' EXIT
    local socket= _
    SWAY_IPC=
    for _ in $(seq 100); do
        socket="$(find "$runtime" -maxdepth 1 -name 'wayland-*' -type s -printf '%f\n' 2>/dev/null | head -n 1)"
        SWAY_IPC="$(find "$runtime" -maxdepth 1 -name 'sway-ipc.*' -type s -print 2>/dev/null | head -n 1)"
        [ -n "$socket" ] && [ -n "$SWAY_IPC" ] && break
        kill -0 "$_alkyne_sway_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$socket" ] || [ -z "$SWAY_IPC" ]; then
        SWAY_FAILURE="sway did not start ($(tail -n 1 "$runtime/sway.log" 2>/dev/null))"
        return 1
    fi
    mkdir -m 700 "$runtime/clients"
    export XDG_RUNTIME_DIR="$runtime/clients" WAYLAND_DISPLAY="$runtime/$socket"
}

# Starts Xvfb (1280 x 1024, 24-bit, no TCP) on a free display for this shell's programs: sets XVFB_DISPLAY
# (":N") and XVFB_PID. Returns 1 when the server has not come up within ten seconds.
start_xvfb() {
    local announced
    announced="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$announced" >/dev/null 2>&1 &
    XVFB_PID=$!
    local waited=0
    while [ ! -s "$announced" ] && [ "$waited" -lt 20 ]; do
        sleep 0.5
        waited=$((waited + 1))
    done
    XVFB_DISPLAY=":$(cat "$announced")"
    rm -f "$announced"
    [ "$XVFB_DISPLAY" != ":" ]
}

# Progress goes to standard error: standard output carries only what a stage prints as its result.
# Each line begins with the command's name, SAY_AS (windows, web).
say() {
    printf '%s: %s\n' "${SAY_AS:-alkyne-combustion}" "$*" >&2
}

# Runs a step with its output in a log, and names both when it fails.
step() {
    local name="$1" log="$2"
    shift 2
    say "$name (log: $log)"
    if ! "$@" >"$log" 2>&1; then
        say "$name failed, see $log"
        exit 1
    fi
}

# The Debian archive that this machine's apt installs from, for a root made with debootstrap: the first
# source of a Debian release (not its security archive) in the one-line sources.list files and the deb822
# .sources files, so that a school's local mirror or proxy serves the root too. DEBIAN_MIRROR, when set,
# is taken as it is. A source counts as Debian's when apt's downloaded release file says so, or, before
# apt-get update, when its suite is a Debian release's name. Returns 1 when apt has none (an Ubuntu
# machine: set DEBIAN_MIRROR there). APT_DIR and APT_LISTS stand for /etc/apt and /var/lib/apt/lists.
debian_mirror() {
    if [ -n "${DEBIAN_MIRROR:-}" ]; then
        printf '%s\n' "${DEBIAN_MIRROR%/}"
        return 0
    fi
    local etc="${APT_DIR:-/etc/apt}" lists="${APT_LISTS:-/var/lib/apt/lists}" uri suite file
    local -a files=()
    [ -f "$etc/sources.list" ] && files+=("$etc/sources.list")
    for file in "$etc"/sources.list.d/*.list "$etc"/sources.list.d/*.sources; do
        [ -f "$file" ] && files+=("$file")
    done
    [ ${#files[@]} -gt 0 ] || return 1
    while read -r uri suite; do
        case "$suite" in *-security | */*) continue ;; esac
        file="$lists/$(sed -E 's|^[a-z+]+://([^@/]*@)?||; s|/+$||; s|/|_|g' <<<"$uri")_dists_${suite}"
        if [ -f "${file}_InRelease" ] || [ -f "${file}_Release" ]; then
            grep -qsx 'Origin: Debian' "${file}_InRelease" "${file}_Release" || continue
        else
            [[ "$suite" =~ ^(oldoldstable|oldstable|stable|testing|unstable|sid|buster|bullseye|bookworm|trixie|forky|duke)(-updates|-backports)?$ ]] || continue
        fi
        printf '%s\n' "${uri%/}"
        return 0
    done < <(awk '
        FNR == 1 && NR > 1 { flush() }
        # One-line format: deb [options] URI SUITE COMPONENT...
        FILENAME ~ /\.list$/ {
            sub(/#.*/, ""); gsub(/\[[^]]*\]/, "")
            if ($1 == "deb" && NF >= 3) print $2, $3
            next
        }
        # deb822: stanzas of fields, an empty line between them.
        function flush(   u, s, nu, ns, i, j) {
            if (types ~ /(^| )deb( |$)/ && enabled != "no") {
                nu = split(uris, u, " "); ns = split(suites, s, " ")
                for (i = 1; i <= nu; i++) for (j = 1; j <= ns; j++) print u[i], s[j]
            }
            types = uris = suites = enabled = ""
        }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        tolower($1) == "types:" { $1 = ""; types = $0 }
        tolower($1) == "uris:" { $1 = ""; uris = $0 }
        tolower($1) == "suites:" { $1 = ""; suites = $0 }
        tolower($1) == "enabled:" { enabled = tolower($2) }
        END { flush() }' "${files[@]}")
    return 1
}
