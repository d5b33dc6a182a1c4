#!/usr/bin/env bash
# Runs a Windows test binary on an X screen of the given size and display scale (ctest:
# on_screen.sh 2600x1700@144 wine win_screens.exe); see run_on_screen in scripts/lib.sh.
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib.sh"
[ $# -ge 2 ] || die "usage: on_screen.sh WIDTHxHEIGHT[@DPI] COMMAND..."
run_on_screen "$@"
