#!/bin/sh
# Runs e2e_finish under Wine with what only the Unix side can provide, set up before and removed
# after: a folder that no process may write (root ignores permission bits, so it is made
# immutable; no new drive letter, which Wine would only see after a server restart), and for the
# cp932 cases a generated ja_JP locale, without which Wine fails on non-ASCII file names.
#   run_e2e_finish.sh default|cp932 E2E_FINISH_EXE WORK_DIR
set -eu
mode=$1
exe=$2
work=$3
prefix=${WINEPREFIX:-$HOME/.wine}
locked=$prefix/drive_c/e2e-finish-locked

unlock() {
    if [ -d "$locked" ]; then
        chattr -i "$locked"
        rm -rf "$locked"
    fi
}

if [ "$mode" = cp932 ]; then
    exec sh "$(dirname "$0")/../support/run_cp932.sh" "$work/locale" wine "$exe" --gtest_filter='Cp932*'
fi

trap unlock EXIT
trap 'exit 143' INT TERM
unlock
mkdir -p "$locked"
printf 'MZ locked' >"$locked/setup.exe"
chattr +i "$locked"
export E2E_FINISH_LOCKED='C:\e2e-finish-locked'
wine "$exe" --gtest_filter='-Cp932*'
