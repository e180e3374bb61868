#!/usr/bin/env python3
"""Takes the README's screenshot: the real tool under Wine, with a window picked so that its title
shows, cropped to the tool and a margin. Runs inside tests/wine/wine-env.sh.

    python3 screenshot.py WindowHider.exe wh_probe.exe wh_target_app.exe xcursor OUT.png
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e_support as support  # noqa: E402
import test_pick as pick  # noqa: E402

MARGIN = 16
TITLE = "季度报表.txt - 记事本"


def main():
    tool_exe, probe_exe, target_exe, xcursor, out = sys.argv[1:6]
    support.configure(tool_exe, probe_exe, xcursor, prefix="screenshot")
    pick.target_exe = os.path.abspath(target_exe)
    target = pick.Target(pick.LEFT, TITLE)
    tool = support.start_tool()
    if tool is None:
        return 1
    pick.drag_onto(pick.client_centre(pick.LEFT), TITLE, "the picked window")
    # The pointer away from the tool, so that no button is drawn hot.
    support.xdotool("mousemove", "1000", "740")
    left, top, right, bottom = support.numbers(support.probe_facts("window")["rect"])
    shot = support.Shot()
    full = shot.save("full")
    geometry = "%dx%d+%d+%d" % (right - left + 2 * MARGIN, bottom - top + 2 * MARGIN,
                                left - MARGIN, top - MARGIN)
    subprocess.run(["convert", full, "-crop", geometry, "+repage", os.path.abspath(out)],
                   check=True)
    print("screenshot: %s" % os.path.abspath(out))
    pick.close_with_esc(tool, "Esc after the screenshot")
    target.close()
    return None


if __name__ == "__main__":
    support.finish(main)
