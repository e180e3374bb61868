#!/usr/bin/env python3
"""Where a hotkey's time goes: the wineserver requests that the program's GUI thread makes from the
key's arrival until its request reaches the target's thread, for the tool and for the floor.
Runs inside tests/wine/wine-env.sh, with the wineserver restarted with request tracing:

    bench/requests.sh
"""
import collections
import os
import re
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tests", "e2e"))
import e2e_support as support  # noqa: E402
import test_pick as pick  # noqa: E402

TITLE = "requests target"
REQUEST = re.compile(r"^([0-9a-f]{4}): (\w+)\(")


def thread_of(log, unix_pid):
    """The Wine thread id of the process's first thread, from the trace."""
    with open(log, "rb") as f:
        for line in f.read().decode("utf-8", "replace").splitlines():
            if "init_first_thread( unix_pid=%d," % unix_pid in line:
                return line[:4]
    return None


def requests_since(log, offset, thread):
    with open(log, "rb") as f:
        f.seek(offset)
        lines = f.read().decode("utf-8", "replace").splitlines()
    return [m.group(2) for m in map(REQUEST.match, lines)
            if m and m.group(1) == thread and ") = " not in m.string]


def measure(name, command, log, after_start):
    target = pick.Target(pick.LEFT, TITLE)
    program = support.launch(*command(target))
    support.wait_until(lambda: thread_of(log, program.pid), support.START_SECONDS)
    time.sleep(3)  # let the start settle, so its requests are not counted with the key's
    after_start()
    thread = thread_of(log, program.pid)
    for key, want in (("F1", "0"), ("F2", "1")):
        offset = os.path.getsize(log)
        support.xdotool("key", key)
        support.wait_value(lambda: pick.win(target.window).get("visible"), lambda v: v == want)
        time.sleep(1)  # the rest of the handling, after the target's request
        calls = requests_since(log, offset, thread)
        upto = calls.index("send_message") + 1 if "send_message" in calls else len(calls)
        print("%-5s %s: %3d requests until the target's, %3d in all" % (name, key, upto, len(calls)))
        print("      until the target's: %s" % " ".join(calls[:upto]))
        rest = collections.Counter(calls[upto:]).most_common(6)
        print("      after it, most: %s" % ", ".join("%s %d" % kv for kv in rest), flush=True)
    program.kill()
    program.wait()
    target.kill()


def main():
    build, log = sys.argv[1], sys.argv[2]
    support.configure(os.path.join(build, "WindowHider.exe"), os.path.join(build, "wh_probe.exe"),
                      os.path.join(build, "xcursor"), prefix="requests")
    pick.target_exe = os.path.join(build, "wh_target_app.exe")
    floor = os.path.join(build, "wh_floor.exe")
    measure("floor", lambda t: ["wine", floor, t.window], log, lambda: None)
    measure("tool", lambda t: ["wine", support.tool_exe], log,
            lambda: pick.drag_onto(pick.client_centre(pick.LEFT), TITLE, "pick"))
    return None


if __name__ == "__main__":
    support.finish(main)
