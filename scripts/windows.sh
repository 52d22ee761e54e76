#!/usr/bin/env bash
# Builds the exercise for 64-bit Windows on Debian, with MinGW-w64 (cmake/mingw-w64-x86_64.cmake), tests
# it under Wine and packs it:
#
#   scripts/windows.sh          everything, from a clean checkout: the packages it needs (with apt, as
#                               the other scripts), a static Qt for Windows (once per machine), the
#                               build tools for this machine, the exercise and its tests cross-built,
#                               the whole suite run under Wine, the installer and the portable zip, and
#                               the installer tried under Wine (scripts/wine_install_check.sh). Printed
#                               last: the installer, the zip and the suite's result.
#   scripts/windows.sh qt       only the static Qt: builds it when the cache has none, prints its prefix.
#   scripts/windows.sh suite    the cross build and the suite under Wine, when the cache holds the Qt;
#                               otherwise says in one line that it skipped them (CI runs this).
#   scripts/windows.sh startup  launch to first paint under Wine, the exercise beside an empty window.
#
# Everything is built in build-windows/ (the build tools for this machine in build-windows/host); each
# step's log is in build-windows/logs, and a step that fails names itself and its log.
#
# The Qt is kept in ${XDG_CACHE_HOME:-~/.cache}/alkyne-combustion/qt-<version>-mingw-static-<key>, where
# the key is a hash of the source version, the configure options and the toolchain file, so a change
# of any of them builds a new one; an existing one is printed at once. The build (40 to 60 minutes on
# two cores, JOBS jobs) resumes from where it stopped in the folder ending in .partial, and the Qt is
# used only once it is complete; its logs are in the folder ending in .logs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
SAY_AS=windows

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
build="$root/build-windows"
host_build="$build/host"
logs="$build/logs"
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/alkyne-combustion"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"

# Only what the exercise uses; Qt's own copies of zlib, libpng, PCRE2, FreeType, HarfBuzz and the rest,
# since the MinGW tree has none of them. Debian's source leaves out the Wintab header, so no tablet
# events. The windows platform of 6.4 does not build without OpenGL: it links MinGW's opengl32.
# Direct2D stays on: 6.4 compiles Gui's DirectWrite font engine and font database only with it, and
# the windows platform calls them; direct2d1_1 off leaves out just the direct2d platform plugin.
qt_options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_QPA_DEFAULT_PLATFORM=windows
    -DFEATURE_gui=ON
    -DFEATURE_widgets=ON
    -DFEATURE_testlib=ON
    -DFEATURE_network=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_tabletevent=OFF
    -DINPUT_opengl=desktop
    -DFEATURE_vulkan=OFF
    -DFEATURE_direct2d1_1=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_icu=OFF
    -DFEATURE_pkg_config=OFF
    -DFEATURE_androiddeployqt=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_system_textmarkdownreader=OFF
)

usage() {
    sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "${BASH_SOURCE[0]}"
}

# A sources list with the deb-src lines of the machine's own Debian mirrors, for the release's main
# suites and the main component (qt6-base is there); both the one-line and the deb822 formats are read.
write_source_list() {
    local codename="$1" out="$2" files=()
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && files+=("$f")
    done
    [ ${#files[@]} -gt 0 ] || return 1
    awk -v codename="$codename" '
        function wanted(suite) {
            return suite == codename || suite == codename "-updates" || suite == codename "-security" ||
                suite == codename "/updates"
        }
        function emit(opts, uri, suite) {
            if (!wanted(suite)) return
            line = "deb-src " (opts == "" ? "" : "[" opts "] ") uri " " suite " main"
            if (!(line in seen)) { seen[line] = 1; print line }
        }
        function flush(   n, u, s, uris, suites, opts, i, j, comps, hasmain) {
            if (types ~ /(^| )deb( |$)/ && enabled != "no") {
                hasmain = 0
                n = split(components, comps, " ")
                for (i = 1; i <= n; i++) if (comps[i] == "main") hasmain = 1
                opts = signedby ~ /^\// ? "signed-by=" signedby : ""
                if (hasmain) {
                    u = split(urisv, uris, " "); s = split(suitesv, suites, " ")
                    for (i = 1; i <= u; i++) for (j = 1; j <= s; j++) emit(opts, uris[i], suites[j])
                }
            }
            types = urisv = suitesv = components = signedby = enabled = ""
        }
        FNR == 1 { flush(); deb822 = FILENAME ~ /\.sources$/ }
        deb822 {
            if ($0 ~ /^[ \t]*$/) { flush(); next }
            if ($0 ~ /^#/ || $0 ~ /^[ \t]/) next
            key = tolower($1); sub(/:$/, "", key)
            value = $0; sub(/^[^:]*:[ \t]*/, "", value); sub(/[ \t]+$/, "", value)
            if (key == "types") types = value
            else if (key == "uris") urisv = value
            else if (key == "suites") suitesv = value
            else if (key == "components") components = value
            else if (key == "signed-by") signedby = value
            else if (key == "enabled") enabled = tolower(value)
            next
        }
        $1 == "deb" || $1 == "deb-src" {
            opts = ""
            rest = $0; sub(/^[ \t]*deb(-src)?[ \t]+/, "", rest)
            if (rest ~ /^\[/) { opts = rest; sub(/\].*/, "", opts); sub(/^\[[ \t]*/, "", opts)
                sub(/^[^]]*\][ \t]*/, "", rest) }
            n = split(rest, w, /[ \t]+/)
            for (i = 3; i <= n; i++) if (w[i] == "main") emit(opts, w[1], w[2])
        }
        END { flush() }
    ' "${files[@]}" >"$out"
    [ -s "$out" ]
}

# Debian's source of qt6-base, the version the system's Qt was built from, fetched through an apt
# configuration of our own (lists and caches under DIR) so the machine's stays as it is; unpacked,
# with Debian's patches, into DIR/src.
fetch_qt_source() {
    local dir="$1" src_version="$2" logs="$3"
    [ -f "$dir/src/.unpacked" ] && return 0
    local codename
    codename="$(. /etc/os-release && printf '%s' "${VERSION_CODENAME:-}")"
    [ -n "$codename" ] || { say "no VERSION_CODENAME in /etc/os-release"; exit 1; }
    local apt_dir="$dir/apt"
    rm -rf "$apt_dir" "$dir/download" "$dir/src"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" "$dir/download"
    if ! write_source_list "$codename" "$apt_dir/sources.list"; then
        say "no Debian mirror for $codename found in /etc/apt/sources.list{,.d}"
        exit 1
    fi
    local apt=(apt-get -o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/parts"
        -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache"
        -o APT::Sandbox::User="$(id -un)")
    step "fetching the source lists" "$logs/apt-update.log" "${apt[@]}" update
    (cd "$dir/download" && step "downloading qt6-base $src_version" "$logs/apt-source.log" \
        "${apt[@]}" source --download-only "qt6-base=$src_version")
    local dsc=("$dir/download"/qt6-base_*.dsc)
    step "unpacking qt6-base $src_version" "$logs/unpack.log" dpkg-source -x "${dsc[0]}" "$dir/src"
    touch "$dir/src/.unpacked"
}

# Cross-builds a QApplication with the offscreen platform added (and the windows one, the default)
# against the Qt in PREFIX, in DIR: 6.4 has feature sets that build and install a Qt whose Gui and
# windows platform do not link together.
qt_link_check() {
    local prefix="$1" dir="$2"
    rm -rf "$dir"
    mkdir -p "$dir"
    cat >"$dir/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.21)
project(link_check LANGUAGES CXX)
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
qt_add_executable(link_check link_check.cpp)
target_link_libraries(link_check PRIVATE Qt6::Widgets Qt6::Test)
qt_import_plugins(link_check INCLUDE Qt6::QOffscreenIntegrationPlugin)
EOF
    cat >"$dir/link_check.cpp" <<'EOF'
#include <QApplication>
#include <QLabel>
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("link check"));
    label.show();
    return 0;
}
EOF
    cmake -S "$dir" -B "$dir/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_PREFIX_PATH="$prefix" &&
        cmake --build "$dir/build" --parallel "$jobs" &&
        [ -f "$dir/build/link_check.exe" ]
}

# The Debian version of the system's qt6-base, whose source the Qt for Windows is built from.
qt_source_version() {
    dpkg-query -W -f='${source:Version}' qt6-base-dev
}

# Where the Qt for Windows of this system's Qt version, these options and this toolchain is cached.
qt_prefix() {
    local src_version upstream key
    src_version="$(qt_source_version)" || return 1
    upstream="${src_version#*:}"
    upstream="${upstream%%[+~-]*}"
    key="$( { printf '%s\n' "qt6-base $src_version" "${qt_options[@]}"; cat "$toolchain"; } | sha256sum | cut -c1-12)"
    printf '%s\n' "$cache_root/qt-$upstream-mingw-static-$key"
}

# Prints the prefix of the static Qt for Windows, building it first when the cache has none.
qt_stage() {
    ensure_packages g++-mingw-w64-x86-64-posix cmake ninja-build dpkg-dev xz-utils perl \
        qt6-base-dev qt6-base-dev-tools >&2

    local src_version prefix name
    src_version="$(qt_source_version)"
    prefix="$(qt_prefix)"
    name="$(basename "$prefix")"
    if [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ]; then
        printf '%s\n' "$prefix"
        return 0
    fi

    mkdir -p "$cache_root"
    # One build of a given Qt at a time; a second caller waits and then finds it done.
    exec 9>"$cache_root/$name.lock"
    flock 9
    if [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ]; then
        printf '%s\n' "$prefix"
        return 0
    fi

    local work="$cache_root/$name.partial"
    local logs="$cache_root/$name.logs"
    mkdir -p "$work" "$logs"
    say "building Qt (Debian source $src_version) for Windows into $prefix"
    fetch_qt_source "$work" "$src_version" "$logs"

    step "configure" "$logs/configure.log" cmake -S "$work/src" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" "${qt_options[@]}"
    local started=$SECONDS
    step "build" "$logs/build.log" cmake --build "$work/build" --parallel "$jobs"
    say "built in $(( (SECONDS - started) / 60 )) min"
    rm -rf "$work/stage"
    step "install" "$logs/install.log" env DESTDIR="$work/stage" cmake --install "$work/build"

    # The pieces the exercise cannot do without; a configure that quietly dropped one is a failure.
    local staged="$work/stage$prefix" missing=() f
    for f in lib/cmake/Qt6/Qt6Config.cmake lib/libQt6Core.a lib/libQt6Gui.a lib/libQt6Widgets.a \
        lib/libQt6Test.a plugins/platforms/libqwindows.a plugins/platforms/libqoffscreen.a; do
        [ -f "$staged/$f" ] || missing+=("$f")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        printf '%s\n' "missing from the installed Qt: ${missing[*]}" >"$logs/check.log"
        say "check failed, see $logs/check.log"
        exit 1
    fi
    step "link check" "$logs/link-check.log" qt_link_check "$staged" "$work/link-check"
    printf '%s\n' "qt6-base $src_version" "${qt_options[@]}" >"$staged/build-options.txt"
    mv "$staged" "$prefix"
    rm -rf "$work"
    printf '%s\n' "$prefix"
}

# The cached Qt for Windows, when the cache holds a complete one for this system's Qt and these options.
cached_qt() {
    local prefix
    prefix="$(qt_prefix 2>/dev/null)" && [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ] && printf '%s\n' "$prefix"
}

# What building, testing and packing need besides the Qt stage's packages.
windows_packages() {
    ensure_packages $BASE_PACKAGES g++-mingw-w64-x86-64-posix ninja-build wine64 xvfb "$@" >&2
}

# The tools the build runs (tools/: the pictures' recordings, the worksheet, the icons), built for this
# machine.
host_tools_stage() {
    mkdir -p "$logs"
    step "configuring the build tools for this machine" "$logs/host-configure.log" \
        cmake -S "$root" -B "$host_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DBUILD_BENCHMARKS=OFF
    step "building the build tools" "$logs/host-build.log" cmake --build "$host_build" --parallel "$jobs" \
        --target record_picture prerender worksheet render_icon make_ico
}

cross_build_stage() {
    local qt="$1"
    step "configuring the exercise for Windows" "$logs/configure.log" \
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$qt" -DHOST_TOOLS_DIR="$host_build/bin" \
        -DBUILD_TESTING=ON -DBUILD_BENCHMARKS=OFF -DWARNINGS_AS_ERRORS=ON
    step "building the exercise and its tests for Windows" "$logs/build.log" \
        cmake --build "$build" --parallel "$jobs"
}

# The whole suite as Windows programs under Wine; prints ctest's summary line.
suite_stage() {
    say "running the suite under $(/usr/lib/wine/wine64 --version 2>/dev/null || echo Wine) (log: $logs/suite.log)"
    if ! ctest --test-dir "$build" --parallel "$jobs" --timeout 300 --output-on-failure >"$logs/suite.log" 2>&1; then
        grep -E '^[0-9]+% tests passed|\(Failed\)|\(Timeout\)|\*\*\*' "$logs/suite.log" >&2 || true
        say "the suite failed under Wine, see $logs/suite.log"
        exit 1
    fi
    grep -E '^[0-9]+% tests passed' "$logs/suite.log"
}

pack_stage() {
    step "packing the installer" "$logs/cpack.log" cpack --config "$build/CPackConfig.cmake" -G NSIS -B "$build"
    rm -rf "$build/_CPack_Packages"
    step "packing the portable zip" "$logs/zip.log" cmake --build "$build" --target portable_zip
    step "trying the installer under Wine" "$logs/install-check.log" \
        env SCREENSHOT="$build/window-under-wine.png" "$root/scripts/wine_install_check.sh" \
        "$build/alkyne-combustion-$(project_version)-win64-setup.exe"
}

# Launch to first paint of the exercise beside an empty Qt window of the same size and menu bar, both
# cross-built the same way and run under Wine on an Xvfb display, alternated RUNS times (default 20) by
# the bench runner built for this machine.
startup_stage() {
    step "configuring the start-up probes for Windows" "$logs/startup-configure.log" \
        cmake "$build" -DBUILD_BENCHMARKS=ON
    step "building the start-up probes" "$logs/startup-build.log" \
        cmake --build "$build" --parallel "$jobs" --target startup_exercise startup_bare
    step "building the start-up runner" "$logs/startup-runner.log" \
        bash -c 'cmake "$1" -DBUILD_BENCHMARKS=ON && cmake --build "$1" --parallel "$2" --target startup_pair' \
        runner "$host_build" "$jobs"
    start_xvfb || { say "Xvfb did not start"; exit 1; }
    export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # One Wine server for all the runs, started before them, so that no run pays for starting it.
    /usr/lib/wine/wineserver -p
    DISPLAY="$XVFB_DISPLAY" STARTUP_EMULATOR=/usr/lib/wine/wine64 "$host_build/bin/startup_pair" "${RUNS:-20}" \
        "$build/bin/startup_exercise.exe" "$build/bin/startup_bare.exe"
    /usr/lib/wine/wineserver -k || true
    kill "$XVFB_PID" 2>/dev/null || true
}

project_version() {
    sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt"
}

case "${1:-all}" in
    all)
        windows_packages nsis xdotool imagemagick
        qt="$(qt_stage)"
        host_tools_stage
        cross_build_stage "$qt"
        result="$(suite_stage)"
        pack_stage
        version="$(project_version)"
        printf '%s\n' "$build/alkyne-combustion-$version-win64-setup.exe" \
            "$build/alkyne-combustion-$version-win64-portable.zip" "suite under Wine: $result"
        ;;
    qt)
        qt_stage
        ;;
    suite)
        if ! qt="$(cached_qt)"; then
            echo "windows: suite under Wine skipped: no Qt for Windows in $cache_root (scripts/windows.sh qt builds it)"
            exit 0
        fi
        windows_packages
        host_tools_stage
        cross_build_stage "$qt"
        printf 'suite under Wine: %s\n' "$(suite_stage)"
        ;;
    startup)
        qt="$(cached_qt)" || { say "no Qt for Windows yet: run scripts/windows.sh first"; exit 1; }
        windows_packages
        host_tools_stage
        cross_build_stage "$qt"
        startup_stage
        ;;
    -h | --help | help)
        usage
        ;;
    *)
        echo "scripts/windows.sh: unknown stage '$1'" >&2
        usage >&2
        exit 2
        ;;
esac
