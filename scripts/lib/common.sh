# Shared by scripts/test and scripts/demo: packages, builds, the private Wine prefix, Xvfb and
# wineserver. Everything started here is stopped by PID (or `wineserver -k` on our own prefix).

DA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
DA_BUILD=${DA_BUILD:-$DA_ROOT/build}
DA_PACKAGES=(cmake make g++ googletest g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32
             wine wine64 xvfb x11-utils locales imagemagick clang libclang-rt-dev
             fonts-wine fonts-ipafont-gothic
             openssl osslsigncode unzip python3)

da_log() { printf '== %s\n' "$*" >&2; }

da_install_packages() {
    local missing=()
    for p in "${DA_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    da_log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# A configure that failed (its compiler not installed yet) leaves a cache whose flags are empty,
# and the next configure keeps them: a "Release" build without optimisation. Such a cache goes.
da_drop_failed_cache() {
    [ -f "$1/CMakeCache.txt" ] && [ ! -f "$1/Makefile" ] && rm -rf "$1/CMakeCache.txt" "$1/CMakeFiles"
    return 0
}

# da_build ARCH [extra cmake args...]: configure and build build/ARCH with the MinGW toolchain.
da_build() {
    local arch=$1; shift
    local dir=$DA_BUILD/$arch
    da_drop_failed_cache "$dir"
    cmake -S "$DA_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$DA_ROOT/cmake/toolchain-$arch-w64-mingw32.cmake" \
        -DDA_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

da_build_native() {
    local dir=$DA_BUILD/native
    da_drop_failed_cache "$dir"
    cmake -S "$DA_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DDA_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

# DA_PREFIX picks another prefix than the build's own (a test lane's).
da_wine_env() {
    export WINEPREFIX=${DA_PREFIX:-$DA_BUILD/wineprefix}
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# A private prefix, booted once and synchronously; later runs reuse it.
da_make_prefix() {
    da_wine_env
    if [ ! -f "$WINEPREFIX/.da-ready" ]; then
        da_log "creating Wine prefix $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        mkdir -p "$(dirname "$WINEPREFIX")"
        wineboot -i </dev/null >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.da-ready"
    fi
    da_map_test_drives
}

# Drive letters for the folder-dialog tests (a drive root is preselected reliably, unlike a
# sub-folder): P: and Q: are private writable folders, R: a folder in which no file can be created,
# even by root (procfs). They appear after the next wineserver start.
da_map_test_drives() {
    local drives=${1:-$DA_BUILD/drives}
    mkdir -p "$drives/p" "$drives/q"
    ln -sfn "$drives/p" "$WINEPREFIX/dosdevices/p:"
    ln -sfn "$drives/q" "$WINEPREFIX/dosdevices/q:"
    ln -sfn /proc/self/fdinfo "$WINEPREFIX/dosdevices/r:"
}

# Test lanes: each a fresh copy of the booted prefix (about a second) with test drives of its own,
# so that lanes running at once share no named object, work file, settings key or drive, and no
# run sees what an earlier one left. Call with no server running on the build's prefix.
da_make_lanes() {
    local count=$1 k lane
    rm -rf "$DA_BUILD/lanes"
    for k in $(seq 1 "$count"); do
        lane=$DA_BUILD/lanes/$k
        mkdir -p "$lane"
        cp -a "$DA_BUILD/wineprefix" "$lane/wineprefix"
        (DA_PREFIX=$lane/wineprefix da_wine_env && da_map_test_drives "$lane/drives")
    done
}

DA_XVFB_PID=""
DA_STARTED_WINESERVER=""

da_start_xvfb() {
    if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != "--private" ]; then
        return 0
    fi
    local fifo display
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    DA_XVFB_PID=$!
    read -r -t 20 display <"$fifo" || true
    rm -f "$fifo"
    [ -n "$display" ] || { da_log "Xvfb did not start"; return 1; }
    export DISPLAY=:$display
}

# A persistent server makes each Wine process start in well under a second. Its output goes
# nowhere near a pipe, or readers of the first process's stderr would wait for it.
da_start_wineserver() {
    da_wine_env
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p </dev/null >/dev/null 2>&1
    DA_STARTED_WINESERVER=1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

da_stop_all() {
    if [ -n "$DA_STARTED_WINESERVER" ]; then
        da_wine_env
        wineserver -k >/dev/null 2>&1 || true
        DA_STARTED_WINESERVER=""
    fi
    if [ -n "$DA_XVFB_PID" ]; then
        kill "$DA_XVFB_PID" 2>/dev/null || true
        wait "$DA_XVFB_PID" 2>/dev/null || true
        DA_XVFB_PID=""
    fi
}
