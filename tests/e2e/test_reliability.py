#!/usr/bin/env python3
"""No window is lost and the tool never freezes, with the real WindowHider.exe under Wine: the tool
killed while it holds hidden windows, two instances at once, a target that stops answering, bursts
of presses, and a target whose program ends. Runs inside tests/wine/wine-env.sh.

    python3 test_reliability.py WindowHider.exe wh_probe.exe wh_target_app.exe xcursor wh_poke.exe
"""
import os
import sys
import time

import e2e_support as support
import test_hotkeys as hk
import test_pick as pick
from e2e_support import (EXIT_SECONDS, START_SECONDS, caller_line, ok, probe, probe_facts,
                         start_tool, wait_value, xdotool)

BURST = 200


def tools():
    """{main window handle: Windows process id} of every running tool."""
    _, lines = probe("tools")
    found = {}
    for line in lines:
        if line.startswith("tool="):
            hwnd, process = line[5:].split(",")
            found[hwnd] = process
    return found


def mark_of(handle):
    return pick.win(handle).get("mark")


def check_marked(handle, process, label):
    """The window carries the mark of the run with that process id (or none if process is None)."""
    mark = mark_of(handle)
    if process is None:
        ok(mark == "none", "%s: mark %s, expected none" % (label, mark), caller_line())
    else:
        ok(mark is not None and mark.split(",")[0] == process,
           "%s: mark %s names process %s" % (label, mark, process), caller_line())


def check_tool_answers(label):
    """The tool's thread answers a message sent to it with a timeout, and soon."""
    began = time.monotonic()
    facts = probe_facts("window")
    took = time.monotonic() - began
    ok(facts.get("responding") == "1", "%s: the tool answers (responding %s, %.1f s)"
       % (label, facts.get("responding"), took), caller_line())


def check_no_box(label):
    found = hk.boxes()
    ok(found == "0", "%s: %s message boxes, expected none" % (label, found), caller_line())


def start_second_tool(first):
    """Another instance while the first runs: the one whose window is not first's."""
    process = support.launch("wine", support.tool_exe)
    found = wait_value(tools, lambda t: len(t) == 2, START_SECONDS)
    others = [h for h in found if h != first]
    ok(len(others) == 1, "a second tool's window appeared (%s)" % found, caller_line())
    return process, (others[0] if others else None)


def picked(title):
    """A target at pick.LEFT, its rect, and a started tool that has picked it (None if the tool
    did not start)."""
    target = hk.Placed(pick.LEFT, title)
    rect = pick.win(target.window).get("rect")
    tool = start_tool()
    if tool is not None:
        pick.drag_onto(pick.client_centre(pick.LEFT), title, "pick " + title)
    return target, rect, tool


# --- the runs ----------------------------------------------------------------------------------

def run_killed_tool():
    """Killed with a top-level window and another program's child hidden; the next start shows
    both before its own window appears, and removes the marks."""
    top = hk.Placed(pick.LEFT, "kill target")
    parent = hk.Placed(pick.RIGHT, "kill parent", "--child-button", "child")
    top_rect = pick.win(top.window).get("rect")
    child_rect = pick.win(parent.button).get("rect")
    tool = start_tool()
    if tool is None:
        return
    process = list(tools().values())[0]
    x, y, w, h = pick.RIGHT
    pick.drag_onto((x + w // 2, y + h - 30), "child", "pick the child")
    xdotool("key", "F1")
    pick.check_window("the child", parent.button, False, child_rect, "F1 on the child")
    pick.drag_onto(pick.client_centre(pick.LEFT), "kill target", "pick the top-level window")
    xdotool("key", "F1")
    pick.check_window("the top-level window", top.window, False, top_rect, "F1 on it")
    check_marked(parent.button, process, "the hidden child")
    check_marked(top.window, process, "the hidden top-level window")

    tool.kill()  # SIGKILL: no clean-up of any kind runs
    tool.wait()
    code, _ = probe("wait-gone", str(EXIT_SECONDS))
    ok(code == 0, "the killed tool's window is gone")
    ok(pick.win(top.window).get("visible") == "0", "after the kill the window is still hidden")

    again = support.launch("wine", support.tool_exe)
    code, _ = probe("wait-window", str(START_SECONDS))
    ok(code == 0, "the tool started again")
    # Read once, right when the new window is there: shown before it, not some time after.
    for name, handle, rect in (("the top-level window", top.window, top_rect),
                               ("the child", parent.button, child_rect)):
        facts = pick.win(handle)
        ok(facts.get("visible") == "1" and facts.get("rect") == rect,
           "when the new window shows, %s is visible %s at %s (expected %s)"
           % (name, facts.get("visible"), facts.get("rect"), rect))
        check_marked(handle, None, name + " after the new start")
    pick.close_with_esc(again, "Esc after the restart")
    top.close()
    parent.close()


def run_two_instances():
    """A window hidden by a tool that still runs stays hidden when a second tool starts."""
    target, rect, first = picked("first tool's target")
    if first is None:
        return
    (first_window, first_process), = tools().items()
    xdotool("key", "F1")
    pick.check_window("the target", target.window, False, rect, "F1 by the first tool")
    second, second_window = start_second_tool(first_window)
    ok(pick.win(target.window).get("visible") == "0",
       "with the second tool up, the first tool's window stays hidden")
    check_marked(target.window, first_process, "with the second tool up")
    if second_window is not None:
        probe("close", second_window)
        support.wait_exit(second, "the second tool closed")
    ok(pick.win(target.window).get("visible") == "0",
       "after the second tool ended, the window is still hidden")
    pick.close_with_esc(first, "Esc on the first tool")
    pick.check_window("the target", target.window, True, rect, "after the first tool closed")
    check_marked(target.window, None, "after the first tool closed")
    target.close()


def run_hung_target():
    """A target that takes no messages: F1, F2 and closing the tool all return at once, and the
    window ends visible once its program answers again."""
    target, rect, tool = picked("hung target")
    if tool is None:
        return
    xdotool("key", "F1")
    pick.check_window("the target", target.window, False, rect, "F1 before the hang")
    hung = hk.poke("hang", target.window)
    ok(hung.get("hung") == "1", "the target stopped taking messages (%s)" % hung)
    for key, enabled in (("F2", "1"), ("F1", "0"), ("F2", "1")):
        xdotool("key", key)
        pick.check_enabled(enabled, key + " on the hung target")
        check_tool_answers(key + " on the hung target")
    ok(pick.win(target.window).get("visible") == "0",
       "while it hangs the target is still hidden: the requests wait for it")
    began = time.monotonic()
    pick.close_with_esc(tool, "Esc with the target hung")
    ok(time.monotonic() - began < EXIT_SECONDS, "the tool ended %.1f s after Esc"
       % (time.monotonic() - began))
    woke = hk.poke("wake")
    ok(woke.get("woke") == "1", "the target takes messages again (%s)" % woke)
    pick.check_window("the target", target.window, True, rect, "once the target answers")
    check_marked(target.window, None, "once the target answers")
    target.close()


def run_bursts():
    """Presses faster than they are handled: the target ends as the last press left it."""
    target, rect, tool = picked("burst target")
    if tool is None:
        return
    for keys, visible in ((["F1", "F2"] * (BURST // 2), True),
                          (["F2", "F1"] * (BURST // 2), False)):
        xdotool("key", "--delay", "1", *keys)
        label = "a burst of %d presses ending with %s" % (len(keys), keys[-1])
        pick.check_window("the target", target.window, visible, rect, label)
        pick.check_enabled("1" if visible else "0", label)
        check_tool_answers(label)
        check_no_box(label)
    pick.close_with_esc(tool, "Esc after the bursts")
    pick.check_window("the target", target.window, True, rect, "after the bursts and Esc")
    target.close()


def run_target_program_ends():
    """The target's program ends while its window is hidden, and while a pick is over it."""
    target = hk.Placed(pick.LEFT, "ending target")
    tool = start_tool()
    if tool is None:
        return
    pick.drag_onto(pick.client_centre(pick.LEFT), "ending target", "pick the target")
    xdotool("key", "F1")
    pick.check_enabled("0", "F1")
    target.kill()
    code, _ = probe("wait-gone", "1")  # the tool's window stays
    ok(code == 1, "the tool's window is still there after the target ended")
    # Each key is seen handled by the controls it switches, then nothing else happened.
    for key, enabled in (("F2", "1"), ("F1", "0"), ("F2", "1")):
        xdotool("key", key)
        pick.check_enabled(enabled, key + " after the target ended")
        check_no_box(key + " after the target ended")
        check_tool_answers(key + " after the target ended")

    # A pick in progress over a window whose program ends under it.
    other = hk.Placed(pick.RIGHT, "ends under the pick")
    controls = support.probe_controls()
    sx, sy = pick.centre(support.rect_of(controls, support.PICTURE))
    xdotool("mousemove", str(sx), str(sy))
    xdotool("mousedown", "1")
    pick.wait_capture(support.PICTURE)
    tx, ty = pick.client_centre(pick.RIGHT)
    pick.move_in_steps((sx, sy), (tx, ty))
    seen = pick.wait_caption("ends under the pick")
    ok(seen == "ends under the pick", "during the drag 编辑框1 shows %r" % seen)
    other.kill()
    xdotool("mousemove", str(tx + 5), str(ty + 5))
    xdotool("mousemove", str(tx + 10), str(ty + 10))
    xdotool("mouseup", "1")
    facts = pick.wait_capture(-1)
    ok(facts.get("capture") == pick.NO_PICK, "the pick ended with the release (capture %s)"
       % facts.get("capture"))
    check_no_box("after the pick over the ended program")
    check_tool_answers("after the pick over the ended program")
    pick.close_with_esc(tool, "Esc after the targets ended")


def main():
    if not hk.configure("e2e_reliability"):
        return 2
    runs = (run_killed_tool, run_two_instances, run_hung_target, run_bursts,
            run_target_program_ends)
    chosen = os.environ.get("WH_RUNS", "").split(",")
    for run in runs:
        if chosen != [""] and run.__name__ not in chosen:
            continue
        print("--- %s" % run.__name__, flush=True)
        run()
    return None


if __name__ == "__main__":
    support.finish(main)
