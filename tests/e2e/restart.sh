#!/bin/sh
# Installs the demo, ends the prefix's Wine server as a restart of Windows would (the
# volatile install record goes with it), then removes the product with its Uninstall.exe.
# Usage: restart.sh WINE_RUN PREFIX E2E_TESTS_EXE
set -u
wine_run=$1 prefix=$2 tests=$3

# Runs the tests of one half. A filter that selects no test (a renamed test, another
# program) makes GoogleTest pass with nothing run, so that counts as a failure here.
run_half() {
  out=$(mktemp) || return 1
  "$wine_run" "$tests" --gtest_color=no --gtest_also_run_disabled_tests --gtest_filter="$1" >"$out" 2>&1
  status=$?
  cat "$out"
  ran=$(sed -n 's/^\[==========\] \([0-9][0-9]*\) tests\{0,1\} from .* ran\..*/\1/p' "$out")
  rm -f "$out"
  [ "$status" -eq 0 ] || return "$status"
  [ "${ran:-0}" -gt 0 ] || { echo "restart.sh: no test of $tests matches $1" >&2; return 1; }
}

run_half '*BeforeRestart.*' || exit 1
WINEPREFIX="$prefix" wineserver -k
WINEPREFIX="$prefix" wineserver -w
run_half '*AfterRestart.*'
