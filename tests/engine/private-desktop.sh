#!/bin/sh
# Gives the test prefix a desktop of its own. A fresh Wine prefix links the user's
# Desktop folder to the Linux home, so desktop shortcuts made by tests would land in a
# real profile; a plain folder in its place keeps them inside the prefix.
# Usage: private-desktop.sh WINE_RUN PREFIX
set -u
wine_run=$1
prefix=$2
[ -f "$prefix/.orvanta-ready" ] || "$wine_run" cmd /c exit >/dev/null 2>&1
for desktop in "$prefix"/drive_c/users/*/Desktop; do
  if [ -L "$desktop" ]; then
    rm -f "$desktop" && mkdir -p "$desktop"
  fi
done
exit 0
