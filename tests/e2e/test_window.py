#!/usr/bin/env python3
"""The real WindowHider.exe under Wine, driven with xdotool and checked from X screenshots and with
wh_probe.exe. Runs inside tests/wine/wine-env.sh (DISPLAY and WINEPREFIX set).

    python3 test_window.py WindowHider.exe wh_probe.exe
"""
import os
import subprocess
import sys
import tempfile

import e2e_support as support
from e2e_support import (BUTTON1, BUTTON2, BUTTON3, EDIT1, EDIT_BACK, EXIT_SECONDS, HOT_BACK,
                         OUTLINE, PAINT_SECONDS, SCREEN_H, SCREEN_W, START_SECONDS, WINDOW_H,
                         WINDOW_W, button_points, caller_line, check_etched_button1, check_focus_on,
                         check_picture, check_pointer, click, expect_pixels, key, launch,
                         normal_cases, numbers, ok, probe, probe_controls, probe_facts, rect_of,
                         start_tool, tool_is_active, wait_exit, wait_until, xdotool)

# Notepad is placed beside the tool, not over it: in Wine's virtual desktop a window mapped later
# lies above the tool in X's stacking although the tool is topmost for Win32, so a screenshot would
# show Notepad where the tool is.
NOTEPAD_AT = (0, 470, 500, 250)  # x, y, width, height
NOTEPAD_REG = (
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Notepad]\r\n"
    '"iWindowPosX"=dword:%08x\r\n"iWindowPosY"=dword:%08x\r\n'
    '"iWindowPosDX"=dword:%08x\r\n"iWindowPosDY"=dword:%08x\r\n' % NOTEPAD_AT
)

def hot_cases(name, rect):
    inside, edges, corner = button_points(rect)
    cases = [("%s hot %s" % (name, label), at, HOT_BACK, True) for label, at in inside]
    cases += [("%s outline %s" % (name, label), at, OUTLINE, True) for label, at in edges]
    cases.append(("%s rounded %s" % (name, corner[0]), corner[1], OUTLINE, False))
    return cases


# --- the tool ----------------------------------------------------------------------------------

def check_window():
    facts = probe_facts("window")
    left, top = (SCREEN_W - WINDOW_W) // 2, (SCREEN_H - WINDOW_H) // 2
    expected = [
        ("rect", "%d,%d,%d,%d" % (left, top, left + WINDOW_W, top + WINDOW_H)),
        ("topmost", "1"),
        ("visible", "1"),
        ("owner", "0x00000000"),
        ("caption", "窗口隐藏工具"),
    ]
    for key, value in expected:
        ok(facts.get(key) == value, "window %s is %s, expected %s" % (key, facts.get(key), value))
    return facts


def check_colours(window, controls, colours):
    face = numbers(colours["btnface"])
    frame = numbers(colours["windowframe"])
    ox, oy = numbers(window["client_origin"])
    cases = []
    for child_id, name in ((BUTTON1, "按钮1"), (BUTTON2, "按钮2"), (BUTTON3, "超按钮3")):
        cases += normal_cases(name, rect_of(controls, child_id))
    left, top, right, bottom = rect_of(controls, EDIT1)
    mx, my = (left + right) // 2, (top + bottom) // 2
    cases += [("编辑框1 frame " + label, at, frame, True) for label, at in
              (("left", (left, my)), ("right", (right - 1, my)), ("top", (mx, top)),
               ("bottom", (mx, bottom - 1)))]
    # Just inside the frame: the frame is one pixel wide.
    cases += [("编辑框1 interior " + label, at, EDIT_BACK, True) for label, at in
              (("top left", (left + 1, top + 1)), ("middle", (mx, my)),
               ("bottom right", (right - 2, bottom - 2)))]
    # Client points far from every control.
    cases += [("window face " + label, (ox + x, oy + y), face, True) for label, (x, y) in
              (("top left", (2, 2)), ("under the label", (5, 40)), ("between buttons", (86, 70)),
               ("bottom strip", (124, 100)), ("right of the picture box", (244, 20)))]
    expect_pixels(cases, "colours")


def check_hover(controls, window, context):
    """Hover 按钮2, then leave it for each of the places in the table."""
    b2 = rect_of(controls, BUTTON2)
    ox, oy = numbers(window["client_origin"])
    leave_to = [("the window face", (ox + 86, oy + 100)), ("the desktop", (SCREEN_W - 20, 20))]
    # The other buttons stay unlit: the top middle and the top edge of each are enough.
    others = [case for child_id, name in ((BUTTON1, "按钮1"), (BUTTON3, "超按钮3"))
              for case in normal_cases(name, rect_of(controls, child_id))
              if case[0].endswith(("top middle", "top edge"))]
    for where, (x, y) in leave_to:
        xdotool("mousemove", str((b2[0] + b2[2]) // 2), str(b2[1] + 8))
        expect_pixels(hot_cases("按钮2", b2) + others, "hover_" + context)
        xdotool("mousemove", str(x), str(y))
        expect_pixels(normal_cases("按钮2 after leaving to " + where, b2), "leave_" + context)


def check_hover_with_other_app(controls, window):
    with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False, encoding="utf-16") as f:
        f.write(NOTEPAD_REG)
    subprocess.run(["wine", "regedit", "/S", f.name], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120)
    os.remove(f.name)
    notepad = launch("wine", "notepad")
    x, y, w, h = NOTEPAD_AT

    def notepad_active():
        facts = probe_facts("focus")
        return facts if facts.get("foreground_class") == "Notepad" else None

    wait_until(notepad_active, START_SECONDS)  # its window is there once it is the foreground
    click(x + w // 2, y + h // 2)
    facts = wait_until(notepad_active, PAINT_SECONDS) or probe_facts("focus")
    ok(facts.get("foreground_class") == "Notepad" and facts.get("active_is_tool") == "0",
       "after a click into Notepad the foreground is %s (%s), the tool active: %s"
       % (facts.get("foreground_class"), facts.get("foreground_rect"), facts.get("active_is_tool")))
    fx0, fy0, fx1, fy1 = numbers(facts.get("foreground_rect", "0,0,0,0"))
    wl, wt, wr, wb = numbers(window["rect"])
    if ok(fy0 >= wb or fx0 >= wr or fx1 <= wl or fy1 <= wt,
          "Notepad at %s stays clear of the tool at %s" % (facts.get("foreground_rect"),
                                                         window["rect"])):
        check_hover(controls, window, "notepad_active")
    still = probe_facts("focus")
    ok(still.get("foreground_class") == "Notepad",
       "Notepad is still the foreground after hovering: %s" % still.get("foreground_class"))
    xdotool("key", "alt+F4")
    try:
        notepad.wait(timeout=EXIT_SECONDS)
    except subprocess.TimeoutExpired:
        ok(False, "Notepad did not end after Alt+F4")
        notepad.kill()
        notepad.wait()


def look():
    window = check_window()
    check_focus_on(BUTTON1, "按钮1")
    controls = probe_controls()
    ids = [c.get("id") for c in controls]
    expected = [str(i) for i in (150, 140, 130, 120, 110, 100)]
    ok(ids == expected, "children from the top of the Z-order: %s, expected %s" % (ids, expected))
    colours = probe_facts("colours")
    print("    system colours: %s" % colours, flush=True)
    check_colours(window, controls, colours)
    check_picture(controls, colours, False, "picture at rest")
    if support.xcursor_exe:
        check_pointer(controls, (6, 0), "HandCursor pointer at rest")
    check_hover(controls, window, "tool_active")
    check_hover_with_other_app(controls, window)


def fixture_run(args, checks):
    """The tool's window with property writes the user cannot reach yet, then closed with Esc."""
    print("--- fixture run: %s" % " ".join(args), flush=True)
    process = launch("wine", fixture_exe, *args)
    code, lines = probe("wait-window", str(START_SECONDS))
    if not ok(code == 0, "the fixture's window appeared (%s)" % " ".join(lines)):
        process.kill()
        process.wait()
        return
    controls = probe_controls()
    colours = probe_facts("colours")
    checks(controls, colours)
    xdotool("mousemove", str(SCREEN_W - 20), str(20))
    wait_until(tool_is_active, PAINT_SECONDS)
    xdotool("key", "Escape")
    wait_exit(process, "fixture Esc")


FIXTURE_RUNS = [
    (["empty-picture"], lambda c, k: check_picture(c, k, True, "EmptyPicture")),
    (["cross-hair-pointer"], lambda c, k: check_pointer(c, (15, 16), "CrossHairCursor pointer")),
    (["disable-button1"], lambda c, k: (check_focus_on(BUTTON3, "超按钮3"), check_etched_button1(c, k))),
]


def close_button():
    facts = probe_facts("close-button")
    if ok("close_button" in facts and facts["close_button"] != "none",
          "the close button hit test gives %s (span %s)"
          % (facts.get("close_button"), facts.get("close_span")), caller_line()):
        click(*numbers(facts["close_button"]))


# Each run starts the tool and ends it one way; the first also looks at it.
ENDINGS = [
    ("close button", close_button, False),
    ("Esc", key("Escape"), True),
    ("Alt+F4", key("alt+F4"), True),
]


def main():
    global fixture_exe
    if len(sys.argv) not in (3, 5):
        print("usage: test_window.py WindowHider.exe wh_probe.exe [wh_fixture.exe xcursor]")
        return 2
    xcursor = None
    if len(sys.argv) == 5:
        fixture_exe, xcursor = os.path.abspath(sys.argv[3]), sys.argv[4]
    support.configure(sys.argv[1], sys.argv[2], xcursor, "e2e_window")
    code, lines = probe("wait-gone", "10")
    if not ok(code == 0, "no WindowHider window before the test (%s)" % " ".join(lines)):
        return 1
    for k, (how, end, needs_focus) in enumerate(ENDINGS):
        print("--- run %d: ends with %s" % (k + 1, how), flush=True)
        process = start_tool()
        if process is None:
            continue
        if k == 0:
            look()
        xdotool("mousemove", str(SCREEN_W - 20), str(20))
        if needs_focus:
            facts = wait_until(tool_is_active, PAINT_SECONDS) or probe_facts("focus")
            ok(facts.get("active_is_tool") == "1" and facts.get("focus_in_tool") == "1",
               "%s: the tool is active (%s) with the focus on child %s"
               % (how, facts.get("active_is_tool"), facts.get("focus_id")))
        end()
        wait_exit(process, how)
    if fixture_exe:
        for args, checks in FIXTURE_RUNS:
            fixture_run(args, checks)


if __name__ == "__main__":
    support.finish(main)
