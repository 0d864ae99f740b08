#!/usr/bin/env python3
"""Prints the figures of the read-only commands; figures only, nothing is asserted.

- Median wall time of each command over RUNS runs (default 60) on a fresh simulated
  chassis, interleaved with /bin/true in the same run, and the ratio to it (goal: within
  1.15 times).
- The instructions of one run of each read-only command (callgrind), split by part: the
  loader, the C library, the C++ runtime, the tool's own code, the simulator (with its JSON
  library) or the platform stub, and anything else. What the executable links in is told
  apart by its link map (BUILD/haadm.map), else by source file.
- With a CP build for the host (--cp), hashow against the platform stub and a C program
  making the same calls (scripts/bench/anchor.c) against the same stub, both under callgrind;
  with a CP build for PowerPC (--cp-ppc), the same two under qemu-ppc, counted one
  instruction at a time; and the text of the PowerPC executable and of the tool's own
  objects (goal: at most 64 KiB of text, no C++ runtime).

Usage: bench.py --bin BUILD/bin [--cp BUILD_CP] [--cp-ppc BUILD_CP_PPC] [--runs N]
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
            ["hasmtest", "get_hsess"], ["haready"], ["hasnapshot", "--prometheus"]]


def wall(argv, env):
    start = time.perf_counter()
    subprocess.run(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - start


TOOL_SOURCES = re.compile(r"(^|/)(haadm|reboot|hasmtest|platform)/")
SIM_SOURCES = re.compile(r"(^|/)sim/|nlohmann")
RUNTIME_NAMES = re.compile(r"^(_ZN?K?St|_ZN?K?9__gnu_cxx|_ZN?K?10__cxxabiv1|_ZT[ISV]|_Z(nw|na|dl|da)"
                           r"|__cxa_|__gxx_|_Unwind_|__gcc_personality|d_|cplus_demangle)")
PARTS = ("loader", "libc", "C++ runtime", "tool", "simulator", "stub", "other")


def read_callgrind(path):
    """Self cost of each (object, file, function) of a callgrind output file."""
    names = {"ob": {}, "fl": {}, "fn": {}}
    alias = {"cob": "ob", "cfi": "fl", "cfl": "fl", "cfn": "fn", "fi": "fl", "fe": "fl"}
    cur = {"ob": "", "fl": "", "fn": ""}
    costs = {}
    total = 0
    skip_next = False

    def name_of(kind, text):
        m = re.match(r"\((\d+)\)(?: (.*))?$", text)
        if not m:
            return text
        if m.group(2) is not None:
            names[kind][m.group(1)] = m.group(2)
        return names[kind].get(m.group(1), "")

    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                continue
            c = line[0]
            if c.isdigit() or c in "+-*":
                if skip_next:
                    skip_next = False
                    continue
                fields = line.split()
                if len(fields) >= 2:
                    key = (cur["ob"], cur["fl"], cur["fn"])
                    costs[key] = costs.get(key, 0) + int(fields[1])
                continue
            key, _, value = line.partition("=")
            if key in ("ob", "fl", "fn"):
                cur[key] = name_of(key, value)
                if key == "fn":
                    cur["fl_fn"] = cur["fl"]
            elif key in ("fi", "fe"):
                name_of("fl", value)
            elif key in alias:
                name_of(alias[key], value)
            elif key == "calls":
                skip_next = True
            elif line.startswith("totals:") or line.startswith("summary:"):
                total = int(line.split(":")[1])
    return costs, total


def link_map(path):
    """Input sections of the executable's link: (start, end, object file)."""
    ranges = []
    if not path or not os.path.exists(path):
        return ranges
    pending = False
    with open(path) as f:
        for line in f:
            m = re.match(r"^ (\.text\S*)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if not m and pending:
                m = re.match(r"^()\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if m:
                start, size = int(m.group(2), 16), int(m.group(3), 16)
                if size:
                    ranges.append((start, start + size, m.group(4)))
            pending = not m and re.match(r"^ \.text\S*\s*$", line) is not None
    ranges.sort()
    return ranges


def symbol_addresses(exe):
    out = subprocess.run(["nm", "--defined-only", exe], capture_output=True, text=True).stdout
    addrs = {}
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3:
            addrs.setdefault(parts[2], int(parts[0], 16))
    return addrs


# The C library's start-up in a static executable: what the loader does for a dynamic one
# (relocating itself, reading the tunables from the environment, probing the processor,
# setting up thread-local storage).
STATIC_STARTUP = re.compile(r"^libc\.a\((dl-|libc-start|libc-tls|libc_early_init|cacheinfo|cpu_features|"
                            r"init-first|init-misc|enbl-secure|static-reloc)")


def part_of_object(obj):
    base = os.path.basename(obj)
    if STATIC_STARTUP.search(base):
        return "loader"
    if re.search(r"^lib[cm]\.a\(", base):
        return "libc"
    if re.search(r"libstdc\+\+|libsupc\+\+|libgcc", base):
        return "C++ runtime"
    if "platform_sim" in base or "/sim/" in obj or "chassis-sim" in obj:
        return "simulator"
    if re.search(r"haadm_core\.dir|haadm\.dir|platform_cp\.dir", obj):
        return "tool"
    if re.search(r"libc_nonshared|crt[1in]|crtbegin|crtend|Scrt1", base):
        return "libc"
    return "other"


def classify(ob, fl, fn, exe, ranges, addrs):
    base = os.path.basename(ob)
    if re.match(r"ld-linux|ld\.so|ld64\.so", base):
        return "loader"
    if re.match(r"libc\.so|libm\.so", base):
        return "libc"
    if re.match(r"libstdc\+\+|libgcc_s", base):
        return "C++ runtime"
    if "platform_stub" in base:
        return "stub"
    if ob and os.path.realpath(ob) == os.path.realpath(exe):
        if ranges:
            addr = addrs.get(fn.split("'")[0])
            if addr is not None:
                for start, end, obj in ranges:
                    if start <= addr < end:
                        return part_of_object(obj)
        if SIM_SOURCES.search(fl):
            return "simulator"
        if TOOL_SOURCES.search(fl):
            return "tool"
        if RUNTIME_NAMES.search(fn):
            return "C++ runtime"
        return "other"
    return "other"


def count_instructions(argv, env, exe, link):
    """Instructions of one run under callgrind, by part."""
    with tempfile.TemporaryDirectory(prefix="cg.") as tmp:
        out = os.path.join(tmp, "callgrind.out")
        subprocess.run(["valgrind", "--tool=callgrind", "--demangle=no",
                        f"--callgrind-out-file={out}"] + argv, env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        costs, total = read_callgrind(out)
    ranges = link_map(link)
    addrs = symbol_addresses(exe) if ranges else {}
    parts = dict.fromkeys(PARTS, 0)
    for (ob, fl, fn), cost in costs.items():
        parts[classify(ob, fl, fn, exe, ranges, addrs)] += cost
    return total, parts


def print_parts(label, total, parts):
    shown = "  ".join(f"{name} {parts[name]:,}" for name in PARTS if parts[name])
    print(f"  {label:<26}{total:>10,}   {shown}")


def callgrind(root, env, bindir):
    if shutil.which("valgrind") is None:
        print("\ninstructions: valgrind not found")
        return
    exe = os.path.join(bindir, "haadm")
    link = os.path.join(os.path.dirname(bindir), "haadm.map")
    how = "link map" if os.path.exists(link) else "source files"
    print(f"\nInstructions of one run on the simulated chassis (callgrind; parts by {how};"
          " budget: 400,000 each; the product's own cost is the CP build's, below):")
    for words in COMMANDS:
        argv = [os.path.join(root, "sbin", words[0])] + words[1:]
        total, parts = count_instructions(argv, env, exe, link)
        print_parts(" ".join(words), total, parts)


def dynamic_section(exe, readelf):
    return subprocess.run([readelf, "-d", exe], capture_output=True, text=True).stdout


def runpath(exe, readelf):
    out = dynamic_section(exe, readelf)
    m = re.search(r"\((?:RUNPATH|RPATH)\)\s+Library r(?:un)?path: \[(.*)\]", out)
    return m.group(1) if m else None


# What the C program calls itself, and what the C start files bring.
ANCHOR_CALLS = {"ipc_max_msg_size", "ipcInit", "ipcExit", "ficulibInit", "nslibInit", "esslibInit",
                "zonelibInit", "ns_condb_attach_impl", "getThisCPSlot", "getpid", "printf",
                "fprintf", "fflush", "ferror", "exit", "strstr", "getc", "__libc_start_main",
                "__cxa_finalize", "abort"}


def imported_functions(exe, readelf):
    """The functions the executable leaves to shared libraries, without their versions."""
    out = subprocess.run([readelf, "--dyn-syms", "-W", exe], capture_output=True, text=True,
                         check=True).stdout
    names = set()
    for line in out.splitlines():
        f = line.split()
        if len(f) >= 8 and f[3] == "FUNC" and f[6] == "UND":
            names.add(f[7].split("@")[0])
    return sorted(names - ANCHOR_CALLS)


def libc_first(exe, readelf):
    """Whether the executable names the C library before the platform's libraries."""
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[(.*)\]", dynamic_section(exe, readelf))
    return bool(needed) and needed[0].startswith("libc.so")


def anchor_program(cc, build, out, exe, readelf, flags=(), as_tool=False):
    """The C program, linked against the build's stub and finding it as the tool does
    (the same run path: the build tree's, with CMake's empty entry). Linked as a C program
    is by default, the C library comes last; linked as the tool, in the tool's order. With
    the tool's interface, it imports what the tool imports and exports what it exports."""
    here = os.path.dirname(os.path.abspath(__file__))
    src = os.path.join(here, "anchor.c")
    build = os.path.abspath(build)
    path = runpath(exe, readelf)
    rpath = [f"-Wl,-rpath,{path}"] if path is not None else []
    extra = list(flags)
    if "-DSAME_INTERFACE" in extra:
        header = os.path.join(os.path.dirname(out), "interface.h")
        with open(header, "w") as f:
            f.write("#define IMPORTS " + " ".join(f"X({n})" for n in imported_functions(exe, readelf))
                    + "\n")
        root = os.path.dirname(os.path.dirname(here))
        extra += ["-I", os.path.dirname(out),
                  f"-Wl,--dynamic-list={os.path.join(root, 'haadm', 'exports.list')}"]
    first = ["-lc"] if as_tool and libc_first(exe, readelf) else []
    subprocess.run([cc, "-O2", src, "-o", out] + first + [f"-L{build}", "-lplatform_stub"] + rpath
                   + extra, check=True)


def same_length_paths(tmp, programs):
    """Each program as TMP/<letter>/hashow: the invocation path is part of what the loader
    and the C library's start-up handle (its length moves the strings on the stack), so
    the runs compared are started under paths of one length. Returns the paths."""
    paths = []
    for letter, program in zip("abcdefgh", programs):
        os.makedirs(os.path.join(tmp, letter))
        path = os.path.join(tmp, letter, "hashow")
        os.symlink(os.path.abspath(program), path)
        paths.append(path)
    return paths


def print_anchor_ratios(ours, base, linked, same):
    """The ratio to the C program, and its factors: the tool's link order, the tool's
    interface, and the rest (the tool's own code)."""
    label = "C program, hashow's link"
    print(f"  {label:<26}{linked:>10,}   (its libraries in hashow's order)")
    print(f"  {'C program + interface':<26}{same:>10,}   (that, with hashow's imports and exports)")
    print(f"  ratio {ours / base:.3f} (goal: at most 1.020); the link makes {linked / base:.3f} of it,"
          f" the interface {same / linked:.3f}, the rest {ours / same:.3f}")


def cp_host(build, env):
    if shutil.which("valgrind") is None or shutil.which("cc") is None:
        return
    exe = os.path.join(build, "bin", "haadm")
    if not os.path.exists(exe):
        print(f"\n{exe}: missing")
        return
    with tempfile.TemporaryDirectory(prefix="anchor.") as tmp:
        anchor = os.path.join(tmp, "anchor")
        anchor_program("cc", build, anchor, exe, "readelf")
        linked = os.path.join(tmp, "linked")
        anchor_program("cc", build, linked, exe, "readelf", as_tool=True)
        same = os.path.join(tmp, "same")
        anchor_program("cc", build, same, exe, "readelf", ["-DSAME_INTERFACE"], as_tool=True)
        tool_path, anchor_path, linked_path, same_path = same_length_paths(
            tmp, [exe, anchor, linked, same])
        ours, ours_parts = count_instructions([tool_path], env, exe,
                                              os.path.join(build, "haadm.map"))
        base, base_parts = count_instructions([anchor_path], env, anchor, "")
        linked_total, _ = count_instructions([linked_path], env, linked, "")
        same_total, _ = count_instructions([same_path], env, same, "")
    print("\nhashow against the platform stub on the host, and a C program making the same"
          " calls (callgrind; goal: within 2%):")
    print_parts("hashow", ours, ours_parts)
    print_parts("C program", base, base_parts)
    print_anchor_ratios(ours, base, linked_total, same_total)


def qemu_count(path, env):
    """Instructions of one run under qemu-ppc, translated and counted one at a time."""
    with tempfile.TemporaryDirectory(prefix="qemu.") as tmp:
        log = os.path.join(tmp, "exec.log")
        cmd = ["qemu-ppc", "-L", "/usr/powerpc-linux-gnu", "-singlestep", "-d", "exec,nochain",
               "-D", log, "-0", path, path]
        subprocess.run(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       check=False)
        count = 0
        with open(log, errors="replace") as f:
            for line in f:
                if line.startswith("Trace "):
                    count += 1
    return count


def cp_ppc(build, env):
    cc = shutil.which("powerpc-linux-gnu-gcc")
    exe = os.path.join(build, "bin", "haadm")
    if cc is None or shutil.which("qemu-ppc") is None or not os.path.exists(exe):
        return
    readelf = "powerpc-linux-gnu-readelf"
    with tempfile.TemporaryDirectory(prefix="anchor.") as tmp:
        anchor = os.path.join(tmp, "anchor")
        anchor_program(cc, build, anchor, exe, readelf)
        linked = os.path.join(tmp, "linked")
        anchor_program(cc, build, linked, exe, readelf, as_tool=True)
        same = os.path.join(tmp, "same")
        # The same time and file offset sizes as the tool, so that it imports the same names.
        anchor_program(cc, build, same, exe, readelf,
                       ["-DSAME_INTERFACE", "-D_TIME_BITS=64", "-D_FILE_OFFSET_BITS=64"],
                       as_tool=True)
        tool_path, anchor_path, linked_path, same_path = same_length_paths(
            tmp, [exe, anchor, linked, same])
        ours = qemu_count(tool_path, env)
        base = qemu_count(anchor_path, env)
        linked_total = qemu_count(linked_path, env)
        same_total = qemu_count(same_path, env)
    print("\nhashow against the platform stub under qemu-ppc, and the same C program"
          " (instructions executed; goal: within 2%):")
    print(f"  {'hashow':<26}{ours:>10,}")
    print(f"  {'C program':<26}{base:>10,}")
    if base and linked_total and same_total:
        print_anchor_ratios(ours, base, linked_total, same_total)
    size = shutil.which("powerpc-linux-gnu-size")
    if size:
        out = subprocess.run([size, exe], capture_output=True, text=True, check=True).stdout
        text, data, bss = (int(x) for x in out.strip().splitlines()[-1].split()[:3])
        print(f"\nThe CP executable on 32-bit PowerPC ({exe}):")
        print(f"  text {text:,} bytes ({text / 1024:.1f} KiB; goal at most 64 KiB), data {data:,},"
              f" bss {bss:,}")
        nm = subprocess.run(["powerpc-linux-gnu-nm", exe], capture_output=True, text=True).stdout
        runtime = [ln.split()[-1] for ln in nm.splitlines()
                   if RUNTIME_NAMES.search(ln.split()[-1]) and not ln.split()[-1].startswith("__cxa_finalize")]
        print(f"  C++ runtime symbols: {len(runtime)}")


def sizes(build):
    objects = sorted(glob.glob(os.path.join(build, "CMakeFiles/haadm_core.dir/**/*.o"), recursive=True))
    size = shutil.which("powerpc-linux-gnu-size")
    if not objects or size is None:
        print("\nPowerPC size: no CP build of the tool's objects")
        return
    out = subprocess.run([size, "-t"] + objects, capture_output=True, text=True, check=True).stdout
    text, data, bss = (int(x) for x in out.strip().splitlines()[-1].split()[:3])
    print(f"\nThe tool's own code for the CP platform on 32-bit PowerPC ({len(objects)} objects):")
    print(f"  text {text:,} bytes ({text / 1024:.1f} KiB; goal 64 KiB), data {data:,}, bss {bss:,}")


def run_measured(argv, env):
    """Wall seconds and peak resident memory (KiB) of one run, its output thrown away.
    GNU time runs it: a child of this process would count this process's memory too,
    which its exec records as its own peak."""
    start = time.perf_counter()
    out = subprocess.run(["/usr/bin/time", "-f", "%M %x"] + argv, env=env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True, check=False).stderr.split()
    return time.perf_counter() - start, int(out[-2]), int(out[-1])


def journal_figures(bindir, tmp, env, mib):
    """chassis-sim journal on a journal of MIB MiB: --last reads from the end, the
    filters read it as a stream; neither holds the journal in memory."""
    root = os.path.join(tmp, "journal")
    sim = os.path.join(bindir, "chassis-sim")
    subprocess.run([sim, "init", root], check=True)
    line = b'{"args":["HAADM",4242,8192,0],"call":"ipcInit","cp":0,"pid":4242,"ret":0}\n'
    block = line * (1024 * 1024 // len(line))
    with open(os.path.join(root, "sim", "journal.jsonl"), "wb") as journal:
        for _ in range(mib):
            journal.write(block)
        journal.write(b'{"args":[0,0,"hafailover"],"call":"ha_lock","cp":0,"pid":4243,"ret":0}\n')
    size = os.path.getsize(os.path.join(root, "sim", "journal.jsonl"))
    print(f"\nchassis-sim journal on a journal of {size / 2**20:,.0f} MiB ({size // len(line):,} lines):")
    print(f"  {'options':<30}{'seconds':>9}{'peak memory':>14}")
    env = {**env, "CHASSIS_SIM_ROOT": root}
    for options in (["--last", "1"], ["--json", "--last", "1"], ["--call", "ha_lock", "--last", "1"],
                    ["--call", "ha_lock"], ["--call", "ha_lock", "--json"]):
        seconds, peak, status = run_measured([sim, "journal"] + options, env)
        failed = "" if status == 0 else f"   (status {status})"
        print(f"  {' '.join(options):<30}{seconds:>9.3f}{peak / 1024:>11.1f} MiB{failed}")
    shutil.rmtree(root, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--cp", default="")
    parser.add_argument("--cp-ppc", default="")
    parser.add_argument("--runs", type=int, default=60)
    parser.add_argument("--journal-mib", type=int, default=1024,
                        help="size of the journal that chassis-sim journal reads (0: none)")
    opts = parser.parse_args()
    bindir = os.path.abspath(opts.bin)
    tmp = tempfile.mkdtemp(prefix="bench.")
    root = os.path.join(tmp, "c")
    try:
        subprocess.run([os.path.join(bindir, "chassis-sim"), "init", root], check=True)
        # A small environment, the same wherever the figures are taken: the C library's
        # start-up reads every variable, so the caller's environment would weigh in.
        env = {"PATH": "/usr/bin:/bin", "HOME": os.environ.get("HOME", "/"), "TZ": "UTC",
               "CHASSIS_SIM_ROOT": root}
        print("Environment of every run: " + " ".join(sorted(env)) + ", nothing else\n")
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
        callgrind(root, env, bindir)
        if opts.journal_mib > 0:
            journal_figures(bindir, tmp, env, opts.journal_mib)
        if opts.cp:
            cp_host(opts.cp, env)
        if opts.cp_ppc:
            cp_ppc(opts.cp_ppc, env)
            sizes(opts.cp_ppc)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
