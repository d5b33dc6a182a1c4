#!/usr/bin/env bash
# Runs a Windows test binary on an X screen of the given size, in a Wine prefix of its own with a
# fresh wineserver (Wine reads the screen's size when its first process starts), and tells the
# binary the size it must find in CV_SCREEN.
#
#   on_screen.sh WIDTHxHEIGHT COMMAND...      (ctest: on_screen.sh 1280x720 wine win_screens.exe)
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib.sh"

[ $# -ge 2 ] || die "usage: on_screen.sh WIDTHxHEIGHT COMMAND..."
screen="$1"
shift
[[ "$screen" =~ ^[0-9]+x[0-9]+$ ]] || die "not a screen size: $screen"
export WINEPREFIX="$ROOT/build/wineprefix-screens"
ensure_wineprefix
wineserver -k 2>/dev/null || true
wineserver -w
export CV_SCREEN="$screen"
xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
    source "'"$ROOT"'/scripts/lib.sh"
    set_wine_window_management N
    "$@"
    rc=$?
    wineserver -k 2>/dev/null || true
    exit $rc
' on_screen "$@"
