#!/usr/bin/env python3
"""Picking, hiding and showing with the real WindowHider.exe under Wine: the cross-hair dragged
with xdotool onto windows of wh_target_app.exe, checked from X screenshots and with wh_probe.exe.
Runs inside tests/wine/wine-env.sh (DISPLAY and WINEPREFIX set).

    python3 test_pick.py WindowHider.exe wh_probe.exe wh_target_app.exe xcursor
"""
import os
import select
import subprocess
import sys
import time

import e2e_support as support
from e2e_support import (BUTTON1, BUTTON2, BUTTON3, EDIT1, EDIT_BACK, EDIT_TEXT, PAINT_SECONDS,
                         PICTURE, START_SECONDS, TOOL_TITLE, Shot, caller_line,
                         check_etched_button1, check_focus_on, check_picture, check_pointer, click,
                         control_of, numbers, ok, probe, probe_controls, probe_facts, rect_of,
                         start_tool, tool_is_active, wait_exit, wait_until, wait_value, xdotool)

target_exe = None

# Places for the targets, clear of the tool (385,317 to 639,451): a window mapped later lies above
# the topmost tool in X's stacking, so over the tool it would hide what a screenshot must show.
LEFT = (20, 30, 320, 200)
RIGHT = (680, 30, 320, 200)
LOW = (20, 490, 320, 220)

DRAG_STEPS = 12
NO_PICK = "0x00000000"


# --- the targets -------------------------------------------------------------------------------

class Target:
    """One wh_target_app.exe: a top-level window, and a child button if asked for."""

    def __init__(self, place, title, *extra):
        line = caller_line()
        x, y, w, h = place
        self.process = support.launch("wine", target_exe, str(x), str(y), str(w), str(h), title,
                                      *extra, stdout=subprocess.PIPE)
        want = 2 if "--child-button" in extra else 1
        self.handles = read_handles(self.process, want)
        self.window = self.handles.get("window")
        self.button = self.handles.get("button")
        ok(len(self.handles) == want, "wh_target_app %r printed %s" % (title[:40], self.handles),
           line)

    def close(self):
        """Posts WM_CLOSE and waits until the process has ended."""
        line = caller_line()
        probe("close", self.window)
        try:
            code = self.process.wait(timeout=support.EXIT_SECONDS)
        except subprocess.TimeoutExpired:
            ok(False, "the target did not end after WM_CLOSE", line)
            self.kill()
            return
        ok(code == 0, "the target ended with exit code %d after WM_CLOSE" % code, line)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()


def read_handles(process, want):
    """name=decimal lines from the target's output, until there are want of them."""
    handles, pending = {}, b""
    end = time.monotonic() + START_SECONDS
    while len(handles) < want and time.monotonic() < end:
        ready, _, _ = select.select([process.stdout], [], [], end - time.monotonic())
        if not ready:
            break
        chunk = os.read(process.stdout.fileno(), 4096)
        if not chunk:
            break
        pending += chunk
        *lines, pending = pending.split(b"\n")
        handles.update(fields_of(lines))
    return handles


def fields_of(lines):
    pairs = (line.decode().strip().split("=", 1) for line in lines if b"=" in line)
    return {key: value for key, value in pairs}


def win(handle):
    return probe_facts("win", handle)


def centre(rect):
    left, top, right, bottom = numbers(rect) if isinstance(rect, str) else rect
    return (left + right) // 2, (top + bottom) // 2


def client_centre(place):
    """The middle of a target's client area (the title bar is above it)."""
    x, y, w, h = place
    return x + w // 2, y + h // 2 + 10


# --- the tool's state as the probe sees it -----------------------------------------------------

def caption_of_edit():
    return control_of(probe_controls(), EDIT1).get("caption")


def wait_caption(expected):
    return wait_value(caption_of_edit, lambda found: found == expected)


def enabled_states():
    controls = probe_controls()
    return tuple(control_of(controls, i).get("enabled") for i in (EDIT1, BUTTON1))


def check_enabled(expected, label):
    """编辑框1 and 按钮1 both enabled ("1") or both disabled ("0")."""
    want = (expected, expected)
    found = wait_value(enabled_states, lambda states: states == want)
    ok(found == want, "%s: 编辑框1 and 按钮1 enabled %s, expected %s" % (label, found, want),
       caller_line())


def check_edit_text(expected, label):
    """编辑框1's caption, and its field: dark blue text on light grey, or only grey when empty."""
    line = caller_line()
    found = wait_caption(expected)
    ok(found == expected, "%s: 编辑框1 shows %r, expected %r" % (label, short(found),
                                                                short(expected)), line)
    left, top, right, bottom = rect_of(probe_controls(), EDIT1)
    inside = (left + 1, top + 1, right - 1, bottom - 1)  # within the one-pixel frame

    def drawn(seen):
        return EDIT_TEXT in seen and EDIT_BACK in seen if expected else seen == {EDIT_BACK}

    shot = wait_value(Shot, lambda s: drawn(s.colours_in(inside)))
    seen = shot.colours_in(inside)
    if expected:
        good = ok(drawn(seen), "%s: text colour %s in the field: %s, field colour %s: %s"
                  % (label, EDIT_TEXT, EDIT_TEXT in seen, EDIT_BACK, EDIT_BACK in seen), line)
    else:
        good = ok(drawn(seen), "%s: the empty field holds only %s: %s"
                  % (label, EDIT_BACK, sorted(seen)[:4]), line)
    if not good:
        shot.save("edit_" + label.replace(" ", "_"))


def short(text):
    return text if text is None or len(text) <= 40 else "%s...(%d chars)" % (text[:20], len(text))


def capture():
    return probe_facts("capture")


def wait_capture(child_id):
    """The tool's capture once it is on child_id (-1: none), or the last one seen."""
    return wait_value(capture, lambda facts: facts.get("capture_id") == str(child_id))


def message_box():
    return probe_facts("msgbox")


def cursor_hotspot():
    facts = support.read_cursor()
    return facts.get("xhot"), facts.get("yhot")


# --- the drag ----------------------------------------------------------------------------------

def move_in_steps(start, end):
    """The pointer from start to end in DRAG_STEPS moves, as a hand drags it."""
    (sx, sy), (tx, ty) = start, end
    for k in range(1, DRAG_STEPS + 1):
        xdotool("mousemove", str(sx + (tx - sx) * k // DRAG_STEPS),
                str(sy + (ty - sy) * k // DRAG_STEPS))


def drag_onto(point, expected, label):
    """Presses on 图片框1, moves to point in steps, checks the pick in progress, releases, and
    checks the pick at rest and 编辑框1's caption."""
    line = caller_line()
    controls = probe_controls()
    colours = probe_facts("colours")
    sx, sy = centre(rect_of(controls, PICTURE))
    xdotool("mousemove", str(sx), str(sy))
    wait_value(cursor_hotspot, lambda hot: hot == ("6", "0"))
    xdotool("mousedown", "1")
    facts = wait_capture(PICTURE)
    ok(facts.get("capture_id") == str(PICTURE), "%s: after the press the capture is on child %s"
       % (label, facts.get("capture_id")), line)
    move_in_steps((sx, sy), point)
    during = wait_caption(expected)
    ok(during == expected, "%s: during the drag 编辑框1 shows %r" % (label, short(during)), line)
    facts = capture()
    ok(facts.get("capture_id") == str(PICTURE), "%s: during the drag the capture is on child %s"
       % (label, facts.get("capture_id")), line)
    check_picture(controls, colours, True, label + ", during the drag")
    check_pointer(controls, (15, 16), label + ", during the drag", at="here")
    xdotool("mouseup", "1")
    facts = wait_capture(-1)
    ok(facts.get("capture") == NO_PICK, "%s: after the release the capture is %s (child %s)"
       % (label, facts.get("capture"), facts.get("capture_id")), line)
    check_picture(controls, colours, False, label + ", after the release")
    check_pointer(controls, (6, 0), label + ", after the release")
    check_edit_text(expected, label + ", after the release")


def click_control(child_id):
    click(*centre(rect_of(probe_controls(), child_id)))


def close_with_esc(process, how):
    """Esc with the tool active, as the user would press it."""
    line = caller_line()
    if not wait_until(tool_is_active, PAINT_SECONDS):
        origin = numbers(probe_facts("window")["client_origin"])
        click(origin[0] + 86, origin[1] + 100)  # the window face, clear of every control
    facts = wait_value(lambda: probe_facts("focus"), lambda f: f.get("active_is_tool") == "1")
    ok(facts.get("active_is_tool") == "1", "%s: the tool is active before Esc (focus on %s)"
       % (how, facts.get("focus_id")), line)
    xdotool("key", "Escape")
    wait_exit(process, how)


def check_window(target, handle, visible, rect, label):
    """A window of another program: shown or hidden as expected, and still at rect."""
    line = caller_line()
    want = "1" if visible else "0"
    facts = wait_value(lambda: win(handle), lambda f: f.get("visible") == want)
    ok(facts.get("visible") == want, "%s: %s visible %s, expected %s"
       % (label, target, facts.get("visible"), want), line)
    ok(facts.get("rect") == rect, "%s: %s at %s, expected %s"
       % (label, target, facts.get("rect"), rect), line)


# --- the runs ----------------------------------------------------------------------------------

def run_nothing_picked():
    """按钮2 changes nothing; 按钮1 shows the box, with the tool not topmost while it is open."""
    click_control(BUTTON2)
    check_focus_on(BUTTON2, "按钮2, clicked")
    box = message_box()
    ok(box.get("box") == "0", "按钮2 with nothing picked opens no box: box=%s" % box.get("box"))
    check_enabled("1", "按钮2 with nothing picked")
    closers = [("Enter", lambda box: xdotool("key", "Return")),
               ("a click on OK", lambda box: click(*numbers(box["box_ok"])))]
    for how, close in closers:
        click_control(BUTTON1)
        box = wait_value(message_box, lambda facts: facts.get("box") == "1")
        ok(box.get("box") == "1", "按钮1 with nothing picked opens a box: box=%s" % box.get("box"))
        if box.get("box") != "1":
            continue
        for name, want in (("box_caption", "信息："), ("box_text", "没有指定窗口"),
                           ("tool_topmost", "0")):
            ok(box.get(name) == want, "the box: %s is %s, expected %s"
               % (name, box.get(name), want))
        if how == "Enter":
            focus = wait_value(lambda: probe_facts("focus"),
                               lambda facts: facts.get("foreground_class") == "#32770")
            ok(focus.get("foreground_class") == "#32770", "the box is the foreground: %s"
               % focus.get("foreground_class"))
        close(box)
        after = wait_value(message_box, lambda facts: facts.get("box") == "0")
        ok(after.get("box") == "0", "after %s the box is gone: box=%s" % (how, after.get("box")))
        window = wait_value(lambda: probe_facts("window"), lambda f: f.get("topmost") == "1")
        ok(window.get("topmost") == "1", "after the box closed by %s the tool is topmost: %s"
           % (how, window.get("topmost")))
        check_enabled("1", "after the box closed by " + how)
    check_edit_text("", "nothing picked")


def titles():
    cut_ascii = "".join("%04d" % k for k in range(75))  # 300 bytes; the cut is at a known digit
    cut_chinese = "汉字" * 75  # 300 bytes in code page 936
    return [
        ("ASCII", "Plain ASCII title", [], "Plain ASCII title"),
        ("Chinese", "中文窗口标题", [], "中文窗口标题"),
        ("Chinese set as code page 936 bytes", "placeholder",
         ["--ansi-hex", "记事本 - 无标题".encode("gbk").hex()], "记事本 - 无标题"),
        ("empty", "", [], ""),
        ("300 ASCII bytes", cut_ascii, [], cut_ascii[:254]),
        ("300 code page 936 bytes", "placeholder", ["--ansi-hex", cut_chinese.encode("gbk").hex()],
         cut_chinese.encode("gbk")[:254].decode("gbk")),
    ]


def run_titles():
    for label, title, extra, expected in titles():
        target = Target(LEFT, title, *extra)
        if target.window is None:
            continue
        facts = win(target.window)
        print("    target %s: %s" % (label, {k: short(v) for k, v in facts.items()}), flush=True)
        drag_onto(client_centre(LEFT), expected, "title " + label)
        if not expected:
            # The desktop's title is empty too: 按钮1 shows that the target itself was picked.
            for button, visible in ((BUTTON1, False), (BUTTON2, True)):
                click_control(button)
                check_window("the untitled target", target.window, visible, facts.get("rect"),
                             "title " + label)
        target.close()


def run_moves_without_a_pick():
    """Moving over the box, and a press and release on it with no move, keep the target."""
    a = Target(LEFT, "Target A")
    if a.window is None:
        return
    drag_onto(client_centre(LEFT), "Target A", "pick A")
    controls = probe_controls()
    box_rect = control_of(controls, PICTURE)["rect"]
    bx, by = centre(rect_of(controls, PICTURE))
    # The pointer's shape shows that the window under it has seen the move.
    moves = [("over the box", (bx, by), lambda hot: hot == ("6", "0")),
             ("over the target", client_centre(LEFT), lambda hot: hot != ("6", "0")),
             ("over the box again", (bx - 8, by + 6), lambda hot: hot == ("6", "0"))]
    for where, (x, y), shown in moves:
        xdotool("mousemove", str(x), str(y))
        hotspot = wait_value(cursor_hotspot, shown)
        found = caption_of_edit()
        ok(found == "Target A", "after a move %s (pointer hotspot %s) with no press 编辑框1 "
           "shows %r" % (where, hotspot, found))
    xdotool("mousedown", "1")
    pressed = wait_capture(PICTURE)
    xdotool("mouseup", "1")
    released = wait_capture(-1)
    found = caption_of_edit()
    ok(found == "Target A", "a press and release with no move (capture %s, then %s) keeps "
       "编辑框1 at %r" % (pressed.get("capture_id"), released.get("capture_id"), found))
    # What 按钮1 hides is the target: A, not the tool's own picture box.
    a_rect = win(a.window).get("rect")
    click_control(BUTTON1)
    check_window("A", a.window, False, a_rect, "按钮1 after a press with no move")
    picture = control_of(probe_controls(), PICTURE)
    ok(picture.get("visible") == "1" and picture.get("rect") == box_rect,
       "图片框1 is visible: %s, at %s, expected %s" % (picture.get("visible"),
                                                    picture.get("rect"), box_rect))
    click_control(BUTTON2)
    check_window("A", a.window, True, a_rect, "按钮2 after a press with no move")
    a.close()


def run_hide_show_and_an_ended_target():
    a = Target(LEFT, "Target A")
    if a.window is None:
        return
    drag_onto(client_centre(LEFT), "Target A", "pick A")
    rect = win(a.window).get("rect")
    click_control(BUTTON1)
    check_window("A", a.window, False, rect, "按钮1")
    check_enabled("0", "按钮1")
    check_focus_on(BUTTON3, "超按钮3")
    check_etched_button1(probe_controls(), probe_facts("colours"))
    click_control(BUTTON2)
    check_window("A", a.window, True, rect, "按钮2")
    check_enabled("1", "按钮2")

    b = Target(RIGHT, "Target B, soon ended")
    if b.window is None:
        return
    drag_onto(client_centre(RIGHT), "Target B, soon ended", "pick B")
    b.kill()
    gone = wait_value(lambda: win(b.window), lambda facts: facts.get("exists") == "0")
    ok(gone.get("exists") == "0", "B's window ended with its program: exists=%s"
       % gone.get("exists"))
    for button, state, label in ((BUTTON1, "0", "按钮1"), (BUTTON2, "1", "按钮2")):
        click_control(button)
        check_enabled(state, label + " with an ended target")
        facts = probe_facts("window")
        ok(facts.get("exists") == "1" and facts.get("responding") == "1",
           "%s with an ended target: the tool exists %s and answers %s"
           % (label, facts.get("exists"), facts.get("responding")))
        box = message_box()
        ok(box.get("box") == "0", "%s with an ended target opens no box: box=%s"
           % (label, box.get("box")))
    check_window("A", a.window, True, rect, "A after the ended target")
    a.close()


def run_child_and_own_title():
    t = Target(LOW, "Parent of a button", "--child-button", "子窗口按钮")
    if t.button is None:
        return
    button_rect = win(t.button).get("rect")
    parent_rect = win(t.window).get("rect")
    drag_onto(centre(button_rect), "子窗口按钮", "the child button")
    for button, visible, label in ((BUTTON1, False, "按钮1 on a child"),
                                   (BUTTON2, True, "按钮2 on a child")):
        click_control(button)
        check_window("the button", t.button, visible, button_rect, label)
        check_window("its parent", t.window, True, parent_rect, label)
    t.close()

    window = probe_facts("window")
    left, top, _, _ = numbers(window["rect"])
    caption_y = (top + numbers(window["client_origin"])[1]) // 2
    drag_onto((left + 100, caption_y), TOOL_TITLE, "the tool's own title bar")


def run_close_shows_hidden():
    """Esc with hidden windows shows them again: the target, and one hidden before a new pick."""
    runs = [("A hidden, then Esc", ["Target A"]),
            ("A hidden, B picked and hidden, then Esc", ["Target A", "Target B"])]
    for label, names in runs:
        print("--- %s" % label, flush=True)
        process = start_tool()
        if process is None:
            continue
        targets = []
        for k, (name, place) in enumerate(zip(names, (LEFT, RIGHT))):
            target = Target(place, name)
            if target.window is None:
                break
            targets.append((name, target, win(target.window).get("rect")))
            drag_onto(client_centre(place), name, "pick " + name)
            if k > 0:
                # 按钮1 stays disabled from hiding the one before; 按钮2 enables it again.
                check_enabled("0", "after picking %s while another is hidden" % name)
                click_control(BUTTON2)
                check_enabled("1", "按钮2 before hiding " + name)
            click_control(BUTTON1)
            check_window(name, target.window, False, targets[-1][2], "按钮1 on " + name)
        for name, target, rect in targets:
            check_window(name, target.window, False, rect, label + ", before Esc")
        close_with_esc(process, label)
        for name, target, rect in targets:
            check_window(name, target.window, True, rect, label + ", after the tool ended")
            target.close()


# Each run starts the tool, and ends it with Esc.
RUNS = [
    ("nothing picked", run_nothing_picked),
    ("titles", run_titles),
    ("moves without a pick", run_moves_without_a_pick),
    ("hide, show, and an ended target", run_hide_show_and_an_ended_target),
    ("a child window and the tool's own title bar", run_child_and_own_title),
]


def main():
    global target_exe
    if len(sys.argv) != 5:
        print("usage: test_pick.py WindowHider.exe wh_probe.exe wh_target_app.exe xcursor")
        return 2
    support.configure(sys.argv[1], sys.argv[2], sys.argv[4], "e2e_pick")
    target_exe = os.path.abspath(sys.argv[3])
    code, lines = probe("wait-gone", "10")
    if not ok(code == 0, "no WindowHider window before the test (%s)" % " ".join(lines)):
        return 1
    for how, run in RUNS:
        print("--- %s" % how, flush=True)
        process = start_tool()
        if process is None:
            continue
        run()
        close_with_esc(process, how)
    run_close_shows_hidden()


if __name__ == "__main__":
    support.finish(main)
