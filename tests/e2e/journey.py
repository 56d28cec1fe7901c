#!/usr/bin/env python3
"""End-to-end journey of Lumarel in a real X window.

Starts its own Xvfb (1920x1080x24) on a free display, starts the program with no sound output
reachable, drives it with xdotool as a person would, and checks what the screen shows (screenshot
pixels), the window titles and the files written. One line per step; a failing step leaves its
screenshot in <build-dir>/e2e-shots/ and ends the journey. The last line is
"e2e: N passed, M failed". With E2E_KEEP_SHOTS=1 the screenshots are kept, among them two
taken a second apart while the song plays (playing-1.png, playing-2.png).

Usage: journey.py <build-dir>
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

MAIN_CAPTION = "Lumarel - Version Beta 1.0.0"
PLAYER_CAPTION = "Midi File Player -  Lumarel"
SCREEN_W, SCREEN_H = 1920, 1080

# Main window controls, in pixels from the window's top-left corner (the frame's buttons are at
# Frame1 (8, 8) plus their place in the frame; the lists at SSTab1 (8, 128) plus theirs).
FRAME = (8, 8)
BUTTONS = {  # caption: (left, top, width, height) in the frame
    "Save Bmp": (16, 24, 65, 65),
    "Animate Palette": (80, 24, 65, 65),
    "Copy": (144, 24, 65, 65),
    "Help": (216, 32, 65, 65),
    "About": (280, 32, 65, 65),
    "Quit": (344, 32, 65, 65),
    "Plug - In": (408, 32, 57, 65),
    "Midi File Player": (472, 32, 65, 65),
}
TAB = (8, 128)
MAP_TAB_LABEL = (TAB[0] + 132, TAB[1] + 13)  # the "Map Files" tab
FILE_LIST = (TAB[0] + 16, TAB[1] + 184, 145, 97)
PICTURE2_AT = (200, 128)  # size: (width - 210) x (height - 158)
PICTURE3_AT = (552, 16)   # size: (width - 562) x 97

# Player window, in pixels from its top-left corner (twips / 15).
PLAYER_BUTTONS = {  # the frame "Funzioni" at (8, 8), the buttons at (8 + left, 24 + top)
    "Open Midi File": (16, 32, 81, 65),
    "Play": (104, 32, 57, 65),
    "Stop": (168, 32, 57, 65),
    "Animate!": (232, 32, 121, 65),
    "Lumarel": (496, 32, 81, 65),
}
ROW_TOP, ROW_PITCH, ROW_HEIGHT = 184, 24, 17   # 2760, 360 and 255 twips
ROW_LABEL_X, ROW_LABEL_W = 16, 217             # 240 and 3255 twips
ROW_NOTE_X, ROW_NOTE_W = 560, 145              # 8400 and 2175 twips


class StepFailed(Exception):
    pass


def check(condition, what):
    if not condition:
        raise StepFailed(what)


def run(*args, **kwargs):
    return subprocess.run(list(args), capture_output=True, text=True, **kwargs)


def wait_for(predicate, timeout, interval=0.1):
    """Polls predicate until it returns a true value; returns it, or None after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


class Shot:
    """One screenshot of the whole screen, as RGB bytes."""

    def __init__(self, png):
        self.png = png
        raw = subprocess.run(["convert", png, "-depth", "8", "rgb:-"], capture_output=True,
                             check=True).stdout
        check(len(raw) == SCREEN_W * SCREEN_H * 3, "screenshot has the screen's size")
        self.raw = raw

    def pixel(self, x, y):
        i = (y * SCREEN_W + x) * 3
        return self.raw[i], self.raw[i + 1], self.raw[i + 2]

    def samples(self, rect, step=6):
        x0, y0, w, h = rect
        return [self.pixel(x, y) for y in range(y0, y0 + h, step) for x in range(x0, x0 + w, step)]


def differing(a, b, rect, step=6):
    """Fraction of sample points of rect whose colour differs between two shots."""
    sa, sb = a.samples(rect, step), b.samples(rect, step)
    return sum(1 for p, q in zip(sa, sb) if p != q) / max(1, len(sa))


def dark_pixels(shot, rect):
    """Pixels of text drawn in an enabled control's colour (near black) inside rect."""
    x0, y0, w, h = rect
    return sum(1 for y in range(y0 + 3, y0 + h - 3) for x in range(x0 + 3, x0 + w - 3)
               if max(shot.pixel(x, y)) < 100)


def close(c1, c2, tolerance=3):
    return all(abs(a - b) <= tolerance for a, b in zip(c1, c2))


def read_map(path):
    """The 256 colours a map file gives: three whole numbers per line (above 255 counts as 255),
    black for a line without three numbers, lines past the 256th ignored, black past the end."""
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    colours = [(0, 0, 0)] * 256
    for i, line in enumerate(re.split(r"\r\n|\r|\n", text)[:256]):
        numbers = re.match(r"\s*(\d+)\s+(\d+)\s+(\d+)", line)
        if numbers:
            colours[i] = tuple(min(255, int(n)) for n in numbers.groups())
        else:
            colours[i] = (0, 0, 0)
    return colours


def strip_entry_for_row(y, height):
    """The last of the 256 bands drawn on row y of a strip `height` rows high: band n covers
    [n * height / 256, (n + 1) * height / 256)."""
    last = 0
    for n in range(256):
        if n * height // 256 <= y:
            last = n
    return last


def midi_tracks(path):
    """Track names (None where a track has none) of a standard MIDI file."""
    data = open(path, "rb").read()
    check(data[:4] == b"MThd", f"{path} is a standard MIDI file")
    _, count, _ = struct.unpack(">HHH", data[8:14])
    pos, names = 8 + struct.unpack(">I", data[4:8])[0], []
    for _ in range(count):
        length = struct.unpack(">I", data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + length]
        match = re.search(rb"\xff\x03([\x00-\x7f])", body)
        names.append(body[match.end():match.end() + match.group(1)[0]].decode("utf-8", "replace")
                     if match else None)
        pos += 8 + length
    return names


class Journey:
    def __init__(self, build_dir):
        self.build_dir = os.path.abspath(build_dir)
        self.bin_dir = os.path.join(self.build_dir, "bin")
        self.program = os.path.join(self.bin_dir, "lumarel")
        self.shots_dir = os.path.join(self.build_dir, "e2e-shots")
        self.work = tempfile.mkdtemp(prefix="lumarel-e2e-")
        self.xvfb = None
        self.app = None
        self.app_log = None
        self.env = None
        self.shot_count = 0
        self.passed = 0
        self.failed = 0
        self.main_id = None
        self.player = None  # (id, x, y, w, h)

    # --- the display and the program -------------------------------------------------------

    def start_display(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        check(number.isdigit(), "Xvfb started and named its display")
        self.env = dict(os.environ)
        self.env["DISPLAY"] = ":" + number
        self.env.pop("XAUTHORITY", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env["QT_QPA_PLATFORM"] = "xcb"
        # No sound output can be reached: no sound server, no ALSA device.
        runtime = os.path.join(self.work, "runtime")
        os.mkdir(runtime, 0o700)
        self.env["XDG_RUNTIME_DIR"] = runtime
        self.env["PULSE_SERVER"] = "unix:" + os.path.join(self.work, "no-such-server")
        empty_alsa = os.path.join(self.work, "asound.conf")
        open(empty_alsa, "w").close()
        self.env["ALSA_CONFIG_PATH"] = empty_alsa
        self.env["HOME"] = os.path.join(self.work, "home")
        os.mkdir(self.env["HOME"])
        # What the program remembers goes to this journey's own folder, never the user's.
        self.env["XDG_CONFIG_HOME"] = os.path.join(self.env["HOME"], ".config")

    def start_program(self, *args):
        if self.app_log:
            self.app_log.close()
        self.app_log = open(os.path.join(self.work, "lumarel.log"), "a")
        self.app = subprocess.Popen([self.program, *args], cwd=self.work, env=self.env,
                                    stdout=self.app_log, stderr=subprocess.STDOUT)

    def stop_all(self):
        for proc in (self.app, self.xvfb):
            if proc and proc.poll() is None:
                proc.kill()
                proc.wait()
        if self.app_log:
            self.app_log.close()

    def x(self, *args):
        return run("xdotool", *args, env=self.env)

    def shot(self):
        self.shot_count += 1
        png = os.path.join(self.work, f"shot{self.shot_count:03}.png")
        result = run("import", "-window", "root", png, env=self.env)
        check(result.returncode == 0, "a screenshot could be taken: " + result.stderr.strip())
        return Shot(png)

    def windows(self):
        """Visible windows: {id: (name, x, y, w, h)}."""
        found = {}
        ids = self.x("search", "--onlyvisible", "--name", ".").stdout.split()
        for wid in ids:
            name = self.x("getwindowname", wid).stdout.rstrip("\n")
            geometry = self.x("getwindowgeometry", "--shell", wid).stdout
            values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
            try:
                found[wid] = (name, int(values["X"]), int(values["Y"]), int(values["WIDTH"]),
                              int(values["HEIGHT"]))
            except (KeyError, ValueError):
                continue  # gone between the search and the look
        return found

    def window_named(self, name, exclude=()):
        for wid, info in self.windows().items():
            if info[0] == name and wid not in exclude and info[3] > 20 and info[4] > 20:
                return wid, info
        return None

    def click(self, x, y):
        self.x("mousemove", "--sync", str(x), str(y))
        self.x("click", "1")

    def wiggle(self, times=1):
        """Small mouse moves: each is a message, so each makes a cycling step during a run."""
        for i in range(times):
            self.x("mousemove_relative", "--", "3" if i % 2 == 0 else "-3", "0")
            time.sleep(0.03)

    def key(self, *keys):
        self.x("key", *keys)

    def button_rect(self, caption):
        left, top, w, h = BUTTONS[caption]
        return (FRAME[0] + left, FRAME[1] + top, w, h)

    def click_button(self, caption):
        x, y, w, h = self.button_rect(caption)
        self.click(x + w // 2, y + h // 2)

    def player_rect(self, caption):
        _, px, py, _, _ = self.player
        left, top, w, h = PLAYER_BUTTONS[caption]
        return (px + left, py + top, w, h)

    def click_player(self, caption):
        x, y, w, h = self.player_rect(caption)
        self.click(x + w // 2, y + h // 2)

    def picture2(self):
        return (PICTURE2_AT[0], PICTURE2_AT[1], SCREEN_W - 210, SCREEN_H - 158)

    def picture3(self):
        return (PICTURE3_AT[0], PICTURE3_AT[1], SCREEN_W - 562, 97)

    def uncovered_picture(self):
        """The part of Picture2 right of and below the player window."""
        _, px, py, pw, ph = self.player
        left = max(PICTURE2_AT[0], px + pw + 10)
        return (left, PICTURE2_AT[1] + 10, SCREEN_W - 20 - left, SCREEN_H - 60 - PICTURE2_AT[1])

    def changes(self, before, rect, at_least=0.01, timeout=3.0):
        """Waits for a screenshot whose rect differs from before's; returns it or None."""
        def changed():
            now = self.shot()
            return now if differing(before, now, rect) >= at_least else None
        return wait_for(changed, timeout, 0.05)

    # --- the steps ----------------------------------------------------------------------------

    def step_start(self):
        self.start_program()
        found = wait_for(lambda: self.window_named(MAIN_CAPTION), 20)
        check(found, f"a window titled \"{MAIN_CAPTION}\" appears")
        self.main_id, (_, mx, my, mw, mh) = found
        check((mx, my, mw, mh) == (0, 0, SCREEN_W, SCREEN_H),
              f"the main window takes the screen's work area (got {mw}x{mh}+{mx}+{my})")

        def logo_shown():
            s = self.shot()
            return s if len(set(s.samples(self.picture2(), 8))) > 50 else None
        shot = wait_for(logo_shown, 10)
        check(shot, "Picture2 shows the logo (not a uniform area)")
        self.logo = shot
        for caption in ("Save Bmp", "Copy"):
            check(dark_pixels(shot, self.button_rect(caption)) == 0,
                  f"\"{caption}\" looks disabled (no text in the enabled colour)")
        check(dark_pixels(shot, self.button_rect("Animate Palette")) > 20,
              "\"Animate Palette\" looks enabled (the disabled check can tell them apart)")
        before = set(self.windows())
        self.click_button("Copy")
        self.click_button("Save Bmp")
        time.sleep(1.0)
        after = self.windows()
        check(set(after) == before, "a click on the disabled Save Bmp opens no dialog")
        check(after[self.main_id][0] == MAIN_CAPTION, "the caption is unchanged")
        check(differing(shot, self.shot(), self.picture2()) == 0, "the logo is unchanged")

    def step_choose_gif(self):
        gif = os.path.join(self.bin_dir, "fractal.gif")
        check(os.path.exists(gif), "fractal.gif is beside the program")
        lx, ly, lw, lh = FILE_LIST
        self.click(lx + lw // 2, ly + lh - 6)  # the list's empty end: gives it the focus
        self.x("type", "--delay", "40", "fractal.gif")
        shown = self.changes(self.logo, self.picture2(), at_least=0.3, timeout=5)
        check(shown, "Picture2's pixels change")

        def looks_like_gif():
            s = self.shot()
            return s if self.resemblance(s, gif) < 30 else None
        shot = wait_for(looks_like_gif, 5)
        check(shot, "Picture2 shows fractal.gif (its pixels resemble the GIF's scaled to the box; "
                    f"mean difference {self.resemblance(self.shot(), gif):.1f})")
        logo_difference = self.resemblance(self.logo, gif)
        check(logo_difference > 2 * self.resemblance(shot, gif),
              "the logo did not resemble the GIF as much (the check tells pictures apart)")
        for caption in ("Save Bmp", "Copy"):
            check(dark_pixels(shot, self.button_rect(caption)) > 20, f"\"{caption}\" looks enabled")
        self.gif_shot = shot

    def resemblance(self, shot, image_path, cols=48, rows=26):
        """Mean absolute channel difference between Picture2 and the image, both scaled down."""
        x0, y0, w, h = self.picture2()
        screen = subprocess.run(["convert", shot.png, "-crop", f"{w}x{h}+{x0}+{y0}", "+repage",
                                 "-scale", f"{cols}x{rows}!", "-depth", "8", "rgb:-"],
                                capture_output=True, check=True).stdout
        image = subprocess.run(["convert", image_path + "[0]", "-scale", f"{cols}x{rows}!",
                                "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
        return sum(abs(a - b) for a, b in zip(screen, image)) / len(image)

    def step_choose_map(self):
        name = "rainbow.map"
        path = os.path.join(self.bin_dir, name)
        check(os.path.exists(path), f"{name} is beside the program")
        expected = read_map(path)
        self.click(*MAP_TAB_LABEL)
        time.sleep(0.3)
        lx, ly, lw, lh = FILE_LIST
        before = self.shot()
        self.click(lx + lw // 2, ly + lh - 6)
        self.x("type", "--delay", "40", name)
        self.wiggle(3)  # the map's cycling step waits for a message
        shot = self.strip_shows(name, expected)
        check(differing(before, shot, self.picture3()) > 0.5, "the strip changed")
        # No music has played: the cycled palette is all black.
        samples = shot.samples(self.picture2(), 10)
        black = sum(1 for p in samples if p == (0, 0, 0)) / len(samples)
        check(black > 0.99, f"the picture turns black before any music ({black:.0%} black)")

    def strip_shows(self, name, expected):
        """Waits for a screenshot whose strip shows the map's colours; returns it."""
        x0, y0, w, h = self.picture3()

        def strip_matches():
            s = self.shot()
            for y in range(h):
                want = expected[strip_entry_for_row(y, h)]
                for x in (x0 + 2, x0 + w // 2, x0 + w - 3):
                    if not close(s.pixel(x, y0 + y), want):
                        return None
            return s
        shot = wait_for(strip_matches, 5)
        if not shot:
            s = self.shot()
            bad = [(y, s.pixel(x0 + w // 2, y0 + y), expected[strip_entry_for_row(y, h)])
                   for y in range(h)
                   if not close(s.pixel(x0 + w // 2, y0 + y), expected[strip_entry_for_row(y, h)])]
            raise StepFailed(f"the strip's {h} rows show {name}'s colours; {len(bad)} rows differ, "
                             f"first (row, shown, expected): {bad[:3]}")
        return shot

    def step_open_midi(self):
        song = os.path.join(self.bin_dir, "lumarel_sample.mid")
        check(os.path.exists(song), "the sample song is beside the program")
        names = midi_tracks(song)
        rows = len(names) - 1 if len(names) > 1 else 1
        check(len(names) > 1, "the sample song has several tracks")
        self.click_button("Midi File Player")
        found = wait_for(lambda: self.window_named(PLAYER_CAPTION), 10)
        check(found, f"a window titled \"{PLAYER_CAPTION}\" appears")
        wid, info = found
        self.player = (wid,) + info[1:]
        height_before = info[4]
        self.click_player("Open Midi File")
        dialog = wait_for(lambda: self.window_named("Open MIDI File"), 10)
        check(dialog, "the \"Open MIDI File\" dialog appears")
        time.sleep(0.3)
        self.x("type", "--delay", "10", song)
        self.key("Return")
        check(wait_for(lambda: not self.window_named("Open MIDI File"), 10), "the dialog closes")
        want_height = round((3000 + 360 * rows) / 15)

        def rows_built():
            player = self.window_named(PLAYER_CAPTION)
            return player if player and abs(player[1][4] - want_height) <= 2 else None
        player = wait_for(rows_built, 10)
        check(player, f"the player's height follows its {rows} rows ({height_before} px before, "
                      f"{want_height} wanted)")
        self.player = (player[0],) + player[1][1:]
        _, px, py, _, _ = self.player
        time.sleep(0.3)
        shot = self.shot()
        for i in range(rows):
            rect = (px + ROW_LABEL_X, py + ROW_TOP + ROW_PITCH * i, ROW_LABEL_W, ROW_HEIGHT)
            check(dark_pixels(shot, rect) > 10,
                  f"row {i} shows its track's name ({names[i + 1]!r}) as text")
        check(dark_pixels(shot, self.player_rect("Play")) > 10, "Play is enabled")
        check(dark_pixels(shot, self.player_rect("Stop")) == 0, "Stop is disabled")
        self.rows = rows

    def note_boxes_lit(self, shot):
        _, px, py, _, _ = self.player
        lit = 0
        for i in range(self.rows):
            colours = set(shot.samples((px + ROW_NOTE_X, py + ROW_TOP + ROW_PITCH * i, ROW_NOTE_W,
                                        ROW_HEIGHT), 3))
            face = shot.pixel(px + 4, py + ROW_TOP + ROW_PITCH * i + 2)  # the window's background
            if any(not close(c, face, 8) for c in colours):
                lit += 1
        return lit

    def step_play(self):
        known = set(self.windows())
        before = self.shot()
        self.click_player("Play")

        def error_box():
            for wid, info in self.windows().items():
                if wid not in known and wid != self.main_id and info[0] == "Lumarel" \
                        and info[3] > 50 and info[4] > 30:
                    return wid, info
            return None
        box = wait_for(error_box, 10)
        check(box, "a message box titled \"Lumarel\" reports that there is no sound output")
        wid, (_, bx, by, bw, bh) = box
        time.sleep(0.3)
        shot = self.shot()
        box_png = os.path.join(self.shots_dir, "play-error-box.png")
        subprocess.run(["convert", shot.png, "-crop", f"{bw}x{bh}+{bx}+{by}", "+repage", box_png],
                       check=True)
        check(len(set(shot.samples((bx, by, bw, bh), 2))) > 5, "the message box shows its text")
        self.click(bx + bw // 2, by + 12)
        self.key("Return")
        check(wait_for(lambda: wid not in self.windows(), 5), "Enter closes the message box")
        # The song plays silently: the rows light and the picture's palette changes.
        area = self.uncovered_picture()
        moving = None
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and not moving:
            first = self.shot()
            time.sleep(1.0)
            second = self.shot()
            samples = second.samples(area, 10)
            colourful = sum(1 for p in samples if p != (0, 0, 0)) / len(samples)
            if differing(first, second, area) > 0.01 and colourful > 0.1:
                moving = second
                # Kept for a person to look at (E2E_KEEP_SHOTS=1): a second apart, while playing.
                shutil.copy(first.png, os.path.join(self.shots_dir, "playing-1.png"))
                shutil.copy(second.png, os.path.join(self.shots_dir, "playing-2.png"))
        check(moving, "the picture's colours change while the song plays (not all black)")
        check(differing(before, moving, area) > 0.1, "the picture is no longer black")
        lit = wait_for(lambda: self.note_boxes_lit(self.shot()), 5, 0.05)
        check(lit, "played notes light the track rows")
        check(dark_pixels(moving, self.player_rect("Stop")) > 10, "Stop is enabled while playing")

    def step_stop(self):
        self.click_player("Stop")

        def stopped():
            s = self.shot()
            return s if dark_pixels(s, self.player_rect("Stop")) == 0 \
                and dark_pixels(s, self.player_rect("Play")) > 10 else None
        shot = wait_for(stopped, 5)
        check(shot, "after Stop, Stop is disabled and Play enabled")
        check(wait_for(lambda: self.note_boxes_lit(self.shot()) == 0, 3),
              "the rows are cleared")
        area = self.uncovered_picture()
        time.sleep(0.5)
        a = self.shot()
        time.sleep(0.7)
        check(differing(a, self.shot(), area) == 0, "the picture's colours stop changing")

    def step_animate(self):
        # The player's "Lumarel" button brings the main window forward.
        self.click_player("Lumarel")
        covered = self.button_rect("Midi File Player")  # under the player until then

        def main_in_front():
            s = self.shot()
            return s if differing(self.logo, s, covered, 2) == 0 else None
        check(wait_for(main_in_front, 5), "the player's Lumarel button brings the main window "
                                          "forward")
        area = (PICTURE2_AT[0] + 10, PICTURE2_AT[1] + 10, SCREEN_W - 240, SCREEN_H - 200)
        before = self.shot()
        self.click_button("Animate Palette")
        self.wiggle(3)
        shot = self.changes(before, area)
        check(shot, "the colours move during the run (mouse moves)")
        for key in ("Right", "Left", "KP_Add", "KP_Subtract"):
            before = self.shot()
            self.key(key)
            self.wiggle(2)
            after = self.changes(before, area)
            check(after, f"after {key} the run goes on and the colours move")
        self.key("Escape")
        time.sleep(0.5)
        a = self.shot()
        self.wiggle(4)
        time.sleep(0.5)
        b = self.shot()
        check(differing(a, b, area) == 0, "after Escape the run has ended (mouse moves change "
                                          "nothing)")
        check(self.app.poll() is None, "Escape ended the run, not the program")
        check(self.window_named(MAIN_CAPTION), "the main window is still there")

    def step_save(self):
        target = os.path.join(self.work, "saved picture.bmp")
        self.click_button("Copy")
        time.sleep(0.2)
        known = set(self.windows())
        self.click_button("Save Bmp")

        def dialog():
            for wid, info in self.windows().items():
                if wid not in known and info[3] > 100:
                    return wid, info
            return None
        found = wait_for(dialog, 10)
        check(found, "a save dialog appears")
        time.sleep(0.3)
        self.x("type", "--delay", "10", target)
        self.key("Return")
        caption = "Lumarel - " + target
        check(wait_for(lambda: self.window_named(caption), 10),
              f"the main window's caption becomes \"{caption}\"")
        check(wait_for(lambda: os.path.exists(target) and os.path.getsize(target) > 0, 5),
              "the file is written")
        info = run("identify", "-format", "%m %w %h", target)
        check(info.returncode == 0, "identify reads the file")
        fmt, w, h = info.stdout.split()
        check(fmt in ("BMP", "BMP2", "BMP3"), f"the file is a BMP (identify says {fmt})")
        with open(target, "rb") as f:
            check(f.read(2) == b"BM", "the file starts with a bitmap file header")
        _, _, pw, ph = self.picture2()
        check((int(w), int(h)) == (pw, ph), f"the bitmap is {pw}x{ph}, Picture1's size "
                                             f"(got {w}x{h})")

    def step_about(self):
        self.click_button("About")
        found = wait_for(lambda: self.window_named("About Lumarel"), 10)
        check(found, "a window titled \"About Lumarel\" appears")
        wid, (_, ax, ay, aw, ah) = found
        time.sleep(0.3)
        # Its OK button is the lower right pair's left one; a click on it closes the window.
        self.click(ax + aw - 148, ay + ah - 23)
        check(wait_for(lambda: wid not in self.windows(), 5), "OK closes the about window")

    def step_help(self):
        with open(os.path.join(self.bin_dir, "Lmr.HLP"), encoding="utf-8", errors="replace") as f:
            title = re.search(r"<title>([^<]*)", f.read(), re.I)
        names = {"Lumarel Help"} | ({title.group(1).strip()} if title else set())
        known = set(self.windows())
        self.click_button("Help")

        def help_window():
            for wid, info in self.windows().items():
                if wid not in known and info[0] in names and info[3] > 100:
                    return wid, info
            return None
        found = wait_for(help_window, 10)
        check(found, f"a help window appears (titled one of {sorted(names)})")
        _, (_, hx, hy, hw, hh) = found
        shot = wait_for(lambda: (lambda s: s if len(set(s.samples((hx, hy, hw, hh), 4))) > 3
                                 else None)(self.shot()), 5)
        check(shot, "the help window shows something")

    def step_quit(self):
        self.x("windowraise", self.main_id)
        time.sleep(0.3)
        self.click_button("Quit")
        try:
            code = self.app.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise StepFailed("the program ends within 10 s of Quit")
        check(code == 0, f"the program ends with status 0 (got {code})")

    def step_second_start(self):
        self.start_program()
        found = wait_for(lambda: self.window_named(MAIN_CAPTION), 20)
        check(found, f"a window titled \"{MAIN_CAPTION}\" appears again")
        self.main_id = found[0]
        # The map chosen last time is drawn again; the picture shown last time is shown again in
        # its own colours (no cycling step ran, so it is not black).
        self.strip_shows("rainbow.map", read_map(os.path.join(self.bin_dir, "rainbow.map")))
        gif = os.path.join(self.bin_dir, "fractal.gif")
        shot = wait_for(lambda: (lambda s: s if self.resemblance(s, gif) < 30 else None)(self.shot()), 5)
        check(shot, "Picture2 shows fractal.gif again, in its own colours")
        for caption in ("Save Bmp", "Copy"):
            check(dark_pixels(shot, self.button_rect(caption)) > 20, f"\"{caption}\" looks enabled")
        self.step_quit()

    def step_start_with_song(self):
        song = os.path.join(self.bin_dir, "lumarel_sample.mid")
        names = midi_tracks(song)
        rows = len(names) - 1 if len(names) > 1 else 1
        self.start_program(song)
        check(wait_for(lambda: self.window_named(MAIN_CAPTION), 20), "the main window appears")
        self.main_id = self.window_named(MAIN_CAPTION)[0]
        want_height = round((3000 + 360 * rows) / 15)

        def player_with_rows():
            player = self.window_named(PLAYER_CAPTION)
            return player if player and abs(player[1][4] - want_height) <= 2 else None
        player = wait_for(player_with_rows, 20)
        check(player, f"a window titled \"{PLAYER_CAPTION}\" appears, as tall as {rows} rows make it")
        self.player = (player[0],) + player[1][1:]
        _, px, py, _, _ = self.player
        time.sleep(0.5)
        shot = self.shot()
        for i in range(rows):
            rect = (px + ROW_LABEL_X, py + ROW_TOP + ROW_PITCH * i, ROW_LABEL_W, ROW_HEIGHT)
            check(dark_pixels(shot, rect) > 10, f"row {i} shows its track's name ({names[i + 1]!r})")
        check(dark_pixels(shot, self.player_rect("Play")) > 10, "Play is enabled: the song is ready")
        check(dark_pixels(shot, self.player_rect("Stop")) == 0, "Stop is disabled: nothing plays")
        self.x("windowraise", self.main_id)
        self.step_quit()

    def step_wrong_command_line(self):
        before = set(self.windows())
        for args, status in ((["--no-such-option"], 2), ([os.path.join(self.work, "missing.gif")], 1)):
            result = run(self.program, *args, env=self.env, timeout=10)
            check(result.returncode == status,
                  f"lumarel {' '.join(args)} ends with status {status} (got {result.returncode})")
            lines = result.stderr.strip().splitlines()
            check(len(lines) == 1 and lines[0].startswith("lumarel: "),
                  f"it says why in one line (got {result.stderr!r})")
        check(set(self.windows()) == before, "no window opened")
        version = run(self.program, "--version", env=self.env, timeout=10)
        check(version.returncode == 0 and version.stdout.startswith("lumarel "),
              f"--version prints the version (got {version.stdout!r})")

    # --- running ------------------------------------------------------------------------------

    def run(self):
        steps = [
            ("start: logo shown, Copy and Save disabled", self.step_start),
            ("choose fractal.gif in Bmp Files", self.step_choose_gif),
            ("choose a map: its strip shows its colours", self.step_choose_map),
            ("player: open a multi-track song, rows show the tracks", self.step_open_midi),
            ("Play: no-sound message, song plays, rows light, palette changes", self.step_play),
            ("Stop", self.step_stop),
            ("Animate Palette: arrows, keypad, Escape", self.step_animate),
            ("Copy, Save Bmp to a file", self.step_save),
            ("About opens and OK closes it", self.step_about),
            ("Help opens a help window", self.step_help),
            ("Quit ends the program with status 0", self.step_quit),
            ("a second start shows the last folder, picture and map", self.step_second_start),
            ("lumarel <song>: the player opens with the song's rows", self.step_start_with_song),
            ("a wrong command line: one line, an error status, no window",
             self.step_wrong_command_line),
        ]
        shutil.rmtree(self.shots_dir, ignore_errors=True)
        os.makedirs(self.shots_dir)
        started = time.monotonic()
        try:
            self.start_display()
            for number, (title, step) in enumerate(steps, 1):
                try:
                    step()
                except (StepFailed, subprocess.CalledProcessError) as error:
                    self.failed += 1
                    png = os.path.join(self.shots_dir, f"step{number:02}-failed.png")
                    if self.xvfb and self.xvfb.poll() is None:
                        run("import", "-window", "root", png, env=self.env)
                    print(f"FAIL step {number} ({title}): {error}")
                    print(f"     screenshot: {png}")
                    if self.app and self.app.poll() is not None:
                        print(f"     the program had ended with status {self.app.returncode}")
                    break
                self.passed += 1
                print(f"ok   step {number}: {title}")
        finally:
            self.stop_all()
            log = os.path.join(self.work, "lumarel.log")
            if self.failed and os.path.exists(log):
                shutil.copy(log, os.path.join(self.shots_dir, "lumarel.log"))
            shutil.rmtree(self.work, ignore_errors=True)
        if self.failed:
            print(f"e2e: screenshots and the program's output are in {self.shots_dir}")
        elif os.environ.get("E2E_KEEP_SHOTS") == "1":
            print(f"e2e: screenshots kept in {self.shots_dir}")
        else:
            shutil.rmtree(self.shots_dir, ignore_errors=True)
        print(f"e2e: journey took {time.monotonic() - started:.0f} s")
        print(f"e2e: {self.passed} passed, {self.failed} failed")
        return 1 if self.failed else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(Journey(sys.argv[1]).run())
