#!/usr/bin/env bash
# End-to-end: the real program under Wine against the development backend over HTTPS (its
# certificate from the development CA, trusted in the project's prefix), driven through its
# window by CorvantaTour.exe. Needs an X display and the project's Wine prefix: scripts/test runs
# it under Xvfb with a warm wineserver. Ends non-zero when a check fails.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

[ -n "${DISPLAY:-}" ] || die "run_e2e.sh needs an X display (scripts/test runs it under Xvfb)"
PROGRAM="$BUILD_WIN/CorvantaNativeWin.exe"
TOUR="$BUILD_WIN/CorvantaTour.exe"
[ -f "$PROGRAM" ] || die "missing $PROGRAM (scripts/build makes it)"
[ -f "$TOUR" ] || die "missing $TOUR (scripts/build makes it)"
command -v python3 >/dev/null || die "python3 is needed for the development backend"
wine_env
[ -f "$WINEPREFIX/system.reg" ] || die "no Wine prefix at $WINEPREFIX (scripts/test creates it)"
ensure_dev_certs
trust_dev_ca

work="$(mktemp -d)"
backend=""
program=""
cleanup() {
    if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then
        kill "$program" 2>/dev/null || true
    fi
    if [ -n "$backend" ] && kill -0 "$backend" 2>/dev/null; then
        kill -TERM "$backend" 2>/dev/null || true
        wait "$backend" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

python3 "$ROOT/tools/dev-backend/server.py" --port 0 </dev/null >"$work/out" 2>"$work/requests" &
backend=$!
for _ in $(seq 1 100); do
    grep -q '^listening on ' "$work/out" && break
    kill -0 "$backend" 2>/dev/null || die "the development backend did not start: $(cat "$work/requests")"
    sleep 0.1
done
origin="$(sed -n 's/^listening on //p' "$work/out" | head -n 1)"
[ -n "$origin" ] || die "the development backend did not start within 10 s"
case "$origin" in
    https://localhost:*) ;;
    *) die "the development backend serves $origin, not HTTPS on localhost" ;;
esac
echo "e2e: backend at $origin"

CORVANTA_ORIGIN="$origin" wine "$PROGRAM" </dev/null >/dev/null 2>&1 &
program=$!

passed=0
failed=0
pass() {
    echo "e2e: ok   $1"
    passed=$((passed + 1))
}
fail() {
    echo "e2e: FAIL $1" >&2
    failed=$((failed + 1))
}
# A check drives the program through its window; the driver bounds its own waits, timeout
# guards against a driver that hangs all the same.
drive() {
    local name="$1"
    shift
    if timeout -k 5 60 wine "$TOUR" "$@" </dev/null; then pass "$name"; else fail "$name"; fi
}
# The backend's request log: method, path and status of what really reached it.
logged() {
    if grep -q "^$2\$" "$work/requests"; then pass "$1"; else fail "$1 (no \"$2\" in its log)"; fi
}

drive "a wrong password stays on the login card" check-login demo falsch --expect-rejected
logged "the backend refused the wrong password" "POST /api/auth/login 401"
drive "the demo account signs in" check-login demo corvanta-demo
logged "the backend accepted the demo account" "POST /api/auth/login 200"
drive "Refresh on Wallet over HTTPS puts the wallet answer into the output box" check-wallet "$origin"
logged "the wallet came from the backend" "GET /api/me/wallet 200"
drive "the program closes" close

for _ in $(seq 1 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$program" 2>/dev/null; then
    fail "the program ended after its window closed"
else
    code=0
    wait "$program" || code=$?
    if [ $code -eq 0 ]; then pass "the program ended with exit code 0"; else fail "the program ended with exit code $code"; fi
fi

echo "e2e: $passed passed, $failed failed"
[ $failed -eq 0 ]
