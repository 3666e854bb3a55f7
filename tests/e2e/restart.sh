#!/bin/sh
# Installs the demo, ends the prefix's Wine server as a restart of Windows would (the
# volatile install record goes with it), then removes the product with its Uninstall.exe.
# Usage: restart.sh WINE_RUN PREFIX STEPS_EXE
set -u
wine_run=$1
prefix=$2
steps=$3
"$wine_run" "$steps" --gtest_color=no --gtest_filter='BeforeRestart.*' || exit 1
WINEPREFIX="$prefix" wineserver -k
WINEPREFIX="$prefix" wineserver -w
exec "$wine_run" "$steps" --gtest_color=no --gtest_filter='AfterRestart.*'
