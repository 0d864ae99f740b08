#!/usr/bin/env python3
"""The bash completion in a real interactive bash on a pseudo-terminal.

Each case types a command line with Tab where a person would press it, then Enter. The
commands are shell functions that write their arguments to a file, so each case checks
the words the command got (as readline inserted and bash split them) and what the
completion offered, and that no file name was run as a command.

Usage: completion_tty_test.py COMPLETION_FILE
"""

import os
import pty
import select
import shutil
import sys
import tempfile
import time

PROMPT = "READY> "

# The files of the folder the cases run in: hostile names, as anyone may leave them.
FILES = ["x$(touch PWNED)y.json", "my snap.json", "q'uote.json", "-lead.json",
         "d$(touch PWNED)/inner.json", "e`touch PWNED`/"]

# typed (\t: Tab) | the arguments the command got | what the last Tab offered (None: not
# checked)
CASES = [
    ("chassis-sim init /tmp/x --from x\t", ["init", "/tmp/x", "--from", "x$(touch PWNED)y.json"], None),
    ("chassis-sim init /tmp/x --from my\t", ["init", "/tmp/x", "--from", "my snap.json"], None),
    ("chassis-sim init /tmp/x --from 'my\t", ["init", "/tmp/x", "--from", "my snap.json"], None),
    ("chassis-sim init /tmp/x --from \"my\t", ["init", "/tmp/x", "--from", "my snap.json"], None),
    ("chassis-sim init /tmp/x --from q\t", ["init", "/tmp/x", "--from", "q'uote.json"], None),
    ("chassis-sim init /tmp/x --from -l\t", ["init", "/tmp/x", "--from", "-lead.json"], None),
    ("chassis-sim init /tmp/x --from d\t\t", ["init", "/tmp/x", "--from", "d$(touch PWNED)/inner.json"], None),
    ("chassis-sim init d\t", ["init", "d$(touch PWNED)/"], None),
    ("chassis-sim init e\t", ["init", "e`touch PWNED`/"], None),
    ("chassis-sim init /tmp/x --from nothing-here\t", ["init", "/tmp/x", "--from", "nothing-here"], []),
    # Values right after '=': bash makes the '=' a word of its own.
    ("chassis-sim set lock=\t", ["set", "lock=free"], ["free"]),
    ("chassis-sim set status=\t", ["set", "status=auto"], ["auto"]),
    ("chassis-sim set this_cp=\t", ["set", "this_cp="], ["0", "1"]),
    ("chassis-sim set this_cp=1\t", ["set", "this_cp=1"], ["1"]),
    ("chassis-sim set stat\t", ["set", "stat"], ["state=", "status.local=", "status.remote=", "status.summary=", "status="]),
    ("hashow -\t", ["-"], ["-o", "-l", "-h"]),
]


class Bash:
    def __init__(self, completion, work):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(work)
            env = {"PATH": "/usr/bin:/bin", "HOME": work, "TERM": "dumb", "INPUTRC": "/dev/null",
                   "PS1": PROMPT, "LC_ALL": "C.UTF-8"}
            os.execve("/bin/bash", ["bash", "--norc", "--noprofile", "-i"], env)
        self.out = b""
        self.run(f"source '{completion}'")
        self.run("bind 'set bell-style none'; bind 'set completion-query-items 0'")
        # Each command writes its words to args; each completion what it offered to offers.
        for name in ("chassis-sim", "hashow"):
            self.run(f"{name}() {{ printf '%s\\n' \"$@\" > args; }}")
        self.run('_probe() { _haadm "$@"; printf "%s\\n" "${COMPREPLY[@]}" > offers; }')
        self.run("complete -F _probe chassis-sim hashow")

    def wait_prompt(self, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.out.rstrip(b"\r\n").endswith(PROMPT.encode()):
                return True
            ready, _, _ = select.select([self.fd], [], [], 0.1)
            if ready:
                try:
                    self.out += os.read(self.fd, 4096)
                except OSError:
                    return False
        return False

    def run(self, text):
        self.out = b""
        os.write(self.fd, text.encode())
        self.wait_prompt_after(text)

    def wait_prompt_after(self, text, timeout=10):
        os.write(self.fd, b"\r")
        if self.wait_prompt(timeout):
            return True
        # The shell waits for more (an open quote): the line is given up.
        os.write(self.fd, b"\x03")
        if not self.wait_prompt():
            raise RuntimeError(f"no prompt after {text!r}: {self.out[-300:]!r}")
        return False


def type_case(bash, typed):
    bash.out = b""
    pieces = typed.split("\t")
    for i, piece in enumerate(pieces):
        os.write(bash.fd, piece.encode())
        if i < len(pieces) - 1:
            time.sleep(0.1)
            os.write(bash.fd, b"\t")
            time.sleep(0.3)
    return bash.wait_prompt_after(typed, timeout=3)


def main():
    completion = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp()
    failures = 0
    try:
        for name in FILES:
            path = os.path.join(work, name)
            os.makedirs(os.path.dirname(path) if not name.endswith("/") else path, exist_ok=True)
            if not name.endswith("/"):
                open(path, "w").close()
        bash = Bash(completion, work)
        for typed, want_args, want_offers in CASES:
            for stale in ("args", "offers"):
                if os.path.exists(os.path.join(work, stale)):
                    os.remove(os.path.join(work, stale))
            ended = type_case(bash, typed)
            got_args = open(os.path.join(work, "args")).read().split("\n")[:-1] \
                if os.path.exists(os.path.join(work, "args")) else None
            offers_path = os.path.join(work, "offers")
            got_offers = open(offers_path).read().split("\n")[:-1] if os.path.exists(offers_path) else None
            if got_offers == [""]:
                got_offers = []
            wrong = [] if ended else ["the line did not end (the shell waits for a quote)"]
            if got_args != want_args:
                wrong.append(f"arguments {got_args} (want {want_args})")
            if want_offers is not None and sorted(got_offers or []) != sorted(want_offers):
                wrong.append(f"offered {got_offers} (want {want_offers})")
            if os.path.exists(os.path.join(work, "PWNED")):
                wrong.append("a file name was run as a command")
                os.remove(os.path.join(work, "PWNED"))
            if wrong:
                failures += 1
                print(f"FAIL {typed!r}: " + "; ".join(wrong))
        passed = len(CASES) - failures
        print(f"completion on a terminal: {passed} passed, {failures} failed")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
