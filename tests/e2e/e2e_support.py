"""Shared by the end-to-end tests: checks that count and report the test's own line, the probe,
X screenshots, xdotool input, and the tool's process. Runs inside tests/wine/wine-env.sh (DISPLAY
and WINEPREFIX set). A test calls configure() first and ends with finish()."""
import inspect
import os
import subprocess
import sys
import time

SCREEN_W, SCREEN_H = 1024, 768  # wine-env.sh's virtual desktop
WINDOW_W, WINDOW_H = 254, 134

# COLORREF 0x00BBGGRR from the window definition, as (r, g, b).
NORMAL_BACK = (0xDF, 0xFD, 0xFC)  # 0xFCFDDF
HOT_BACK = (0x99, 0xF9, 0xF7)  # 0xF7F999
OUTLINE = (0, 0, 0)
EDIT_BACK = (0xEC, 0xEC, 0xEC)  # 0xECECEC
EDIT_TEXT = (0x00, 0x00, 0x80)  # 0x800000

PICTURE, EDIT1, BUTTON1, BUTTON2, BUTTON3 = 100, 120, 130, 140, 150
TOOL_TITLE = "窗口隐藏工具"

START_SECONDS = 60  # the first start in a fresh prefix is the slowest
PAINT_SECONDS = 8
EXIT_SECONDS = 15
POLL = 0.15

CROSS_HAIR_TEXT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "ui",
                               "images", "crosshair.txt")

passed = 0
failed = 0
tool_exe = probe_exe = out_dir = xcursor_exe = None
shot_prefix = "e2e"
started = []  # every process a test started, ended at the end if still running


def configure(tool, probe_program, xcursor=None, prefix="e2e"):
    """The programs under test; screenshots go beside the tool as <prefix>_<name>.png."""
    global tool_exe, probe_exe, out_dir, xcursor_exe, shot_prefix
    tool_exe, probe_exe = os.path.abspath(tool), os.path.abspath(probe_program)
    xcursor_exe = os.path.abspath(xcursor) if xcursor else None
    out_dir = os.path.dirname(tool_exe)
    shot_prefix = prefix


def caller_line(depth=2):
    """file:line of the test code that called: depth frames up, then past this module's frames."""
    frame = inspect.currentframe()
    for _ in range(depth):
        frame = frame.f_back
    while frame.f_back is not None and frame.f_code.co_filename == __file__:
        frame = frame.f_back
    return "%s:%d" % (os.path.basename(frame.f_code.co_filename), frame.f_lineno)


def ok(condition, message, line=None):
    global passed, failed
    line = line or caller_line()
    if condition:
        passed += 1
        print("%s: ok: %s" % (line, message), flush=True)
    else:
        failed += 1
        print("%s: FAIL: %s" % (line, message), flush=True)
    return condition


def wait_until(predicate, seconds):
    """Polls predicate until it gives a true value or the deadline passes; gives the last value."""
    end = time.monotonic() + seconds
    while True:
        value = predicate()
        if value or time.monotonic() >= end:
            return value
        time.sleep(POLL)


def wait_value(read, accept, seconds=PAINT_SECONDS):
    """Reads until accept(value) holds or the deadline passes; gives the last value read."""
    end = time.monotonic() + seconds
    while True:
        value = read()
        if accept(value) or time.monotonic() >= end:
            return value
        time.sleep(POLL)


def finish(main):
    """Runs main, ends every process it left running, prints the count and exits."""
    status = 1
    try:
        status = main()
        if status is None:
            print("%d passed, %d failed" % (passed, failed), flush=True)
            status = 1 if failed else 0
    finally:
        for leftover in started:
            if leftover.poll() is None:
                leftover.kill()
                leftover.wait()
    sys.exit(status)


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


def rect_of(controls, child_id):
    return numbers(control_of(controls, child_id)["rect"])


def control_of(controls, child_id):
    for control in controls:
        if control.get("id") == str(child_id):
            return control
    raise RuntimeError("no child %d in %r" % (child_id, controls))


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

    def colours_in(self, rect):
        """The set of colours inside rect (left, top, right, bottom; right and bottom excluded)."""
        left, top, right, bottom = rect
        return {self.pixel(x, y) for y in range(top, bottom) for x in range(left, right)}

    def save(self, name):
        path = os.path.join(out_dir, "%s_%s.ppm" % (shot_prefix, name))
        with open(path, "wb") as f:
            f.write(self.data)
        png = path[:-4] + ".png"
        if subprocess.run(["convert", path, png], stderr=subprocess.DEVNULL).returncode == 0:
            os.remove(path)
            path = png
        print("    screenshot saved: %s" % path, flush=True)
        return path


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=30)


def click(x, y):
    xdotool("mousemove", str(x), str(y), "click", "1")


def key(name):
    return lambda: xdotool("key", name)


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


# --- the tool ----------------------------------------------------------------------------------

def launch(*command, stdout=subprocess.DEVNULL):
    process = subprocess.Popen(command, cwd=out_dir, stdout=stdout, stderr=subprocess.DEVNULL)
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


def tool_is_active():
    facts = probe_facts("focus")
    active = facts.get("active_is_tool") == "1" and facts.get("focus_in_tool") == "1"
    return facts if active else None


def check_focus_on(child_id, label):
    def focused():
        facts = probe_facts("focus")
        return facts if facts.get("focus_id") == str(child_id) else None

    facts = wait_until(focused, PAINT_SECONDS) or probe_facts("focus")
    ok(facts.get("focus_id") == str(child_id), "focus is on child %s (%s), expected %d (%s)"
       % (facts.get("focus_id"), facts.get("focus_caption"), child_id, label), caller_line())


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


def read_cursor():
    out = subprocess.run([xcursor_exe], stdout=subprocess.PIPE, timeout=30).stdout.decode()
    return dict(item.split("=") for item in out.split())


def check_pointer(controls, hotspot, label, at=None):
    """The cursor the X display shows, 32 x 32 with the expected hotspot: over the box's centre,
    or with the pointer left where it is when at is "here"."""
    line = caller_line()
    if at != "here":
        left, top, right, bottom = rect_of(controls, PICTURE)
        xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2))
    want = {"width": "32", "height": "32", "xhot": str(hotspot[0]), "yhot": str(hotspot[1])}

    def shown():
        facts = read_cursor()
        return facts if all(facts.get(k) == v for k, v in want.items()) else None

    facts = wait_until(shown, PAINT_SECONDS) or read_cursor()
    ok(all(facts.get(k) == v for k, v in want.items()),
       "%s: the X cursor %s is %s x %s with hotspot (%s, %s), expected %s"
       % (label, "here" if at == "here" else "over the box", facts.get("width"),
          facts.get("height"), facts.get("xhot"), facts.get("yhot"), want), line)


def check_etched_button1(controls, colours):
    """按钮1 disabled: its normal background, its caption drawn in highlight and shadow, no black."""
    line = caller_line()
    left, top, right, bottom = rect_of(controls, BUTTON1)
    highlight, shadow = numbers(colours["btnhighlight"]), numbers(colours["btnshadow"])
    caption_area = (left + 3, top + 10, right - 3, bottom - 10)

    def etched():
        shot = Shot()
        seen = shot.colours_in(caption_area)
        return shot if highlight in seen and shadow in seen and (0, 0, 0) not in seen else None

    shot = wait_until(etched, PAINT_SECONDS) or Shot()
    seen = shot.colours_in(caption_area)
    ok(highlight in seen and shadow in seen and (0, 0, 0) not in seen,
       "按钮1 caption colours include highlight %s: %s, shadow %s: %s, black: %s"
       % (highlight, highlight in seen, shadow, shadow in seen, (0, 0, 0) in seen), line)
    expect_pixels(normal_cases("按钮1 disabled", (left, top, right, bottom))[:4], "etched")
    if highlight not in seen:
        shot.save("etched")
