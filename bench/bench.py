#!/usr/bin/env python3
"""The benchmark's measurements: WindowHider.exe against the floor program, under Wine in Xvfb.
Runs inside tests/wine/wine-env.sh (DISPLAY and WINEPREFIX set); bench/run.sh builds, starts the
environment and calls it:

    python3 bench.py <bench build dir> [--quick]

Prints a markdown table and writes it to <build dir>/results.md. It passes or fails nothing."""
import ctypes
import ctypes.util
import datetime
import os
import platform
import queue
import statistics
import subprocess
import sys
import threading
import time

FULL = dict(start_runs=20, rounds=5, drags=4, moves=1000, move_pause="0.005", presses=5,
            idle_rounds=3, idle_slices=20, cycles=10000, checkpoints=20)
QUICK = dict(start_runs=3, rounds=1, drags=2, moves=1000, move_pause="0.005", presses=3,
             idle_rounds=1, idle_slices=4, cycles=1000, checkpoints=4)
SLICE_SECONDS = 1.5

TARGET_PLACE = (20, 30, 320, 200)  # clear of the centred programs (385,317 to 639,451)
TARGET_TITLE = "bench target"
AWAY = (900, 700)  # over the empty desktop
KEY_SECONDS = 5  # deadline for one press to take effect
QUIET_SECONDS = 0.5  # a process counts as settled after this long without a CPU tick
SETTLE_SECONDS = 15
CLOCK_TICK = os.sysconf("SC_CLK_TCK")


class BenchError(Exception):
    pass


def wait_value(read, accept, seconds, pause=0.05):
    """Reads until accept(value) holds or the deadline passes; gives the last value read."""
    end = time.monotonic() + seconds
    while True:
        value = read()
        if accept(value) or time.monotonic() >= end:
            return value
        time.sleep(pause)


# --- processes ---------------------------------------------------------------------------------

class Lines:
    """The lines a process writes, each stamped with time.monotonic() as it arrives."""

    def __init__(self, process):
        self.queue = queue.Queue()
        threading.Thread(target=self._read, args=(process.stdout,), daemon=True).start()

    def _read(self, stream):
        for raw in stream:
            self.queue.put((time.monotonic(), raw.decode("utf-8", "replace").strip()))
        self.queue.put((time.monotonic(), None))

    def get(self, seconds):
        try:
            stamp, line = self.queue.get(timeout=seconds)
        except queue.Empty:
            raise BenchError("no line within %s s" % seconds) from None
        if line is None:
            raise BenchError("the process ended")
        return stamp, line

    def drain(self):
        while True:
            try:
                self.queue.get_nowait()
            except queue.Empty:
                return


def fields(line):
    """'word a=1 b=2' as {'a': '1', 'b': '2'}; a title= field runs to the end of the line."""
    head, _, title = line.partition(" title=")
    found = dict(item.split("=", 1) for item in head.split()[1:] if "=" in item)
    if title or line.endswith(" title="):
        found["title"] = title
    return found


class Driver:
    """bench_driver.exe: starts and closes the programs and talks to their windows."""

    def __init__(self, exe):
        self.process = subprocess.Popen(["wine", exe], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.lines = Lines(self.process)
        self.lines.get(120)

    def ask(self, command, seconds=120):
        self.process.stdin.write((command + "\n").encode("utf-8"))
        self.process.stdin.flush()
        _, line = self.lines.get(seconds)
        if line.startswith("error"):
            raise BenchError("driver: %s: %s" % (command, line))
        return fields(line)

    def quit(self):
        self.ask("quit")
        self.process.wait(timeout=60)


class Target:
    """bench_target.exe: a window of another program that says when it is hidden and shown."""

    def __init__(self, exe):
        x, y, w, h = TARGET_PLACE
        self.process = subprocess.Popen(["wine", exe, str(x), str(y), str(w), str(h),
                                         TARGET_TITLE], stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)
        self.lines = Lines(self.process)
        end = time.monotonic() + 120
        while not self.lines.get(max(0.01, end - time.monotonic()))[1].startswith("window="):
            pass

    def wait_for(self, word, seconds):
        """The arrival time of the next line that is word."""
        end = time.monotonic() + seconds
        while True:
            stamp, line = self.lines.get(max(0.01, end - time.monotonic()))
            if line == word:
                return stamp

    def end(self):
        """Ends the process at once, with whatever backlog of messages it still has."""
        self.process.kill()
        self.process.wait(timeout=60)


class Program:
    def __init__(self, name, exe, window_class):
        self.name, self.exe, self.window_class = name, exe, window_class
        self.windows_path = "Z:" + exe.replace("/", "\\")
        self.pid = None

    def start(self, driver):
        """Starts it through the driver; gives the start time in ms measured inside Wine."""
        stale = linux_processes(self.windows_path)
        if stale:
            raise BenchError("%s already runs in this prefix: %s" % (self.name, stale))
        facts = driver.ask('start %s "%s"' % (self.window_class, self.windows_path))
        found = wait_value(lambda: linux_processes(self.windows_path), lambda p: len(p) == 1, 30)
        if len(found) != 1:
            raise BenchError("%s: Linux processes %s" % (self.name, found))
        self.pid = found[0]
        return int(facts["us"]) / 1000.0

    def close(self, driver):
        facts = driver.ask("close", 60)
        self.pid = None
        return int(facts["code"])


def linux_processes(windows_path):
    """The Linux processes of this prefix that run the executable (qemu-i386 under emulation)."""
    prefix = os.environ["WINEPREFIX"].encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                argv = f.read().split(b"\0")
            with open("/proc/%s/environ" % entry, "rb") as f:
                environ = f.read().split(b"\0")
        except OSError:
            continue
        if windows_path.encode() in argv and b"WINEPREFIX=" + prefix in environ:
            found.append(int(entry))
    return found


def cpu_ms(pid):
    """utime + stime of the whole process, all threads, in ms (10 ms steps)."""
    with open("/proc/%d/stat" % pid) as f:
        after_name = f.read().rsplit(")", 1)[1].split()
    return (int(after_name[11]) + int(after_name[12])) * 1000.0 / CLOCK_TICK


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise BenchError("no VmRSS for %d" % pid)


def settle(pid):
    """Waits until the process has used no CPU for QUIET_SECONDS (deadline SETTLE_SECONDS)."""
    last, since = cpu_ms(pid), time.monotonic()
    end = since + SETTLE_SECONDS
    while time.monotonic() < end:
        time.sleep(0.05)
        now = cpu_ms(pid)
        if now != last:
            last, since = now, time.monotonic()
        elif time.monotonic() - since >= QUIET_SECONDS:
            break
    return last


# --- input -------------------------------------------------------------------------------------

class Keys:
    """Key presses by XTEST, the request `xdotool key` makes, over one connection kept open so
    that starting xdotool (tens of ms) is not part of the latency."""

    def __init__(self):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            raise BenchError("cannot open the X display")

    def press(self, name):
        """Presses and releases the key; gives the time just before the press was sent."""
        code = self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(name.encode()))
        stamp = time.monotonic()
        self.xtst.XTestFakeKeyEvent(self.display, code, 1, 0)
        self.x11.XSync(self.display, 0)
        self.xtst.XTestFakeKeyEvent(self.display, code, 0, 0)
        self.x11.XSync(self.display, 0)
        return stamp


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=300)


def drag_points(count):
    """count distinct points over the target's client area, each next to the one before."""
    x, y, _, _ = TARGET_PLACE
    return [(x + 20 + (k % 100) * 2, y + 50 + (k // 100) * 10) for k in range(count)]


def drag(driver, moves, pause):
    """Press on the program's drag source, moves over the target, release. The press and the
    first move are apart so that the program holds the capture when the moves come."""
    source = driver.ask("source")
    xdotool("mousemove", source["x"], source["y"])
    time.sleep(0.3)  # pacing: the program sees the pointer arrive before the press
    command = ["mousedown", "1", "sleep", "0.3"]
    for x, y in drag_points(moves):
        command += ["mousemove", str(x), str(y), "sleep", pause]
    command += ["mouseup", "1"]
    xdotool(*command)


# --- the figures -------------------------------------------------------------------------------

class Results:
    def __init__(self):
        self.values = {}  # (figure, program name) -> [values]
        self.linux_exe = "?"  # what the Linux process that runs an .exe is

    def add(self, figure, who, value):
        """who: a Program or a program's name."""
        name = getattr(who, "name", who)
        self.values.setdefault((figure, name), []).append(value)

    def of(self, figure, name):
        return self.values.get((figure, name), [])


def log(text):
    print(text, file=sys.stderr, flush=True)


def measure_starts(driver, programs, runs, results):
    """Start to visible window with caption, and RSS once settled, alternating the programs."""
    for program in programs:  # warm-up: the first start after the prefix is made is slower
        program.start(driver)
        settle(program.pid)
        program.close(driver)
    for run in range(runs):
        for program in programs:
            results.add("start", program, program.start(driver))
            settle(program.pid)
            results.add("rss_start", program, rss_kib(program.pid))
            results.add("exit_code", program, program.close(driver))
        log("start run %d/%d: %s" % (run + 1, runs, ", ".join(
            "%s %.0f ms" % (p.name, results.of("start", p.name)[-1]) for p in programs)))


def measure_session(driver, keys, target, program, mode, with_idle, results):
    """One program running with the target: drags, key presses, and perhaps an idle window."""
    program.start(driver)
    pid = program.pid
    results.linux_exe = os.path.basename(os.readlink("/proc/%d/exe" % pid))
    settle(pid)
    for _ in range(mode["drags"]):
        before = settle(pid)
        began = time.monotonic()
        drag(driver, mode["moves"], mode["move_pause"])
        wall = time.monotonic() - began
        used = settle(pid) - before
        results.add("pick_cpu", program, used)
        results.add("pick_wall", program, wall * 1000.0)
        picked = driver.ask("target").get("title")
        results.add("pick_ok", program, picked == TARGET_TITLE)
        if program.name == "floor":
            results.add("pick_moves", program, int(driver.ask("moves")["n"]))
    xdotool("mousemove", str(AWAY[0]), str(AWAY[1]))
    for _ in range(mode["presses"]):
        for key, word, figure in (("F1", "hidden", "hide"), ("F2", "shown", "show")):
            settle(pid)
            target.lines.drain()
            pressed = keys.press(key)
            try:
                seen = target.wait_for(word, KEY_SECONDS)
                results.add(figure, program, (seen - pressed) * 1000.0)
            except BenchError:
                results.add(figure + "_missed", program, 1)
                log("%s: %s had no effect within %d s" % (program.name, key, KEY_SECONDS))
                if word == "hidden":
                    break
    if with_idle:
        settle(pid)
        began = time.monotonic()
        used = [cpu_ms(pid)]
        for k in range(1, mode["idle_slices"] + 1):
            time.sleep(max(0.0, began + k * SLICE_SECONDS - time.monotonic()))  # the idle window
            used.append(cpu_ms(pid))
        results.add("idle_window", program, used[-1] - used[0])
        for a, b in zip(used, used[1:]):
            results.add("idle_slice", program, b - a)
    results.add("exit_code", program, program.close(driver))


def measure_cycles(driver, target_exe, program, mode, results):
    """RSS before and after hide and show cycles sent as WM_HOTKEY, with a picked target of its
    own (ended afterwards with its backlog, so that no later figure waits for it)."""
    target = Target(target_exe)
    program.start(driver)
    pid = program.pid
    settle(pid)
    drag(driver, 20, "0.02")
    picked = driver.ask("target").get("title")
    if picked != TARGET_TITLE:
        raise BenchError("%s picked %r for the cycles" % (program.name, picked))
    xdotool("mousemove", str(AWAY[0]), str(AWAY[1]))
    settle(pid)
    results.add("rss_before_cycles", program, rss_kib(pid))
    step = mode["cycles"] // mode["checkpoints"]
    began = time.monotonic()
    for _ in range(mode["checkpoints"]):
        driver.ask("cycles %d" % step, 900)
        results.add("rss_checkpoint", program, rss_kib(pid))
    results.add("cycles_seconds", program, time.monotonic() - began)
    settle(pid)
    results.add("rss_after_cycles", program, rss_kib(pid))
    results.add("exit_code", program, program.close(driver))
    target.end()
    log("cycles: %s %d in %.0f s" % (program.name, mode["cycles"],
                                     results.of("cycles_seconds", program.name)[-1]))


# --- the table ---------------------------------------------------------------------------------

def quartiles(values):
    if len(values) < 2:
        return values[0], values[0]
    q = statistics.quantiles(values, n=4, method="inclusive")
    return q[0], q[2]


def cell(values, digits):
    if not values:
        return "—"
    fmt = "%%.%df" % digits
    med = statistics.median(values)
    if len(values) == 1:
        return (fmt + " (n=1)") % med
    lo, hi = quartiles(values)
    return (fmt + " (IQR " + fmt + "–" + fmt + ", " + fmt + "–" + fmt + ")") % (
        med, lo, hi, min(values), max(values))


def ratio(tool, floor):
    if not tool or not floor:
        return None
    t, f = statistics.median(tool), statistics.median(floor)
    if f == 0:
        return None if t == 0 else float("inf")
    return t / f


def table(results, mode_name, mode, elapsed):
    r = results.of
    rows = []

    def row(label, figure, digits, target, meets):
        tool, floor = r(figure, "tool"), r(figure, "floor")
        q = ratio(tool, floor)
        q_text = "—" if q is None else ("∞" if q == float("inf") else "%.3f" % q)
        n = "%d / %d" % (len(tool), len(floor))
        rows.append((label, cell(tool, digits), cell(floor, digits), q_text, target,
                     "—" if meets is None else ("yes" if meets(tool, floor, q) else "no"), n))

    within = lambda limit: lambda t, f, q: q is not None and q <= limit  # noqa: E731
    med = statistics.median
    row("start to visible window with caption, ms", "start", 1, "≤ 1.1× floor", within(1.1))
    row("F1 press to target hidden, ms", "hide", 1, "≤ 1.1× floor", within(1.1))
    row("F2 press to target shown, ms", "show", 1, "≤ 1.1× floor", within(1.1))
    row("pick: CPU for a %d-move drag, ms" % mode["moves"], "pick_cpu", 0, "—", None)
    row("idle: CPU per %.0f s window, ms" % (mode["idle_slices"] * SLICE_SECONDS), "idle_window",
        0, "≤ floor", lambda t, f, q: t and f and med(t) <= med(f))
    row("idle: CPU per %.1f s slice, ms" % SLICE_SECONDS, "idle_slice", 0, "≤ floor",
        lambda t, f, q: t and f and med(t) <= med(f))
    row("memory: VmRSS after start, KiB", "rss_start", 0, "≤ 1.1× floor", within(1.1))
    row("memory: VmRSS before the cycles, KiB", "rss_before_cycles", 0, "—", None)
    row("memory: VmRSS after %d hide/show cycles, KiB" % mode["cycles"], "rss_after_cycles", 0,
        "≤ 1.1× floor", within(1.1))
    for name in ("tool", "floor"):
        before, after = r("rss_before_cycles", name), r("rss_after_cycles", name)
        points = r("rss_checkpoint", name)
        if before and after:
            results.add("rss_growth", name, after[-1] - before[-1])
            every = points + before + after
            results.add("rss_spread", name, max(every) - min(every))
    row("memory: growth over the cycles, KiB", "rss_growth", 0, "flat: ≤ floor's + 64",
        lambda t, f, q: t and f and med(t) <= med(f) + 64)
    row("memory: max−min over the cycles (%d checkpoints), KiB" % mode["checkpoints"],
        "rss_spread", 0, "—", None)
    row("executable size, bytes", "size", 0, "tool ≤ 65536", lambda t, f, q: t and t[0] <= 65536)

    header = ("figure", "tool: median (IQR, min–max)", "floor: median (IQR, min–max)",
              "tool/floor", "target", "meets", "n tool / floor")
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(cells) + " |" for cells in rows]

    cpu = next((l for l in open("/proc/cpuinfo") if l.startswith("model name")), ": ?")
    wine = subprocess.run(["wine", "--version"], stdout=subprocess.PIPE).stdout.decode().strip()
    sources = os.environ.get("BENCH_SOURCES") or "not recorded (run through bench/run.sh)"
    head = [
        "## WindowHider benchmark (%s run)" % mode_name, "",
        "- date: %s" % datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M %Z"),
        "- machine: `uname -m` %s, CPU %s, %d CPUs" % (platform.machine(),
                                                        cpu.split(":", 1)[1].strip(),
                                                        os.cpu_count()),
        "- %s; the Linux process of a 32-bit program is `%s`%s"
        % (wine, results.linux_exe,
           " (qemu user-mode emulation)" if "qemu" in results.linux_exe else ""),
        "- sources at build time: %s; MinSizeRel, the same flags for the tool and the floor"
        % sources,
        "- run time: %.1f min" % (elapsed / 60.0), "",
    ]
    notes = notes_of(results, mode)
    return "\n".join(head + lines + [""] + notes) + "\n"


def notes_of(results, mode):
    r = results.of
    med = lambda v: statistics.median(v) if v else float("nan")  # noqa: E731
    codes = r("exit_code", "tool") + r("exit_code", "floor")
    missed = sum(r("hide_missed", "tool") + r("show_missed", "tool") + r("hide_missed", "floor")
                 + r("show_missed", "floor"))
    picks_ok = r("pick_ok", "tool") + r("pick_ok", "floor")

    def busy(name):
        cpu, wall = r("pick_cpu", name), r("pick_wall", name)
        return 100.0 * sum(cpu) / sum(wall) if wall else float("nan")
    notes = [
        "Notes:", "",
        "- Runs alternate tool, floor, tool, floor. Start: %d runs each after one warm-up start "
        "each, timed inside Wine by bench_driver (QueryPerformanceCounter from before "
        "CreateProcess until the window of the class is visible with a caption, polled every "
        "~1 ms); it includes Wine's process start under qemu, shared by both programs."
        % mode["start_runs"],
        "- Key latency: from the XTEST key press (the request `xdotool key` sends, made from one "
        "open X connection so that xdotool's own start is not counted) until the target "
        "program's line saying it is hidden or shown reaches Python. It includes X to Wine's "
        "desktop process, wineserver's hotkey, the program's handling, the SetWindowPos request "
        "to the target's thread and the target's write to its pipe; nothing is subtracted. "
        "Presses per program: %d per round in %d rounds; presses without effect within %d s: %d."
        % (mode["presses"], mode["rounds"], KEY_SECONDS, missed),
        "- Pick: utime+stime (/proc/<pid>/stat, 10 ms steps) of the Linux process that runs "
        "the .exe (`%s` running Wine's loader), from before the press until the "
        "process is quiet after the release: xdotool mousedown on the drag source, %d "
        "mousemoves %s s apart over the target, mouseup. Drag wall time median %.1f s (tool) / "
        "%.1f s (floor); CPU over wall time %.0f%% (tool) / %.0f%% (floor). Wine merges moves "
        "that a program has not read yet, so one that falls behind sees fewer and looks "
        "cheaper; the floor counted %s of the %d moves (median; min %s). Drags that picked "
        "the target: %d of %d." % (
            results.linux_exe, mode["moves"], mode["move_pause"],
            med(r("pick_wall", "tool")) / 1000.0,
            med(r("pick_wall", "floor")) / 1000.0, busy("tool"), busy("floor"),
            "%.0f" % med(r("pick_moves", "floor")), mode["moves"],
            min(r("pick_moves", "floor"), default="?"), sum(picks_ok), len(picks_ok)),
        "- Idle: one window of %d × %.1f s per program in each of the first %d rounds, after "
        "the key presses and once the process was quiet for %.1f s; nothing moves or is pressed."
        % (mode["idle_slices"], SLICE_SECONDS, mode["idle_rounds"], QUIET_SECONDS),
        "- Memory: VmRSS (/proc/<pid>/status) of the same process; after start once quiet, in "
        "every start run; for the cycles one run per program: a fresh target picked by a short "
        "drag, then bench_driver sends WM_HOTKEY 33001 and 33002 alternately (each "
        "SendMessage waits for the program), %d cycles in %d steps with VmRSS read after "
        "each step; %.0f s (tool) / %.0f s (floor)." % (
            mode["cycles"], mode["checkpoints"], med(r("cycles_seconds", "tool")),
            med(r("cycles_seconds", "floor"))),
        "- Exit codes of all closes (WM_CLOSE): %s." % (
            "all 0" if codes and not any(codes) else sorted(set(codes))),
        "- The floor (bench/floor.cpp) is the least program doing the same work: topmost "
        "254×134 window, RegisterHotKey F1–F3, SetWindowPos hide/show, SetCapture drag with "
        "WindowFromPoint and GetWindowTextA; built with the tool's compile and link flags.",
    ]
    return notes


def main():
    if len(sys.argv) < 2:
        print("usage: bench.py <bench build dir> [--quick]", file=sys.stderr)
        return 2
    build = os.path.abspath(sys.argv[1])
    quick = "--quick" in sys.argv[2:]
    mode, mode_name = (QUICK, "quick") if quick else (FULL, "full")
    began = float(os.environ.get("BENCH_T0", time.time()))
    tool = Program("tool", os.path.join(build, "WindowHider.exe"), "WindowHiderMain")
    floor = Program("floor", os.path.join(build, "wh_floor.exe"), "WhFloorMain")
    programs = (tool, floor)
    target_exe = os.path.join(build, "wh_bench_target.exe")
    results = Results()
    for program in programs:
        results.add("size", program, os.path.getsize(program.exe))

    xdotool("mousemove", str(AWAY[0]), str(AWAY[1]))
    keys = Keys()
    driver = Driver(os.path.join(build, "wh_bench_driver.exe"))
    measure_starts(driver, programs, mode["start_runs"], results)
    target = Target(target_exe)
    for round_index in range(mode["rounds"]):
        for program in programs:
            measure_session(driver, keys, target, program, mode,
                            round_index < mode["idle_rounds"], results)
        log("round %d/%d done" % (round_index + 1, mode["rounds"]))
    target.end()
    for program in programs:
        measure_cycles(driver, target_exe, program, mode, results)
    driver.quit()

    text = table(results, mode_name, mode, time.time() - began)
    print(text, end="", flush=True)
    with open(os.path.join(build, "results.md"), "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
