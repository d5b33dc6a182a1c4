#!/usr/bin/env bash
# Runs a Windows test binary on an X screen of the given size and display scale, in a Wine prefix
# of its own with a fresh wineserver (Wine reads the screen and the DPI when its first process
# starts), and tells the binary what it must find in CV_SCREEN.
#
#   on_screen.sh WIDTHxHEIGHT[@DPI] COMMAND...   (ctest: on_screen.sh 2600x1700@144 wine x.exe)
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib.sh"

[ $# -ge 2 ] || die "usage: on_screen.sh WIDTHxHEIGHT[@DPI] COMMAND..."
screen="$1"
shift
[[ "$screen" =~ ^([0-9]+x[0-9]+)(@([0-9]+))?$ ]] || die "not a screen: $screen"
size="${BASH_REMATCH[1]}"
dpi="${BASH_REMATCH[3]:-96}"
export WINEPREFIX="$ROOT/build/wineprefix-screens"
ensure_wineprefix
wineserver -k 2>/dev/null || true
wineserver -w
export CV_SCREEN="$size@$dpi" CV_DPI="$dpi"
xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
    source "'"$ROOT"'/scripts/lib.sh"
    set_wine_window_management N
    # Wine makes every program per-monitor aware at this DPI.
    wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$CV_DPI" /f \
        </dev/null >/dev/null 2>&1 || exit 1
    wineserver -k 2>/dev/null || true
    wineserver -w
    "$@"
    rc=$?
    wineserver -k 2>/dev/null || true
    exit $rc
' on_screen "$@"
