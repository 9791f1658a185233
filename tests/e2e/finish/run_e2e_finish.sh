#!/bin/sh
# Runs e2e_finish under Wine with what only the Unix side can provide, set up before and removed
# after (also when a run before was cut short), all inside the prefix and the build tree. Default:
# a folder on C: that no process may write (root ignores permission bits, so it is immutable), and
# two volumes reached through folders on C: (a new drive letter would show only after a server
# restart): a 64 KiB tmpfs that a larger file fills part-way, and a read-only one; for the placement
# policy, on the test drive P: a folder and a symbolic link to a folder on Q:. cp932: the
# generated ja_JP locale, without which Wine fails on non-ASCII file names.
#   run_e2e_finish.sh default|cp932 E2E_FINISH_EXE WORK_DIR
set -eu
mode=$1
exe=$2
work=$3
if [ "$mode" = cp932 ]; then
    exec sh "$(dirname "$0")/../support/run_cp932.sh" "$work/locale" wine "$exe" --gtest_filter='*Cp932*'
fi
prefix=${WINEPREFIX:-$HOME/.wine}
full=$work/volumes/full
readonly_volume=$work/volumes/readonly
locked=$prefix/drive_c/e2e-finish-locked
# The test drives P: and Q: (a drive root is chosen in the folder dialog reliably, unlike a sub-folder).
drive_dir() {
    dir=$(readlink -f "$prefix/dosdevices/$1:" || true)
    case "$dir" in
    */drives/"$1") echo "$dir" ;;
    *) echo "drive $1: is not a test drive" >&2; exit 1 ;;
    esac
}
chosen=$(drive_dir p)
beside=$(drive_dir q)

cleanup() {
    rm -f "$prefix/drive_c/e2e-finish-full" "$prefix/drive_c/e2e-finish-readonly"
    for volume in "$full" "$readonly_volume"; do
        if mountpoint -q "$volume"; then
            umount "$volume" || umount -l "$volume"
        fi
    done
    find "$chosen" "$beside" -mindepth 1 -delete
    if [ -d "$locked" ]; then
        chattr -i "$locked"
        rm -rf "$locked"
    fi
}

trap cleanup EXIT
trap 'exit 143' INT TERM
cleanup
mkdir -p "$full" "$readonly_volume" "$locked"
printf 'MZ locked' >"$locked/setup.exe"
chattr +i "$locked"
mount -t tmpfs -o size=64k,mode=0755 tmpfs "$full"
mount -t tmpfs -o size=64k,mode=0755 tmpfs "$readonly_volume"
printf 'an older file, kept as it was' >"$readonly_volume/older.dat"
mount -o remount,ro "$readonly_volume"
mkdir -p "$chosen/sub" "$beside/outside"
ln -s "$beside/outside" "$chosen/link" # Wine makes no junction; the final path must tell
ln -s "$full" "$prefix/drive_c/e2e-finish-full"
ln -s "$readonly_volume" "$prefix/drive_c/e2e-finish-readonly"

export E2E_FINISH_LOCKED='C:\e2e-finish-locked'
export E2E_FINISH_FULL='C:\e2e-finish-full'
export E2E_FINISH_READONLY='C:\e2e-finish-readonly'
export E2E_POLICY_DRIVES=1
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};ieframe=n,b"
LC_ALL=C wine "$exe" --gtest_filter='-*Cp932*'
