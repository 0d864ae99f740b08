#!/usr/bin/env python3
"""chassis-sim show on a terminal: colour only there, never with NO_COLOR set or with TERM
dumb or unset; colour by meaning; every line, colour taken off, fits 80 columns, also
with texts far wider than a line.

Usage: show_tty_test.py BINDIR
"""
import os
import re
import subprocess
import sys
import tempfile

ESCAPE = re.compile(r"\x1b\[[0-9;]*m")


def show(sim, env, tty):
    if not tty:
        return subprocess.run([sim, "show"], env=env, capture_output=True, check=True).stdout.decode()
    leader, follower = os.openpty()
    proc = subprocess.Popen([sim, "show"], env=env, stdout=follower, stderr=subprocess.DEVNULL)
    os.close(follower)
    chunks = []
    while True:
        try:
            chunk = os.read(leader, 65536)
        except OSError:  # the terminal closes when the program ends
            break
        if not chunk:
            break
        chunks.append(chunk)
    os.close(leader)
    if proc.wait() != 0:
        raise SystemExit("chassis-sim show failed on a terminal")
    return b"".join(chunks).decode().replace("\r\n", "\n")


GREEN, RED, YELLOW, PLAIN = "32", "1;31", "1;33", None
# Colour by meaning: what is as it should be is green, what needs a look red, what holds
# the chassis on purpose yellow, facts plain; set bits are not green as such.
# (what, chassis-sim set arguments, a text of the line, its colour)
MEANING = [
    ("in sync", [], "SYNCHRONIZED", GREEN),
    ("sync lost", ["state=0x080000C3"], "SYNCHRONIZED", RED),
    ("not redundant on one CP", ["state=0x00000041"], "SYNCHRONIZED", PLAIN),
    ("redundancy lost on two CPs", ["state=0x080000C1"], "REDUNDANT", RED),
    ("ACTIVE is a fact", [], "0x00000001  ACTIVE", PLAIN),
    ("DUAL_CP is a fact", [], "DUAL_CP", PLAIN),
    ("suppressed", ["state=0x080008C7"], "suppressed", RED),
    ("not suppressed", [], "suppressed", PLAIN),
    ("HA disabled", ["state=0x08000087"], "HA_ENABLED", YELLOW),
    ("standby unhealthy", ["state=0x000000C7"], "standby healthy", RED),
    ("standby unhealthy, its box", ["state=0x000000C7"], "STANDBY, not healthy", RED),
    ("standby healthy, its box", [], "STANDBY, healthy", "1;32"),
    ("lock held", ["lock=1,2,3,x"], "held", YELLOW),
    ("peer unreachable", ["peer_reachable=0"], "unreachable", RED),
]


def colour_of(out, text):
    """The colour of the first line holding text: the code of the escape that starts
    its colour, or None when the text stands outside one."""
    for line in out.split("\n"):
        plain = ESCAPE.sub("", line)
        if text not in plain:
            continue
        code = None
        for piece in re.split(r"(\x1b\[[0-9;]*m)", line):
            m = re.fullmatch(r"\x1b\[([0-9;]*)m", piece)
            if m:
                code = None if m.group(1) == "0" else m.group(1)
            elif text in piece:
                return code
        return "split"
    return "missing"


def meaning(sim, env, tmp):
    failed = []
    for n, (what, sets, text, want) in enumerate(MEANING):
        root = os.path.join(tmp, f"m{n}")
        subprocess.run([sim, "init", root], check=True, capture_output=True)
        case_env = {**env, "CHASSIS_SIM_ROOT": root}
        if sets:
            subprocess.run([sim, "set", *sets], env=case_env, check=True, capture_output=True)
        got = colour_of(show(sim, case_env, True), text)
        if got != want:
            failed.append(f"{what}: '{text}' in {got}, want {want}")
    return failed


def main():
    sim = os.path.join(sys.argv[1], "chassis-sim")
    failed = []
    with tempfile.TemporaryDirectory() as tmp:
        root = os.path.join(tmp, "c")
        subprocess.run([sim, "init", root], check=True, capture_output=True)
        env = {k: v for k, v in os.environ.items() if k not in ("NO_COLOR", "TERM")}
        env.update(CHASSIS_SIM_ROOT=root, TZ="UTC", TERM="xterm")
        no_term = {k: v for k, v in env.items() if k != "TERM"}
        subprocess.run([sim, "set", "ls.3.attr." + "n" * 120 + "=" + "v" * 200,
                        "sysattr.a=" + "w " * 120, "ls.3.ports=" + ",".join(f"{p}:1" for p in range(60)),
                        "lock=1,2,3," + "c" * 32], env=env, check=True)
        cases = [("a terminal", env, True, True),
                 ("a pipe", env, False, False),
                 ("a terminal with NO_COLOR=1", {**env, "NO_COLOR": "1"}, True, False),
                 ("a terminal with NO_COLOR empty", {**env, "NO_COLOR": ""}, True, False),
                 ("a terminal with TERM=dumb", {**env, "TERM": "dumb"}, True, False),
                 ("a terminal with TERM empty", {**env, "TERM": ""}, True, False),
                 ("a terminal without TERM", no_term, True, False)]
        for name, case_env, tty, colour in cases:
            out = show(sim, case_env, tty)
            if bool(ESCAPE.search(out)) != colour:
                failed.append(f"{name}: colour {'missing' if colour else 'used'}")
            plain = ESCAPE.sub("", out)
            if "\x1b" in plain:
                failed.append(f"{name}: an escape that is not a colour")
            wide = [line for line in plain.split("\n") if len(line) > 80]
            if wide:
                failed.append(f"{name}: {len(wide)} lines wider than 80 columns: {wide[0]!r}")
            if "HA lock held" not in plain or "0:0x01 1:0x01" not in plain:
                failed.append(f"{name}: the drawing lacks the lock or the ports")
        failed += meaning(sim, env, tmp)
        cases += MEANING
    for f in failed:
        print("FAIL " + f)
    print(f"show on terminals: {len(cases) - len(failed)} of {len(cases)} checks without a fault")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
