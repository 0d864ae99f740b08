"""The fleet check's reading of what hasnapshot printed on a host: whether the chassis
can fail over now, and one line that says why not, in the failover's own words.

Every way the snapshot can go wrong (the command missing, stopped by the timeout, a
status other than 0, output that is not a whole snapshot of a format it reads) becomes
one line too: the playbook never ends in a traceback or a templating error.
"""

import json


def _why_not_run(result, command):
    text = str(result.get("msg") or "").strip()
    # 124: stopped on the host by timeout(1); the message: Ansible gave up waiting.
    if result.get("rc") == 124 or "expected time frame" in text:
        return f"{command} did not answer in time and was stopped"
    err = str(result.get("stderr") or "").strip().splitlines()
    if result.get("rc") in (126, 127) and err and "failed to run command" in err[-1]:
        return f"{command} could not be run: {err[-1].rsplit(': ', 1)[-1]}"
    if result.get("rc") not in (None, -1, 0) and (err or not text):
        return f"{command} failed with status {result.get('rc')}: {err[-1] if err else 'no output'}"
    return f"{command} could not be run: {text or 'no result'}"


KNOWN_FORMATS = (2,)


def ha_verdict(result, command):
    """result: the registered result of the command; command: how it was named."""
    result = result or {}
    if result.get("rc") != 0 or "stdout" not in result:
        return {"ready": False, "status": "UNKNOWN", "line": _why_not_run(result, command)}
    try:
        return _read(json.loads(result["stdout"]), command)
    except (ValueError, TypeError, KeyError, AttributeError):
        return {"ready": False, "status": "UNKNOWN", "line": f"{command} printed something that is not a whole snapshot"}


def _read(snap, command):
    if not isinstance(snap.get("format"), int) or isinstance(snap["format"], bool):
        raise ValueError("no format")
    if snap["format"] not in KNOWN_FORMATS:
        return {"ready": False, "status": "UNKNOWN",
                "line": f"{command} printed a snapshot of format {snap['format']}, which this check does not read "
                        f"(it reads format {', '.join(map(str, KNOWN_FORMATS))})"}
    ready = snap["ready"]
    status = ready["status"]
    if status not in ("OK", "WARNING", "CRITICAL", "UNKNOWN") or not isinstance(ready["reasons"], list):
        raise ValueError("no verdict")
    words = [str(r["words"]) for r in ready["reasons"]]
    lock = snap["lock"]
    if isinstance(lock, dict) and lock["held"]:
        taken, since = snap["taken"], lock["time"]
        if not all(isinstance(n, int) and not isinstance(n, bool) for n in (taken, since)):
            raise ValueError("times that are not numbers")
        words.append(f"the HA lock is held by pid {lock['pid']} ({lock['cmd']}) for {max(0, taken - since)} s")
    if status == "OK":
        standby = any(r["test"] == "active" for r in ready["reasons"])
        line = "ready (standby CP; the failover is made on the active CP)" if standby else "ready"
        return {"ready": True, "status": status, "line": line}
    return {"ready": False, "status": status, "line": f"not ready ({status}): " + "; ".join(words)}


class FilterModule:
    def filters(self):
        return {"ha_verdict": ha_verdict}
