#!/usr/bin/env bash
# Tries the Windows installer under Wine, in a throwaway Wine prefix, as a school's administrator
# would use it unattended:
#
#   scripts/wine_install_check.sh alkyne-combustion-<version>-win64-setup.exe
#
# A silent install into a chosen folder (/S /D=C:\Test\Kausi): the program, the worksheet, the Start
# menu shortcut and the Apps & Features entry; the installed program starts; a second silent install
# over the first (the installer removes the old one first, and must not stop to ask); a silent
# uninstall that leaves nothing behind; then the same once more into the default folder under Program
# Files. Each check prints a line; the first that fails is named and ends the script with status 1.
#
# Needs Wine (Debian's wine64 package: WINE and WINESERVER name other builds), Xvfb, xdotool and
# ImageMagick. The installer shows nothing with /S; the installed program is started on an Xvfb display
# of its own and looked at there (SCREENSHOT=FILE keeps the screenshot).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

display_name="Καύση αλκινίων"
publisher="${PUBLISHER:-alkyne-combustion maintainers}"
registry_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\alkyne-combustion'
wine="${WINE:-/usr/lib/wine/wine64}"
wineserver="${WINESERVER:-/usr/lib/wine/wineserver}"
wait_seconds=60

ok() { printf 'ok   %s\n' "$1"; }
fail() {
    printf 'FAIL %s%s\n' "$1" "${2:+: $2}"
    exit 1
}
check() {
    local name="$1"
    shift
    if "$@"; then ok "$name"; else fail "$name"; fi
}

if [[ $# -ne 1 ]]; then
    echo "usage: $0 SETUP_EXE" >&2
    exit 2
fi
setup="$(realpath "$1")"
[[ -f "$setup" ]] || fail "installer exists" "$1"
[[ -x "$wine" ]] || wine="$(command -v wine64 || command -v wine || true)"
[[ -n "$wine" && -x "$wine" ]] || fail "wine found" "install Debian's wine64 or set WINE"
[[ -x "$wineserver" ]] || wineserver="$(command -v wineserver || true)"
[[ -n "$wineserver" ]] || fail "wineserver found" "set WINESERVER"

# The version the installer's name promises, which Apps & Features must show.
setup_name="$(basename "$setup")"
if [[ "$setup_name" =~ ^alkyne-combustion-(.+)-win64-setup\.exe$ ]]; then
    version="${BASH_REMATCH[1]}"
    ok "installer name $setup_name"
else
    fail "installer name" "$setup_name is not alkyne-combustion-<version>-win64-setup.exe"
fi

scratch="$(mktemp -d)"
export WINEPREFIX="$scratch/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

drive_c="$WINEPREFIX/drive_c"
programs="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
shortcut_folder="$programs/$display_name"
shortcut="$shortcut_folder/$display_name.lnk"

# Runs a Windows program to its end, with a time limit so that a dialog nobody answers fails the check
# instead of hanging it.
run_wine() {
    timeout 300 "$wine" "$@" >"$scratch/wine.log" 2>&1
}

check "wine prefix created" run_wine wineboot -i
"$wineserver" -w

# The value of one entry of the uninstall key, from a .reg export: reg query prints in the console's
# code page and would lose the Greek.
registry_export() {
    rm -f "$drive_c/uninstall.reg"
    run_wine reg export "$registry_key" 'C:\uninstall.reg' /y &&
        iconv -f UTF-16 -t UTF-8 "$drive_c/uninstall.reg" | tr -d '\r' >"$scratch/uninstall.reg"
}
registry_value() {
    sed -n "s/^\"$1\"=//p" "$scratch/uninstall.reg"
}
# A .reg string: in quotes, with \ and " escaped.
reg_string() {
    local value="${1//\\/\\\\}"
    printf '"%s"' "${value//\"/\\\"}"
}
check_value() {
    local name="$1" expected="$2" actual
    actual="$(registry_value "$name")"
    [[ "$actual" == "$expected" ]] || fail "uninstall entry $name" "$actual, not $expected"
    ok "uninstall entry $name $actual"
}

# What a silent install into WINDOWS_DIR (UNIX_DIR in the prefix) must leave.
check_installed() {
    local windows_dir="$1" unix_dir="$2"
    local exe="$unix_dir/alkyne-combustion.exe"
    [[ -f "$exe" && "$(head -c 2 "$exe")" == MZ ]] || fail "program installed" "no $exe"
    ok "program installed in $windows_dir"
    [[ -f "$unix_dir/worksheet.pdf" && "$(head -c 5 "$unix_dir/worksheet.pdf")" == %PDF- ]] ||
        fail "worksheet installed beside the program" "no PDF at $unix_dir/worksheet.pdf"
    ok "worksheet installed beside the program"
    check "uninstaller installed" test -f "$unix_dir/Uninstall.exe"
    local stray
    stray="$(cd "$unix_dir" && find . \( -name share -o -name '*.desktop' -o -name '*.metainfo.xml' \
        -o -name hicolor -o -name bin \) -print -quit)"
    [[ -z "$stray" ]] || fail "no Linux-only files installed" "$stray"
    ok "no Linux-only files installed"

    [[ -f "$shortcut" ]] || fail "Start menu shortcut" "no $shortcut"
    grep -aqF "$windows_dir\\alkyne-combustion.exe" "$shortcut" ||
        fail "Start menu shortcut" "it does not point at $windows_dir\\alkyne-combustion.exe"
    ok "Start menu shortcut $display_name points at the program"

    registry_export || fail "uninstall entry" "no $registry_key"
    check_value DisplayName "$(reg_string "$display_name")"
    check_value Publisher "$(reg_string "$publisher")"
    check_value DisplayVersion "$(reg_string "$version")"
    check_value DisplayIcon "$(reg_string "$windows_dir\\alkyne-combustion.exe")"
    check_value UninstallString "$(reg_string "\"$windows_dir\\Uninstall.exe\"")"
    # The size Apps & Features shows, in KiB: the installed files' own, within a percent.
    local estimated installed
    estimated="$(registry_value EstimatedSize)"
    [[ "$estimated" =~ ^dword:([0-9a-f]{8})$ ]] ||
        fail "uninstall entry EstimatedSize" "${estimated:-missing}"
    estimated=$((16#${BASH_REMATCH[1]}))
    installed="$(find "$unix_dir" -type f -printf '%s\n' |
        awk '{ total += $1 } END { print int(total / 1024) }')"
    ((installed > 0 && estimated * 100 >= installed * 99 && estimated * 100 <= installed * 101)) ||
        fail "uninstall entry EstimatedSize" "$estimated KiB for $installed KiB installed"
    ok "uninstall entry EstimatedSize $estimated KiB"
}

# The uninstaller copies itself out of the folder, starts the copy and returns at once: its work is
# done when the folder has gone.
uninstall_and_check() {
    local windows_dir="$1" unix_dir="$2"
    check "silent uninstall starts" run_wine "$windows_dir\\Uninstall.exe" /S
    local waited=0
    while [[ -e "$unix_dir" ]] && ((waited < wait_seconds)); do
        sleep 1
        waited=$((waited + 1))
    done
    [[ ! -e "$unix_dir" ]] ||
        fail "install folder removed" "$windows_dir still holds $(find "$unix_dir" -mindepth 1 -printf '%P ')"
    ok "install folder removed"
    "$wineserver" -w
    [[ ! -e "$shortcut_folder" ]] || fail "Start menu shortcut removed" "$shortcut_folder is still there"
    ok "Start menu shortcut removed"
    if run_wine reg query "$registry_key"; then
        fail "uninstall entry removed" "$registry_key is still there"
    fi
    ok "uninstall entry removed"
    if run_wine reg query "HKLM\\Software\\$publisher"; then
        fail "publisher's registry key removed" "HKLM\\Software\\$publisher is still there"
    fi
    ok "publisher's registry key removed"
}

# The main window's client area as designed (657 x 618 pixels at 100 %), under its menu bar, and
# three points of it: inside the first tray tile (green), the first reaction (yellow) and the red
# frame around the reactions.
designed_width=657
designed_client_height=618
# The main window's title, as the program's settings header writes it.
caption="$(sed -n 's/.*ExerciseTitle = QStringLiteral("\(.*\)");/\1/p' "$_alkyne_root/config/site.h.in")"
points=("58,26 srgb(0,255,0) tray tile" "330,71 srgb(255,255,0) first reaction" "5,281 srgb(255,0,0) frame")

window_check() {
    local exe="$1"
    start_xvfb || fail "an X display for the program" "Xvfb did not start"
    local n="$XVFB_DISPLAY"
    # A Wine session started without a display (the installer's) keeps its desktop off any screen.
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w
    DISPLAY="$n" "$wine" "$exe" >"$scratch/program.log" 2>&1 &
    local program=$! window
    window="$(DISPLAY="$n" LC_ALL=C.UTF-8 timeout 60 xdotool search --sync --name "^$caption\$" | head -n 1)" ||
        fail "installed program shows its window" "none within 60 s: $(tail -c 300 "$scratch/program.log")"
    ok "installed program shows its window"
    sleep 2 # its first paint
    local WIDTH HEIGHT X Y SCREEN WINDOW
    eval "$(DISPLAY="$n" xdotool getwindowgeometry --shell "$window")"
    local menu=$((HEIGHT - designed_client_height))
    ((WIDTH == designed_width && menu > 10 && menu < 40)) ||
        fail "window at its designed size" "${WIDTH}x$HEIGHT, not $designed_width wide with a menu bar over $designed_client_height"
    ok "window at its designed size, ${WIDTH}x$HEIGHT (a menu bar of $menu over $designed_client_height)"
    DISPLAY="$n" import -window root "$scratch/screen.png"
    [[ -z "${SCREENSHOT:-}" ]] || cp "$scratch/screen.png" "$SCREENSHOT"
    local point at colour name actual
    for point in "${points[@]}"; do
        read -r at colour name <<<"$point"
        actual="$(convert "$scratch/screen.png" -format \
            "%[pixel:p{$((X + ${at%,*})),$((Y + menu + ${at#*,}))}]" info:)"
        [[ "$actual" == "$colour" ]] || fail "pictures drawn: $name" "$actual at $at, not $colour"
        ok "pictures drawn: $name"
    done
    "$wineserver" -k
    wait "$program" || true
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
}

# Into a folder of the administrator's choice.
windows_dir='C:\Test\Kausi'
unix_dir="$drive_c/Test/Kausi"
check "silent install into $windows_dir" run_wine "$setup" /S "/D=$windows_dir"
"$wineserver" -w
check_installed "$windows_dir" "$unix_dir"

# The installed program starts as a pupil's does, windowed, here on an X display of its own; a
# screenshot must show the window at its designed size with its pictures drawn.
window_check "$windows_dir\\alkyne-combustion.exe"

# Installing again over it: the installer finds the installed copy and, being silent, removes it without
# asking.
check "silent install over the installed copy" run_wine "$setup" /S "/D=$windows_dir"
"$wineserver" -w
check_installed "$windows_dir" "$unix_dir"
uninstall_and_check "$windows_dir" "$unix_dir"

# Into the default folder.
windows_dir='C:\Program Files\alkyne-combustion'
unix_dir="$drive_c/Program Files/alkyne-combustion"
check "silent install into the default folder" run_wine "$setup" /S
"$wineserver" -w
check_installed "$windows_dir" "$unix_dir"
uninstall_and_check "$windows_dir" "$unix_dir"

echo "all checks passed"
