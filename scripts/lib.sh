# Shared by the scripts: paths, package installs, the Wine environment. Sourced, not run.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
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

configure_build_win() {
    cmake -S "$ROOT" -B "$BUILD_WIN" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || die "cmake configure (win) failed"
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

# clang with the libFuzzer and sanitizer runtimes (Debian ships them apart from the compiler).
ensure_fuzz_tools() {
    ensure_packages clang++:clang
    local major
    major="$(clang++ -dumpversion | cut -d. -f1)"
    ensure_packages "$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a:libclang-rt-$major-dev"
}
