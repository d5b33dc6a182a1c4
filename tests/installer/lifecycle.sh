#!/usr/bin/env bash
# The setup's whole life cycle under Wine: scripts/package builds and signs the project version
# and a newer one with a certificate made here, with their winget manifests; on a Wine prefix made
# for this run alone, the older installs silently, the installed program shows its window, the
# newer refuses to touch it while the program does not answer, upgrades it in place while it runs
# and waits for a program that still ends after its window has gone, the older then refuses, the
# entry's quiet uninstall closes the running program and removes everything (twice, leaving no copy
# of itself in %TEMP%), two setups started together leave one install, an uninstall that meets a
# session file held open fails and can be run again, and it installs again.
# The prefix is compared before and after: Wine runs everything as administrator, so only that
# shows that nothing lands under HKLM or outside the user's profile. Needs an X display
# (scripts/test runs it under Xvfb). Ends non-zero when a check fails.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

[ -n "${DISPLAY:-}" ] || die "lifecycle.sh needs an X display (scripts/test runs it under Xvfb)"
CHECK_WINDOW="$BUILD_WIN/CorvantaWindowCheck.exe"
[ -f "$CHECK_WINDOW" ] || die "missing $CHECK_WINDOW (scripts/build makes it)"
ensure_packages python3:python3 openssl:openssl osslsigncode:osslsigncode \
    /usr/lib/python3/dist-packages/yaml/__init__.py:python3-yaml \
    /usr/lib/python3/dist-packages/jsonschema/__init__.py:python3-jsonschema
STATE="python3 $ROOT/tests/installer/prefix.py"

# Kept after a failure for a look, made anew on every run.
work="$ROOT/build/installer-test"
if [ -d "$work/prefix" ]; then
    WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
fi
rm -rf "$work"
mkdir -p "$work/dist" "$work/home" "$work/xdg/config" "$work/xdg/data" "$work/xdg/cache" "$work/xdg/run"
chmod 700 "$work/xdg/run"

failed=0
pass() { echo "installer: ok   $1"; }
fail() {
    echo "installer: FAIL $1" >&2
    failed=$((failed + 1))
}
# A check that the rest builds on: stop here.
fatal() {
    fail "$1"
    echo "installer: stopped; the prefix is kept in $work" >&2
    exit 1
}
check() {
    local name="$1"
    shift
    if "$@"; then pass "$name"; else fail "$name"; fi
}
# Wine's processes end, and its server writes the registry files. Bounded: a program that a setup
# failed to close would keep it waiting.
settle() { timeout 120 wineserver -w || fatal "Wine's processes still run after 120 s"; }

# How long the setup gives a running program to end.
bound="$(sed -n 's/^!define CLOSE_SECONDS \([0-9][0-9]*\)$/\1/p' "$ROOT/installer/setup.nsi")"
[ -n "$bound" ] || { fail "installer/setup.nsi names its CLOSE_SECONDS"; bound=60; }
# How long the program may still take to end once its window has gone (a logout's delete, a save).
program_ms() { sed -n "s/^inline constexpr DWORD $1 = \([0-9][0-9]*\);\$/\1/p" "$ROOT/src/actions/session_writer.h"; }
finish=$((($(program_ms kClearWaitMs) + $(program_ms kSaveWaitMs)) / 1000))
[ "$finish" -gt 0 ] || fatal "src/actions/session_writer.h names the program's bounds"

# --- Build and sign two versions ------------------------------------------------------------
old="$(sed -n 's/^project(CorvantaNativeWin VERSION \([0-9]*\.[0-9]*\.[0-9]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
[ -n "$old" ] || die "no project version in CMakeLists.txt"
IFS=. read -r major minor patch <<<"$old"
# From 0.2.0 this makes 0.10.0: newer by number, older as text.
new="$major.$((minor + 8)).$patch"

(
    umask 077
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Corvanta Throwaway Test Signing" \
        -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature \
        -keyout "$work/sign.key" -out "$work/sign.pem" 2>/dev/null
) || die "openssl could not make the test certificate"
export CV_SIGN_CERT="$work/sign.pem" CV_SIGN_KEY="$work/sign.key" CV_SIGN_CA="$work/sign.pem"
unset CV_SIGN_TIMESTAMP_URL CV_SIGN_KEY_PASSFILE CV_SIGN_TSA_CA
# The project version last and without --version: the default path is what a release takes, and
# the release tree is left at the project version.
"$ROOT/scripts/package" --version "$new" --dist "$work/dist" >"$work/package-new.log" 2>&1 ||
    fatal "scripts/package --version $new (log: $work/package-new.log)"
"$ROOT/scripts/package" --dist "$work/dist" >"$work/package-old.log" 2>&1 ||
    fatal "scripts/package builds $old (log: $work/package-old.log)"
for v in "$old" "$new"; do
    for f in -setup.exe .zip -debug.zip; do
        [ -f "$work/dist/CorvantaNativeWin-$v-win64$f" ] ||
            fatal "scripts/package writes CorvantaNativeWin-$v-win64$f"
    done
    mkdir -p "$work/zip-$v"
    (cd "$work/zip-$v" && cmake -E tar xf "$work/dist/CorvantaNativeWin-$v-win64.zip") ||
        fatal "the $v zip unpacks"
done
OLD_SETUP="$work/dist/CorvantaNativeWin-$old-win64-setup.exe"
NEW_SETUP="$work/dist/CorvantaNativeWin-$new-win64-setup.exe"

verified() { osslsigncode verify -CAfile "$CV_SIGN_CA" -in "$1" >/dev/null 2>&1; }
check "the exe in the $old zip carries a valid signature" verified "$work/zip-$old/CorvantaNativeWin.exe"
check "the $old setup carries a valid signature" verified "$OLD_SETUP"
check "the $new setup carries a valid signature" verified "$NEW_SETUP"
check "the exe of --version $new says $new in its version resource" \
    test "$($STATE pe-version "$work/zip-$new/CorvantaNativeWin.exe")" = "$new"
check "the exe of the project version says $old" \
    test "$($STATE pe-version "$work/zip-$old/CorvantaNativeWin.exe")" = "$old"
# Wine runs everything as administrator, so the request for no elevation is read from the file.
check "the setup asks for no elevation (manifest: asInvoker)" \
    grep -qa 'requestedExecutionLevel level="asInvoker"' "$OLD_SETUP"
for v in "$old" "$new"; do
    $STATE winget "$work/dist/winget/$v" "$ROOT/installer/winget-schemas" >"$work/winget-$v.txt" ||
        fail "the $v winget manifests are valid against the schemas and name one package version"
done
winget_says() { grep -qx "$2" "$work/winget-$1.txt"; }
for v in "$old" "$new"; do
    sha="$(sha256sum "$work/dist/CorvantaNativeWin-$v-win64-setup.exe" | cut -d' ' -f1 | tr a-f A-F)"
    check "the $v installer manifest carries the hash of the $v setup" winget_says "$v" "sha256 $sha"
    check "the $v manifests are of version $v" winget_says "$v" "version $v"
    check "the $v manifest's ProductCode is the uninstall key's name" \
        winget_says "$v" "product-code CorvantaNativeWin"
done

# --- A fresh prefix, away from the real home folder -----------------------------------------
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$work/home" XDG_CONFIG_HOME="$work/xdg/config" XDG_DATA_HOME="$work/xdg/data"
export XDG_CACHE_HOME="$work/xdg/cache" XDG_RUNTIME_DIR="$work/xdg/run"
trap 'wineserver -k 2>/dev/null || true' EXIT
say "installer: creating the Wine prefix $WINEPREFIX"
wineboot -i >/dev/null 2>&1 || fatal "wineboot makes the prefix"
# Wine settles the new prefix's device keys in the session after the first and once a GUI
# process starts: let both happen before the first snapshot (no window to find: exit code 2).
wineserver -w
set_wine_window_management N
wine "$CHECK_WINDOW" 0 </dev/null >/dev/null 2>&1 || true
folders="$(wine cmd /c 'echo %USERPROFILE%&echo %APPDATA%&echo %LOCALAPPDATA%&echo %TEMP%' </dev/null 2>/dev/null | tr -d '\r')"
{ read -r PROFILE_W; read -r APPDATA_W; read -r LOCALAPPDATA_W; read -r TEMP_W; } <<<"$folders"
[ -n "$TEMP_W" ] || fatal "cmd names the user's folders"
unix() { winepath -u "$1" 2>/dev/null; }
PROFILE="$(unix "$PROFILE_W")" APPDATA="$(unix "$APPDATA_W")" TEMP_DIR="$(unix "$TEMP_W")"
PROFILE="${PROFILE%/}" APPDATA="${APPDATA%/}" TEMP_DIR="${TEMP_DIR%/}"
DRIVE_C="$(unix 'C:\')"
DRIVE_C="${DRIVE_C%/}"

INSTDIR_W="$LOCALAPPDATA_W\\Programs\\Corvanta Native Win"
INSTDIR="$(unix "$INSTDIR_W")"
INSTDIR="${INSTDIR%/}"
EXE_W="$INSTDIR_W\\CorvantaNativeWin.exe"
UNINSTALLER_W="$INSTDIR_W\\Uninstall.exe"
SHORTCUT="$APPDATA/Microsoft/Windows/Start Menu/Programs/Corvanta Native Win.lnk"
SESSION="$APPDATA/CorvantaNativeWin/session.dpapi"
OTHER="$APPDATA/Other Vendor/settings.ini"
KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# Another program's file, there before the setup and still there after the uninstall.
mkdir -p "$(dirname "$OTHER")"
echo "theme=dark" >"$OTHER"
wineserver -w
$STATE snapshot "$WINEPREFIX" "$work/before.json"

# One value of the entry, as reg prints it after the type.
value() {
    { wine reg query "$KEY\\CorvantaNativeWin" /v "$1" </dev/null 2>/dev/null || true; } |
        tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
# The entries under Uninstall that belong to the program.
entries() {
    { wine reg query "$KEY" </dev/null 2>/dev/null || true; } | tr -d '\r' | grep -ci 'corvanta' || true
}
installed_files() { if [ -d "$INSTDIR" ]; then (cd "$INSTDIR" && find . -mindepth 1 | sort | tr '\n' ' '); fi; }
# What changed in the prefix since a snapshot, less what the caller allows (grep -E patterns).
changed_besides() {
    local since="$1"
    shift
    $STATE snapshot "$WINEPREFIX" "$work/now.json"
    local allowed=()
    for pattern in "$@"; do allowed+=(-e "$pattern"); done
    $STATE changes "$work/$since.json" "$work/now.json" | grep -v -E "${allowed[@]}" || true
}
re() { printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g'; }
INSTDIR_RE="$(re "${INSTDIR#"$DRIVE_C"/}")"
PROGRAMS_RE="$(re "$(dirname "${INSTDIR#"$DRIVE_C"/}")")"
SHORTCUT_RE="$(re "${SHORTCUT#"$DRIVE_C"/}")"
TEMP_RE="$(re "${TEMP_DIR#"$DRIVE_C"/}")"
ENTRY_RE="$(re 'Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CorvantaNativeWin')"

# Starts the installed exe as a user would and waits for its window; program is the pid of its
# Wine process. True when the window belongs to the installed exe.
start_program() {
    wine "$EXE_W" </dev/null >/dev/null 2>&1 &
    program=$!
    local owner
    owner="$(timeout -k 5 60 wine "$CHECK_WINDOW" --keep </dev/null 2>>"$work/window.err" | tr -d '\r')" || true
    test "${owner,,}" = "${EXE_W,,}"
}
# Until its exit status is collected, an ended process stays as a zombie.
program_runs() {
    local state
    state="$(sed 's/.*) //' "/proc/$program/stat" 2>/dev/null | cut -c1)"
    [ -n "$state" ] && [ "$state" != Z ]
}
# Copies of the uninstaller saved as FILE anywhere in %TEMP%, byte for byte.
uninstaller_copies() {
    local n=0 f
    while IFS= read -r -d '' f; do
        if cmp -s "$f" "$1"; then n=$((n + 1)); fi
    done < <(find "$TEMP_DIR" -type f -print0)
    echo $n
}
# Runs the command line an entry value holds, split as Windows would, with /S first (the test
# clicks through no dialog); code is its exit code.
run_entry_command() {
    local line="$1" exe arguments
    exe="$(sed -n 's/^"\([^"]*\)".*/\1/p' <<<"$line")"
    arguments="${line#\""$exe"\"}"
    [ -n "$exe" ] || fatal "the entry names a quoted program ($line)"
    code=0
    # shellcheck disable=SC2086 # the entry's arguments, split as Windows would
    wine "$exe" ${2:-} $arguments </dev/null >/dev/null 2>&1 || code=$?
}
# Waits up to SECONDS for the program to end; program_code is its exit code, or "running" when it
# had not ended (it is killed then, so that the run goes on).
await_program() {
    local tenths=$(($1 * 10))
    while program_runs && [ $tenths -gt 0 ]; do
        sleep 0.1
        tenths=$((tenths - 1))
    done
    if program_runs; then
        program_code=running
        kill -CONT "$program" 2>/dev/null || true
        kill -KILL "$program" 2>/dev/null || true
        wait "$program" 2>/dev/null || true
    else
        program_code=0
        wait "$program" || program_code=$?
    fi
}

# --- Install the older version silently ------------------------------------------------------
code=0
wine "$OLD_SETUP" /S </dev/null >/dev/null 2>&1 || code=$?
wineserver -w
[ $code -eq 0 ] || fatal "the $old setup installs with /S (exit code $code)"
pass "the $old setup installs with /S"
check "the install folder holds the exe, the README and the uninstaller" \
    test "$(installed_files)" = "./CorvantaNativeWin.exe ./README.txt ./Uninstall.exe "
check "the installed exe is that of the $old zip" \
    cmp -s "$INSTDIR/CorvantaNativeWin.exe" "$work/zip-$old/CorvantaNativeWin.exe"
check "the installed README is that of the $old zip" cmp -s "$INSTDIR/README.txt" "$work/zip-$old/README.txt"
check "the installed uninstaller carries a valid signature" verified "$INSTDIR/Uninstall.exe"
check "the uninstaller asks for no elevation" grep -qa 'requestedExecutionLevel level="asInvoker"' "$INSTDIR/Uninstall.exe"
target="$($STATE lnk-target "$SHORTCUT" 2>/dev/null || true)"
check "the Start-menu shortcut points at the installed exe" test "${target,,}" = "${EXE_W,,}"

check "one uninstall entry" test "$(entries)" = 1
check "DisplayName" test "$(value DisplayName)" = "Corvanta Native Win"
check "DisplayVersion is $old" test "$(value DisplayVersion)" = "$old"
check "Publisher" test "$(value Publisher)" = "Corvanta"
check "DisplayIcon is the exe" test "$(value DisplayIcon)" = "$EXE_W"
check "InstallLocation" test "$(value InstallLocation)" = "$INSTDIR_W"
check "UninstallString" test "$(value UninstallString)" = "\"$UNINSTALLER_W\" _?=$INSTDIR_W"
check "QuietUninstallString" test "$(value QuietUninstallString)" = "\"$UNINSTALLER_W\" /S _?=$INSTDIR_W"
check "NoModify" test "$(value NoModify)" = 0x1
check "NoRepair" test "$(value NoRepair)" = 0x1
size_kb=$(($(value EstimatedSize)))
actual_kb=$(($(du -sb "$INSTDIR" | cut -f1) / 1024))
check "EstimatedSize is the folder's size in KB ($size_kb, the folder $actual_kb)" \
    test $size_kb -gt 0 -a $((size_kb * 10)) -ge $((actual_kb * 9)) -a $((size_kb * 10)) -le $((actual_kb * 11))

stray="$(changed_besides before "^file \+ ($INSTDIR_RE|$PROGRAMS_RE)/?" "^file \+ $SHORTCUT_RE\$" \
    "^file [-+~] $TEMP_RE/" "^hkcu \+ $ENTRY_RE")"
check "the setup wrote nothing else, under HKLM or outside the profile${stray:+: $stray}" test -z "$stray"
cp "$work/now.json" "$work/installed.json"

# --- The installed program starts and closes -------------------------------------------------
wine "$target" </dev/null >/dev/null 2>&1 &
program=$!
owner="$(timeout -k 5 60 wine "$CHECK_WINDOW" </dev/null 2>"$work/window.err" | tr -d '\r')" || true
code=0
wait $program || code=$?
check "the shortcut's target shows its window${owner:+ (owned by $owner)}" test "${owner,,}" = "${EXE_W,,}"
check "closed with WM_CLOSE, the program ends with exit code 0 (got $code)" test $code -eq 0

# As a sign-in would leave it.
mkdir -p "$(dirname "$SESSION")"
head -c 230 /dev/urandom >"$SESSION"

# --- A program that does not answer: the setup changes nothing ------------------------------
settle
$STATE snapshot "$WINEPREFIX" "$work/running.json"
start_program || fatal "the installed $old shows its window"
kill -STOP "$program"
started=$SECONDS
in_use_code=0
timeout -k 5 $((bound + 60)) wine "$NEW_SETUP" /S </dev/null >/dev/null 2>&1 || in_use_code=$?
took=$((SECONDS - started))
kill -CONT "$program"
check "with the program stopped, the $new setup exits non-zero (got $in_use_code)" \
    test $in_use_code -ne 0 -a $in_use_code -ne 124
check "it gives up within the bound of $bound s (took $took s)" test $took -le $((bound + 15))
# Its WM_CLOSE waited in the queue: once resumed, the program closes.
await_program 20
settle
stray="$(changed_besides running "^file [-+~] $TEMP_RE/")"
check "the folder and the entry are as they were${stray:+: $stray}" test -z "$stray"
check "DisplayVersion stays $old" test "$(value DisplayVersion)" = "$old"

# --- Upgrade while the program runs ----------------------------------------------------------
start_program || fatal "the installed $old shows its window again"
code=0
wine "$NEW_SETUP" /S </dev/null >/dev/null 2>&1 || code=$?
await_program 30
settle
check "the $new setup ends the running program, which exits with 0 (got $program_code)" \
    test "$program_code" = 0
check "the $new setup upgrades with /S (exit code $code)" test $code -eq 0
check "still one uninstall entry" test "$(entries)" = 1
check "DisplayVersion is $new" test "$(value DisplayVersion)" = "$new"
check "the installed exe is that of the $new zip" \
    cmp -s "$INSTDIR/CorvantaNativeWin.exe" "$work/zip-$new/CorvantaNativeWin.exe"
check "the install folder holds only the new version's files" \
    test "$(installed_files)" = "./CorvantaNativeWin.exe ./README.txt ./Uninstall.exe "
# The upgrade runs the installed version's own uninstaller first, which is what keeps files of
# the old version from outliving it; the session file it removes shows that it ran.
check "the upgrade ran the old version's uninstaller (the session file is gone)" test ! -e "$SESSION"
check "the other program's file is untouched" test "$(cat "$OTHER" 2>/dev/null)" = "theme=dark"
stray="$(changed_besides installed "^file ~ $INSTDIR_RE/" "^file ~ $SHORTCUT_RE\$" \
    "^file [-+~] $TEMP_RE/" "^hkcu ~ $ENTRY_RE")"
check "the upgrade changed nothing but the program's files and entry${stray:+: $stray}" test -z "$stray"

# --- A program that still ends after its window has gone: the setup waits for it ------------
# As the program does while it finishes a logout's delete on a slow share: 30 s more than the
# setup gives a program whose window stays. Its window is closed before the setup starts, so the
# setup has only the running exe to go by.
linger=30
cp "$CHECK_WINDOW" "$INSTDIR/CorvantaNativeWin.exe"
wine "$EXE_W" --stand-in $linger </dev/null >/dev/null 2>&1 &
program=$!
owner="$(timeout -k 5 60 wine "$CHECK_WINDOW" </dev/null 2>>"$work/window.err" | tr -d '\r')" || true
[ "${owner,,}" = "${EXE_W,,}" ] || fatal "the stand-in shows its window and closes it (owner: $owner)"
started=$SECONDS
code=0
timeout -k 5 $((finish + 60)) wine "$NEW_SETUP" /S </dev/null >/dev/null 2>&1 || code=$?
took=$((SECONDS - started))
still=no
if program_runs; then still=yes; fi
await_program 5
settle
check "a setup finds a program still ending $linger s after its window went, waits and installs (exit code $code after $took s)" \
    test $code -eq 0 -a $still = no
check "that program ended by itself, with 0 (got $program_code)" test "$program_code" = 0
check "the installed exe is that of the $new zip again" \
    cmp -s "$INSTDIR/CorvantaNativeWin.exe" "$work/zip-$new/CorvantaNativeWin.exe"
check "DisplayVersion is still $new" test "$(value DisplayVersion)" = "$new"

mkdir -p "$(dirname "$SESSION")"
head -c 230 /dev/urandom >"$SESSION"

# --- Downgrade refused -----------------------------------------------------------------------
$STATE snapshot "$WINEPREFIX" "$work/upgraded.json"
downgrade_code=0
wine "$OLD_SETUP" /S </dev/null >/dev/null 2>&1 || downgrade_code=$?
settle
check "the $old setup over $new exits non-zero (got $downgrade_code)" test $downgrade_code -ne 0
check "DisplayVersion stays $new" test "$(value DisplayVersion)" = "$new"
stray="$(changed_besides upgraded "^file [-+~] $TEMP_RE/")"
check "the refused downgrade changed nothing${stray:+: $stray}" test -z "$stray"

# --- Uninstall with the entry's quiet command, the program running -------------------------
quiet="$(value QuietUninstallString)"
uninstaller="$(sed -n 's/^"\([^"]*\)".*/\1/p' <<<"$quiet")"
arguments="${quiet#\""$uninstaller"\"}"
[ -n "$uninstaller" ] || fatal "QuietUninstallString names a quoted program ($quiet)"
start_program || fatal "the installed $new shows its window"
cp "$INSTDIR/Uninstall.exe" "$work/uninstaller.exe"
code=0
# shellcheck disable=SC2086 # the entry's arguments, split as Windows would
wine "$uninstaller" $arguments </dev/null >/dev/null 2>&1 || code=$?
await_program 30
# A copy of the uninstaller removes it from %TEMP% once it has ended.
settle
check "the quiet uninstall exits 0 (got $code)" test $code -eq 0
check "it ends the running program, which exits with 0 (got $program_code)" test "$program_code" = 0
check "the install folder is gone" test ! -e "$INSTDIR"
check "the shortcut is gone" test ! -e "$SHORTCUT"
check "the uninstall entry is gone" test "$(entries)" = 0
check "the session file and its folder are gone, after the program has ended" \
    test ! -e "$(dirname "$SESSION")"
check "the other program's file is untouched" test "$(cat "$OTHER" 2>/dev/null)" = "theme=dark"
check "no copy of the uninstaller is left in %TEMP% ($(uninstaller_copies "$work/uninstaller.exe"))" \
    test "$(uninstaller_copies "$work/uninstaller.exe")" = 0
# Left behind: the shared Programs folder and Uninstall key, and the uninstaller's copy in %TEMP%.
# NSIS asks Windows to delete that copy at the next boot; Windows lets only administrators do so,
# so for a user nothing lands in HKLM, but Wine runs everything as administrator.
stray="$(changed_besides before "^file \+ $PROGRAMS_RE/\$" "^file [-+~] $TEMP_RE/" \
    "^hkcu \+ $(re 'Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall')\$" \
    "^hklm \+ $(re 'System\\CurrentControlSet\\Control\\Session Manager\\"PendingFileRenameOperations"')\$")"
check "nothing of the program is left in the prefix${stray:+: $stray}" test -z "$stray"
others=""
while IFS= read -r path; do
    lower="${path,,}"
    case "$lower" in
        -) ;;
        "\\??\\${TEMP_W,,}\\"*) ;;
        *) others+=" $path" ;;
    esac
done < <($STATE pending-renames "$work/now.json")
check "the only file left for the next boot to delete is in %TEMP%${others:+:$others}" test -z "$others"

maps_codes() { winget_says "$new" "return $downgrade_code downgrade" && winget_says "$new" "return $in_use_code packageInUse"; }
check "the manifest maps the setup's exit codes: $downgrade_code downgrade, $in_use_code in use" maps_codes

# --- Install again; the uninstall leaves what is not its own ---------------------------------
code=0
wine "$NEW_SETUP" /S </dev/null >/dev/null 2>&1 || code=$?
wineserver -w
check "installing again works (exit code $code)" test $code -eq 0 -a "$(value DisplayVersion)" = "$new"
check "installing again puts the files back" \
    test "$(installed_files)" = "./CorvantaNativeWin.exe ./README.txt ./Uninstall.exe "

# --- A second quiet uninstall in a row: still no copy in %TEMP% -----------------------------
run_entry_command "$(value QuietUninstallString)"
settle
check "a second quiet uninstall exits 0 (got $code) and removes the install" \
    test $code -eq 0 -a ! -e "$INSTDIR" -a "$(entries)" = 0
check "after two quiet uninstalls in a row %TEMP% holds no copy of the uninstaller ($(uninstaller_copies "$work/uninstaller.exe"))" \
    test "$(uninstaller_copies "$work/uninstaller.exe")" = 0

# --- Two setups started together -------------------------------------------------------------
# Over an install of $old, while a program still ends 10 s after its window went (the stand-in
# above), so that the first setup is still in its run when the second starts: the second waits for
# the first and then refuses as a downgrade, touching nothing the first has staged.
code=0
wine "$OLD_SETUP" /S </dev/null >/dev/null 2>&1 || code=$?
wineserver -w
[ $code -eq 0 ] || fatal "the $old setup installs again (exit code $code)"
cp "$CHECK_WINDOW" "$INSTDIR/CorvantaNativeWin.exe"
wine "$EXE_W" --stand-in 10 </dev/null >/dev/null 2>&1 &
program=$!
timeout -k 5 60 wine "$CHECK_WINDOW" </dev/null >/dev/null 2>>"$work/window.err" ||
    fatal "the stand-in shows its window and closes it"
old_code=0 new_code=0
wine "$NEW_SETUP" /S </dev/null >/dev/null 2>&1 &
new_pid=$!
sleep 2
wine "$OLD_SETUP" /S </dev/null >/dev/null 2>&1 &
old_pid=$!
wait $new_pid || new_code=$?
wait $old_pid || old_code=$?
await_program 5
settle
check "two setups started together: $new installs (exit code $new_code), $old then refuses (exit code $old_code)" \
    test $new_code -eq 0 -a $old_code -eq 3
check "they leave one install of $new: one entry of $new, its exe, README and uninstaller, no stage" \
    test "$(entries)" = 1 -a "$(value DisplayVersion)" = "$new" \
    -a "$(installed_files)" = "./CorvantaNativeWin.exe ./README.txt ./Uninstall.exe "
check "the installed exe is that of the $new zip" \
    cmp -s "$INSTDIR/CorvantaNativeWin.exe" "$work/zip-$new/CorvantaNativeWin.exe"
check "the installed uninstaller is that of $new" cmp -s "$INSTDIR/Uninstall.exe" "$work/uninstaller.exe"

# --- An uninstall that fails keeps what a second run needs ----------------------------------
# The session file held open by another program (a virus scanner, a backup, a share gone away):
# the uninstall cannot remove it, and must leave an entry whose uninstaller runs.
mkdir -p "$(dirname "$SESSION")"
head -c 230 /dev/urandom >"$SESSION"
coproc HOLDER { exec wine "$CHECK_WINDOW" --hold "$(winepath -w "$SESSION" 2>/dev/null)" </dev/null 2>>"$work/window.err"; }
held=""
read -r -t 60 held <&"${HOLDER[0]}" || true
[ "$(tr -d '\r' <<<"$held")" = held ] || fatal "the session file is held open"
whole_install() {
    test "$(entries)" = 1 -a -f "$INSTDIR/Uninstall.exe" -a -f "$INSTDIR/CorvantaNativeWin.exe" \
        -a -e "$SHORTCUT" -a -f "$SESSION"
}
interactive="$(value UninstallString)"
run_entry_command "$interactive" /S
check "the entry's interactive uninstall, the session file held open, exits 5 (got $code)" test $code -eq 5
check "it leaves the entry, the uninstaller, the program and the shortcut" whole_install
# Started without _?=, as from the install folder, NSIS hands over to a copy of it in %TEMP% and
# ends with 0 at once: its copy's work shows only in what it leaves.
wine "$UNINSTALLER_W" /S </dev/null >/dev/null 2>&1 || true
for _ in $(seq 600); do
    pgrep -f '~nsu[^ ]*\.tmp.Un\.exe' >/dev/null || break
    sleep 0.1
done
check "so does an uninstaller started from the install folder" whole_install
kill -KILL "$HOLDER_PID" 2>/dev/null || true
wait "$HOLDER_PID" 2>/dev/null || true
run_entry_command "$interactive" /S
settle
check "run again once the file is free, it exits 0 (got $code)" test $code -eq 0
check "and removes the install, the shortcut, the entry and the session file" \
    test ! -e "$INSTDIR" -a ! -e "$SHORTCUT" -a "$(entries)" = 0 -a ! -e "$SESSION"

code=0
wine "$NEW_SETUP" /S </dev/null >/dev/null 2>&1 || code=$?
wineserver -w
check "and it installs once more (exit code $code)" test $code -eq 0 -a "$(value DisplayVersion)" = "$new"

# The uninstaller copied into a folder of the user's removes nothing there.
elsewhere="$PROFILE/Documents/Elsewhere"
mkdir -p "$elsewhere"
cp "$INSTDIR/Uninstall.exe" "$elsewhere/"
echo "my notes" >"$elsewhere/README.txt"
wine "$(winepath -w "$elsewhere/Uninstall.exe" 2>/dev/null)" /S </dev/null >/dev/null 2>&1 || true
wineserver -w
check "an uninstaller copied elsewhere removes nothing there" test -f "$elsewhere/README.txt"
check "an uninstaller copied elsewhere leaves the install alone" \
    test "$(entries)" = 1 -a -f "$INSTDIR/CorvantaNativeWin.exe"

echo "mine" >"$INSTDIR/notes.txt"
mkdir -p "$(dirname "$SESSION")"
head -c 230 /dev/urandom >"$SESSION"
echo "also mine" >"$(dirname "$SESSION")/export.txt"
wine "$UNINSTALLER_W" /S </dev/null >/dev/null 2>&1 || fail "the uninstaller starts"
wineserver -w
check "the uninstall removes the session file" test ! -e "$SESSION"
check "the uninstall keeps the other files beside the session file" test -f "$(dirname "$SESSION")/export.txt"
check "the uninstall keeps a file of the user's in the install folder, and only it" \
    test "$(installed_files)" = "./notes.txt "
check "the uninstall entry is gone again" test "$(entries)" = 0

if [ $failed -ne 0 ]; then
    echo "installer: $failed checks failed; the prefix is kept in $work" >&2
    exit 1
fi
wineserver -k 2>/dev/null || true
trap - EXIT
rm -rf "$work"
echo "installer: all checks passed"
