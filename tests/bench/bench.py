#!/usr/bin/env python3
"""Prints the figures of the read-only commands on a fresh simulated chassis.

- Median wall time of each command over RUNS runs (default 60), interleaved with
  /bin/true in the same run, and the ratio to it (target: within 3 times).
- The instruction count of one hashow run (callgrind), split into the tool's own code,
  the simulator (with its JSON library) and the rest (C library, loader, C++ library).
- The size (text, data, bss) of the tool's own objects built for the CP platform on
  PowerPC (target: within 64 KiB of text), when that build is given.

Usage: bench.py --bin BUILD/bin [--cp-objects BUILD_CP_PPC] [--runs N]
"""

import argparse
import glob
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

COMMANDS = [["hashow"], ["hashow", "-l"], ["haredundancy", "--show"], ["hainfo", "show"],
            ["hasmtest", "get_hsess"]]


def wall(argv, env):
    start = time.perf_counter()
    subprocess.run(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - start


def classify(path):
    if re.search(r"(^|/)(haadm|reboot|hasmtest|platform)/", path):
        return "tool"
    if re.search(r"(^|/)sim/|nlohmann", path):
        return "simulator"
    return "rest"


def callgrind(root, env):
    if shutil.which("valgrind") is None:
        print("instructions: valgrind not found")
        return
    out = os.path.join(root, "callgrind.out")
    subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}",
                    os.path.join(root, "sbin/hashow")], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    text = subprocess.run(["callgrind_annotate", "--threshold=100", "--auto=no", out], capture_output=True,
                          text=True, check=True).stdout
    parts = {"tool": 0, "simulator": 0, "rest": 0}
    total = 0
    for line in text.splitlines():
        m = re.match(r"\s*([\d,]+)\s+(?:\([^)]*\)\s+)?(\S.*?):(.*)$", line)
        if not m:
            t = re.match(r"\s*([\d,]+)\s+\(100.0%\)\s+PROGRAM TOTALS", line)
            if t:
                total = int(t.group(1).replace(",", ""))
            continue
        parts[classify(m.group(2))] += int(m.group(1).replace(",", ""))
    print(f"\nInstructions of one hashow run (callgrind): {total:,}")
    for name in ("tool", "simulator", "rest"):
        share = 100.0 * parts[name] / total if total else 0
        print(f"  {name:<10} {parts[name]:>12,}  {share:5.1f}%")


def sizes(build):
    objects = sorted(glob.glob(os.path.join(build, "CMakeFiles/haadm_core.dir/**/*.o"), recursive=True))
    size = shutil.which("powerpc-linux-gnu-size")
    if not objects or size is None:
        print("\nPowerPC size: no CP build of the tool's objects")
        return
    out = subprocess.run([size, "-t"] + objects, capture_output=True, text=True, check=True).stdout
    text, data, bss = (int(x) for x in out.strip().splitlines()[-1].split()[:3])
    print(f"\nThe tool's own code for the CP platform on 32-bit PowerPC ({len(objects)} objects):")
    print(f"  text {text:,} bytes ({text / 1024:.1f} KiB; target 64 KiB), data {data:,}, bss {bss:,}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--cp-objects", default="")
    parser.add_argument("--runs", type=int, default=60)
    opts = parser.parse_args()
    bindir = os.path.abspath(opts.bin)
    tmp = tempfile.mkdtemp(prefix="bench.")
    root = os.path.join(tmp, "c")
    try:
        subprocess.run([os.path.join(bindir, "chassis-sim"), "init", root], check=True)
        env = {**os.environ, "CHASSIS_SIM_ROOT": root, "TZ": "UTC"}
        true = shutil.which("true") or "/bin/true"
        print(f"Median wall time of {opts.runs} runs each, against {true} in the same run:")
        print(f"  {'command':<26}{'median':>10}{'/bin/true':>11}{'ratio':>8}")
        for words in COMMANDS:
            argv = [os.path.join(root, "sbin", words[0])] + words[1:]
            ours, base = [], []
            for _ in range(opts.runs):
                ours.append(wall(argv, env))
                base.append(wall([true], env))
            m, b = statistics.median(ours), statistics.median(base)
            print(f"  {' '.join(words):<26}{m * 1e3:>8.2f}ms{b * 1e3:>9.2f}ms{m / b:>8.2f}")
        callgrind(root, env)
        if opts.cp_objects:
            sizes(opts.cp_objects)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
