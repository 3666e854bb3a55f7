#!/usr/bin/env python3
"""Prints the benchmark table from the result lines of bench/run.sh ("product key value").
The comparison with the peer and the floor first, then the other ratios, the absolute
figures (medians) and the machine."""
import collections
import os
import platform
import statistics
import subprocess
import sys

MB = 1024 * 1024
ORDER = ["big", "small", "huge", "demo"]


def load(path):
    values = collections.defaultdict(lambda: collections.defaultdict(list))
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 3:
                values[parts[0]][parts[1]].append(float(parts[2]))
    return values


def median(values, key):
    found = values.get(key)
    return statistics.median(found) if found else float("nan")


def machine():
    cpu = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    try:
        wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    except OSError:
        wine = "unknown"
    return f"{os.cpu_count()} cores (nproc), {cpu}, {wine}, {platform.system()} {platform.release()}"


def main():
    data = load(sys.argv[1])
    floor = data.pop("floor", {})
    products = [p for p in ORDER if p in data] + [p for p in data if p not in ORDER]
    rows = []
    for p in products:
        v = data[p]
        m = {k: median(v, k) for k in v}
        runs = len(v.get("setup_bench.install_s", []))
        payload = m["payload"]
        install = m.get("setup_bench.install_s", float("nan"))
        quiet = m.get("setup_bench_quiet.install_s", float("nan"))
        unzip = m.get("unzip_s", float("nan"))
        copy = m.get("copy_s", float("nan"))
        first = m.get("setup_bench.first_page_s", float("nan"))
        peak = m.get("setup_bench.peak_ws", float("nan"))
        commit = m.get("setup_bench.peak_commit", float("nan"))
        handler = m.get("setup_bench.handler_seconds", float("nan"))
        rows.append(dict(p=p, runs=runs, payload=payload, install=install, quiet=quiet, unzip=unzip, copy=copy,
                         first=first, peak=peak, commit=commit, handler=handler,
                         notices=m.get("setup_bench.notices", float("nan")),
                         reinstall=m.get("reinstall_quiet.install_s", float("nan")),
                         nsis=m.get("nsis_page.run_s", float("nan")), nsis_silent=m.get("nsis_silent.run_s", float("nan"))))
    send = median(floor, "send_us") / 1000 if floor else float("nan")
    for r in rows:
        r["per_notice"] = 1000 * (r["install"] - r["quiet"]) / r["notices"]

    print("\nAgainst the peer and the floor (targets: setup/NSIS <= 1.0 for small files and the demo, <= 1.4 for"
          "\nthe large products; notice/floor <= 1.2)")
    print(f"{'product':8} {'setup/NSIS':>10} {'quiet/NSIS silent':>17} {'notice/floor':>12}")
    for r in rows:
        print(f"{r['p']:8} {r['install'] / r['nsis']:10.2f} {r['quiet'] / r['nsis_silent']:17.2f}"
              f" {r['per_notice'] / send:12.2f}")

    print("\nRatios (targets: install/unzip <= 1.5, notice share < 10 %, first page <= 1.3 x copy + 0.5 s,"
          " peak <= payload + 32 MB)")
    print(f"{'product':8} {'install/unzip':>13} {'quiet/unzip':>11} {'notice share':>12} {'UI share':>8}"
          f" {'first/copy':>10} {'first/budget':>12} {'peak-payload':>12}")
    for r in rows:
        budget = 1.3 * r["copy"] + 0.5
        print(f"{r['p']:8} {r['install'] / r['unzip']:13.2f} {r['quiet'] / r['unzip']:11.2f}"
              f" {100 * r['handler'] / r['install']:11.1f}% {100 * (r['install'] - r['quiet']) / r['install']:7.1f}%"
              f" {r['first'] / r['copy']:10.1f} {r['first'] / budget:12.2f} {(r['peak'] - r['payload']) / MB:9.1f} MB")

    print("\nReinstallation over itself, quiet (every file set aside, written anew, the set-aside copies dropped)")
    print(f"{'product':8} {'fresh s':>8} {'reinstall s':>11} {'reinstall/fresh':>15}")
    for r in rows:
        print(f"{r['p']:8} {r['quiet']:8.2f} {r['reinstall']:11.2f} {r['reinstall'] / r['quiet']:15.2f}")

    print("\nAbsolute figures (medians; seconds unless stated)")
    print(f"{'product':8} {'runs':>4} {'payload MB':>10} {'install':>8} {'quiet':>8} {'unzip -q':>8}"
          f" {'NSIS':>7} {'NSIS /S':>7} {'first pg':>8} {'copy':>7} {'notices':>8} {'in notices':>10} {'ms/notice':>9} {'peak WS MB':>10}"
          f" {'peak commit MB':>14}")
    for r in rows:
        print(f"{r['p']:8} {r['runs']:4d} {r['payload'] / MB:10.1f} {r['install']:8.2f} {r['quiet']:8.2f}"
              f" {r['unzip']:8.2f} {r['nsis']:7.2f} {r['nsis_silent']:7.2f} {r['first']:8.2f} {r['copy']:7.3f} {r['notices']:8.0f} {r['handler']:10.2f}"
              f" {r['per_notice']:9.3f} {r['peak'] / MB:10.1f} {r['commit'] / MB:14.1f}")
    print("\ninstall: Next on the confirmation page to the finish page (setup_bench); quiet: the same build with only"
          "\nthe final notice delivered (setup_bench_quiet); unzip -q: the same archive on the host; NSIS, NSIS /S:"
          "\nthe peer (bench/peer.nsi) from its process's start to its end, with its page and silent; first pg: process"
          "\nstart to page 0 visible; copy: dd of the container region (1 MiB blocks, warm cache, same disk);"
          "\nin notices: time inside the frame's notice handler; ms/notice: (install - quiet) / notices, what one"
          "\nnotice costs the installation (notice/floor: that over the bare SendMessage below); peak WS: PeakWorkingSetSize, peak commit: PeakPagefileUsage"
          "\n(GetProcessMemoryInfo before the setup ends).")
    if floor:
        send, drawn, held, file, start = (median(floor, k) / 1000 for k in ("send_us", "bars_drawn_us",
                                                                            "bars_held_us", "file_us", "start_us"))
        print(f"\nFloors here (orvanta_floor, medians): one notice as a bare cross-thread SendMessage {send:.3f} ms;"
              f"\nwith the handler's two PBM_DELTAPOS {drawn:.3f} ms while the bars redraw at once, {held:.3f} ms with"
              f"\ntheir redrawing held; one new 2 KiB file created, written and closed {file:.3f} ms; a program with"
              f"\nthe setup's system DLLs from its creation to its first window {start / 1000:.2f} s.")
    print("Machine:", machine())


if __name__ == "__main__":
    main()
