#!/usr/bin/env python3
"""Walks simulated chassis through seeded random sequences of what changes them, and after
every step checks that every face says the same of the chassis and that a copy laid out
from a snapshot taken then decides as the chassis did.

    chassis_walk.py BIN_DIR [--seed N] [--sequences K] [--steps S]

Without --seed it walks seeds 1 to K. A failing sequence is printed with its seed."""

import argparse
import json
import os
import random
import shlex
import shutil
import subprocess
import sys
import tempfile

CLOCK = 1800000000
# What changes a chassis: commands of the tool on either CP, and chassis-sim's verbs.
COMMANDS = ["hafailover -f", "hafailover", "hareboot -f", "hareset -l", "hareset -p", "chassisreboot -f",
            "hasyncstart", "hasyncstop", "haenable -f", "hadisable", "hafreelock"]
VERBS = ["restart 0", "restart 1", "set dp_upgrade=0", "set dp_upgrade=1", "set state=0x080000C3",
         "set state=0x000000C7", "set state=0x080008C7", "set state=0x19100046 cocpu=1",
         "set lock=4242,7,{t},hareboot", "set lock=free",
         "set hsess.local=6,1700000000,1700000100,1700000200,1700000300,Reboot@x",
         "set 'status.local=say \"hi\" \\ tab\there\x01\x7f' 'status.summary=Gesund \u2713 \udcff\udcfe'",
         "fail ham_get_state=-1", "fail ha_checklock=1", "fail getHAMStat=-1", "fail has_get_hsess=-3",
         "fail getThisCPSlot=-2 getPeerCPSlot=-3", "fail get_peer_ip_str=-1", "fail --clear"]
# The commands whose decisions a copy must repeat, each on a fresh copy.
DECIDING = ["hafailover", "hadisable", "hasyncstart", "hasyncstop"]
STATUS = {"OK": 0, "WARNING": 1, "CRITICAL": 2, "UNKNOWN": 3}


class Walk:
    def __init__(self, bindir):
        self.bindir = os.path.abspath(bindir)
        self.tmp = tempfile.mkdtemp(prefix="walk.")

    def run(self, root, cp, line, clock, stdin=""):
        words = shlex.split(line)
        exe = os.path.join(self.bindir, "chassis-sim") if words[0] == "chassis-sim" else os.path.join(root, "sbin", words[0])
        env = {**os.environ, "CHASSIS_SIM_ROOT": root, "CHASSIS_SIM_CP": str(cp), "TZ": "UTC", "LC_ALL": "C"}
        if clock is not None:
            env["CHASSIS_SIM_CLOCK"] = str(clock)
        res = subprocess.run([exe] + words[1:], input=stdin.encode(), capture_output=True, env=env, cwd=root, timeout=60)
        return res.returncode, res.stdout.decode("latin-1"), res.stderr.decode("latin-1")

    def fresh(self, name, *init):
        root = os.path.join(self.tmp, name)
        shutil.rmtree(root, ignore_errors=True)
        subprocess.run([os.path.join(self.bindir, "chassis-sim"), "init", root, *init], check=True,
                       capture_output=True, env={**os.environ, "CHASSIS_SIM_CLOCK": str(CLOCK)})
        return root

    def replay(self, scenario, steps):
        """The first thing found wrong after the steps, one after another; None if nothing."""
        root = self.fresh("c", "--scenario", scenario)
        for n, (cp, line) in enumerate(steps):
            clock = CLOCK + 40 * n
            if line.split()[0] in COMMANDS_FIRST:
                self.run(root, cp, line, clock, "y\n")
            else:
                self.run(root, cp, "chassis-sim " + line.format(t=clock - 90), clock)
            wrong = self.check(root, cp, clock + 20)
            if wrong:
                return f"after step {n + 1} ({describe((cp, line))}): {wrong}"
        return None

    def check(self, root, cp, clock):
        with open(os.path.join(root, "sim", "state.json"), "rb") as f:
            before = f.read()
        faces = {line: self.run(root, cp, line, clock) for line in
                 ["hasnapshot", "hashow", "hashow -l", "hashow -o", "haredundancy --show", "haready -v",
                  "hachecklock", "hainfo show", "hasmtest get_hsess"]}
        with open(os.path.join(root, "sim", "state.json"), "rb") as f:
            if f.read() != before:
                return "a command that only reads changed the state"
        status, text, err = faces["hasnapshot"]
        if status != 0:
            return f"hasnapshot ended with {status}: {err}"
        snap = json.loads(text)
        st = json.loads(self.run(root, cp, "chassis-sim show --json", None)[1])
        failed = st["fail"]
        word = st["bits"] | (1 if st["active_cp"] == cp else 0)
        if snap["state"] != (None if "ham_get_state" in failed else word):
            return f"hasnapshot's state {snap['state']} is not the chassis's word {word:#x}"
        drawing = self.run(root, cp, "chassis-sim show", None)[1]
        if f"state word 0x{word:08X}" not in drawing:
            return f"the drawing does not show the word 0x{word:08X}"
        calls = self.run(root, cp, "chassis-sim journal --call getHAMStat --last 1", None)[1]
        if "getHAMStat" not in failed and calls.strip() != f"getHAMStat() = {word}":
            return f"the journal's last getHAMStat is '{calls.strip()}', the word {word}"
        if snap["state"] is not None and "getHAMStat" not in failed:
            bits = set(snap["bits"])
            words = set(faces["hashow -l"][1].split())
            if any((flag in words) != (flag in bits) for flag in ("ACTIVE", "REDUNDANT", "SYNCHRONIZED", "HA_ENABLED")):
                return f"hashow -l says {sorted(words)}, hasnapshot {sorted(bits)}"
            sessions = snap["sessions"]["local" if "ACTIVE" in bits else "remote"]
            lines = faces["haredundancy --show"][1].splitlines()
            if snap["cp"]["slot"] and sessions and "REDUNDANT" in bits and sessions["fl"]:
                want = "HA State synchronized" if "SYNCHRONIZED" in bits else "HA State not in sync"
                if lines[1:2] != [want]:
                    return f"haredundancy --show says {lines[1:2]}, hasnapshot {sorted(bits)}"
        if faces["haready -v"][0] != STATUS[snap["ready"]["status"]]:
            return f"haready ended with {faces['haready -v'][0]}, hasnapshot says {snap['ready']['status']}"
        return self.check_copy(root, cp, clock, text, faces, snap, st)

    def check_copy(self, root, cp, clock, snapshot, faces, snap, st):
        path = os.path.join(self.tmp, "snapshot.json")
        with open(path, "w", encoding="latin-1") as f:
            f.write(snapshot)
        copy = self.fresh("copy", "--from", path)
        for line, answer in faces.items():
            got = self.run(copy, cp, line, clock)
            if got != answer:
                return f"{line} on the copy: {got}, on the chassis: {answer}"
        if snap["status"] is None or st["status_set"] or snap["lock"] is None:
            # Without the status texts the platform wrote, the snapshot does not say
            # whether a CP is down; a lock the CP could not read is laid out free.
            return None
        # Each deciding command on the chassis as it is: its state and journal put back after.
        for line in DECIDING:
            answers = []
            for origin in (root, copy):
                kept = {name: open(os.path.join(origin, "sim", name), "rb").read() for name in ("state.json", "journal.jsonl")}
                answers.append(self.run(origin, cp, line, clock, "y\n"))
                for name, data in kept.items():
                    with open(os.path.join(origin, "sim", name), "wb") as f:
                        f.write(data)
            if answers[0] != answers[1]:
                return f"{line} on the copy: {answers[1]}, on the chassis: {answers[0]}"
            if line == "hafailover":
                wrong = ready_as_failover(faces["haready -v"], answers[0], snap)
                if wrong:
                    return wrong
        return None


COMMANDS_FIRST = {line.split()[0] for line in COMMANDS}


def ready_as_failover(ready, failover, snap):
    """On the active CP haready is OK exactly when hafailover goes ahead (UNKNOWN aside), and
    when it does not, one of haready -v's reasons is in what hafailover said; on the
    standby CP haready says so."""
    status, out, _ = ready
    ahead = failover[0] == 0 and "Forcing Failover" in failover[1]
    if status != 3 and "ACTIVE" in snap["bits"] and (status == 0) != ahead:
        return f"haready ended with {status}, but hafailover {'went' if ahead else 'did not go'} ahead: {failover}"
    if "ACTIVE" not in snap["bits"]:
        first = out.splitlines()[0]
        return None if status == 3 or "standby CP" in first else f"haready on the standby CP says {first!r}"
    said = " ".join((failover[1] + failover[2]).split("\n"))
    if not ahead and status in (1, 2) and not any(r in said for r in out.splitlines()[1:]):
        return f"hafailover gave none of haready's reasons {out.splitlines()[1:]}: {said!r}"
    return None


def describe(step):
    cp, line = step
    return f"CP{cp}: {line}" if line.split()[0] in COMMANDS_FIRST else f"chassis-sim {line}"


def sequence(seed, steps):
    rng = random.Random(seed)
    scenario = rng.choice(["redundant", "redundant", "standby", "non-redundant", "ha-disabled"])
    return scenario, [(rng.randrange(2), rng.choice(COMMANDS + VERBS)) for _ in range(steps)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("bin")
    parser.add_argument("--seed", type=int)
    parser.add_argument("--sequences", type=int, default=20)
    parser.add_argument("--steps", type=int, default=12)
    opts = parser.parse_args()
    walk = Walk(opts.bin)
    failed = 0
    try:
        for seed in [opts.seed] if opts.seed is not None else range(1, opts.sequences + 1):
            scenario, steps = sequence(seed, opts.steps)
            wrong = walk.replay(scenario, steps)
            if wrong:
                failed += 1
                print(f"FAIL seed {seed}, a {scenario} chassis: {wrong}")
                for step in steps:
                    print("    " + describe(step))
    finally:
        shutil.rmtree(walk.tmp, ignore_errors=True)
    count = 1 if opts.seed is not None else opts.sequences
    print(f"{count - failed} of {count} sequences of {opts.steps} steps passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
