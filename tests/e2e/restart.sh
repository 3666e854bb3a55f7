#!/bin/sh
# Installs the demo, ends the prefix's Wine server as a restart of Windows would (the
# volatile install record goes with it), then removes the product with its Uninstall.exe.
# Usage: restart.sh WINE_RUN PREFIX E2E_TESTS_EXE
set -u
wine_run=$1 prefix=$2 tests=$3
"$wine_run" "$tests" --gtest_color=no --gtest_also_run_disabled_tests --gtest_filter='*BeforeRestart.*' || exit 1
WINEPREFIX="$prefix" wineserver -k
WINEPREFIX="$prefix" wineserver -w
exec "$wine_run" "$tests" --gtest_color=no --gtest_also_run_disabled_tests --gtest_filter='*AfterRestart.*'
