#!/usr/bin/env bash
# Compiles the help into a .chm with chmcmd (Debian package fp-utils):
#   chm-compile.sh CHMCMD HELP_FOLDER WORK_FOLDER OUTPUT
#
# chmcmd stores the topic of each help number ([ALIAS]) as the topic's full
# path on this machine ("/home/me/quillcard/help/welcome.htm"), which no
# viewer finds inside the .chm, where the topic is "/welcome.htm". So it runs
# with the help folder as its root folder: a copy of the help, chmcmd and the
# libraries it loads in WORK_FOLDER, entered with chroot (as root) or in a
# user namespace of its own (otherwise). The topics' paths are then the paths
# they have inside the .chm. cmake/help_check.cmake checks the result.
set -euo pipefail
chmcmd=$(readlink -f "$1")
help=$2
work=$3
output=$4

rm -rf "$work"
mkdir -p "$work"
cp -r "$help"/. "$work"/
cp "$chmcmd" "$work/chmcmd"
# The libraries of the program, and those its run-time loads by name.
libs=$(ldd "$chmcmd" | awk '/=>/ { print $3 } /^[[:space:]]*\// { print $1 }')
for name in libpthread.so.0 libdl.so.2; do
  for dir in /lib/x86_64-linux-gnu /usr/lib/x86_64-linux-gnu /lib64 /lib; do
    if [ -e "$dir/$name" ]; then libs="$libs $dir/$name"; break; fi
  done
done
for lib in $libs; do
  mkdir -p "$work$(dirname "$lib")"
  cp -L "$lib" "$work$lib"
done

cd "$work"
if [ "$(id -u)" -eq 0 ]; then
  chroot "$work" /chmcmd --verbosity 0 quillcrd.hhp
else
  unshare --map-root-user --root="$work" --wd=/ /chmcmd --verbosity 0 quillcrd.hhp
fi
[ -s "$work/quillcrd.chm" ] || { echo "chm-compile.sh: chmcmd wrote no quillcrd.chm" >&2; exit 1; }
mv "$work/quillcrd.chm" "$output"
rm -rf "$work"
