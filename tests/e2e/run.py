#!/usr/bin/env python3
"""Runs end-to-end case tables against fresh simulated chassis.

The format of the case files is described in README.md beside this file."""

import argparse
import json
import os
import re
import shlex
import shutil
import stat
import subprocess
import sys
import tempfile

STARTUP = ["ipc_max_msg_size", "ipcInit", "ficulibInit", "nslibInit", "esslibInit",
           "zonelibInit", "ns_condb_attach_impl", "getThisCPSlot"]


SIMPLE = {"t": "\t", "r": "\r", "n": "\n", "0": "\0", "\\": "\\"}


def unescape(text):
    """A text of the case file with its escapes made the characters they stand for."""
    return re.sub(r"\\(x[0-9a-fA-F]{2}|[trn0\\])",
                  lambda m: chr(int(m[1][1:], 16)) if m[1][0] == "x" else SIMPLE[m[1]], text)


class Command:
    def __init__(self, line, lineno):
        self.line, self.lineno = line, lineno
        self.stdin, self.stdout, self.stderr = [], [], []
        self.status = 0
        self.journal = None
        self.ordered = False  # "@ ...": the journal lines in order among others
        self.absent = []  # "@! REGEX": no journal line holds a match
        self.own = []  # (line number, expansion) of its ">", "!" and "?" lines, for --update
        self.files = []
        self.writes = []


class Case:
    def __init__(self, name, lineno):
        self.name, self.lineno = name, lineno
        self.scenario = "redundant"
        self.setup = []  # (verb, [args])
        self.env = {}
        self.keep_startup = False
        self.clock = None
        self.commands = []
        self.pending_writes = []


class Pattern(str):
    """An expected output line given as a regular expression."""


ELSE = Pattern("(other lines)")  # "> ...": the lines that follow are found in order among others


def output_matches(want, got, sub):
    """want: expected pieces (texts and Patterns, or ELSE first: the lines in order among
    others); got: the actual output."""
    def match(w, g):
        if isinstance(w, Pattern):
            return g.endswith("\n") and re.fullmatch(sub(w), g[:-1])
        return sub(w) == g
    lines = got.splitlines(keepends=True)
    if want[:1] == [ELSE]:
        rest = iter(lines)
        return all(any(match(w, g) for g in rest) for w in want[1:])
    if not any(isinstance(w, Pattern) for w in want):
        return sub("".join(want)) == got
    return len(lines) == len(want) and all(match(w, g) for w, g in zip(want, lines))


def describe(want):
    return "".join(f"~{w}~\n" if isinstance(w, Pattern) else w for w in want)


FRAGMENTS = {}


def read_fragments():
    """The named blocks of fragments.t: NAME -> its lines."""
    name = None
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "fragments.t"), encoding="utf-8") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if line.startswith("== "):
                name = line[3:].split(":", 1)[0].strip()
                FRAGMENTS[name] = []
            elif name is not None and line and not line.startswith("#"):
                FRAGMENTS[name].append(line)


def expand(lines, path):
    """The lines of a case file with every "@@ NAME ARG..." replaced by its block."""
    for lineno, line in lines:
        if not line.startswith("@@ "):
            yield lineno, line
            continue
        if not FRAGMENTS:
            read_fragments()
        words = shlex.split(line[3:])
        if not words or words[0] not in FRAGMENTS:
            raise SystemExit(f"{path}:{lineno}: no block named {words[0] if words else '(none)'}")
        for text in FRAGMENTS[words[0]]:
            regex = text.startswith("@~ ") or text.startswith(">~ ")
            for n, arg in enumerate(words[1:], 1):
                text = text.replace("{%d}" % n, re.escape(arg) if regex else arg)
            yield lineno, text


def parse(path):
    cases, case, cmd = [], None, None
    with open(path, encoding="utf-8") as f:
        numbered = [(lineno, raw.rstrip("\n")) for lineno, raw in enumerate(f, 1)]
        for lineno, line in expand(numbered, path):
            if line.startswith("=== "):
                case, cmd = Case(line[4:].strip(), lineno), None
                cases.append(case)
                continue
            if not line.strip() or line.startswith("#"):
                continue
            if case is None:
                raise SystemExit(f"{path}:{lineno}: text before the first case")
            key, _, rest = line.partition(" ")
            if cmd is not None and key in (">", ">-", ">~", "!", "!-", "?"):
                cmd.own.append((lineno, key == ">~" or rest == "..." or numbered[lineno - 1][1] != line))
            word, colon, value = line.partition(":")
            value = value.strip()
            if colon and word in ("scenario", "clock"):
                setattr(case, word, value)
            elif colon and word in ("set", "fail"):
                case.setup.append((word, shlex.split(value)))
            elif colon and word == "env":
                case.env.update(pair.partition("=")[::2] for pair in shlex.split(value))
            elif colon and word == "startup":
                case.keep_startup = value == "keep"
            elif colon and word in ("write", "link", "hardlink", "fifo"):
                target, _, content = value.partition(" =")  # "write: PATH =": an empty file
                content = content[1:]
                case.pending_writes.append((target, unescape(content) if word == "write" else (word, content)))
            elif key == "$":
                cmd = Command(rest, lineno)
                cmd.writes, case.pending_writes = case.pending_writes, []
                case.commands.append(cmd)
            elif cmd is None:
                raise SystemExit(f"{path}:{lineno}: expectation before a command")
            elif key in ("<", "<-", ">", ">-", ">~", "!", "!-"):
                stream = {"<": cmd.stdin, ">": cmd.stdout, "!": cmd.stderr}[key[0]]
                stream.append(ELSE if key == ">" and rest == "..." else Pattern(rest) if key == ">~"
                              else unescape(rest) + ("" if key.endswith("-") else "\n"))
            elif key == "?":
                cmd.status = int(rest)
            elif key == "@" and rest == "...":
                cmd.ordered = True
            elif key == "@!":
                cmd.absent.append(rest)
            elif key in ("@", "@~"):
                if cmd.journal is None:
                    cmd.journal = []
                cmd.journal.append((key == "@~", rest))
            elif key == "=":
                target, sep, content = rest.partition(": ")
                if not sep and target.endswith(":"):
                    target, sep = target[:-1], ":"
                cmd.files.append((target.strip(), unescape(content) if sep else None))
            else:
                raise SystemExit(f"{path}:{lineno}: cannot read '{line}'")
    return cases


class Runner:
    def __init__(self, bindir, emulator, timeout=60):
        self.timeout = timeout
        self.bindir = os.path.abspath(bindir)
        self.emulator = shlex.split(emulator) if emulator else []
        self.update, self.edits = False, []

    def program(self, name, root):
        """argv and executable for a command name as a user types it."""
        if name == "chassis-sim":
            target = os.path.join(self.bindir, "chassis-sim")
        elif name.startswith("as:"):
            # The tool itself under any name: "as:HASHOW".
            name, target = name[3:], os.path.join(self.bindir, "haadm")
            if self.emulator:
                return self.emulator + ["-0", name, target], None
            return [name], target
        else:
            found = [p for p in (os.path.join(root, "sbin", name), os.path.join(root, name.lstrip("/")))
                     if os.path.lexists(p)]
            if not found:
                raise RuntimeError(f"no program {name} in the chassis")
            target = found[0]
            if "/" in name:
                # A program given by its path starts as the tool would start it.
                name = target
        if self.emulator:
            real = target
            if name != "chassis-sim":
                # Which program a chassis's program runs, as the chassis records it: a
                # wrapper that names the binary it runs through the emulator.
                with open(target, encoding="utf-8", errors="replace") as f:
                    real = shlex.split(f.read().split("exec ", 1)[1])[len(self.emulator) + 2]
            return self.emulator + ["-0", name, real], None
        return [name], target

    def env(self, root, extra):
        env = {k: v for k, v in os.environ.items() if k not in ("CHASSIS_SIM_CP", "CHASSIS_SIM_CLOCK")}
        return {**env, "CHASSIS_SIM_ROOT": root, "TZ": "UTC", "LC_ALL": "C", **extra}

    def sim(self, root, args):
        """chassis-sim's standard output, as bytes; a failure stops the case."""
        argv, exe = self.program("chassis-sim", root)
        res = subprocess.run(argv + args, executable=exe, env=self.env(root, {}),
                             capture_output=True)
        if res.returncode != 0:
            raise RuntimeError(f"chassis-sim {' '.join(args)} failed: {res.stderr.decode(errors='replace').strip()}")
        return res.stdout

    def run_case(self, case, tmp):
        root = os.path.join(tmp, "c")
        argv, exe = self.program("chassis-sim", root)
        init = argv + ["init", root, "--scenario", case.scenario]
        if self.emulator:
            init += ["--emulator", shlex.join(self.emulator)]
        res = subprocess.run(init, executable=exe, capture_output=True, text=True,
                             env={**os.environ, "CHASSIS_SIM_TOOL": os.path.join(self.bindir, "haadm"),
                                  "CHASSIS_SIM_PROGRAM": os.path.join(self.bindir, "chassis-sim")})
        if res.returncode != 0:
            return [f"chassis-sim init failed: {res.stderr.strip()}"]
        for verb, args in case.setup:
            self.sim(root, [verb] + args)
        errors = []
        for cmd in case.commands:
            in_child = []
            for target, content in cmd.writes:
                if "$PID" in target:
                    in_child.append((target, content))
                    continue
                plant(root, target, content)
            journal_start = os.path.getsize(os.path.join(root, "sim/journal.jsonl"))
            words = shlex.split(cmd.line.replace("$ROOT", root))
            # A quoted word may carry bytes as \xHH.
            words = [unescape(w).encode("latin-1") if "\\x" in w else w for w in words]
            argv, exe = self.program(words[0], root)

            def before_exec(names=in_child):
                # The child's pid is the command's: plant the names that carry it.
                for target, content in names:
                    plant(root, target.replace("$PID", str(os.getpid())), content)

            env = self.env(root, case.env if case.clock is None else {**case.env, "CHASSIS_SIM_CLOCK": case.clock})
            proc = subprocess.Popen(argv + words[1:], executable=exe, cwd=root,
                                    env=env, stdin=subprocess.PIPE,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    start_new_session=True,
                                    preexec_fn=before_exec if in_child else None)
            try:
                out, err = proc.communicate("".join(cmd.stdin).encode("latin-1"),
                                            timeout=self.timeout)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, 9)
                proc.communicate()
                errors.append(f"line {cmd.lineno} ($ {cmd.line}): still running after "
                              f"{self.timeout} s, killed")
                return errors
            out, err = out.decode("latin-1"), err.decode("latin-1")
            def sub(text, pid=proc.pid):
                return text.replace("$PID16", str(pid & 0xFFFF)).replace("$PID", str(pid)).replace("$ROOT", root)

            where = f"line {cmd.lineno} ($ {cmd.line})"
            if not output_matches(cmd.stdout, out, sub):
                errors.append(f"{where}: standard output\n  want {sub(describe(cmd.stdout))!r}\n  got  {out!r}")
            if not output_matches(cmd.stderr, err, sub):
                errors.append(f"{where}: standard error\n  want {sub(describe(cmd.stderr))!r}\n  got  {err!r}")
            if proc.returncode != cmd.status:
                errors.append(f"{where}: exit status: want {cmd.status}, got {proc.returncode}")
            if cmd.journal is not None or cmd.absent:
                got = self.journal(root, journal_start, case.keep_startup)
                want = [(is_re, sub(text)) for is_re, text in cmd.journal or []]
                present = [g for g in got for a in cmd.absent if re.search(sub(a), g)]
                # The tool's closing ipcExit() is implied, unless the case pins it or says
                # the run leaves without it.
                implied = (cmd.journal is not None and not cmd.ordered and not case.keep_startup
                           and words[0] != "chassis-sim" and "/" not in words[0]
                           and want[-1:] != [(False, "ipcExit()")]
                           and not any(re.search(sub(a), "ipcExit()") for a in cmd.absent))
                if implied:
                    if got[-1:] != ["ipcExit()"]:
                        errors.append(f"{where}: the journal does not end with ipcExit()")
                    got = got[:-1]
                if present:
                    errors.append(f"{where}: journal holds " + "\n  ".join(present))
                if cmd.journal is not None and not journal_matches(want, got, cmd.ordered):
                    errors.append(f"{where}: journal\n  want:\n    " +
                                  "\n    ".join(w for _, w in want) + "\n  got:\n    " +
                                  "\n    ".join("@ " + g for g in got))
            if errors and self.update:
                self.update_command(cmd, out, err, proc.returncode, root)
            for target, content in cmd.files:
                target = sub(target)
                path = os.path.join(root, target)
                if content is None:
                    if os.path.lexists(path):
                        errors.append(f"{where}: {target} should not exist")
                    continue
                actual = read_regular(path)
                if actual != sub(content):
                    errors.append(f"{where}: {target}\n  want {sub(content)!r}\n  got  {actual!r}")
        return errors

    def update_command(self, cmd, out, err, status, root):
        """Replaces the command's own output and status lines with what it printed."""
        if not cmd.own or any(derived for _, derived in cmd.own):
            return
        lines = [mark + ("" if text.endswith("\n") else "-") + " " + escape(text.rstrip("\n").replace(root, "$ROOT"))
                 for mark, stream in ((">", out), ("!", err)) for text in stream.splitlines(keepends=True)]
        lines += [f"? {status}"] if status else []
        numbers = [n for n, _ in cmd.own]
        self.edits.append((numbers, lines))

    def journal(self, root, start, keep_startup):
        """The journal entries that the command added, as chassis-sim journal shows them."""
        with open(os.path.join(root, "sim/journal.jsonl"), "rb") as f:
            f.seek(start)
            entries = [json.loads(line) for line in f.read().decode().splitlines() if line.strip()]
        shown = []
        if entries:
            shown = self.sim(root, ["journal", "--last", str(len(entries))]).decode().splitlines()
        if len(shown) != len(entries):
            raise RuntimeError(f"chassis-sim journal shows {len(shown)} lines for {len(entries)} entries")
        for entry, line in zip(entries, shown):
            entry["shown"] = line
        if not keep_startup:
            seen, kept = {}, []
            for e in entries:
                pid = e["pid"]
                n = seen.get(pid, 0)
                if n is not None and n < len(STARTUP) and e["call"] == STARTUP[n]:
                    seen[pid] = n + 1
                    continue
                seen[pid] = None
                kept.append(e)
            entries = kept
        return [e["shown"] for e in entries]


def journal_matches(want, got, ordered):
    """Whether the journal lines got are those wanted: all of them, or in order among others."""
    def match(w, g):
        return re.fullmatch(w[1], g) if w[0] else w[1] == g
    if not ordered:
        return len(got) == len(want) and all(match(w, g) for w, g in zip(want, got))
    rest = iter(got)
    return all(any(match(w, g) for g in rest) for w in want)


def escape(text):
    """A text as the case file writes it (the inverse of unescape, but for newlines)."""
    back = {c: "\\" + k for k, c in SIMPLE.items() if k != "n"}
    return "".join(back.get(c) or (c if c.isprintable() else "\\x%02x" % ord(c)) for c in text)


def apply_edits(path, edits):
    """Writes the case file with each edit's lines put where its old lines stood."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for numbers, new in sorted(edits, key=lambda e: -e[0][0]):
        first = numbers[0] - 1
        for n in sorted(numbers, reverse=True):
            del lines[n - 1]
        lines[first:first] = new
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


def plant(root, target, content):
    """A file, symbolic link or FIFO of the chassis, made before a command."""
    path = os.path.join(root, target)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(content, tuple):
        kind, text = content
        if os.path.lexists(path):
            os.unlink(path)
        if kind == "link":
            os.symlink(text.replace("$ROOT", root), path)
        elif kind == "hardlink":
            os.link(os.path.join(root, text), path)
        else:
            os.mkfifo(path)
        return
    with open(path, "wb") as f:
        f.write(content.encode("latin-1"))


def read_regular(path):
    """A regular file's text; <link>, <fifo>, <dir> or <other> for anything else (never
    followed, never waited on), None when absent."""
    try:
        mode = os.lstat(path).st_mode
    except OSError:
        return None
    for kind, test in (("link", stat.S_ISLNK), ("fifo", stat.S_ISFIFO), ("dir", stat.S_ISDIR)):
        if test(mode):
            return f"<{kind}>"
    if not stat.S_ISREG(mode):
        return "<other>"
    with open(path, "rb") as f:
        return f.read().decode("latin-1")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, help="the build's bin directory")
    parser.add_argument("--emulator", default="", help="run target binaries through this")
    parser.add_argument("-k", "--keep", action="store_true", help="keep the chassis of failed cases")
    parser.add_argument("--timeout", type=float, default=60,
                        help="seconds a command may run before it fails (default 60)")
    parser.add_argument("--update", action="store_true",
                        help="write what the commands printed into the case files (review it)")
    parser.add_argument("files", nargs="+")
    opts = parser.parse_args()
    # A missing build would fail every case on its own, each with the same message.
    for prog in ("haadm", "chassis-sim"):
        if not os.path.isfile(os.path.join(opts.bin, prog)):
            where = "has no " + prog if os.path.isdir(opts.bin) else "does not exist"
            parser.error(f"--bin {opts.bin}: {where}; name the bin directory of a build, "
                         "for instance build/ci/bin after "
                         "cmake --preset ci && cmake --build --preset ci")
    runner = Runner(opts.bin, opts.emulator, opts.timeout)
    runner.update = opts.update
    passed = failed = 0
    for path in opts.files:
        runner.edits = []
        for case in parse(path):
            tmp = tempfile.mkdtemp(prefix="e2e.")
            try:
                errors = runner.run_case(case, tmp)
            except Exception as e:  # a broken case is a failed case
                errors = [f"{type(e).__name__}: {e}"]
            if errors:
                failed += 1
                print(f"FAIL {os.path.basename(path)}:{case.lineno}: {case.name}")
                for e in errors:
                    print("  " + e.replace("\n", "\n  "))
                if opts.keep:
                    print(f"  chassis kept in {tmp}")
            else:
                passed += 1
            if not (errors and opts.keep):
                shutil.rmtree(tmp, ignore_errors=True)
        if runner.edits:
            apply_edits(path, runner.edits)
            print(f"updated {path}: review the change before committing it")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
