#!/bin/sh
# Runs a command under the ja_JP locale, in which Wine uses code page 932. The Linux locale is
# generated into LOCALE_DIR first (without touching the system): without it Wine fails on
# non-ASCII file names.
#   run_cp932.sh LOCALE_DIR COMMAND [ARGUMENT...]
set -eu
dir=$1
shift
if [ ! -f "$dir/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$dir"
    localedef -i ja_JP -f UTF-8 "$dir/ja_JP.UTF-8"
fi
exec env LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 LOCPATH="$dir" "$@"
