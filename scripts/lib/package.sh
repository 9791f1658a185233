# Making the packages (scripts/package) and checking them as an integrator would (scripts/test).
# Needs common.sh.

DA_PACKAGE_OUT=$DA_BUILD/package
DA_SIGN_DESCRIPTION="Kavo Download Assistant"

# The same arguments as the test command's builds, so that either build finds the other's up to date.
da_build_for_package() {
    if [ "$1" = x86_64 ]; then
        da_build x86_64 -DDA_PACKAGE=ON
    else
        da_build i686 -DDA_TESTS=OFF -DDA_PACKAGE=ON
    fi
}

# Authenticode signatures (SHA-256) with DA_SIGN_PFX and DA_SIGN_PASSWORD, made in place. No
# timestamp: it needs a timestamp server, and there is no network here.
da_sign_executables() {
    local exe
    for exe in "$@"; do
        osslsigncode sign -pkcs12 "$DA_SIGN_PFX" -readpass <(printf '%s' "$DA_SIGN_PASSWORD") -h sha256 \
            -n "$DA_SIGN_DESCRIPTION" -in "$exe" -out "$exe.signed" >/dev/null || return 1
        mv "$exe.signed" "$exe"
    done
}

# da_package_arch ARCH: build, install into the stage, strip check, sign, zip into DA_PACKAGE_OUT.
da_package_arch() {
    local arch=$1 dir=$DA_BUILD/$1 stage exe
    da_build_for_package "$arch" >&2 || return 1
    stage=$dir/package-stage # CPACK_INSTALLED_DIRECTORIES in cmake/Package.cmake
    rm -rf "$stage"
    cmake --install "$dir" --prefix "$stage" >/dev/null || return 1
    # The release build strips them (cmake/Strip.cmake); a signature must come after that.
    for exe in "$stage/KavoDownloadAssistant.exe" "$stage/dlcpeer.exe"; do
        if "$arch-w64-mingw32-objdump" -h "$exe" | grep -q '\.debug_'; then
            da_log "$exe carries debug sections"
            return 1
        fi
    done
    if [ -n "${DA_SIGN_PFX:-}" ]; then
        da_sign_executables "$stage/KavoDownloadAssistant.exe" "$stage/dlcpeer.exe" || return 1
    fi
    (cd "$dir" && cpack --config CPackConfig.cmake -B "$DA_PACKAGE_OUT" >/dev/null)
}

da_make_packages() {
    mkdir -p "$DA_PACKAGE_OUT"
    rm -f "$DA_PACKAGE_OUT"/KavoDownloadAssistant-*.zip
    da_package_arch x86_64 || return 1
    da_package_arch i686 || return 1
    ls "$DA_PACKAGE_OUT"/KavoDownloadAssistant-*.zip
}

# A throw-away authority and a code-signing certificate issued by it, valid for two days:
# DIR/ca.pem, DIR/signer.pfx and its password in DIR/password.
da_make_test_certificate() {
    local dir=$1
    mkdir -p "$dir"
    (
        cd "$dir"
        openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
            -subj "/CN=Throw-away test authority" -addext "basicConstraints=critical,CA:TRUE" \
            -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
        openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
            -subj "/CN=Throw-away code signer" 2>/dev/null
        printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
            >signer.ext
        openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -out signer.pem \
            -extfile signer.ext 2>/dev/null
        openssl rand -hex 16 >password
        openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -out signer.pfx \
            -passout "file:password"
    )
}

# What an unpacked package must hold, and nothing of the tests or of dlcpeer's own tools.
da_check_package_contents() {
    local root=$1 file listing
    for file in KavoDownloadAssistant.exe dlcpeer.exe README.md sdk/lib/libKavoPeerKit.a \
        sdk/lib/cmake/KavoPeerKit/KavoPeerKitConfig.cmake sdk/include/peerkit/PeerSession.h \
        sdk/src/CMakeLists.txt sdk/src/peerkit/PeerSession.cpp; do
        [ -f "$root/$file" ] || { da_log "package lacks $file"; return 1; }
    done
    listing=$(cd "$root" && find . -type f)
    if grep -Ei 'ieframe|test|bench|fuzz|\.debug$|tools/' <<<"$listing"; then
        da_log "package holds the files above, which are not for integrators"
        return 1
    fi
}

# Runs PROGRAM ARGS... under Wine in a fresh copy of the build's booted prefix, on a private Xvfb
# display; returns the program's exit code. Arguments that are Unix paths are given as Windows paths.
da_run_in_fresh_prefix() {
    local prefix=$1
    shift
    rm -rf "$prefix"
    cp -a "$DA_BUILD/wineprefix" "$prefix"
    (
        DA_PREFIX=$prefix
        trap da_stop_all EXIT
        da_start_xvfb --private
        da_start_wineserver
        local args=() arg
        for arg in "$@"; do
            if [[ $arg == /* ]]; then args+=("$(winepath -w "$arg")"); else args+=("$arg"); fi
        done
        wine "${args[@]}" </dev/null
    )
}

# da_check_xp_imports WORK EXE...: fails, showing the gate's report, when an exe imports a function
# that Windows XP (SP3, or x64 / Server 2003 for 64-bit files) does not export.
da_check_xp_imports() {
    local work=$1; shift
    python3 "$DA_ROOT/scripts/xp-imports/check-xp-imports" "$@" >"$work/imports.log" 2>&1 ||
        { cat "$work/imports.log"; da_log "an import that Windows XP lacks: $*"; return 1; }
}

# The packages as an integrator gets them: signed with a throw-away certificate and verified
# against its authority, their contents checked, and the minimal peer built against the unpacked
# win64 package (with its prebuilt library, and once from the kit's sources) and run under Wine
# against the packaged assistant. Needs the build's booted prefix (da_make_prefix).
da_check_package() {
    local work=$DA_BUILD/package-check zip arch root exe log kit from expect triple
    rm -rf "$work"
    mkdir -p "$work"
    da_make_test_certificate "$work/signing" || return 1
    DA_SIGN_PFX=$work/signing/signer.pfx DA_SIGN_PASSWORD=$(cat "$work/signing/password") \
        da_make_packages >"$work/zips" 2>"$work/package.log" ||
        { cat "$work/package.log"; da_log "scripts/package failed"; return 1; }
    [ "$(wc -l <"$work/zips")" -eq 2 ] || { da_log "expected two packages, got: $(cat "$work/zips")"; return 1; }
    for arch in win64 win32; do
        zip=$(grep -- "-$arch.zip\$" "$work/zips") || { da_log "no $arch package"; return 1; }
        unzip -q "$zip" -d "$work/unpacked" || return 1
        root=$work/unpacked/$(basename "$zip" .zip)
        da_check_package_contents "$root" || return 1
        for exe in "$root/KavoDownloadAssistant.exe" "$root/dlcpeer.exe"; do
            osslsigncode verify -CAfile "$work/signing/ca.pem" -in "$exe" >"$work/verify.log" 2>&1 ||
                { cat "$work/verify.log"; da_log "signature of $exe does not verify"; return 1; }
        done
        da_check_xp_imports "$work" "$root/KavoDownloadAssistant.exe" "$root/dlcpeer.exe" || return 1
        da_log "$(basename "$zip"): contents and both signatures verified, every import on Windows XP"
    done

    # The 32-bit minimal peer is built only for its imports: it cannot run here.
    for kit in prebuilt source prebuilt-win32; do
        from=OFF expect="the prebuilt library" arch=win64 triple=x86_64-w64-mingw32
        [ $kit != source ] || from=ON expect="built from the sources"
        [ $kit != prebuilt-win32 ] || arch=win32 triple=i686-w64-mingw32
        root=$work/unpacked/$(basename "$(grep -- "-$arch.zip\$" "$work/zips")" .zip)
        log=$work/example-$kit.log
        if ! { cmake -S "$DA_ROOT/examples/minimal-peer" -B "$work/example-$kit" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$DA_ROOT/cmake/toolchain-$triple.cmake" \
            -DCMAKE_PREFIX_PATH="$root/sdk" -DKavoPeerKit_FROM_SOURCE=$from &&
            cmake --build "$work/example-$kit" -j"$(nproc)"; } >"$log" 2>&1; then
            cat "$log"
            da_log "the minimal peer does not build against the package's kit ($kit)"
            return 1
        fi
        grep -q "KavoPeerKit: $expect" "$log" ||
            { cat "$log"; da_log "the package configuration did not take the $kit kit"; return 1; }
        da_check_xp_imports "$work" "$work/example-$kit/minimal-peer.exe" || return 1
    done
    da_log "minimal peer: built against both packages' kits, every import on Windows XP"
    root=$work/unpacked/$(basename "$(grep -- '-win64.zip$' "$work/zips")" .zip)

    mkdir -p "$work/placed"
    log=$work/example-run.log
    if ! da_run_in_fresh_prefix "$work/wineprefix" "$work/example-prebuilt/minimal-peer.exe" "$work/placed" \
        "$root/KavoDownloadAssistant.exe" >"$log" 2>&1; then
        cat "$log"
        da_log "the minimal peer failed against the packaged assistant"
        return 1
    fi
    grep -q '^assistant exit code: 0' "$log" && [ -s "$work/placed/minimal-peer.txt" ] ||
        { cat "$log"; da_log "the minimal peer's file was not placed, or the assistant did not exit with 0"; return 1; }
    da_log "minimal peer: built against the win64 package, placed its file, both exited with 0"
}
