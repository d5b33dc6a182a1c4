#!/usr/bin/env bash
# End-to-end through the user's proxy: the real program under Wine, with a proxy configured in
# the project's prefix as Windows stores it, against proxy_servers.py: a CONNECT proxy on
# 127.0.0.2 that alone resolves backend.test (to the loopback backend, whose certificate from the
# development CA names backend.test). Needs an X display and the project's Wine prefix, like
# run_e2e.sh; the proxy configuration is removed again however the run ends.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

[ -n "${DISPLAY:-}" ] || die "proxy_e2e.sh needs an X display (scripts/test runs it under Xvfb)"
PROGRAM="$BUILD_WIN/CorvantaNativeWin.exe"
TOUR="$BUILD_WIN/CorvantaTour.exe"
[ -f "$PROGRAM" ] || die "missing $PROGRAM (scripts/build makes it)"
[ -f "$TOUR" ] || die "missing $TOUR (scripts/build makes it)"
command -v python3 >/dev/null || die "python3 is needed for the proxy and the backend"
wine_env
[ -f "$WINEPREFIX/system.reg" ] || die "no Wine prefix at $WINEPREFIX (scripts/test creates it)"
ensure_dev_certs
trust_dev_ca

SETTINGS='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
work="$(mktemp -d)"
servers=""
program=""
counter=0

# Writes a .reg file and imports it into the prefix.
import_reg() {
    printf 'REGEDIT4\n\n%s\n' "$1" >"$work/settings.reg"
    wine regedit /s "$(winepath -w "$work/settings.reg" 2>/dev/null)" </dev/null >/dev/null 2>&1 ||
        die "regedit could not change the proxy settings"
}

le32() { printf '%02x,%02x,%02x,%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
# A string as its length (32 bits) followed by its bytes.
counted() {
    printf '%s' "$(le32 ${#1})"
    [ -z "$1" ] || printf ',%s' "$(printf '%s' "$1" | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//')"
}

# set_proxy SERVER BYPASS: a fixed proxy, as Settings stores it. WinHTTP reads only the binary
# DefaultConnectionSettings: version 0x46, change counter, flags (1 direct, 2 fixed proxy), the
# proxy, the bypass list and the setup script URL, each with its length, then reserved bytes.
set_proxy() {
    counter=$((counter + 1))
    local blob
    blob="$(le32 70),$(le32 $counter),$(le32 3),$(counted "$1"),$(counted "$2"),$(counted "")"
    blob="$blob$(printf ',00%.0s' $(seq 1 32))"
    import_reg "[$SETTINGS]
\"ProxyEnable\"=dword:00000001
\"ProxyServer\"=\"$1\"
\"ProxyOverride\"=\"$2\"

[$SETTINGS\\Connections]
\"DefaultConnectionSettings\"=hex:$blob
"
}

clear_proxy() {
    import_reg "[$SETTINGS]
\"ProxyEnable\"=-
\"ProxyServer\"=-
\"ProxyOverride\"=-

[$SETTINGS\\Connections]
\"DefaultConnectionSettings\"=-
"
}

stop_program() {
    if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then
        timeout -k 5 30 wine "$TOUR" close </dev/null >/dev/null 2>&1 || true
        for _ in $(seq 1 100); do
            kill -0 "$program" 2>/dev/null || break
            sleep 0.1
        done
        kill "$program" 2>/dev/null || true
        wait "$program" 2>/dev/null || true
    fi
    program=""
}

cleanup() {
    stop_program
    clear_proxy
    if [ -n "$servers" ] && kill -0 "$servers" 2>/dev/null; then
        kill -TERM "$servers" 2>/dev/null || true
        wait "$servers" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
# A run cut short earlier may have left its configuration behind.
clear_proxy

cp "$DEV_TLS/localhost.pem" "$DEV_TLS/localhost.key" "$work/"
issue_dev_cert "$work/backend-test" backend.test ||
    die "openssl could not issue the backend.test certificate"
python3 "$ROOT/tests/e2e/proxy_servers.py" "$work" "$work" </dev/null >"$work/origins" \
    2>"$work/servers.log" &
servers=$!
for _ in $(seq 1 100); do
    grep -qx ready "$work/origins" && break
    kill -0 "$servers" 2>/dev/null || die "the proxy servers did not start: $(cat "$work/servers.log")"
    sleep 0.1
done
grep -qx ready "$work/origins" || die "the proxy servers did not start within 10 s"
named() { sed -n "s/^$1 //p" "$work/origins"; }
remote="$(named backend-test)"
local_origin="$(named localhost)"
proxy="$(named proxy)"
echo "proxy-e2e: proxy $proxy, backend $remote (and $local_origin)"

passed=0
failed=0
pass() {
    echo "proxy-e2e: ok   $1"
    passed=$((passed + 1))
}
fail() {
    echo "proxy-e2e: FAIL $1" >&2
    failed=$((failed + 1))
}
start_program() {
    stop_program
    CORVANTA_ORIGIN="$1" wine "$PROGRAM" </dev/null >/dev/null 2>&1 &
    program=$!
}
drive() {
    local name="$1"
    shift
    if timeout -k 5 60 wine "$TOUR" "$@" </dev/null; then pass "$name"; else fail "$name"; fi
}
check() {
    local name="$1"
    shift
    if "$@"; then pass "$name"; else fail "$name"; fi
}
lines() { wc -l <"$work/$1"; }
# Whether FILE has a line matching PATTERN past its first SKIP lines.
logged_since() { tail -n "+$(($2 + 1))" "$work/$1" | grep -q "$3"; }
unlogged_since() { ! logged_since "$@"; }
never_seen() { ! grep -aq -e Bearer -e Authorization -e corvanta-demo -e '"password"' "$work/proxy.wire"; }

# Without a proxy configured the program connects as before, and backend.test is no name it
# can resolve itself: only the proxy makes the sign-in below possible.
mark="$(lines proxy.log)"
start_program "$remote"
drive "without a proxy, backend.test is out of reach" check-login demo corvanta-demo --expect-unreachable
check "without a proxy, the proxy sees nothing" [ "$(lines proxy.log)" -eq "$mark" ]

set_proxy "$proxy" "<local>"
mark="$(lines proxy.log)"
backend_mark="$(lines backend-test.log)"
start_program "$remote"
drive "through the proxy, the demo account signs in" check-login demo corvanta-demo
drive "through the proxy, Refresh on Wallet gets the wallet" check-wallet "$remote"
check "the proxy tunnelled to backend.test" logged_since proxy.log "$mark" "^CONNECT ${remote#https://} HTTP/1.1 200\$"
check "the backend got the sign-in through the tunnel" logged_since backend-test.log "$backend_mark" "/api/auth/login 200\$"
check "the backend got the wallet request through the tunnel" logged_since backend-test.log "$backend_mark" "/api/me/wallet 200\$"
check "the proxy never saw the password or the token" never_seen

mark="$(lines proxy.log)"
local_mark="$(lines localhost.log)"
start_program "$local_origin"
drive "with the proxy set, the localhost backend signs in" check-login demo corvanta-demo
drive "with the proxy set, Refresh on Wallet from localhost" check-wallet "$local_origin"
check "the localhost backend answered the wallet request" logged_since localhost.log "$local_mark" "/api/me/wallet 200\$"
check "the proxy saw nothing of the localhost backend" [ "$(lines proxy.log)" -eq "$mark" ]

# Windows stores a proxy per scheme in this form; WinHTTP under Wine refuses it as it stands.
set_proxy "http=127.0.0.2:9;https=$proxy" "<local>"
mark="$(lines proxy.log)"
start_program "$remote"
drive "through the HTTPS entry of a per-scheme proxy, the demo account signs in" check-login demo corvanta-demo
check "the HTTPS entry's proxy tunnelled to backend.test" logged_since proxy.log "$mark" "^CONNECT ${remote#https://} HTTP/1.1 200\$"

set_proxy "$proxy" "*.example.org;BACKEND.test"
mark="$(lines proxy.log)"
start_program "$remote"
drive "a host the bypass list names goes direct (and backend.test is out of reach)" check-login demo corvanta-demo --expect-unreachable
check "the proxy saw nothing of the bypassed host" [ "$(lines proxy.log)" -eq "$mark" ]

# The tunnel leads to the backend.test certificate: under another name it is refused.
set_proxy "$proxy" "<local>"
mark="$(lines proxy.log)"
backend_mark="$(lines backend-test.log)"
wrong="https://wrong.test:${remote##*:}"
start_program "$wrong"
drive "through the proxy, a certificate for another name is refused" check-login demo corvanta-demo --expect-unreachable
check "the proxy tunnelled to wrong.test" logged_since proxy.log "$mark" "^CONNECT wrong.test:${remote##*:} HTTP/1.1 200\$"
check "the backend got no request under the wrong name" unlogged_since backend-test.log "$backend_mark" /api/
stop_program

echo "proxy-e2e: $passed passed, $failed failed"
if [ $failed -ne 0 ]; then
    for log in proxy.log backend-test.log localhost.log servers.log; do
        echo "proxy-e2e: $log:" >&2
        cat "$work/$log" >&2
    done
fi
[ $failed -eq 0 ]
