#!/usr/bin/env bash
# Runs a Windows program under Wine, as ctest and CMake do in a cross build for Windows:
#   on_wine.sh WINE PREFIX PROGRAM [ARGUMENTS...]
# PREFIX is the build's own Wine prefix (a WINEPREFIX set outside wins), made on first use; Wine's
# own diagnostics are off, Qt's messages go to standard error as on a console, and Wine offers no
# .NET or Gecko installer.
set -euo pipefail
wine="$1" prefix="$2"
shift 2
export WINEPREFIX="${WINEPREFIX:-$prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEQT_FORCE_STDERR_LOGGING=1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        [ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot -i >/dev/null 2>&1 || true
    ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
