#!/usr/bin/env python3
"""F1, F2 and F3 pressed for real (xdotool) while another program has the focus, with the real
WindowHider.exe under Wine. Runs inside tests/wine/wine-env.sh.

    python3 test_hotkeys.py WindowHider.exe wh_probe.exe wh_target_app.exe xcursor wh_poke.exe
"""
import os
import subprocess
import sys
import time

import e2e_support as support
import test_pick as pick
from e2e_support import (BUTTON1, EDIT1, PAINT_SECONDS, caller_line, click, ok, probe_facts,
                         start_tool, wait_value, xdotool)

poke_exe = None
HOLD_SECONDS = 1.5  # long enough for the key to repeat many times


def poke(*args):
    out = subprocess.run(["wine", poke_exe, *args], stdout=subprocess.PIPE, timeout=120)
    return dict(item.split("=", 1) for item in out.stdout.decode().split() if "=" in item)


def tool_visible():
    return probe_facts("window").get("visible")


def wait_tool_visible(want, label):
    found = wait_value(tool_visible, lambda v: v == want)
    ok(found == want, "%s: the tool visible %s, expected %s" % (label, found, want), caller_line())


def boxes():
    return poke("boxes").get("boxes")


def wait_boxes(want, label):
    found = wait_value(boxes, lambda b: b == want)
    ok(found == want, "%s: %s message boxes up, expected %s" % (label, found, want), caller_line())


def close_box():
    """OK on the newest box, the one open for input."""
    closed = poke("close-box")
    ok(closed.get("closed") == "1", "pressed OK on the open box (%s)" % closed, caller_line())


def focus_other(target):
    """Another program has the focus, as when the user works in it."""
    x, y = pick.client_centre(target.place)
    click(x, y)
    facts = wait_value(lambda: probe_facts("focus"), lambda f: f.get("active_is_tool") == "0")
    ok(facts.get("active_is_tool") == "0", "another program is active (foreground %s)"
       % facts.get("foreground"), caller_line())


def press(name):
    xdotool("key", name)


def hold(name):
    xdotool("keydown", name)
    time.sleep(HOLD_SECONDS)  # the hold itself is the input, not a wait for a condition
    xdotool("keyup", name)


class Placed(pick.Target):
    def __init__(self, place, title, *extra):
        super().__init__(place, title, *extra)
        self.place = place


def run_keys_with_a_picked_target():
    tool = start_tool()
    if tool is None:
        return
    target = Placed(pick.LEFT, "hotkey target")
    other = Placed(pick.LOW, "somewhere else")
    rect = pick.win(target.window).get("rect")
    pick.drag_onto(pick.client_centre(pick.LEFT), "hotkey target", "pick for the keys")
    focus_other(other)
    press("F1")
    pick.check_window("the target", target.window, False, rect, "F1")
    pick.check_enabled("0", "F1")
    press("F2")
    pick.check_window("the target", target.window, True, rect, "F2")
    pick.check_enabled("1", "F2")
    press("F3")
    wait_tool_visible("0", "F3")
    # The keys keep working while the tool is hidden.
    press("F1")
    pick.check_window("the target", target.window, False, rect, "F1 with the tool hidden")
    press("F2")
    pick.check_window("the target", target.window, True, rect, "F2 with the tool hidden")
    press("F3")
    wait_tool_visible("1", "F3 again")
    # A held key acts once; two separate presses act twice.
    hold("F3")
    wait_tool_visible("0", "F3 held")
    press("F3")
    wait_tool_visible("1", "F3 pressed once more")
    press("F3")
    press("F3")
    wait_tool_visible("1", "F3 pressed twice")
    # A feedback message with an id that no key has changes nothing.
    sent = poke("feedback", "40000")
    ok(sent.get("sent") == "1", "the feedback message was answered (%s)" % sent)
    wait_tool_visible("1", "feedback 40000")
    pick.check_window("the target", target.window, True, rect, "feedback 40000")
    # End to end: hidden from another program, then the tool closed with Esc.
    focus_other(other)
    press("F1")
    pick.check_window("the target", target.window, False, rect, "F1 before Esc")
    pick.close_with_esc(tool, "Esc with the target hidden by F1")
    pick.check_window("the target", target.window, True, rect, "after Esc")
    target.close()
    other.close()


def run_nothing_picked():
    tool = start_tool()
    if tool is None:
        return
    other = Placed(pick.LOW, "somewhere else")
    focus_other(other)
    press("F2")
    pick.check_enabled("1", "F2 with nothing picked")
    wait_boxes("0", "F2 with nothing picked")
    hold("F1")
    wait_boxes("1", "F1 held with nothing picked")
    close_box()
    wait_boxes("0", "the box closed")
    focus_other(other)
    press("F1")
    wait_boxes("1", "F1 pressed")
    press("F1")  # a separate press while the box is open: a second box
    wait_boxes("2", "F1 pressed again")
    close_box()
    wait_boxes("1", "one box closed")
    close_box()
    wait_boxes("0", "both boxes closed")
    facts = probe_facts("window")
    ok(facts.get("topmost") == "1", "the tool is topmost again (%s)" % facts.get("topmost"))
    pick.close_with_esc(tool, "Esc")
    other.close()


def run_f1_held_by_another_program():
    holder = support.launch("wine", poke_exe, "hold-key", "0x70", "25", stdout=subprocess.PIPE)
    first = pick.read_handles(holder, 1)
    first = "registered=%s" % first.get("registered")
    ok(first == "registered=1", "another program holds F1 (%s)" % first)
    tool = start_tool()
    if tool is None:
        return
    target = Placed(pick.LEFT, "hotkey target")
    rect = pick.win(target.window).get("rect")
    pick.drag_onto(pick.client_centre(pick.LEFT), "hotkey target", "pick with F1 taken")
    press("F1")
    press("F3")
    wait_tool_visible("0", "F3 with F1 taken")
    pick.check_window("the target", target.window, True, rect, "F1 held elsewhere does nothing")
    press("F3")
    wait_tool_visible("1", "F3 again with F1 taken")
    pick.click_control(BUTTON1)
    pick.check_window("the target", target.window, False, rect, "按钮1 with F1 taken")
    press("F2")
    pick.check_window("the target", target.window, True, rect, "F2 with F1 taken")
    pick.close_with_esc(tool, "Esc")
    target.close()
    out = holder.communicate(timeout=60)[0].decode()
    ok("presses=1" in out, "F1 reached the program that holds it: %s" % out.split())


def configure(prefix):
    """The programs from the command line, for a script that also pokes the tool; False with a
    usage line when they are not all there."""
    global poke_exe
    if len(sys.argv) != 6:
        print("usage: %s WindowHider.exe wh_probe.exe wh_target_app.exe xcursor wh_poke.exe"
              % os.path.basename(sys.argv[0]))
        return False
    support.configure(sys.argv[1], sys.argv[2], sys.argv[4], prefix=prefix)
    pick.target_exe = os.path.abspath(sys.argv[3])
    poke_exe = os.path.abspath(sys.argv[5])
    return True


def main():
    if not configure("e2e_hotkeys"):
        return 2
    for run in (run_keys_with_a_picked_target, run_nothing_picked, run_f1_held_by_another_program):
        print("--- %s" % run.__name__, flush=True)
        run()
    return None


if __name__ == "__main__":
    support.finish(main)
