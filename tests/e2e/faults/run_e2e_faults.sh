#!/bin/sh
# Runs e2e_faults under Wine with the faults that only the Unix side can make, set up before and
# removed after (also when a run before was cut short), all inside the prefix and the build tree:
# a folder on C: that no process may write (root ignores permission bits, so it is immutable), and
# two other volumes reached through folders on C: (no new drive letter, which Wine would see only
# after a server restart): a 64 KiB tmpfs that a larger file fills part-way, and a read-only one.
#   run_e2e_faults.sh E2E_FAULTS_EXE WORK_DIR
set -eu
exe=$1
work=$2
prefix=${WINEPREFIX:-$HOME/.wine}
full=$work/volumes/full
readonly_volume=$work/volumes/readonly
locked=$prefix/drive_c/e2e-faults-locked
full_link=$prefix/drive_c/e2e-faults-full
readonly_link=$prefix/drive_c/e2e-faults-readonly

cleanup() {
    rm -f "$full_link" "$readonly_link"
    for volume in "$full" "$readonly_volume"; do
        if mountpoint -q "$volume"; then
            umount "$volume" || umount -l "$volume"
        fi
    done
    if [ -d "$locked" ]; then
        chattr -i "$locked"
        rm -rf "$locked"
    fi
}

trap cleanup EXIT
trap 'exit 143' INT TERM
cleanup
mkdir -p "$full" "$readonly_volume" "$locked"
chattr +i "$locked"
mount -t tmpfs -o size=64k,mode=0755 tmpfs "$full"
mount -t tmpfs -o size=64k,mode=0755 tmpfs "$readonly_volume"
printf 'an older file, kept as it was' >"$readonly_volume/older.dat"
mount -o remount,ro "$readonly_volume"
ln -s "$full" "$full_link"
ln -s "$readonly_volume" "$readonly_link"

export E2E_FAULTS_LOCKED='C:\e2e-faults-locked'
export E2E_FAULTS_FULL='C:\e2e-faults-full'
export E2E_FAULTS_READONLY='C:\e2e-faults-readonly'
wine "$exe"
