#!/usr/bin/env python3
"""The real WindowHider.exe under Wine, driven with xdotool and checked from X screenshots and with
wh_probe.exe. Runs inside tests/wine/wine-env.sh (DISPLAY and WINEPREFIX set).

    python3 test_window.py WindowHider.exe wh_probe.exe
"""
import inspect
import os
import subprocess
import sys
import tempfile
import time

SCREEN_W, SCREEN_H = 1024, 768  # wine-env.sh's virtual desktop
WINDOW_W, WINDOW_H = 254, 134

# COLORREF 0x00BBGGRR from the window definition, as (r, g, b).
NORMAL_BACK = (0xDF, 0xFD, 0xFC)  # 0xFCFDDF
HOT_BACK = (0x99, 0xF9, 0xF7)  # 0xF7F999
OUTLINE = (0, 0, 0)
EDIT_BACK = (0xEC, 0xEC, 0xEC)  # 0xECECEC

BUTTON1, BUTTON2, BUTTON3, EDIT1 = 130, 140, 150, 120

START_SECONDS = 60  # the first start in a fresh prefix is the slowest
PAINT_SECONDS = 8
EXIT_SECONDS = 15
POLL = 0.15

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

passed = 0
failed = 0
tool_exe = probe_exe = out_dir = fixture_exe = xcursor_exe = None
PICTURE = 100
CROSS_HAIR_TEXT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "ui",
                               "images", "crosshair.txt")
started = []  # every process this test started, ended at the end if still running


def caller_line(depth=2):
    frame = inspect.currentframe()
    for _ in range(depth):
        frame = frame.f_back
    return frame.f_lineno


def ok(condition, message, line=None):
    global passed, failed
    line = line or caller_line()
    if condition:
        passed += 1
        print("test_window.py:%d: ok: %s" % (line, message), flush=True)
    else:
        failed += 1
        print("test_window.py:%d: FAIL: %s" % (line, message), flush=True)
    return condition


def wait_until(predicate, seconds):
    """Polls predicate until it gives a true value or the deadline passes; gives the last value."""
    end = time.monotonic() + seconds
    while True:
        value = predicate()
        if value or time.monotonic() >= end:
            return value
        time.sleep(POLL)


# --- the probe ---------------------------------------------------------------------------------

def probe(*args):
    result = subprocess.run(["wine", probe_exe, *args], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=120)
    return result.returncode, result.stdout.decode("utf-8", "replace").splitlines()


def fields(items):
    pairs = (item.rstrip("\r").split("=", 1) for item in items if "=" in item)
    return {key: value for key, value in pairs}


def probe_facts(*args):
    return fields(probe(*args)[1])


def probe_controls():
    _, lines = probe("controls")
    return [fields(line.split("\t")) for line in lines if line.startswith("z=")]


def numbers(text):
    return tuple(int(n) for n in text.split(","))


# --- the screen and input ----------------------------------------------------------------------

class Shot:
    """One screenshot of the X root window."""

    def __init__(self):
        command = ["import", "-window", "root", "-depth", "8", "ppm:-"]
        data = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              check=True, timeout=60).stdout
        tokens, at = [], 0
        while len(tokens) < 4:  # P6 width height maxval, then one whitespace byte
            while data[at:at + 1].isspace():
                at += 1
            start = at
            while not data[at:at + 1].isspace():
                at += 1
            tokens.append(data[start:at])
        if tokens[0] != b"P6" or tokens[3] != b"255":
            raise RuntimeError("unexpected screenshot header %r" % tokens)
        self.width, self.height = int(tokens[1]), int(tokens[2])
        self.data = data
        self.pixels = data[at + 1:]

    def pixel(self, x, y):
        k = 3 * (y * self.width + x)
        return tuple(self.pixels[k:k + 3])

    def save(self, name):
        path = os.path.join(out_dir, "e2e_window_%s.ppm" % name)
        with open(path, "wb") as f:
            f.write(self.data)
        png = path[:-4] + ".png"
        if subprocess.run(["convert", path, png], stderr=subprocess.DEVNULL).returncode == 0:
            os.remove(path)
            path = png
        print("    screenshot saved: %s" % path, flush=True)


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=30)


def click(x, y):
    xdotool("mousemove", str(x), str(y), "click", "1")


# --- expected pixels ---------------------------------------------------------------------------

def pixel_matches(shot, case):
    _, (x, y), colour, equal = case
    return (shot.pixel(x, y) == colour) == equal


def expect_pixels(cases, name):
    """cases: (label, (x, y), colour, equal). Waits until all hold, then reports each one."""
    line = caller_line()

    def all_match():
        shot = Shot()
        return shot if all(pixel_matches(shot, case) for case in cases) else None

    shot = wait_until(all_match, PAINT_SECONDS) or Shot()
    good = True
    for case in cases:
        label, (x, y), colour, equal = case
        found = shot.pixel(x, y)
        relation = "" if equal else "not "
        good &= ok(pixel_matches(shot, case), "%s: pixel at (%d,%d) is %s, expected %s%s"
                   % (label, x, y, found, relation, colour), line)
    if not good:
        shot.save(name)
    return good


def button_points(rect):
    """Background points clear of the centred caption, and the outline's edge midpoints."""
    left, top, right, bottom = rect
    mx, my = (left + right) // 2, (top + bottom) // 2
    inside = [("top left", (left + 4, top + 5)), ("top middle", (mx, top + 5)),
              ("bottom middle", (mx, bottom - 6)), ("bottom right", (right - 5, bottom - 6))]
    edges = [("left edge", (left, my)), ("right edge", (right - 1, my)),
             ("top edge", (mx, top)), ("bottom edge", (mx, bottom - 1))]
    corner = ("corner", (left, top))
    return inside, edges, corner


def normal_cases(name, rect):
    inside, edges, corner = button_points(rect)
    # Unlit, the whole face is one fill: no outline on the edges.
    return [("%s %s" % (name, label), at, NORMAL_BACK, True) for label, at in inside + edges]


def hot_cases(name, rect):
    inside, edges, corner = button_points(rect)
    cases = [("%s hot %s" % (name, label), at, HOT_BACK, True) for label, at in inside]
    cases += [("%s outline %s" % (name, label), at, OUTLINE, True) for label, at in edges]
    cases.append(("%s rounded %s" % (name, corner[0]), corner[1], OUTLINE, False))
    return cases


# --- the tool ----------------------------------------------------------------------------------

def launch(*command):
    process = subprocess.Popen(command, cwd=out_dir, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    started.append(process)
    return process


def start_tool():
    process = launch("wine", tool_exe)
    code, lines = probe("wait-window", str(START_SECONDS))
    if not ok(code == 0, "the tool's window appeared (%s)" % " ".join(lines), caller_line()):
        process.kill()
        process.wait()
        return None
    return process


def wait_exit(process, how):
    line = caller_line()
    try:
        code = process.wait(timeout=EXIT_SECONDS)
    except subprocess.TimeoutExpired:
        ok(False, "%s: the process still runs after %d s" % (how, EXIT_SECONDS), line)
        Shot().save("end_" + how.replace(" ", "_").replace("+", ""))
        process.kill()
        process.wait()
        return
    ok(code == 0, "%s: the process ended with exit code %d" % (how, code), line)


def rect_of(controls, child_id):
    for control in controls:
        if control.get("id") == str(child_id):
            return numbers(control["rect"])
    raise RuntimeError("no child %d in %r" % (child_id, controls))


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


def check_focus_on(child_id, label):
    def focused():
        facts = probe_facts("focus")
        return facts if facts.get("focus_id") == str(child_id) else None

    facts = wait_until(focused, PAINT_SECONDS) or probe_facts("focus")
    ok(facts.get("focus_id") == str(child_id), "focus is on child %s (%s), expected %d (%s)"
       % (facts.get("focus_id"), facts.get("focus_caption"), child_id, label), caller_line())


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
    if xcursor_exe:
        check_pointer(controls, (6, 0), "HandCursor pointer at rest")
    check_hover(controls, window, "tool_active")
    check_hover_with_other_app(controls, window)


# --- the drag handle's picture and pointer ------------------------------------------------------

def grey_class(colour):
    """The class of a cross-hair pixel as the picture's letters name them, from its colour."""
    r, g, b = colour
    if not r == g == b:
        return "?"
    return "X" if r < 96 else ("+" if r < 208 else "o")


def check_picture(controls, colours, empty, label):
    """The 30 x 30 client area of the box: the cross-hair cut at its right and bottom, the face
    colour where the picture is transparent, or the face colour only when the picture is empty."""
    line = caller_line()
    face = numbers(colours["btnface"])
    left, top, _, _ = rect_of(controls, PICTURE)
    ox, oy = left + 1, top + 1  # inside the one-pixel frame
    rows = [r.rstrip("\n") for r in open(CROSS_HAIR_TEXT, encoding="ascii")]

    def expected(x, y):
        return "." if empty else rows[y][x]

    def wrong(shot):
        bad = []
        for y in range(30):
            for x in range(30):
                found = shot.pixel(ox + x, oy + y)
                want = expected(x, y)
                got = "." if found == face else grey_class(found)
                if got != want:
                    bad.append((x, y, want, found))
        return bad

    def matches():
        shot = Shot()
        return shot if not wrong(shot) else None

    shot = wait_until(matches, PAINT_SECONDS) or Shot()
    bad = wrong(shot)
    ok(not bad, "%s: %d of 900 client pixels differ from the %s; first: %s"
       % (label, len(bad), "background" if empty else "cut cross-hair", bad[:3]), line)
    centre = [shot.pixel(ox + x, oy + y) for x, y in ((15, 15), (16, 15), (15, 16), (16, 16))]
    ok(all(c == face for c in centre), "%s: the four centre pixels %s are the face colour %s"
       % (label, centre, face), line)
    frame = shot.pixel(left, top + 15)
    ok(frame == numbers(colours["windowframe"]), "%s: the frame pixel is %s" % (label, frame), line)
    if bad:
        shot.save(label.replace(" ", "_"))


def pointer_over(x, y):
    xdotool("mousemove", str(x), str(y))

    def read():
        out = subprocess.run([xcursor_exe], stdout=subprocess.PIPE, timeout=30).stdout.decode()
        return dict(item.split("=") for item in out.split())
    return read


def check_pointer(controls, hotspot, label):
    """The cursor the X display shows over the box: 32 x 32 with the expected hotspot."""
    line = caller_line()
    left, top, right, bottom = rect_of(controls, PICTURE)
    read = pointer_over((left + right) // 2, (top + bottom) // 2)
    want = {"width": "32", "height": "32", "xhot": str(hotspot[0]), "yhot": str(hotspot[1])}

    def shown():
        facts = read()
        return facts if all(facts.get(k) == v for k, v in want.items()) else None

    facts = wait_until(shown, PAINT_SECONDS) or read()
    ok(all(facts.get(k) == v for k, v in want.items()),
       "%s: the X cursor over the box is %s x %s with hotspot (%s, %s), expected %s"
       % (label, facts.get("width"), facts.get("height"), facts.get("xhot"), facts.get("yhot"),
          want), line)


def check_etched_button1(controls, colours):
    """按钮1 disabled: its normal background, its caption drawn in highlight and shadow, no black."""
    line = caller_line()
    left, top, right, bottom = rect_of(controls, BUTTON1)
    highlight, shadow = numbers(colours["btnhighlight"]), numbers(colours["btnshadow"])

    def caption_colours():
        shot = Shot()
        seen = {shot.pixel(x, y) for y in range(top + 10, bottom - 10) for x in range(left + 3, right - 3)}
        return shot, seen

    def etched():
        shot, seen = caption_colours()
        return shot if highlight in seen and shadow in seen and (0, 0, 0) not in seen else None

    shot = wait_until(etched, PAINT_SECONDS) or caption_colours()[0]
    _, seen = caption_colours()
    ok(highlight in seen and shadow in seen and (0, 0, 0) not in seen,
       "按钮1 caption colours include highlight %s: %s, shadow %s: %s, black: %s"
       % (highlight, highlight in seen, shadow, shadow in seen, (0, 0, 0) in seen), line)
    expect_pixels(normal_cases("按钮1 disabled", (left, top, right, bottom))[:4], "etched")
    if highlight not in seen:
        shot.save("etched")


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


def key(name):
    return lambda: xdotool("key", name)


def tool_is_active():
    facts = probe_facts("focus")
    active = facts.get("active_is_tool") == "1" and facts.get("focus_in_tool") == "1"
    return facts if active else None


# Each run starts the tool and ends it one way; the first also looks at it.
ENDINGS = [
    ("close button", close_button, False),
    ("Esc", key("Escape"), True),
    ("Alt+F4", key("alt+F4"), True),
]


def main():
    global tool_exe, probe_exe, out_dir, fixture_exe, xcursor_exe
    if len(sys.argv) not in (3, 5):
        print("usage: test_window.py WindowHider.exe wh_probe.exe [wh_fixture.exe xcursor]")
        return 2
    tool_exe, probe_exe = (os.path.abspath(a) for a in sys.argv[1:3])
    if len(sys.argv) == 5:
        fixture_exe, xcursor_exe = (os.path.abspath(a) for a in sys.argv[3:5])
    out_dir = os.path.dirname(tool_exe)
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
    print("%d passed, %d failed" % (passed, failed), flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    try:
        status = main()
    finally:
        for leftover in started:
            if leftover.poll() is None:
                leftover.kill()
                leftover.wait()
    sys.exit(status)
