#!/usr/bin/env bash
# Builds for Windows on Debian, with MinGW-w64 (cmake/mingw-w64-x86_64.cmake). One stage so far:
#
#   scripts/windows.sh [qt]   builds a static Qt for Windows (Core, Gui, Widgets, Test and the windows
#                             and offscreen platforms) from Debian's own qt6-base source, of the same
#                             version as the system's Qt, and prints its prefix. No argument means qt.
#
# The Qt is kept in ${XDG_CACHE_HOME:-~/.cache}/alkyne-combustion/qt-<version>-mingw-static-<key>, where
# the key is a hash of the source version, the configure options and the toolchain file, so a change
# of any of them builds a new one; an existing one is printed at once. The build (40 to 60 minutes on
# two cores, JOBS jobs) resumes from where it stopped in the folder ending in .partial; its logs are in
# the folder ending in .logs.
#
# Cross-building the exercise, running its tests under Wine and packing it are not written yet; they
# will be further stages here, each a function that starts from the Qt stage's prefix.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
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

# Progress goes to standard error: standard output carries only what a stage prints as its result.
say() {
    printf 'qt for windows: %s\n' "$*" >&2
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

# Prints the prefix of the static Qt for Windows, building it first when the cache has none.
qt_stage() {
    ensure_packages g++-mingw-w64-x86-64-posix cmake ninja-build dpkg-dev xz-utils perl \
        qt6-base-dev qt6-base-dev-tools >&2

    local src_version upstream
    src_version="$(dpkg-query -W -f='${source:Version}' qt6-base-dev)"
    upstream="${src_version#*:}"
    upstream="${upstream%%[+~-]*}"
    local key
    key="$( { printf '%s\n' "qt6-base $src_version" "${qt_options[@]}"; cat "$toolchain"; } | sha256sum | cut -c1-12)"
    local name="qt-$upstream-mingw-static-$key"
    local prefix="$cache_root/$name"
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

    local work="$cache_root/$name.partial" logs="$cache_root/$name.logs"
    mkdir -p "$work" "$logs"
    say "building Qt $upstream (Debian source $src_version) for Windows into $prefix"
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

case "${1:-qt}" in
    qt)
        qt_stage
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
