# Shared by the scripts: paths, package installs, the Wine environment. Sourced, not run.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export CV_ROOT_LIB="$ROOT/scripts/lib.sh"
BUILD_WIN="${CV_BUILD_WIN:-$ROOT/build/win}"
BUILD_NATIVE="${CV_BUILD_NATIVE:-$ROOT/build/native}"
JOBS="$(nproc 2>/dev/null || echo 2)"

die() { echo "error: $*" >&2; exit 1; }
say() { echo "==> $*"; }

# Installs the Debian packages whose commands are missing (needs root and apt-get).
ensure_packages() {
    local missing=() pair cmd pkg
    for pair in "$@"; do
        cmd="${pair%%:*}" pkg="${pair#*:}"
        case "$cmd" in
            /*) [ -e "$cmd" ] || missing+=("$pkg") ;;
            *) command -v "$cmd" >/dev/null 2>&1 || missing+=("$pkg") ;;
        esac
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "installing: ${missing[*]}"
    command -v apt-get >/dev/null || die "apt-get not found; install by hand: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq || die "apt-get update failed"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" \
        >/dev/null || die "apt-get install failed: ${missing[*]}"
}

ensure_build_tools() {
    ensure_packages cmake:cmake x86_64-w64-mingw32-g++-posix:mingw-w64 \
        /usr/src/googletest/CMakeLists.txt:googletest
}

ensure_run_tools() {
    ensure_packages wine:wine /usr/lib/wine/wine64:wine64 xvfb-run:xvfb xauth:xauth
}

# Extra arguments go to cmake (cache settings).
configure_build_win() {
    cmake -S "$ROOT" -B "$BUILD_WIN" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null || die "cmake configure (win) failed"
}

build_win() {
    configure_build_win
    cmake --build "$BUILD_WIN" -j "$JOBS" "$@" || die "build (win) failed"
}

# A project-local prefix, quiet, and without the Mono/Gecko prompts that hang a headless run.
wine_env() {
    export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

ensure_wineprefix() {
    wine_env
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "creating Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || die "wineboot failed"
        wineserver -w
    fi
}

# Keeps one wineserver (and the services the first Wine process starts) alive for the whole run.
# The warm-up start runs with its output detached: the services inherit it, and a test runner
# would otherwise wait for them to close its pipe.
start_warm_wine() {
    wineserver -p 2>/dev/null || true
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Without a window manager (Xvfb), Wine waits about 2 s for every managed top-level window to be
# withdrawn; unmanaged windows hide and close at once. With a desktop, let its manager decorate.
set_wine_window_management() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$1" /f \
        </dev/null >/dev/null 2>&1 || true
}

# run_on_screen WIDTHxHEIGHT[@DPI] COMMAND...: runs the command on an X screen of that size at that
# display scale (96 unless given), in a Wine prefix of its own (build/wineprefix-screens) with a
# fresh wineserver, since Wine reads the screen and the DPI when its first process starts. The
# command finds the size and scale in CV_SCREEN (WIDTHxHEIGHT@DPI).
run_on_screen() {
    local screen="$1" size dpi
    shift
    [[ "$screen" =~ ^([0-9]+x[0-9]+)(@([0-9]+))?$ ]] || die "not a screen: $screen"
    size="${BASH_REMATCH[1]}"
    dpi="${BASH_REMATCH[3]:-96}"
    (
        export WINEPREFIX="$ROOT/build/wineprefix-screens"
        ensure_wineprefix
        wineserver -k 2>/dev/null || true
        wineserver -w
        export CV_SCREEN="$size@$dpi" CV_DPI="$dpi"
        xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
            source "$CV_ROOT_LIB"
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
        ' run_on_screen "$@"
    )
}

# The development CA and the localhost certificate it issues, for the HTTPS development backend.
# Kept under build/ (never committed), made once and made anew when missing or about to expire.
# The CA is trusted only inside the project's Wine prefix (trust_dev_ca), never on the host.
DEV_TLS="$ROOT/build/dev-tls"
DEV_CERT_MARGIN=$((30 * 24 * 3600))

# True when the certificate exists and stays valid for another 30 days.
cert_fresh() {
    [ -f "$1" ] && openssl x509 -in "$1" -noout -checkend "$DEV_CERT_MARGIN" >/dev/null 2>&1
}

# One configuration for the CA and what it issues, so the host's openssl.cnf does not matter.
# openssl reads the whole file on every call: set CV_CERT_HOST for each one.
write_dev_tls_config() {
    mkdir -p "$DEV_TLS/issued"
    touch "$DEV_TLS/index.txt"
    cat >"$DEV_TLS/openssl.cnf" <<CNF
[req]
distinguished_name = dn
prompt = no
[dn]
CN = unused
[ca_cert]
basicConstraints = critical, CA:TRUE, pathlen:0
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[ca]
default_ca = dev_ca
[dev_ca]
dir = $DEV_TLS
database = \$dir/index.txt
new_certs_dir = \$dir/issued
certificate = \$dir/ca.pem
private_key = \$dir/ca.key
rand_serial = yes
default_md = sha256
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
[server_cert]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = DNS:\$ENV::CV_CERT_HOST
CNF
}

# issue_dev_cert PATH HOST [START END]: PATH.key and PATH.pem, a server certificate for the DNS
# name HOST issued by the development CA; valid for a year, or from START to END (YYYYMMDDHHMMSSZ).
issue_dev_cert() {
    local out="$1" host="$2" validity=(-days 365)
    [ $# -lt 4 ] || validity=(-startdate "$3" -enddate "$4")
    (
        umask 077
        CV_CERT_HOST="$host" openssl req -new -newkey rsa:2048 -nodes -config "$DEV_TLS/openssl.cnf" \
            -subj "/CN=$host" \
            -keyout "$out.key" -out "$out.csr" 2>/dev/null
    ) || return 1
    CV_CERT_HOST="$host" openssl ca -batch -notext -config "$DEV_TLS/openssl.cnf" \
        -extensions server_cert -in "$out.csr" -out "$out.pem" "${validity[@]}" >/dev/null 2>&1
    local status=$?
    # openssl ca also files a copy of each certificate; nothing reads them.
    rm -f "$out.csr" "$DEV_TLS"/issued/*.pem
    return $status
}

ensure_dev_certs() {
    ensure_packages openssl:openssl
    write_dev_tls_config
    if ! cert_fresh "$DEV_TLS/ca.pem" || [ ! -f "$DEV_TLS/ca.key" ]; then
        say "creating the development CA in $DEV_TLS"
        (
            umask 077
            CV_CERT_HOST=localhost openssl req -x509 -newkey rsa:2048 -nodes \
                -config "$DEV_TLS/openssl.cnf" \
                -extensions ca_cert -subj "/CN=Corvanta Development CA" -days 3650 \
                -keyout "$DEV_TLS/ca.key" -out "$DEV_TLS/ca.pem" 2>/dev/null
        ) || die "openssl could not create the development CA"
        rm -f "$DEV_TLS/localhost.pem"
    fi
    if ! cert_fresh "$DEV_TLS/localhost.pem" || [ ! -f "$DEV_TLS/localhost.key" ] ||
        ! openssl verify -CAfile "$DEV_TLS/ca.pem" "$DEV_TLS/localhost.pem" >/dev/null 2>&1; then
        say "issuing the localhost certificate of the development backend"
        issue_dev_cert "$DEV_TLS/localhost" localhost ||
            die "openssl could not issue the localhost certificate"
    fi
}

# Adds the development CA to the CurrentUser Root store of $WINEPREFIX; idempotent.
trust_dev_ca() {
    local tool="$BUILD_WIN/CorvantaTrustCa.exe"
    [ -f "$tool" ] || die "missing $tool (scripts/build makes it)"
    wine "$tool" "$(winepath -w "$DEV_TLS/ca.pem" 2>/dev/null)" </dev/null >/dev/null ||
        die "the development CA could not be trusted in $WINEPREFIX"
}

# clang with the libFuzzer and sanitizer runtimes (Debian ships them apart from the compiler).
ensure_fuzz_tools() {
    ensure_packages clang++:clang
    local major
    major="$(clang++ -dumpversion | cut -d. -f1)"
    ensure_packages "$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a:libclang-rt-$major-dev"
}
