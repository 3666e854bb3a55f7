#!/usr/bin/env bash
# The run command: builds the demo product's setup and runs it under Wine.
#
# With a display (DISPLAY set) the wizard opens for you. Without one it runs under Xvfb,
# walks the wizard to the finish page by itself, saves a picture of every page in
# build/demo/shots, and prints where the product went, its shortcuts and the record.
# It always uses its own Wine prefix (build/demo/wineprefix), never ~/.wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/bootstrap.sh
jobs=$(nproc)
cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs" --target orvapack
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs" --target setup demo_product orvanta_walk wine_locale

demo="$root/build/demo"
mkdir -p "$demo"
win="$root/build/windows"
setup="$demo/OrvantaSetup.exe"
# ORVANTA_DEMO_PRODUCT packs another product folder instead (make-screenshots.sh uses it).
product="${ORVANTA_DEMO_PRODUCT:-$win/demo/product}"
"$root/build/host/tools/orvapack" build --stub "$win/app/setup.exe" --product "$product" \
  --lang "$win/demo/lang.ini" --banner "$win/demo/top_log.bmp" --out "$setup"
echo "packed $setup"
"$root/build/host/tools/orvapack" list "$setup"

export ORVANTA_WINEPREFIX="$demo/wineprefix"
run="$win/wine-run.sh"

# --silent: the unattended installation a deployment tool runs, its log, its exit code and
# the entry it leaves in the list of installed programs.
if [ "${1:-}" = "--silent" ]; then
  stop() { WINEPREFIX="$ORVANTA_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true; }
  trap stop EXIT
  log="$demo/silent.log"
  rm -f "$log"
  echo "setup.exe /S /LOG=... /D=C:\\Program Files\\Orvanta Silent (prefix $ORVANTA_WINEPREFIX)"
  set +e
  xvfb-run -a "$run" "$setup" /S "/LOG=$("$run" winepath -w "$log" 2>/dev/null)" \
    '/D=C:\Program Files\Orvanta Silent'
  code=$?
  set -e
  echo "exit code: $code"
  echo "log:"
  cat "$log"
  echo "entry in the list of installed programs:"
  WINEPREFIX="$ORVANTA_WINEPREFIX" wine reg query \
    'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanta' 2>/dev/null | tr -d '\r'
  exit "$code"
fi

if [ -n "${DISPLAY:-}" ]; then
  echo "starting the setup on $DISPLAY (prefix $ORVANTA_WINEPREFIX)"
  exec "$run" "$setup"
fi

shots="$demo/shots"
rm -rf "$shots"
mkdir -p "$shots"
stop() { WINEPREFIX="$ORVANTA_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true; }
trap stop EXIT
echo "no display: walking the wizard under Xvfb (prefix $ORVANTA_WINEPREFIX)"
xvfb-run -a -s "-screen 0 1024x768x24" \
  "$run" explorer "/desktop=OrvantaDemo,800x600" "$win/tools/driver/orvanta_walk.exe" "$setup" \
  "$("$run" winepath -w "$shots" 2>/dev/null)" "$@"
for bmp in "$shots"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "pictures of every page: $shots"
ls "$shots"
