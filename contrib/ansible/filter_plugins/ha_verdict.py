"""The fleet check's reading of what hasnapshot printed on a host: whether the chassis
can fail over now, and one line that says why not, in the failover's own words.

Every way the snapshot can go wrong (the command missing, killed by the timeout, a
status other than 0, output that is not a snapshot) becomes one line too: the playbook
never ends in a traceback.
"""

import json


def _why_not_run(result, command):
    text = str(result.get("msg") or "").strip()
    if "expected time frame" in text:
        return f"{command} did not answer in time and was stopped"
    err = str(result.get("stderr") or "").strip().splitlines()
    if result.get("rc") not in (None, -1, 0) and (err or not text):
        return f"{command} failed with status {result.get('rc')}: {err[-1] if err else 'no output'}"
    return f"{command} could not be run: {text or 'no result'}"


def ha_verdict(result, command):
    """result: the registered result of the command; command: how it was named."""
    result = result or {}
    if result.get("rc") != 0 or "stdout" not in result:
        return {"ready": False, "status": "UNKNOWN", "line": _why_not_run(result, command)}
    try:
        snap = json.loads(result["stdout"])
    except ValueError:
        return {"ready": False, "status": "UNKNOWN", "line": f"{command} printed something that is not a snapshot"}
    if not isinstance(snap, dict) or not isinstance(snap.get("format"), int):
        return {"ready": False, "status": "UNKNOWN", "line": f"{command} printed something that is not a snapshot"}
    if snap["format"] < 2:
        return {"ready": False, "status": "UNKNOWN",
                "line": f"{command} printed a snapshot of format {snap['format']}, which carries no verdict; "
                        "a haadm that writes format 2 is needed"}
    ready = snap.get("ready")
    if not isinstance(ready, dict) or not isinstance(ready.get("reasons"), list) or \
            not isinstance(ready.get("status"), str):
        return {"ready": False, "status": "UNKNOWN", "line": f"{command} printed a snapshot without a verdict"}
    status = ready["status"]
    words = [str(r.get("words", "")) for r in ready["reasons"] if isinstance(r, dict)]
    lock = snap.get("lock")
    if isinstance(lock, dict) and lock.get("held"):
        age = max(0, int(snap.get("taken", 0)) - int(lock.get("time", 0)))
        words.append(f"the HA lock is held by pid {lock.get('pid')} ({lock.get('cmd')}) for {age} s")
    if status == "OK":
        standby = any(isinstance(r, dict) and r.get("test") == "active" for r in ready["reasons"])
        line = "ready (standby CP; the failover is made on the active CP)" if standby else "ready"
        return {"ready": True, "status": status, "line": line}
    return {"ready": False, "status": status, "line": f"not ready ({status}): " + "; ".join(words)}


class FilterModule:
    def filters(self):
        return {"ha_verdict": ha_verdict}
