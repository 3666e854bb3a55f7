#!/usr/bin/env bash
# The one test command: bootstraps a fresh machine, builds the host and the Windows
# build, and runs every test (host tests and bounded fuzz runs natively, Windows tests
# under Wine in the build's private prefix and under Xvfb for the GUI).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/bootstrap.sh

jobs=$(nproc)
cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

status=0
echo "== host tests"
ctest --preset host -j "$jobs" || status=1

echo "== windows tests (Wine, Xvfb)"
export WINEPREFIX="$root/build/windows/wineprefix"
cleanup() { WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1 || true; }
trap cleanup EXIT
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset windows -j "$jobs" || status=1

if [ "$status" -ne 0 ]; then
  echo "test.sh: some tests failed" >&2
fi
exit "$status"
