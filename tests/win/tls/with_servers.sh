#!/usr/bin/env bash
# Runs a Windows test binary against TLS servers on loopback: issues the certificates of the
# servers that must be refused, trusts the development CA in the project's Wine prefix, starts
# servers.py and hands the servers' origins over in CV_TLS_* variables.
#
#   with_servers.sh COMMAND...      (ctest: with_servers.sh wine win_tls.exe)
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib.sh"

[ $# -ge 1 ] || die "usage: with_servers.sh COMMAND..."
command -v python3 >/dev/null || die "python3 is needed for the TLS servers"
wine_env
[ -f "$WINEPREFIX/system.reg" ] || die "no Wine prefix at $WINEPREFIX (scripts/test creates it)"
ensure_dev_certs
trust_dev_ca

work="$(mktemp -d "$ROOT/build/tls-test.XXXXXX")"
servers=""
cleanup() {
    if [ -n "$servers" ] && kill -0 "$servers" 2>/dev/null; then
        kill -TERM "$servers" 2>/dev/null || true
        wait "$servers" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

cp "$DEV_TLS/localhost.pem" "$DEV_TLS/localhost.key" "$work/"
issue_dev_cert "$work/expired" localhost "$(date -u -d '-2 days' +%Y%m%d%H%M%SZ)" \
    "$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)" || die "openssl could not issue the expired certificate"
issue_dev_cert "$work/other-host" other.corvanta.test ||
    die "openssl could not issue the other host's certificate"
(
    umask 077
    CV_CERT_HOST=localhost openssl req -x509 -newkey rsa:2048 -nodes -config "$DEV_TLS/openssl.cnf" \
        -extensions server_cert -subj /CN=localhost -days 30 \
        -keyout "$work/self-signed.key" -out "$work/self-signed.pem" 2>/dev/null
) || die "openssl could not make the self-signed certificate"

python3 "$ROOT/tests/win/tls/servers.py" "$work" </dev/null >"$work/origins" 2>"$work/servers.log" &
servers=$!
for _ in $(seq 1 100); do
    grep -qx ready "$work/origins" && break
    kill -0 "$servers" 2>/dev/null || die "the TLS servers did not start: $(cat "$work/servers.log")"
    sleep 0.1
done
grep -qx ready "$work/origins" || die "the TLS servers did not start within 10 s"

while read -r name origin; do
    [ "$name" != ready ] || continue
    var="CV_TLS_$(echo "$name" | tr 'a-z-' 'A-Z_')"
    export "$var=$origin"
    echo "tls: $var=$origin"
done <"$work/origins"

status=0
"$@" || status=$?
if [ $status -ne 0 ]; then
    echo "tls: what the servers logged:" >&2
    cat "$work/servers.log" >&2
fi
exit $status
