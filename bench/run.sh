#!/usr/bin/env bash
# The benchmark: builds the benchmark setups, packs four products into them, runs each
# under Wine and Xvfb in a private prefix (build/bench-data/wineprefix) and prints the
# figures against a peer installer and the physical limits (a plain copy, unzip -q).
# The peer is an NSIS 3 installer of the same product folder (bench/peer.nsi), run with
# its page and silently under the same prefix and display.
#
#   bench/run.sh [PRODUCT...]        products: big small huge demo (default: all)
#
# BENCH_RUNS (default 3) sets the runs per product and build; the figure is the median.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
win="$root/build/bench-win"
host="$root/build/bench-host"
data="$root/build/bench-data"
runs=${BENCH_RUNS:-3}
products=("$@")
[ ${#products[@]} -gt 0 ] || products=(big small huge demo)

if [ "${BENCH_INNER:-}" != 1 ]; then
  # BENCH_NO_BUILD=1 measures the programs as they are built (for instance a build of an
  # earlier revision) and skips the build.
  if [ "${BENCH_NO_BUILD:-}" != 1 ]; then
  bash scripts/bootstrap.sh --bench >/dev/null
  [ -f "$host/CMakeCache.txt" ] || cmake --preset host -B "$host" -DORVANTA_SANITIZE=OFF -DORVANTA_FUZZ=OFF \
    -DORVANTA_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$host" -j "$(nproc)" --target orvapack
  [ -f "$win/CMakeCache.txt" ] || cmake --preset windows -B "$win" >/dev/null
  cmake --build "$win" -j "$(nproc)" --target setup_bench setup_bench_quiet orvanta_bench orvanta_floor \
    demo_product wine_locale
  fi
  # The packer takes the generic uninstaller from beside the stub.
  cp "$win/app/Uninstall.exe" "$win/bench/"

  echo "== products"
  python3 bench/products.py "$data/products" "$win/demo/product"
  # The peers: each product's folder, as unpacked from its archive, packed by makensis.
  # Both are kept until the archive or the script changes (packing 1 GB takes a while).
  mkdir -p "$data/peers"
  for p in "${products[@]}"; do
    folder="$data/products/$p" peer="$data/peers/$p.exe"
    if [ ! -d "$folder" ] || [ "$data/products/$p.zip" -nt "$folder" ]; then
      rm -rf "$folder" "$folder.part"
      unzip -q "$data/products/$p.zip" -d "$folder.part"
      mv "$folder.part" "$folder"
    fi
    if [ ! -f "$peer" ] || [ "$folder" -nt "$peer" ] || [ bench/peer.nsi -nt "$peer" ]; then
      makensis -V1 -DPRODUCT="$folder" -DOUT="$peer" bench/peer.nsi
    fi
  done
  rm -rf "$data/setups" && mkdir -p "$data/setups"
  # The runs use copies, so the build may go on while they run.
  cp "$win/bench/orvanta_bench.exe" "$win/bench/orvanta_floor.exe" "$data/setups/"
  stat -c %s "$win/bench/setup_bench.exe" >"$data/setups/stub-size"
  for p in "${products[@]}"; do
    for variant in setup_bench setup_bench_quiet; do
      "$host/tools/orvapack" build --stub "$win/bench/$variant.exe" --product "$data/products/$p.zip" \
        --lang "$win/demo/lang.ini" --banner "$win/demo/top_log.bmp" --out "$data/setups/$p-$variant.exe" >/dev/null
    done
  done
  export BENCH_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "${products[@]}"
fi

export ORVANTA_WINEPREFIX="$data/wineprefix"
run="$win/wine-run.sh"
stop() { WINEPREFIX="$ORVANTA_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true; }
trap stop EXIT
"$run" cmd /c exit >/dev/null 2>&1 || true
target="$ORVANTA_WINEPREFIX/drive_c/bench-target"
results="$data/results.txt"
: >"$results"
now() { date +%s.%N; }

for p in "${products[@]}"; do
  zip="$data/products/$p.zip"
  stub=$(cat "$data/setups/stub-size")
  setup="$data/setups/$p-setup_bench.exe"
  echo "== $p: payload $(stat -c %s "$zip") bytes, container $(( $(stat -c %s "$setup") - stub )) bytes"
  echo "$p payload $(stat -c %s "$zip")" >>"$results"
  for ((i = 1; i <= runs; i++)); do
    # The plain copy of the container's bytes on the same disk (dd, 1 MiB blocks, cache warm).
    t0=$(now); dd if="$setup" of="$data/copy.bin" bs=1M iflag=skip_bytes skip="$stub" status=none; t1=$(now)
    rm -f "$data/copy.bin"
    echo "$p copy_s $(echo "$t1 - $t0" | bc)" >>"$results"
    rm -rf "$data/unzip-out"
    t0=$(now); unzip -q -o "$zip" -d "$data/unzip-out"; t1=$(now)
    rm -rf "$data/unzip-out"
    echo "$p unzip_s $(echo "$t1 - $t0" | bc)" >>"$results"
    for variant in setup_bench setup_bench_quiet; do
      rm -rf "$target"
      out=$("$run" "$data/setups/orvanta_bench.exe" "Z:${data//\//\\}\\setups\\$p-$variant.exe" 'C:\bench-target' \
        'C:\bench-notices.txt' 2>/dev/null | tr -d '\r') || { echo "$out"; echo "run failed: $p $variant"; exit 1; }
      echo "   $variant run $i: $(echo "$out" | head -n 1)"
      { echo "$out" | head -n 1 | tr ' ' '\n' | sed 's/=/ /'; echo "$out" | tail -n +2; } |
        grep -E '^[a-z_0-9]+ [0-9.]+$' | while read -r key value; do echo "$p $variant.$key $value"; done >>"$results"
    done
    # The quiet setup again, over the installation it just made: every file is there, so
    # each is set aside by rename, written anew, and the set-aside copies are dropped at
    # the end.
    out=$("$run" "$data/setups/orvanta_bench.exe" "Z:${data//\//\\}\\setups\\$p-setup_bench_quiet.exe" 'C:\bench-target' \
      'C:\bench-notices.txt' 2>/dev/null | tr -d '\r') || { echo "$out"; echo "reinstall failed: $p"; exit 1; }
    echo "   reinstall_quiet run $i: $(echo "$out" | head -n 1)"
    echo "$out" | head -n 1 | tr ' ' '\n' | sed -n 's/^install_s=/'"$p"' reinstall_quiet.install_s /p' >>"$results"
    # The peer, process start to end, with its page and silent (/D= must come last).
    for mode in page silent; do
      rm -rf "$target"
      flags=()
      [ $mode = page ] || flags=(/S)
      out=$("$run" "$data/setups/orvanta_bench.exe" --time "Z:${data//\//\\}\\peers\\$p.exe" "${flags[@]}" \
        '/D=C:\bench-target' 2>/dev/null | tr -d '\r') || { echo "$out"; echo "peer failed: $p $mode"; exit 1; }
      installed=$(find "$target" -type f | wc -l) expected=$(find "$data/products/$p" -type f | wc -l)
      [ "$installed" = "$expected" ] || { echo "peer installed $installed of $expected files: $p $mode"; exit 1; }
      echo "   nsis_$mode run $i: $out"
      echo "$p nsis_$mode.${out/=/ }" >>"$results"
    done
  done
  rm -rf "$target"
done
# What a notice and a new file cost at the least here, as the setups ran: same prefix,
# same display, same disk.
for ((i = 1; i <= runs; i++)); do
  rm -rf "$target"
  "$run" "$data/setups/orvanta_floor.exe" 'C:\bench-target' 2>/dev/null | tr -d '\r' | sed -n 's/^floor_\([a-z_]*\)=\([0-9.]*\)$/floor \1 \2/p' >>"$results"
done
rm -rf "$target"
python3 bench/report.py "$results" | tee "$data/report.txt"
