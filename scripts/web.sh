#!/usr/bin/env bash
# Builds the exercise for the browser with Qt for WebAssembly, tests it in real browsers and packs it:
#
#   scripts/web.sh          everything, from a clean checkout, as root: a Debian 13 root with emscripten
#                           and Qt 6.8 (once per machine), a static Qt for WebAssembly built in it (once
#                           per machine), the build tools for that root's Qt, the exercise built to
#                           WebAssembly, the site, its zip and its SCORM 1.2 package for learning
#                           platforms, and the browser suite. Printed last: the site's folder, the two
#                           zips and the suite's result.
#   scripts/web.sh qt       only the root and the Qt: builds them when the cache has none.
#   scripts/web.sh site     the site and its zips, without the suite.
#   scripts/web.sh suite    the browser suite, when the cache holds the Qt; otherwise says in one line
#                           that it skipped it (CI runs this). With Moodle's source beside the checkout
#                           (../shared/lms), the SCORM package in Moodle too, as the stage below.
#   scripts/web.sh moodle   the SCORM package played in a real Moodle, installed for the run and removed
#                           after it (tests/web/moodle.sh, about 4 minutes); MOODLE_IMAGES=docs/images
#                           also makes the screenshots of docs/web.md.
#   scripts/web.sh bench    the bytes sent and the time to the first painted window and to the first
#                           accepted input, beside an empty Qt window built the same way.
#   scripts/web.sh serve    serves the site on http://localhost:8000/ for a person to try it.
#
# Debian 12's emscripten is too old for Qt 6.8, so the WebAssembly build happens in a Debian 13 root
# made with debootstrap from the Debian mirror this machine's apt uses (DEBIAN_MIRROR overrides it),
# kept in ${XDG_CACHE_HOME:-~/.cache}/alkyne-combustion/web-root-trixie, where each run installs what is
# missing. The Qt for WebAssembly is built there from Debian's own qt6-base source with our patches
# (packaging/web/qt/), static, kept in the root's /opt/qt-<version>-wasm-<key> (the key hashes the
# source version, the options, the patches and the emscripten version), built in a folder ending in .partial, checked by
# linking a small program against it, and only then renamed into place. The checkout is mounted into
# the root at /src while a stage runs; everything is built in build-web/, each step's log is in
# build-web/logs, and a step that fails names itself and its log.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
SAY_AS=web

root="$_alkyne_root"
build="$root/build-web"
logs="$build/logs"
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/alkyne-combustion"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"
release=trixie

# What the root needs: emscripten, Qt 6.8 for this machine (its host tools, and the build tools of the
# exercise: Qt SVG records the pictures), the fonts the pictures are drawn with, and Qt's source.
root_packages=(emscripten qt6-base-dev qt6-base-private-dev libgl-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins cmake
    ninja-build g++ python3 dpkg-dev xz-utils fontconfig fonts-liberation fonts-dejavu-core)

# Only what the exercise uses; Qt's own zlib, libpng, PCRE2, FreeType and HarfBuzz. OpenGL stays on:
# the WebAssembly platform draws the windows through it.
qt_options=(
    -platform wasm-emscripten -qt-host-path /usr -static -release -optimize-size
    -nomake examples -nomake tests
    -no-feature-network -no-feature-sql -no-feature-dbus -no-feature-printsupport -no-feature-concurrent
    -no-feature-xml -no-feature-testlib -no-feature-jpeg -no-feature-gif -no-feature-ico
    -qt-zlib -qt-libpng -qt-pcre -qt-freetype -qt-harfbuzz
)

usage() {
    sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "${BASH_SOURCE[0]}"
}

chroot_dir() {
    printf '%s\n' "$cache_root/web-root-$release"
}

# The root's mounts: made once, by the main shell, and undone when the script ends.
mounted=()
unmount_all() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount -l "${mounted[i]}" 2>/dev/null || true
    done
    mounted=()
}
trap unmount_all EXIT

mount_root() {
    local dir="$1" point
    mkdir -p "$dir/proc" "$dir/dev" "$dir/src"
    # A /src left mounted by a run that was killed may hold another checkout: it is ours or it goes.
    if mountpoint -q "$dir/src" && [ "$(stat -c %d:%i "$dir/src")" != "$(stat -c %d:%i "$root")" ]; then
        umount -l "$dir/src"
    fi
    for point in proc dev src; do
        mountpoint -q "$dir/$point" && continue
        case "$point" in
            proc) mount -t proc proc "$dir/proc" ;;
            dev) mount --bind /dev "$dir/dev" ;;
            src) mount --bind "$root" "$dir/src" ;;
        esac
        mounted+=("$dir/$point")
    done
}

# Runs a bash command in the root (mounted by root_stage), in /src, with the emscripten SDK found
# (Debian ships emscripten's system libraries built, in a cache it keeps frozen).
in_root() {
    chroot "$(chroot_dir)" env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/root LANG=C.UTF-8 EMSDK=/opt/emsdk \
        JOBS="$jobs" DEBIAN_FRONTEND=noninteractive bash -c "cd /src && $1"
}

# The Debian 13 root, made with debootstrap when the cache has none, mounted, with the packages it
# needs.
root_stage() {
    [ "$(id -u)" -eq 0 ] || { say "the WebAssembly build needs root (debootstrap and chroot)"; exit 1; }
    mkdir -p "$cache_root" "$logs"
    local dir
    dir="$(chroot_dir)"
    # One run at a time makes and uses the root: the checkout is mounted at the same /src for each.
    if [ -z "${root_locked:-}" ]; then
        exec 8>"$dir.lock"
        if ! flock -n 8; then
            say "another run of scripts/web.sh is using the root; waiting for it"
            flock 8
        fi
        root_locked=1
    fi
    if [ ! -f "$dir/.bootstrapped" ]; then
        local mirror
        mirror="$(debian_mirror)" || {
            say "apt on this machine has no Debian archive to make the root from; set DEBIAN_MIRROR to one"
            exit 1
        }
        ensure_packages debootstrap >&2
        rm -rf "$dir.partial"
        step "making a Debian 13 root" "$logs/debootstrap.log" \
            debootstrap --variant=minbase "$release" "$dir.partial" "$mirror"
        printf 'deb %s %s main\ndeb-src %s %s main\n' "$mirror" "$release" "$mirror" "$release" \
            >"$dir.partial/etc/apt/sources.list"
        touch "$dir.partial/.bootstrapped"
        mv "$dir.partial" "$dir"
    fi
    mount_root "$dir"
    local missing
    missing="$(in_root "dpkg-query -W -f='\${db:Status-Abbrev} \${Package}\n' ${root_packages[*]} 2>&1 |
        awk '\$1 != \"ii\" { print \$NF }'")"
    if [ -n "$missing" ]; then
        step "installing in the root: $(echo $missing)" "$logs/root-packages.log" \
            in_root "apt-get update -qq && apt-get install -y -qq --no-install-recommends $(echo $missing)"
    fi
    # Qt's configure finds emscripten through an SDK folder: this one points at Debian's.
    mkdir -p "$dir/opt/emsdk/upstream"
    ln -sfn /usr/share/emscripten "$dir/opt/emsdk/upstream/emscripten"
    printf '%s\n' "EMSCRIPTEN_ROOT = emsdk_path + '/upstream/emscripten'" >"$dir/opt/emsdk/.emscripten"
}

# Our changes to Qt's source (packaging/web/qt/*.patch), applied in name order.
qt_patches=("$root"/packaging/web/qt/*.patch)

# The Qt for WebAssembly's prefix inside the root, for this source, these options, these patches and
# this emscripten.
qt_prefix() {
    local versions key
    versions="$(in_root 'dpkg-query -W -f="\${source:Version}\n" qt6-base-dev; em++ --version | head -n 1')"
    key="$( { printf '%s\n' "$versions" "${qt_options[@]}"; cat "${qt_patches[@]}"; } | sha256sum | cut -c1-12)"
    printf '/opt/qt-%s-wasm-%s\n' "$(head -n 1 <<<"$versions" | sed 's/^[0-9]*://; s/[+~-].*//')" "$key"
}

# A Widgets program built against the Qt in PREFIX, with its plugins imported as the exercise's are.
qt_link_check() {
    local prefix="$1"
    in_root "rm -rf /tmp/link-check && mkdir -p /tmp/link-check && cd /tmp/link-check &&
        printf '%s\n' '#include <QApplication>' '#include <QLabel>' \
            'int main(int argc, char *argv[]) { QApplication app(argc, argv); QLabel l(\"link check\"); l.show(); return app.exec(); }' \
            >main.cpp &&
        printf '%s\n' 'cmake_minimum_required(VERSION 3.21)' 'project(link_check LANGUAGES CXX)' \
            'find_package(Qt6 REQUIRED COMPONENTS Widgets)' 'qt_add_executable(link_check main.cpp)' \
            'target_link_libraries(link_check PRIVATE Qt6::Widgets)' >CMakeLists.txt &&
        cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE=$prefix/lib/cmake/Qt6/qt.toolchain.cmake \
            -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF && cmake --build build && test -s build/link_check.wasm"
}

# Builds the Qt for WebAssembly when the root has none; sets QT_PREFIX (inside the root).
qt_stage() {
    root_stage
    local dir
    QT_PREFIX="$(qt_prefix)"
    dir="$(chroot_dir)"
    [ -f "$dir$QT_PREFIX/lib/cmake/Qt6/Qt6Config.cmake" ] && return 0
    exec 9>"$dir$QT_PREFIX.lock"
    flock 9
    [ -f "$dir$QT_PREFIX/lib/cmake/Qt6/Qt6Config.cmake" ] && return 0
    local work="$QT_PREFIX.partial"
    say "building Qt for WebAssembly into $dir$QT_PREFIX"
    step "fetching qt6-base's source" "$logs/qt-source.log" in_root "mkdir -p $work && cd $work &&
        { [ -d src ] || { apt-get source -qq qt6-base && mv qt6-base-*/ src; }; }"
    # The patches once, onto the source as fetched: a folder that has them is marked.
    if [ ! -f "$dir$work/src/.patched" ]; then
        local patch
        for patch in "${qt_patches[@]}"; do
            step "applying $(basename "$patch") to Qt" "$logs/qt-patch-$(basename "$patch" .patch).log" \
                in_root "patch -p1 --forward -d $work/src <'/src/${patch#"$root"/}'"
        done
        touch "$dir$work/src/.patched"
    fi
    step "configuring Qt" "$logs/qt-configure.log" in_root "mkdir -p $work/build && cd $work/build &&
        ../src/configure -prefix $QT_PREFIX ${qt_options[*]} -- -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake"
    local started=$SECONDS
    step "building Qt" "$logs/qt-build.log" in_root "cmake --build $work/build --parallel \$JOBS"
    say "built in $(((SECONDS - started) / 60)) min"
    step "installing Qt" "$logs/qt-install.log" in_root "rm -rf $work/stage && DESTDIR=$work/stage cmake --install $work/build"
    step "link check" "$logs/qt-link-check.log" qt_link_check "$work/stage$QT_PREFIX"
    printf '%s\n' "${qt_options[@]}" >"$dir$work/stage$QT_PREFIX/build-options.txt"
    mv "$dir$work/stage$QT_PREFIX" "$dir$QT_PREFIX"
    rm -rf "${dir:?}$work"
}

# The tools the build runs (tools/: the pictures' recordings, the worksheet, the icons, the pictures
# drawn ahead), built in the root for its Qt 6.8, with the fonts the page carries.
# With them, for the browser suite: the right answers as JSON (tests/web/answers_json.cpp), and the
# desktop window's grabs at pixel ratios 1 and 2 (tests/web/desktop_grab.cpp), drawn by the same Qt and
# fonts as the page.
host_tools_stage() {
    step "configuring the build tools" "$logs/host-configure.log" in_root \
        "cmake -S /src -B /src/build-web/host -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DBUILD_BENCHMARKS=OFF"
    step "building the build tools" "$logs/host-build.log" in_root \
        "cmake --build /src/build-web/host --parallel \$JOBS --target record_picture prerender worksheet render_icon web_answers web_grab"
    in_root "build-web/host/bin/web_answers" >"$build/answers.json"
    mkdir -p "$build/grabs"
    local ratio
    for ratio in 1 2; do
        step "grabbing the desktop window at pixel ratio $ratio" "$logs/grab-$ratio.log" in_root \
            "QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=$ratio build-web/host/bin/web_grab build-web/grabs/client-$ratio.png"
    done
}

# What the browser suite and the bench need on this machine: Node.js with the suite's packages (from
# npm, tests/web/package-lock.json: the browsers' driver, the PNG reader, a SCORM run-time and the SCORM
# schemas), Debian's Chromium, Firefox ESR and WebKitGTK's WebDriver, an X server for WebKitGTK's
# MiniBrowser, xmllint and unzip.
browser_packages() {
    ensure_packages chromium firefox-esr webkit2gtk-driver xvfb libxml2-utils unzip >&2
    # Node.js as the machine has it (a Node.js of its own brings its npm along), else Debian's.
    command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 || ensure_packages nodejs npm >&2
    if [ ! -d "$root/tests/web/node_modules/scorm-again" ]; then
        step "installing the suite's packages from npm" "$logs/npm.log" \
            npm ci --prefix "$root/tests/web" --no-audit --no-fund
    fi
}

# The browser suite against build-web/site; prints its last line.
suite_stage() {
    browser_packages
    mkdir -p "$build/suite"
    rm -rf "$build/scorm"
    unzip -q "$build/$(project_name)-scorm12.zip" -d "$build/scorm"
    start_xvfb || { say "Xvfb did not start"; exit 1; }
    say "running the browser suite (log: $logs/suite.log, screenshots of failures in $build/suite)"
    local status=0
    DISPLAY="$XVFB_DISPLAY" node "$root/tests/web/suite.mjs" "$build/site" "$build/answers.json" "$build/suite" \
        "$build/grabs" "$build/scorm" \
        >"$logs/suite.log" 2>&1 || status=$?
    kill "$XVFB_PID" 2>/dev/null || true
    grep -E '^(PASS|FAIL|SKIP) ' "$logs/suite.log" >&2 || true
    if [ "$status" -ne 0 ]; then
        say "the browser suite failed, see $logs/suite.log"
        tail -n 1 "$logs/suite.log"
        exit 1
    fi
    tail -n 1 "$logs/suite.log"
}

# The SCORM package played in a real Moodle (tests/web/moodle.sh), with the pupils' and the teacher's
# screenshots in build-web/moodle; prints its last line ("moodle: N passed, N failed"), or the one that
# says why it could not run.
moodle_stage() {
    browser_packages
    if ! "$root/tests/web/moodle.sh" "$build/$(project_name)-scorm12.zip" "$build/answers.json" "$build/moodle" \
        ${MOODLE_IMAGES:+"$MOODLE_IMAGES"}; then
        say "the SCORM package failed in Moodle, see $build/moodle/run.log"
        exit 1
    fi
}

# Whether Moodle's source lies beside the checkout, where the shared folder of the team is.
have_moodle() {
    compgen -G "$root/../shared/lms/moodle-*.tar.xz" >/dev/null
}

# The exercise as WebAssembly, and its site and zip (packaging/web/web.cmake).
web_build_stage() {
    local qt="$1"
    # A build configured with another Qt (its patches or options changed) starts afresh: CMake would
    # keep the other Qt's package folders from its cache, and link with it.
    if [ -f "$build/wasm/CMakeCache.txt" ] && ! grep -qxF "Qt6_DIR:PATH=$qt/lib/cmake/Qt6" "$build/wasm/CMakeCache.txt"; then
        rm -rf "$build/wasm"
    fi
    step "configuring the exercise for the browser" "$logs/configure.log" in_root \
        "$qt/bin/qt-cmake -S /src -B /src/build-web/wasm -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
            -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF -DHOST_TOOLS_DIR=/src/build-web/host/bin \
            -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF -DWARNINGS_AS_ERRORS=ON"
    step "building the exercise for the browser" "$logs/build.log" in_root \
        "cmake --build /src/build-web/wasm --parallel \$JOBS"
    rm -rf "$build/site"
    cp -a "$build/wasm/site" "$build/site"
    cp "$build/wasm/$(project_name)-web.zip" "$build/wasm/$(project_name)-scorm12.zip" "$build/"
}

project_name() {
    printf '%s-%s\n' "$(sed -n 's/^CMAKE_PROJECT_NAME:STATIC=//p' "$build/wasm/CMakeCache.txt")" \
        "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/wasm/CMakeCache.txt")"
}

# Whether the cache holds the root and a complete Qt for WebAssembly for these options; mounts the
# root and sets QT_PREFIX when it does.
cached_qt() {
    [ -f "$(chroot_dir)/.bootstrapped" ] || return 1
    root_stage
    QT_PREFIX="$(qt_prefix)"
    [ -f "$(chroot_dir)$QT_PREFIX/lib/cmake/Qt6/Qt6Config.cmake" ]
}

site() {
    qt_stage
    host_tools_stage
    web_build_stage "$QT_PREFIX"
}

case "${1:-all}" in
    all)
        site
        result="$(suite_stage)"
        printf '%s\n' "$build/site" "$build/$(project_name)-web.zip" "$build/$(project_name)-scorm12.zip" \
            "browser suite: $result"
        if have_moodle; then
            moodle_stage
        fi
        ;;
    suite)
        if ! cached_qt; then
            echo "web: browser suite skipped: no Qt for WebAssembly in $(chroot_dir) (scripts/web.sh qt builds it)"
            exit 0
        fi
        host_tools_stage
        web_build_stage "$QT_PREFIX"
        result="$(suite_stage)"
        printf 'browser suite: %s\n' "$result"
        if have_moodle; then
            moodle_stage
        fi
        ;;
    moodle)
        cached_qt || { say "no Qt for WebAssembly yet: run scripts/web.sh first"; exit 1; }
        host_tools_stage
        web_build_stage "$QT_PREFIX"
        moodle_stage
        ;;
    bench)
        cached_qt || { say "no Qt for WebAssembly yet: run scripts/web.sh first"; exit 1; }
        host_tools_stage
        web_build_stage "$QT_PREFIX"
        step "building the empty window for the browser" "$logs/bare-build.log" in_root \
            "cmake --build /src/build-web/wasm --parallel \$JOBS --target web_bare_site"
        browser_packages
        node "$root/tests/web/bench.mjs" "$build/site" "$build/wasm/bare-site" "${RUNS:-10}"
        ;;
    serve)
        [ -f "$build/site/index.html" ] || { say "no site yet: run scripts/web.sh site first"; exit 1; }
        command -v node >/dev/null 2>&1 || ensure_packages nodejs >&2
        exec node "$root/tests/web/serve.mjs" "$build/site" "${PORT:-8000}" /
        ;;
    site)
        site
        printf '%s\n' "$build/site" "$build/$(project_name)-web.zip" "$build/$(project_name)-scorm12.zip"
        ;;
    qt)
        qt_stage
        printf '%s\n' "$(chroot_dir)$QT_PREFIX"
        ;;
    -h | --help | help)
        usage
        ;;
    *)
        echo "scripts/web.sh: unknown stage '$1'" >&2
        usage >&2
        exit 2
        ;;
esac
