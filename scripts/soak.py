#!/usr/bin/env python3
"""A long evening of play under random input, watched from outside.

Runs the game program on an X server of its own, on a copy of its data
folder, for a number of minutes: the computers play, and every few seconds
a random input drawn from a seeded generator reaches the window (arrow keys,
Enter, Delete, Esc, walk keys held for a moment, mouse moves and clicks),
and from time to time a new game of a random pairing is chosen through the
menus. It never chooses "Quit"; at the end it quits through the menu keys.

The run fails when the program crashes or hangs (no new frame for 30 s),
exits other than with 0 at the end, prints a sanitizer report or a line that
no clean run prints (tests/game/unclean_output.txt), or when its resident
memory grows by more than 10% over the second half of the run. Frames are
counted by libswap_counter.so, preloaded into the program.

Usage: soak.py --build DIR [--minutes N] [--seed S] [--sanitized [address|thread]]
(`make soak`, with SOAK_MINUTES, SOAK_SEED and SOAK_SANITIZE=1 for the build
with AddressSanitizer and UBSan, SOAK_SANITIZE=thread for ThreadSanitizer's).
"""

import argparse
import mmap
import os
import random
import re
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent
UNCLEAN_OUTPUT = SOURCE / "tests" / "game" / "unclean_output.txt"
LEAK_SUPPRESSIONS = SOURCE / "tests" / "lsan.supp"
THREAD_SUPPRESSIONS = SOURCE / "tests" / "tsan.supp"

TITLE = "Talvorin 1.1.1"
SCREEN = (1300, 740)  # the window's 1280x720 and a margin
START_SECONDS = 180.0  # for the window and the first frame
HANG_SECONDS = 30.0  # no new frame for this long is a hang
QUIT_SECONDS = 300.0  # from "Yes" to the end of the process
RSS_GROWTH_LIMIT = 0.10
MENU_LOOK_SECONDS = 10.0  # how often the run looks whether the main menu is open
FPS_WINDOW = 5.0

# The menus as the keys walk them: each opens with its first item selected
# and the arrow keys wrap around.
MAIN_MENU = ["Resume", "New game", "Options", "About", "Quit"]
PAIRINGS = ["Human vs. Computer", "Human vs. Human", "Computer vs. Computer"]


def log(text):
    print(f"soak: {text}", flush=True)


# ---- The program's output


def read_unclean_words(path):
    """{section: (streams, [words])} of the shared list of unclean output."""
    sections, current = {}, None
    for line in path.read_text().splitlines():
        if not line or line.startswith("#"):
            continue
        heading = re.fullmatch(r"\[(.+?): (.+)\]", line)
        if heading:
            current = heading.group(1)
            sections[current] = (heading.group(2).split(), [])
        elif current:
            sections[current][1].append(line)
    if not sections:
        raise SystemExit(f"soak: no words in {path}")
    return sections


class Output:
    """The program's two streams, read line by line on threads of their own:
    written to files, searched for unclean lines, the computers' aims timed."""

    def __init__(self, process, folder, unclean, start):
        self.lock = threading.Lock()
        self.unclean = []  # (seconds, stream, line)
        self.aims = []  # seconds of each "x err = " line
        self.tail = {"stdout": [], "stderr": []}
        self.start = start
        self.threads = []
        for name, stream in (("stdout", process.stdout), ("stderr", process.stderr)):
            words = [w for streams, ws in unclean.values() if name in streams for w in ws]
            thread = threading.Thread(
                target=self._read, args=(name, stream, folder / f"program.{name}", words),
                daemon=True)
            thread.start()
            self.threads.append(thread)

    def _read(self, name, stream, path, words):
        with open(path, "w", errors="replace") as copy:
            for raw in stream:
                line = raw.decode(errors="replace").rstrip("\n")
                now = time.monotonic() - self.start
                copy.write(line + "\n")
                copy.flush()
                with self.lock:
                    tail = self.tail[name]
                    tail.append(line)
                    del tail[:-40]
                    if name == "stdout" and line.startswith("x err = "):
                        self.aims.append(now)
                    if any(w in line for w in words):
                        self.unclean.append((now, name, line))

    def join(self, seconds):
        for thread in self.threads:
            thread.join(seconds)

    def aim_times(self):
        with self.lock:
            return list(self.aims)

    def unclean_lines(self):
        with self.lock:
            return list(self.unclean)

    def last_lines(self, name, n=15):
        with self.lock:
            return self.tail[name][-n:]


# ---- Frames, counted by the preloaded swap counter


class Frames:
    """The program's buffer swaps: the count and the time of the latest."""

    def __init__(self, path):
        path.write_bytes(bytes(16))
        self.file = open(path, "r+b")
        self.map = mmap.mmap(self.file.fileno(), 16)
        self.samples = []  # (seconds, swaps)

    def read(self):
        swaps, last_ns = struct.unpack_from("<QQ", self.map, 0)
        return swaps, last_ns / 1e9

    def count(self):
        return self.read()[0]

    def seconds_since_last(self):
        swaps, last = self.read()
        return None if swaps == 0 else time.monotonic() - last

    def sample(self):
        self.samples.append((time.monotonic(), self.count()))

    def wait_for(self, frames, seconds):
        """Until `frames` more swaps happened; False after the seconds."""
        target = self.count() + frames
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if self.count() >= target:
                return True
            time.sleep(0.02)
        return False

    def rates(self, start, end):
        """Frames per second of each whole 5-second window in [start, end]."""
        points = [(t, n) for t, n in self.samples if start <= t <= end]
        rates, i = [], 0
        while points and i < len(points):
            t0, n0 = points[i]
            j = i
            while j < len(points) and points[j][0] - t0 < FPS_WINDOW:
                j += 1
            if j == len(points):
                break
            t1, n1 = points[j]
            rates.append((n1 - n0) / (t1 - t0))
            i = j
        return rates


# ---- The X server and the window


class Display:
    """A private Xvfb on the first free display number (-displayfd)."""

    def __init__(self):
        read, write = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as answer:
            number = answer.readline().strip()
        if not number:
            raise SystemExit("soak: Xvfb did not start")
        self.name = f":{number}"
        self.env = dict(os.environ, DISPLAY=self.name)

    def run(self, *args, timeout=10.0):
        try:
            return subprocess.run(args, env=self.env, capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def close(self):
        self.server.terminate()
        try:
            self.server.wait(10)
        except subprocess.TimeoutExpired:
            self.server.kill()
            self.server.wait()


class Window:
    """The game's window, driven with xdotool and looked at with xwd."""

    def __init__(self, display, window, scratch):
        self.display = display
        self.id = str(window)
        self.scratch = scratch  # the screen's dump
        self.mouse = (640, 360)

    @staticmethod
    def find(display, seconds, running, scratch):
        end = time.monotonic() + seconds
        while time.monotonic() < end and running():
            found = display.run("xdotool", "search", "--name", f"^{re.escape(TITLE)}$")
            if found and found.returncode == 0 and found.stdout.split():
                return Window(display, found.stdout.split()[0].decode(), scratch)
            time.sleep(0.5)
        return None

    def key(self, name):
        self.display.run("xdotool", "key", "--window", self.id, name)

    def hold(self, name, seconds):
        self.display.run("xdotool", "keydown", "--window", self.id, name)
        time.sleep(seconds)
        self.display.run("xdotool", "keyup", "--window", self.id, name)

    def move(self, x, y):
        self.mouse = (x, y)
        self.display.run("xdotool", "mousemove", "--window", self.id, str(x), str(y))

    def click(self):
        self.display.run("xdotool", "click", "--window", self.id, "1")

    def green_items(self):
        """The pure green of the selected items of the open menus and
        dialogs, one item per text line; with the rows of the grey of the
        items not selected (`grey`)."""
        shot = self.display.run(
            "sh", "-c",
            f"xwd -root -silent > '{self.scratch}' && "
            f"convert '{self.scratch}' -fuzz 15% -fill white +opaque '#00ff00' "
            f"-fill black -opaque '#00ff00' pbm:- && "
            f"convert '{self.scratch}' -fuzz 6% -fill white +opaque '#999999' "
            f"-fill black -opaque '#999999' pbm:-", timeout=30.0)
        if not shot or shot.returncode != 0:
            return Items()
        green, end = pbm_rows(shot.stdout)
        items = Items(green_items(green))
        items.grey = pbm_rows(shot.stdout, end)[0]
        return items


class Items(list):
    """Green items, and the rows of the grey text around them."""
    grey = []


# ---- Telling the menus' selected items apart


GRID = (24, 6)


class Item:
    """One text line of green: its box and its coverage on a coarse grid."""

    def __init__(self, rows, left, top, right, bottom):
        self.box = (left, top, right, bottom)
        self.size = (right - left, bottom - top)
        w, h = self.size
        cells = [0] * (GRID[0] * GRID[1])
        counts = [0] * (GRID[0] * GRID[1])
        for y in range(top, bottom):
            gy = (y - top) * GRID[1] // h
            row = rows[y]
            for x in range(left, right):
                cell = gy * GRID[0] + (x - left) * GRID[0] // w
                counts[cell] += 1
                cells[cell] += row >> x & 1
        self.grid = [c / n if n else 0.0 for c, n in zip(cells, counts)]

    def distance(self, other):
        """0 for the same text, about 0.15 and more for another one; 1 when
        a side differs by more than a quarter."""
        for a, b in zip(self.size, other.size):
            if abs(a - b) > 0.25 * max(a, b) + 2:
                return 1.0
        return sum(abs(a - b) for a, b in zip(self.grid, other.grid)) / len(self.grid)


def pbm_rows(data, at=0):
    """The rows of a binary PBM that starts at `at` as ints, bit x set where
    pixel x is black; and where the PBM ends."""
    fields = []
    while len(fields) < 3:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    at += 1
    width, height = int(fields[1]), int(fields[2])
    stride = (width + 7) // 8
    rows = []
    for y in range(height):
        # Most significant bit first; the padding bits beyond the width go.
        row = int.from_bytes(data[at + y * stride:at + (y + 1) * stride], "big")
        row >>= stride * 8 - width
        # Bit x from the left as bit x of the int.
        rows.append(int(f"{row:0{width}b}"[::-1], 2) if row else 0)
    return rows, at + height * stride


def row_blocks(rows, mask=-1, gap=4):
    """[first, last] of each block of rows with bits under the mask, rows
    at most `gap` apart in one block."""
    blocks = []
    for y, row in enumerate(rows):
        if row & mask:
            if blocks and y - blocks[-1][1] <= gap:
                blocks[-1][1] = y
            else:
                blocks.append([y, y])
    return blocks


def runs(bits):
    """(first, end) of each run of set bits."""
    found = []
    x = 0
    while bits >> x:
        rest = bits >> x
        if not rest & 1:
            x += (rest & -rest).bit_length() - 1
            continue
        first = x
        while bits >> x & 1:
            x += 1
        found.append((first, x))
    return found


def green_items(rows):
    """The text lines of green: the runs of lit pixels joined where they
    touch or nearly (the letters' strokes, dots and tails), then the pieces
    that stand side by side on one line joined into words and lines."""
    parent = []
    boxes = []  # per run: [left, top, right, bottom]

    def root(i):
        while parent[i] != i:
            parent[i] = parent[parent[i]]
            i = parent[i]
        return i

    recent = []  # (row, [(first, end, run index)]) of the last few lit rows
    for y, row in enumerate(rows):
        if not row:
            continue
        here = []
        for first, end in runs(row):
            i = len(parent)
            parent.append(i)
            boxes.append([first, y, end, y + 1])
            here.append((first, end, i))
            for ry, others in recent:
                if y - ry > 4:
                    continue
                for f, e, j in others:
                    if first < e + 8 and f < end + 8:
                        parent[root(i)] = root(j)
        recent = [(ry, r) for ry, r in recent if y - ry < 4] + [(y, here)]
    pieces = {}
    for i, box in enumerate(boxes):
        r = root(i)
        if r in pieces:
            p = pieces[r]
            p[0], p[1] = min(p[0], box[0]), min(p[1], box[1])
            p[2], p[3] = max(p[2], box[2]), max(p[3], box[3])
        else:
            pieces[r] = list(box)
    # Pieces on one line (overlapping by half the lower one's height, the
    # taller at most 2.2 times the lower: letters, not a lamp beside them)
    # and close (a gap below one and a half times the taller) form a line.
    lines = sorted(pieces.values())
    joined = True
    while joined:
        joined = False
        for i in range(len(lines)):
            for j in range(i + 1, len(lines)):
                a, b = lines[i], lines[j]
                overlap = min(a[3], b[3]) - max(a[1], b[1])
                low = min(a[3] - a[1], b[3] - b[1])
                tall = max(a[3] - a[1], b[3] - b[1])
                gap = max(a[0], b[0]) - min(a[2], b[2])
                if overlap >= low / 2 and tall <= 2.2 * low and gap < 1.5 * tall:
                    lines[i] = [min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]),
                                max(a[3], b[3])]
                    del lines[j]
                    joined = True
                    break
            if joined:
                break
    return [Item(rows, *box) for box in lines if box[2] - box[0] >= 6 and box[3] - box[1] >= 6]


class Menus:
    """The selected items of the main menu and the new-game menu as this
    run saw them at its start (each in the places the menus showed at), to
    know later where the keys stand."""

    MATCH = 0.1  # at most this far from an item's picture is that item
    QUIT_GUARD = 0.14  # this near to "Quit" is kept from Enter and clicks

    def __init__(self):
        self.pictures = []  # (name, item)

    def learn(self, name, item):
        self.pictures.append((name, item))

    def name(self, item):
        """The item's name when its nearest picture is near and clearly
        nearer than those of other items."""
        nearest = {}
        for known, picture in self.pictures:
            nearest[known] = min(nearest.get(known, 1.0), item.distance(picture))
        ranked = sorted((d, n) for n, d in nearest.items())
        if not ranked or ranked[0][0] > self.MATCH:
            return None
        if len(ranked) > 1 and ranked[1][0] < ranked[0][0] + 0.02:
            return None
        return ranked[0][1]

    def names(self, items):
        return [self.name(i) for i in items]

    def quit_selected(self, items):
        """Whether "Quit" may be selected: an item near its pictures, or,
        whatever its look, the last line of a menu of five lines or more
        (the main menu's "Quit", or the "Back" of a long menu)."""
        for i in items:
            if any(i.distance(p) <= self.QUIT_GUARD for n, p in self.pictures if n == "Quit"):
                return True
            above, below = menu_lines(i, items.grey)
            if above >= 4 and below == 0:
                return True
        return False

    @staticmethod
    def question_selected(items):
        """Whether the middle line of three is selected: the "Yes" of
        "Confirm quit?" (or of another question, which then gets its other
        answer)."""
        return any(menu_lines(i, items.grey) == (1, 1) for i in items)

    def looks_like_quit(self, items):
        """Whether Enter or a click might choose "Quit" or its "Yes"."""
        return self.quit_selected(items) or self.question_selected(items)


def menu_lines(item, grey):
    """The text lines of the menu around a selected item: how many grey
    lines follow each other above it and below it, each at most 0.8 of its
    height from the next, in the columns around it."""
    left, top, right, bottom = item.box
    h, w = bottom - top, right - left
    x0 = max(0, left - w // 2)
    mask = ((1 << (right + w // 2 - x0)) - 1) << x0
    lines = [b for b in row_blocks(grey, mask) if b[1] - b[0] + 1 >= h / 3]
    above, edge = 0, top
    for first, last in sorted((b for b in lines if b[1] < top), key=lambda b: -b[1]):
        if edge - last > 0.8 * h:
            break
        above, edge = above + 1, first
    below, edge = 0, bottom
    for first, last in sorted(b for b in lines if b[0] >= bottom):
        if first - edge > 0.8 * h:
            break
        below, edge = below + 1, last
    return above, below


# ---- The run


class Soak:
    def __init__(self, args):
        self.args = args
        self.rng = random.Random(args.seed)
        self.failures = []
        self.notes = []
        self.inputs = 0
        self.kinds = {}
        self.guarded = 0
        self.games = []  # (seconds, pairing)
        self.game_attempts = 0
        self.rss = []  # (seconds, kB)
        self.menus = Menus()
        self.process = None
        self.display = None
        self.window = None
        self.output = None
        self.frames = None
        self.quit_sent = False

    # -- set-up and tear-down

    def start(self):
        build = Path(self.args.build).resolve()
        program = build / "bin" / "talvorin32"
        counter = build / "lib" / "libswap_counter.so"
        data = build / "data"
        for path in (program, counter, data):
            if not path.exists():
                raise SystemExit(f"soak: {path} is missing (make soak builds it)")
        self.folder = Path(tempfile.mkdtemp(prefix="talvorin_soak_"))
        shutil.copytree(data, self.folder / "data")
        # The about panel's web address opens nothing here: a stand-in for
        # xdg-open notes it and succeeds.
        bin_dir = self.folder / "bin"
        bin_dir.mkdir()
        opener = bin_dir / "xdg-open"
        opener.write_text(f"#!/bin/sh\necho \"$@\" >> '{self.folder}/opened'\n")
        opener.chmod(0o755)

        self.unclean = read_unclean_words(UNCLEAN_OUTPUT)
        self.display = Display()
        preload = [str(counter)]
        env = dict(self.display.env, TALVORIN_ROOT=str(self.folder / "data"),
                   ALSOFT_DRIVERS="null", SWAP_COUNTER_FILE=str(self.folder / "swaps"),
                   PATH=f"{bin_dir}:{os.environ.get('PATH', '')}")
        if self.args.sanitized:
            # The sanitizers' runtime comes first among the preloaded.
            library = "libtsan.so" if self.args.sanitized == "thread" else "libasan.so"
            runtime = subprocess.run(["gcc", f"-print-file-name={library}"], capture_output=True,
                                     text=True).stdout.strip()
            preload.insert(0, runtime)
        if self.args.sanitized == "address":
            env["ASAN_OPTIONS"] = "detect_leaks=1:quarantine_size_mb=64"
            env["LSAN_OPTIONS"] = f"suppressions={LEAK_SUPPRESSIONS}:print_suppressions=0"
            env["UBSAN_OPTIONS"] = "print_stacktrace=1"
        elif self.args.sanitized == "thread":
            # Every report goes to the output, where it makes the run unclean.
            # The lock-order detector is off, as for `make tsan`
            # (tests/tsan.supp says why).
            env["TSAN_OPTIONS"] = (f"suppressions={THREAD_SUPPRESSIONS}:print_suppressions=0:"
                                   "halt_on_error=0:detect_deadlocks=0")
        env["LD_PRELOAD"] = " ".join(preload)
        self.frames = Frames(self.folder / "swaps")

        log(f"seed {self.args.seed} (replay with SOAK_SEED={self.args.seed})")
        log(f"{self.build_kind()} program {program}, "
            f"{self.args.minutes:g} minutes on display {self.display.name}, "
            f"files in {self.folder}")
        self.started = time.monotonic()
        self.process = subprocess.Popen([str(program)], env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        cwd=self.folder)
        self.output = Output(self.process, self.folder, self.unclean, self.started)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        if self.output:
            self.output.join(10)
        if self.display:
            self.display.close()

    def seconds(self):
        return time.monotonic() - self.started

    def build_kind(self):
        return {"address": "sanitized", "thread": "thread-sanitized"}.get(self.args.sanitized,
                                                                          "release")

    def running(self):
        return self.process.poll() is None

    def fail(self, text):
        log(f"FAIL at {self.seconds() / 60:.1f} min: {text}")
        self.failures.append(text)
        self.keep_screen(f"failure-{len(self.failures)}.png")

    def keep_screen(self, name):
        """The screen as it is, into the run's folder."""
        if self.display and self.display.server.poll() is None:
            path = self.folder / name
            self.display.run("sh", "-c", f"xwd -root -silent | convert xwd:- '{path}'",
                             timeout=30.0)
            if path.exists():
                log(f"the screen: {path}")

    # -- watching

    def rss_kb(self):
        try:
            with open(f"/proc/{self.process.pid}/status") as status:
                for line in status:
                    if line.startswith("VmRSS:"):
                        return int(line.split()[1])
        except OSError:
            pass
        return None

    def watch(self):
        """One look at the program between inputs: alive, drawing, its
        memory. False once it is gone or hangs."""
        if not self.running():
            code = self.process.returncode
            if code == 0 and not self.quit_sent:
                self.fail("the program ended with 0 before the end: something chose Quit")
            else:
                what = f"signal {-code}" if code < 0 else f"exit code {code}"
                self.fail(f"the program ended by itself ({what})")
            return False
        self.frames.sample()
        since = self.frames.seconds_since_last()
        if since is None:
            if self.seconds() > START_SECONDS:
                self.hang(f"no frame within {START_SECONDS:.0f} s of the start")
                return False
        elif since > HANG_SECONDS:
            self.hang(f"no new frame for {since:.0f} s")
            return False
        if not self.rss or time.monotonic() - self.rss[-1][0] >= 2.0:
            rss = self.rss_kb()
            if rss:
                self.rss.append((time.monotonic(), rss))
        return True

    def hang(self, text):
        self.fail(f"hang: {text}")
        if shutil.which("gdb"):
            stacks = subprocess.run(
                ["gdb", "-p", str(self.process.pid), "-batch", "-ex", "thread apply all bt"],
                capture_output=True, text=True, timeout=120)
            (self.folder / "hang-stacks.txt").write_text(stacks.stdout + stacks.stderr)
            log(f"the threads' stacks are in {self.folder / 'hang-stacks.txt'}")
        self.process.kill()

    def pause(self, seconds):
        """Watches the program for the seconds; False when it went wrong."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if not self.watch():
                return False
            time.sleep(min(0.25, max(0.0, end - time.monotonic())))
        return self.watch()

    # -- input

    def count(self, kind):
        self.inputs += 1
        self.kinds[kind] = self.kinds.get(kind, 0) + 1

    def settled_items(self, seconds=10.0):
        """The selected items once the program has drawn what the last
        input did and they stand still (a menu that opens turns to face the
        viewer first): the same in two looks a few frames apart."""
        end = time.monotonic() + seconds
        self.frames.wait_for(2, HANG_SECONDS)
        items = self.window.green_items()
        while time.monotonic() < end:
            self.frames.wait_for(2, HANG_SECONDS)
            again = self.window.green_items()
            if len(again) == len(items) and all(
                    a.box == b.box for a, b in zip(items, again)):
                return again
            items = again
        return items

    def random_input(self, in_intro):
        """One input drawn from the seeded generator. During the intro Esc
        is left out: the menus open only once it ends, and the run learns
        the menus' pictures from a known state then."""
        choices = [("arrow", 25), ("enter", 12), ("delete", 6), ("walk", 12), ("move", 15),
                   ("click", 8)]
        if not in_intro:
            choices.append(("esc", 8))
        kind = self.rng.choices([c for c, _ in choices], [w for _, w in choices])[0]
        w = self.window
        if kind == "arrow":
            w.key(self.rng.choice(["Up", "Down", "Left", "Right"]))
        elif kind == "delete":
            w.key("Delete")
        elif kind == "esc":
            w.key("Escape")
        elif kind == "walk":
            w.hold(self.rng.choice("wasd"), self.rng.uniform(0.2, 1.5))
        elif kind == "move":
            for _ in range(self.rng.randint(1, 4)):
                w.move(self.rng.randrange(0, 1280), self.rng.randrange(0, 720))
                time.sleep(self.rng.uniform(0.02, 0.3))
        elif kind in ("enter", "click"):
            # Never onto "Quit": what Enter or a click would press is looked
            # at first (after the intro, when the menus can be open).
            if not in_intro and self.quit_guarded():
                w.key("Down")
                kind = "arrow"
            elif kind == "enter":
                w.key("Return")
            else:
                w.click()
        self.count(kind)

    def quit_guarded(self):
        """Whether what Enter or a click would choose now may be "Quit" or
        its "Yes" (counted), so that the run chooses something else."""
        if self.menus.looks_like_quit(self.settled_items()):
            self.guarded += 1
            return True
        return False

    def press(self, key, expect=None, seconds=20.0):
        """Presses the key and waits until the selected item is `expect` by
        its look (None: no item of the known menus selected); False if it
        never is."""
        def selected_as_expected():
            items = self.settled_items()
            names = self.menus.names(items)
            if os.environ.get("SOAK_DEBUG"):
                log(f"after {key}: " + ", ".join(f"{n} {i.size} {menu_lines(i, items.grey)}"
                                                 for n, i in zip(names, items)))
            known = [n for n in names if n]
            return (expect is None and not known) or (expect is not None and expect in known)

        return self.press_until(key, selected_as_expected, seconds)

    def press_for_change(self, key, seconds=20.0):
        """Presses the key and waits until the selected items change (a menu
        turned to the viewer at a slant is not told by its look, but where
        the keys stand is known); False if they never do."""
        before = [i.box for i in self.settled_items()]
        return self.press_until(
            key, lambda: [i.box for i in self.settled_items()] != before, seconds)

    def press_until(self, key, done, seconds):
        """Presses the menu key and watches the game until done() holds;
        False if the game fails or done() never holds within the seconds."""
        self.window.key(key)
        self.count("menu key")
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if not self.watch():
                return False
            if done():
                return True
        return False

    def learn_menus(self):
        """From the game after the intro with no menu open: the main menu's
        items selected in turn with the keys, seen where the menu shows
        first, after a submenu and when it opens again, and back to the
        game."""

        def learn(key, name, seconds=30.0, again=None):
            """Presses the key and learns the item it selects (the one new
            item); with `again`, presses it once more every `again` seconds
            that show none (the screen kept each time, to look at)."""
            before = self.window.green_items()
            self.window.key(key)
            self.count("menu key")
            start = pressed = time.monotonic()
            while time.monotonic() < start + seconds and self.watch():
                items = self.settled_items()
                fresh = [i for i in items if all(i.distance(b) > 0.02 for b in before)]
                if len(fresh) == 1:
                    self.menus.learn(name, fresh[0])
                    return
                if again and not fresh and time.monotonic() > pressed + again:
                    self.keep_screen(f"menus-{key}-{int(time.monotonic() - start)}s.png")
                    self.window.key(key)
                    self.count("menu key")
                    pressed = time.monotonic()
            self.keep_screen("menus.png")
            raise SystemExit(f"soak: could not see the menu item {name!r} after {key}")

        # The intro may take a little longer to end than its first aim
        # suggests, or its menu may open unseen: Esc again every 20 s without
        # the menu (open, close, open), the screen kept each time.
        learn("Escape", "Resume", seconds=90.0, again=20.0)
        for name in MAIN_MENU[1:]:
            learn("Down", name)
        learn("Down", "Resume")
        learn("Down", "New game")
        learn("Return", "Human vs. Computer")
        learn("Escape", "Resume")
        for _ in range(2):
            learn("Up", "Quit")
            learn("Down", "Resume")
            if not self.press("Escape", None):
                raise SystemExit("soak: Esc did not lead back to the game")
            learn("Escape", "Resume")
        if not self.press("Escape", None):
            raise SystemExit("soak: Esc did not lead back to the game")
        # Every picture is nearest to its own item's pictures.
        for name, picture in self.menus.pictures:
            if self.menus.name(picture) != name:
                raise SystemExit(f"soak: the menu item {name!r} is not told apart")
        log("learned the menus' items: " + ", ".join(
            f"{n} {i.size[0]}x{i.size[1]}" for n, i in self.menus.pictures))

    def open_main_menu(self):
        """The main menu open with "Resume" selected, from wherever the
        random input left the menus; False when it does not come."""
        for attempt in range(8):
            names = self.menus.names(self.settled_items())
            if "Resume" in names:
                return True
            if attempt in (3, 6) and not any(n in MAIN_MENU for n in names):
                # A prompt that Esc does not close (choose a team, play
                # again): answered, unless that would be "Quit".
                if self.menus.looks_like_quit(self.settled_items()):
                    return False
                self.window.key("Return")
            else:
                self.window.key("Escape")
            self.count("menu key")
            if not self.pause(0.3):
                return False
        return "Resume" in self.menus.names(self.settled_items())

    def new_game(self):
        """A new game of a random pairing, chosen through the menus."""
        self.game_attempts += 1
        pairing = self.rng.randrange(len(PAIRINGS))
        if not self.open_main_menu():
            self.notes.append(f"{self.seconds() / 60:.1f} min: the main menu did not open")
            return
        if not self.press("Down", "New game"):
            self.notes.append(f"{self.seconds() / 60:.1f} min: no \"New game\" after Down")
            self.keep_screen(f"new-game-{self.game_attempts}.png")
            return
        # From here the keys walk a known menu: the new-game menu opens on
        # its first pairing, and each Down selects the next.
        for key in ["Return"] + ["Down"] * pairing:
            if not self.press_for_change(key):
                self.notes.append(
                    f"{self.seconds() / 60:.1f} min: {key} changed nothing on the way to "
                    f"{PAIRINGS[pairing]}")
                self.keep_screen(f"new-game-{self.game_attempts}.png")
                return
        if self.quit_guarded():
            self.notes.append(f"{self.seconds() / 60:.1f} min: {PAIRINGS[pairing]} looked like "
                              f"\"Quit\" or a question's \"Yes\"")
            self.keep_screen(f"new-game-{self.game_attempts}.png")
            return
        if self.press_for_change("Return"):
            self.games.append((self.seconds(), PAIRINGS[pairing]))
            log(f"{self.seconds() / 60:.1f} min: new game, {PAIRINGS[pairing]}")
        else:
            self.notes.append(f"{self.seconds() / 60:.1f} min: {PAIRINGS[pairing]} did not start")

    def quit_through_menus(self):
        """Esc to the main menu, Up to "Quit", Enter, and Enter on "Yes"."""
        if not self.open_main_menu():
            self.fail("the main menu did not open for the quit")
            return False
        self.window.key("Up")
        self.count("menu key")
        end = time.monotonic() + 30.0
        while not self.menus.quit_selected(self.settled_items()):
            if time.monotonic() > end or not self.watch():
                self.fail("\"Quit\" did not come up")
                return False
        self.quit_sent = True
        self.window.key("Return")
        self.count("menu key")
        # The confirmation shows "Yes" selected in the menu's place.
        end = time.monotonic() + 30.0
        while time.monotonic() < end and self.running():
            items = self.settled_items()
            if self.menus.question_selected(items) and not self.menus.quit_selected(items):
                break
        self.window.key("Return")
        self.count("menu key")
        return True

    # -- the whole run

    def run(self):
        self.start()
        self.window = Window.find(self.display, START_SECONDS, self.running,
                                  self.folder / "screen.xwd")
        if not self.window:
            if self.running():
                self.fail(f"no window within {START_SECONDS:.0f} s")
            else:
                self.watch()
            return
        log(f"window {self.window.id} after {self.seconds():.1f} s")
        end = self.started + self.args.minutes * 60.0

        # The intro: random input but Esc until the computers' game starts
        # behind it (its first aim) and the intro has ended.
        while not self.output.aim_times() and time.monotonic() < end:
            if not self.pause(self.rng.uniform(0.5, 2.0)):
                return
            self.random_input(in_intro=True)
        if not self.output.aim_times():
            self.fail("no computer aimed a shot")
            return
        if not self.pause(6.0):
            return
        self.learn_menus()
        self.play_started = time.monotonic()

        next_game = time.monotonic() + self.rng.uniform(30.0, 90.0)
        next_look = time.monotonic() + MENU_LOOK_SECONDS
        while time.monotonic() < end:
            if not self.pause(self.rng.uniform(1.0, 4.0)):
                return
            if time.monotonic() >= next_game:
                self.new_game()
                next_game = time.monotonic() + self.rng.uniform(60.0, 180.0)
            elif time.monotonic() >= next_look:
                # The main menu pauses the game: found open, it is left with
                # Esc, so that the computers play.
                names = self.menus.names(self.settled_items())
                if any(n in MAIN_MENU for n in names if n):
                    self.window.key("Escape")
                    self.count("menu key")
                next_look = time.monotonic() + MENU_LOOK_SECONDS
            else:
                self.random_input(in_intro=False)
        self.play_ended = time.monotonic()
        if not self.watch():
            return
        if not self.quit_through_menus():
            return
        try:
            code = self.process.wait(QUIT_SECONDS)
        except subprocess.TimeoutExpired:
            self.fail(f"still running {QUIT_SECONDS:.0f} s after \"Yes\"")
            return
        if code != 0:
            what = f"signal {-code}" if code < 0 else f"exit code {code}"
            self.fail(f"the program ended with {what} after \"Yes\"")

    # -- the summary

    def summary(self):
        self.output.join(10)
        minutes = self.seconds() / 60.0
        aims = self.output.aim_times()
        # A computer's aim followed by the next aim of the same game: the
        # shot between them was played out and evaluated.
        evaluated = sum(1 for a, b in zip(aims, aims[1:])
                        if not any(a < g <= b for g, _ in self.games))
        lines = [f"minutes {minutes:.1f}, seed {self.args.seed}, "
                 f"{self.build_kind()} build"]
        kinds = ", ".join(f"{k} {n}" for k, n in sorted(self.kinds.items()))
        lines.append(f"inputs sent {self.inputs} ({kinds}); Enter or click turned into Down "
                     f"before \"Quit\": {self.guarded}")
        opened = self.folder / "opened"
        if opened.exists():
            lines.append(f"web page opened from the about panel: "
                         f"{len(opened.read_text().splitlines())} times")
        lines.append(f"computer shots aimed {len(aims)}, shots evaluated {evaluated} "
                     f"(an aim followed by the next aim of the same game)")
        pairings = ", ".join(f"{p} {sum(1 for _, q in self.games if q == p)}" for p in PAIRINGS)
        lines.append(f"new games through the menus {len(self.games)} of {self.game_attempts} "
                     f"tried ({pairings})")
        lines.append("games finished: not shown from outside (a game of two computers that "
                     "ends starts the next one at once, silently)")
        if getattr(self, "play_started", None):
            rates = self.frames.rates(self.play_started,
                                      getattr(self, "play_ended", time.monotonic()))
            if rates:
                lines.append(f"frames per second: median {statistics.median(rates):.1f}, "
                             f"worst 5-second window {min(rates):.1f} "
                             f"({len(rates)} windows, {self.frames.count()} frames in all)")
        if self.rss:
            peak = max(k for _, k in self.rss)
            final = self.rss[-1][1]
            lines.append(f"resident memory: peak {peak / 1024:.0f} MiB, "
                         f"final {final / 1024:.0f} MiB")
            growth = self.rss_growth()
            if growth is not None:
                mid, last, ratio = growth
                lines.append(f"resident memory over the second half: {mid / 1024:.0f} MiB -> "
                             f"{last / 1024:.0f} MiB ({ratio * 100:+.1f}%)")
                if ratio > RSS_GROWTH_LIMIT:
                    self.failures.append(
                        f"resident memory grew by {ratio * 100:.1f}% over the second half")
        unclean = self.output.unclean_lines()
        if unclean:
            self.failures.append(f"{len(unclean)} unclean lines of output")
            for t, stream, line in unclean[:20]:
                lines.append(f"  unclean {stream} at {t / 60:.1f} min: {line}")
        for note in self.notes:
            lines.append(f"  note: {note}")
        for failure in self.failures:
            lines.append(f"FAILED: {failure}")
        if self.failures:
            for stream in ("stderr", "stdout"):
                lines.append(f"last lines of the program's {stream}:")
                lines += [f"  {line}" for line in self.output.last_lines(stream)]
        lines.append(f"the program's output: {self.folder}/program.stdout, program.stderr")
        lines.append("PASSED" if not self.failures else "FAILED")
        print("\n".join(["", "==== soak summary ===="] + lines), flush=True)
        if not self.failures:
            shutil.rmtree(self.folder / "data", ignore_errors=True)
        return not self.failures

    def rss_growth(self):
        """The resident memory at the middle of the run and at its end (each
        the median of a tenth of the run, at least 30 s, of samples) and
        the growth between them."""
        if len(self.rss) < 4:
            return None
        first, last = self.rss[0][0], self.rss[-1][0]
        span = max(30.0, (last - first) / 10.0)
        middle = first + (last - first) / 2.0
        mid = [k for t, k in self.rss if middle <= t < middle + span]
        end = [k for t, k in self.rss if t > last - span]
        if not mid or not end:
            return None
        a, b = statistics.median(mid), statistics.median(end)
        return a, b, (b - a) / a


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="the build folder (bin, lib, data)")
    parser.add_argument("--minutes", type=float, default=30.0)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--sanitized", nargs="?", const="address", choices=["address", "thread"],
                        help="the program is built with AddressSanitizer and UBSan (address, "
                        "the default) or with ThreadSanitizer (thread)")
    args = parser.parse_args()
    if args.seed is None:
        args.seed = int.from_bytes(os.urandom(4), "little")
    for tool in ("Xvfb", "xdotool", "xwd", "convert"):
        if not shutil.which(tool):
            raise SystemExit(f"soak: {tool} is missing (make deps installs it)")

    soak = Soak(args)

    def interrupted(signum, frame):
        raise KeyboardInterrupt

    signal.signal(signal.SIGTERM, interrupted)
    passed = False
    try:
        soak.run()
    except KeyboardInterrupt:
        soak.failures.append("interrupted")
    except SystemExit as e:
        soak.failures.append(str(e))
    finally:
        soak.stop()
    if soak.output:
        passed = soak.summary()
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
