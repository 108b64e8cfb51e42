#!/usr/bin/env python3
"""End-to-end checks of the real zibo binary under its own X server.

Each case starts a private Xvfb (on a display number the server picks
itself), runs zibo in a fresh folder of media, drives the message boxes and
the window with xdotool the way a user would, and looks at the result with
xwininfo, xprop and screenshots. Every wait is bounded; the X server and
zibo are always stopped, whatever happens.

Usage: zibo_e2e.py --zibo PATH --media-tool PATH [--media DIR] CASE
"""

import argparse
import array
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

QUESTION_CAPTION = "Do you like..."
SHOW_TITLE = "zibo"
SHOW_END_S = 128.5714296875
MEDIA_FILES = ["disco.mp3", "s.ogg", "bg.tga", "bg2.tga"] + ["s%d.tga" % i for i in range(1, 8)]


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, predicate, timeout, interval=0.1):
    """Polls predicate until it returns something true; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        result = predicate()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


# An X server with real display modes: Xorg's dummy driver, desktop at
# 1024x768 with an 800x600 mode to switch to.
XORG_DUMMY_CONFIG = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support",
                                 "xorg-dummy.conf")


class Skip(Exception):
    pass


class XServer:
    """A private X server: Xvfb with one screen of the given size, or Xorg's
    dummy driver (which can really switch display modes) when screen is
    "xorg-dummy"."""

    def __init__(self, screen, work):
        read_end, write_end = os.pipe()
        if screen == "xorg-dummy":
            if os.geteuid() != 0 or shutil.which("Xorg") is None:
                raise Skip("Xorg with the dummy driver needs root")
            config = XORG_DUMMY_CONFIG
            empty = os.path.join(work, "xorg.conf.d")
            os.mkdir(empty)
            command = ["Xorg", "-noreset", "-nolisten", "tcp", "-config", config, "-configdir",
                       empty, "-logfile", os.path.join(work, "xorg.log"), "-displayfd",
                       str(write_end)]
        else:
            command = ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen,
                       "-nolisten", "tcp", "-noreset"]
        self.proc = subprocess.Popen(
            command, pass_fds=[write_end], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(left, 0))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                self.close()
                if screen == "xorg-dummy":
                    raise Skip("Xorg with the dummy driver did not start")
                raise Failure("Xvfb did not start (screen %s)" % screen)
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.pop("WAYLAND_DISPLAY", None)
        return env

    def run(self, *args, timeout=10):
        return subprocess.run(list(args), env=self.env(), stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=timeout)

    def windows(self):
        """Top-level windows as dicts: id, name, width, height, x, y."""
        out = self.run("xwininfo", "-root", "-tree").stdout
        found = []
        pattern = re.compile(r'^\s*(0x[0-9a-f]+) "(.*)": \(.*\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)'
                             r'\s+\+(-?\d+)\+(-?\d+)')
        for line in out.splitlines():
            match = pattern.match(line)
            if match:
                found.append({"id": match.group(1), "name": match.group(2),
                              "width": int(match.group(3)), "height": int(match.group(4)),
                              "x": int(match.group(7)), "y": int(match.group(8))})
        return found

    def viewable(self, window_id):
        out = self.run("xwininfo", "-id", window_id).stdout
        return "Map State: IsViewable" in out

    def find_window(self, name, timeout=20):
        def viewable_window():
            for window in self.windows():
                if window["name"] == name and self.viewable(window["id"]):
                    return window
            return None
        return wait_for('a window named "%s"' % name, viewable_window, timeout)

    def press(self, window, key):
        self.run("xdotool", "windowfocus", window["id"], "key", key)

    def hold_on_focus(self, key, seconds):
        self.run("xdotool", "keydown", key)
        time.sleep(seconds)
        self.run("xdotool", "keyup", key)

    def press_on_focus(self, key):
        """A key to whichever window has the keyboard focus now."""
        self.run("xdotool", "key", key)

    def focused_window(self):
        return self.run("xdotool", "getwindowfocus").stdout.strip()

    def click(self, x, y):
        self.run("xdotool", "mousemove", str(x), str(y), "click", "1")

    def property(self, window, name):
        return self.run("xprop", "-id", window["id"], name).stdout

    def current_mode(self):
        match = re.search(r"current (\d+) x (\d+)", self.run("xrandr").stdout)
        return (int(match.group(1)), int(match.group(2))) if match else None

    def grab(self, window, png_path=None):
        """The window's pixels as raw RGB bytes (and a PNG copy if asked)."""
        geometry = "%dx%d+%d+%d" % (window["width"], window["height"], window["x"], window["y"])
        raw = subprocess.run(["import", "-window", "root", "-crop", geometry, "+repage",
                              "-depth", "8", "rgb:-"],
                             env=self.env(), capture_output=True, timeout=30).stdout
        check(len(raw) == window["width"] * window["height"] * 3,
              "screenshot has %d bytes" % len(raw))
        if png_path:
            subprocess.run(["convert", "-size", "%dx%d" % (window["width"], window["height"]),
                            "-depth", "8", "rgb:-", png_path], input=raw, timeout=30)
        return raw

    def close(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait(5)


class Show:
    """One run of zibo in `folder`, with its standard error collected."""

    def __init__(self, zibo, folder, env, stdin_text=None):
        self.started = time.monotonic()
        self.proc = subprocess.Popen(
            [zibo], cwd=folder, env=env,
            stdin=subprocess.PIPE if stdin_text is not None else subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
        self.stdout = ""
        self.stderr = ""
        self._lock = threading.Lock()
        self._readers = [threading.Thread(target=self._collect, args=(self.proc.stdout, "stdout")),
                         threading.Thread(target=self._collect, args=(self.proc.stderr, "stderr"))]
        for reader in self._readers:
            reader.daemon = True
            reader.start()
        if stdin_text is not None:
            self.proc.stdin.write(stdin_text.encode())
            self.proc.stdin.close()

    def _collect(self, stream, name):
        for line in iter(stream.readline, b""):
            with self._lock:
                setattr(self, name, getattr(self, name) + line.decode(errors="replace"))

    def wait_stderr(self, text, timeout=20):
        wait_for("%r on stderr (got %r)" % (text, self.stderr), lambda: text in self.stderr,
                 timeout)

    def wait_exit(self, timeout):
        try:
            code = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("zibo still running after %.0f s; stderr: %r" % (timeout, self.stderr))
        for reader in self._readers:
            reader.join(5)
        return code

    def kill(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait(5)


class Case:
    def __init__(self, options, work):
        self.options = options
        self.work = work
        self.folder = os.path.join(work, "run")
        os.mkdir(self.folder)
        self.x = None
        self.show = None

    def start_x(self, screen="1024x768x24"):
        self.x = XServer(screen, self.work)
        return self.x

    def make_media(self, without=(), music_seconds=3):
        subprocess.run([self.options.media_tool, self.folder, str(music_seconds)], check=True,
                       timeout=60)
        for name in without:
            os.remove(os.path.join(self.folder, name))

    def env(self, audio="dummy"):
        env = self.x.env() if self.x else dict(os.environ)
        if not self.x:
            env.pop("DISPLAY", None)
            env.pop("WAYLAND_DISPLAY", None)
        env.pop("SDL_VIDEODRIVER", None)
        if audio == "disk":
            env["SDL_AUDIODRIVER"] = "disk"
            env["SDL_DISKAUDIOFILE"] = os.path.join(self.work, "audio.raw")
        else:
            env["SDL_AUDIODRIVER"] = audio
        return env

    def start_show(self, env=None, stdin_text=None):
        self.show = Show(self.options.zibo, self.folder, env or self.env(), stdin_text)
        return self.show

    def answer(self, choice):
        """Answers the question box: "yes" by Return, "cancel" by Escape, "no" by a click."""
        box = self.x.find_window(QUESTION_CAPTION)
        if choice == "yes":
            self.x.press(box, "Return")
        elif choice == "cancel":
            self.x.press(box, "Escape")
        else:
            # Three equal buttons along the bottom: Yes, No, Cancel.
            self.x.click(box["x"] + box["width"] // 2, box["y"] + box["height"] * 72 // 100)
        return box

    def dismiss_message(self, caption):
        box = self.x.find_window(caption)
        self.x.press(box, "Return")

    def screenshot_path(self, name):
        return os.path.join(self.options.artifacts or self.work, name)

    def close(self):
        if self.show:
            self.show.kill()
        if self.x:
            self.x.close()


def bright_pixels(raw):
    return sum(1 for i in range(0, len(raw), 3) if raw[i] > 200 and raw[i + 1] > 200
               and raw[i + 2] > 200)


def expect_windowed_show(case):
    window = case.x.find_window(SHOW_TITLE)
    check((window["width"], window["height"]) == (800, 600),
          "window is %dx%d" % (window["width"], window["height"]))
    return window


def expect_frames_presented(case, window, name):
    """The opening scene's loading bar is on screen and moves on."""
    # Start-up (decoding the song, loading textures) takes longer on a busy
    # machine, so wait for the bar rather than for a fixed time.
    shot = case.screenshot_path(name + "-1.png")

    def bar_on_screen():
        raw = case.x.grab(window, shot)
        return raw if bright_pixels(raw) > 1000 else None

    first = wait_for("the loading bar on screen (see %s-1.png)" % name, bar_on_screen,
                     timeout=20, interval=0.5)
    time.sleep(1.5)  # the bar fills one step every 1071 ms
    second = case.x.grab(window, case.screenshot_path(name + "-2.png"))
    check(first != second, "the picture did not change in 1.5 s: frames are not presented")


def start_answered_show(case, answer, screen="1024x768x24", audio="dummy", without=(),
                        music_seconds=3):
    """A fresh X server and media folder, zibo started in it, the question answered."""
    case.start_x(screen)
    case.make_media(without=without, music_seconds=music_seconds)
    show = case.start_show(case.env(audio=audio))
    case.answer(answer)
    return show


# ---- the cases ---------------------------------------------------------------------------------

def case_cancel(case):
    """Cancel ends at once with 0: no window, no audio output, no files read."""
    x = case.start_x()
    show = case.start_show(case.env(audio="disk"))
    seen = set()
    box = x.find_window(QUESTION_CAPTION)
    x.press(box, "Escape")
    deadline = time.monotonic() + 10
    while show.proc.poll() is None and time.monotonic() < deadline:
        seen.update(w["name"] for w in x.windows())
        time.sleep(0.05)
    check(show.wait_exit(5) == 0, "exit status is not 0")
    check(SHOW_TITLE not in seen, "a show window was opened")
    check(not os.path.exists(os.path.join(case.work, "audio.raw")), "audio output was opened")
    check(os.listdir(case.folder) == [], "files appeared in the show's folder")


def case_windowed_escape(case):
    """No: a centred, topmost, fixed-size 800x600 window that shows frames; Escape ends it."""
    show = start_answered_show(case, "no")
    window = expect_windowed_show(case)
    check((window["x"], window["y"]) == (112, 84), "window at %d,%d" % (window["x"], window["y"]))
    state = case.x.property(window, "_NET_WM_STATE")
    check("_NET_WM_STATE_ABOVE" in state, "not topmost: %s" % state)
    check("FULLSCREEN" not in state, "fullscreen: %s" % state)
    hints = case.x.property(window, "WM_NORMAL_HINTS")
    check("minimum size: 800 by 600" in hints and "maximum size: 800 by 600" in hints,
          "resizable: %s" % hints)
    expect_frames_presented(case, window, "windowed")
    # The window took the keyboard focus itself.
    check(int(case.x.focused_window() or "0") == int(window["id"], 16),
          "the show's window has no keyboard focus")
    case.x.press_on_focus("Escape")
    check(show.wait_exit(10) == 0, "Escape did not end the show with 0")
    check("Error" not in show.stderr and "Damn" not in show.stderr, show.stderr)


def case_windowed_small_screen(case):
    """On a screen smaller than the window the centring offset goes negative."""
    show = start_answered_show(case, "no", screen="798x598x24")
    window = expect_windowed_show(case)
    check((window["x"], window["y"]) == (-1, -1), "window at %d,%d" % (window["x"], window["y"]))
    show.proc.send_signal(signal.SIGTERM)
    check(show.wait_exit(10) == 0, "SIGTERM did not end the show with 0")


def case_fullscreen(case):
    """Yes on a screen with an 800x600 mode: a fullscreen window over the whole display."""
    show = start_answered_show(case, "yes", screen="800x600x24")
    window = case.x.find_window(SHOW_TITLE)
    check((window["x"], window["y"], window["width"], window["height"]) == (0, 0, 800, 600),
          "fullscreen window is %r" % window)
    # (Without a window manager there is no _NET_WM_STATE to look at.)
    expect_frames_presented(case, window, "fullscreen")
    case.x.press(window, "Escape")
    check(show.wait_exit(10) == 0, "Escape did not end the show with 0")
    check(case.x.current_mode() == (800, 600), "display mode not restored")


def case_fullscreen_without_mode(case):
    """Yes on a display without an 800x600 mode: "ChangeDisplay", no fallback, status 1."""
    show = start_answered_show(case, "yes", audio="disk")
    show.wait_stderr("Damn: ChangeDisplay")
    case.dismiss_message("Damn")
    check(show.wait_exit(10) == 1, "exit status is not 1")
    check(not os.path.exists(os.path.join(case.work, "audio.raw")), "audio was opened")
    check(case.x.current_mode() == (1024, 768), "display mode changed")


def case_missing_song(case):
    """No disco.mp3: "Unable to load song.: 2" under "vel Error!", status 1."""
    show = start_answered_show(case, "no", without=["disco.mp3"])
    show.wait_stderr("vel Error!: Unable to load song.: 2")
    case.dismiss_message("vel Error!")
    check(show.wait_exit(10) == 1, "exit status is not 1")


def case_missing_image(case):
    """A missing slide: "Damn" naming the file and the reason, status 1, no music played."""
    show = start_answered_show(case, "no", audio="disk", without=["s4.tga"])
    show.wait_stderr("Damn: s4.tga: No such file or directory")
    case.dismiss_message("Damn")
    check(show.wait_exit(10) == 1, "exit status is not 1")
    audio = os.path.join(case.work, "audio.raw")
    if os.path.exists(audio):
        with open(audio, "rb") as f:
            check(not any(f.read()), "music was heard before the failure")


def case_no_audio_device(case):
    """An audio output that cannot be opened: the show runs silently, with no message."""
    show = start_answered_show(case, "no", audio="no-such-audio-driver")
    window = expect_windowed_show(case)
    expect_frames_presented(case, window, "no-audio")  # the silent clock moves the bar on
    case.x.press(window, "Escape")
    check(show.wait_exit(10) == 0, "exit status is not 0")
    check("Error" not in show.stderr, "a message was shown: %r" % show.stderr)


def case_space_honks(case):
    """Holding Space plays the effect over the music, restarting it for as long as
    the key is held; after release the last start plays out and the effect stops."""
    show = start_answered_show(case, "no", audio="disk", music_seconds=30)
    case.x.find_window(SHOW_TITLE)
    time.sleep(1)
    case.x.hold_on_focus("space", 1.5)
    time.sleep(1)
    show.proc.send_signal(signal.SIGTERM)
    check(show.wait_exit(10) == 0, "exit status is not 0")

    samples = array.array("h")  # the output: 16-bit stereo at 44100 Hz
    with open(os.path.join(case.work, "audio.raw"), "rb") as f:
        samples.frombytes(f.read())
    left = samples[0::2]
    window = 2205  # 50 ms
    # Music and effect are tones of amplitude 0.5 each: only both together peak
    # above 0.75 of full scale.
    honking = [max(abs(v) for v in left[start:start + window]) > 24000
               for start in range(0, len(left) - window, window)]
    check(any(honking), "the effect was never heard")
    first = honking.index(True)
    last = len(honking) - 1 - honking[::-1].index(True)
    check(all(honking[first:last + 1]), "the effect broke off while Space was held")
    # One start lasts 0.3 s (6 windows); 1.5 s of restarts make it far longer.
    check(last - first + 1 >= 20, "the effect lasted only %d windows" % (last - first + 1))
    check(len(honking) - 1 - last >= 5, "the effect went on until the show ended")


def case_sigterm(case):
    """SIGTERM ends the show like a window close: status 0."""
    show = start_answered_show(case, "no")
    case.x.find_window(SHOW_TITLE)
    time.sleep(1)
    show.proc.send_signal(signal.SIGTERM)
    check(show.wait_exit(10) == 0, "exit status is not 0")


def case_terminal_question(case):
    """Without a display the question is asked on the terminal."""
    show = case.start_show(case.env(audio="disk"), stdin_text="maybe\n")
    check(show.wait_exit(10) == 0, "cancel did not exit with 0")
    check("...cars?" in show.stdout, "no question on the terminal: %r" % show.stdout)
    check(not os.path.exists(os.path.join(case.work, "audio.raw")), "audio output was opened")

    show = case.start_show(case.env(), stdin_text="")
    check(show.wait_exit(10) == 0, "end of input did not cancel")

    # No at the terminal, and no X server for the window either.
    env = case.env()
    env["SDL_VIDEODRIVER"] = "x11"
    show = case.start_show(env, stdin_text="no\n")
    check(show.wait_exit(10) == 1, "a window without a display did not fail with 1")
    check("Damn: RegisterClass" in show.stderr, show.stderr)

    # No at the terminal on SDL's display-less driver: the show plays unseen.
    case.make_media()
    env = case.env(audio="disk")
    env["SDL_VIDEODRIVER"] = "offscreen"
    show = case.start_show(env, stdin_text="n\n")
    time.sleep(3)
    check(show.proc.poll() is None, "the show did not run: %r" % show.stderr)
    show.proc.send_signal(signal.SIGTERM)
    check(show.wait_exit(10) == 0, "SIGTERM did not end the show with 0")
    with open(os.path.join(case.work, "audio.raw"), "rb") as f:
        check(any(f.read()), "no music reached the audio output")


def case_fullscreen_mode_switch(case):
    """Yes on a 1024x768 desktop: the display really switches to 800x600 for the
    show and back to 1024x768 when it ends, by Escape or by SIGTERM."""
    case.start_x("xorg-dummy")
    case.make_media()
    check(case.x.current_mode() == (1024, 768), "desktop is %r" % (case.x.current_mode(),))
    for ending in ["Escape", "SIGTERM"]:
        show = case.start_show()
        case.answer("yes")
        window = case.x.find_window(SHOW_TITLE)
        wait_for("the 800x600 mode", lambda: case.x.current_mode() == (800, 600), 10)
        check((window["x"], window["y"], window["width"], window["height"]) == (0, 0, 800, 600),
              "fullscreen window is %r" % window)
        time.sleep(1)
        if ending == "Escape":
            case.x.press(window, "Escape")
        else:
            show.proc.send_signal(signal.SIGTERM)
        check(show.wait_exit(10) == 0, "%s did not end the show with 0" % ending)
        check(case.x.current_mode() == (1024, 768),
              "after %s the display is %r" % (ending, case.x.current_mode()))


def case_natural_end(case):
    """Left alone, the show ends by itself with 0 a little after 128.57 s of music."""
    case.start_x()
    media = case.options.media
    if media and all(os.path.exists(os.path.join(media, f)) for f in MEDIA_FILES):
        for name in MEDIA_FILES:
            shutil.copy(os.path.join(media, name), case.folder)
    else:
        case.make_media()
    show = case.start_show()
    case.answer("no")
    window = case.x.find_window(SHOW_TITLE)
    shown = time.monotonic()
    time.sleep(100)
    case.x.grab(window, case.screenshot_path("natural-end-100s.png"))
    code = show.wait_exit(SHOW_END_S + 60)
    elapsed = time.monotonic() - shown
    check(code == 0, "exit status %d" % code)
    check(elapsed > SHOW_END_S - 1, "ended after only %.1f s" % elapsed)
    check(elapsed < SHOW_END_S + 30, "ended only after %.1f s" % elapsed)
    print("natural end after %.2f s" % elapsed)


CASES = {name[len("case_"):]: fn for name, fn in globals().items() if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zibo", required=True)
    parser.add_argument("--media-tool", required=True)
    parser.add_argument("--media", help="the generated media folder, where there is one")
    parser.add_argument("--artifacts", help="where screenshots go (default: a temp folder)")
    parser.add_argument("case", choices=sorted(CASES))
    options = parser.parse_args()
    for tool in ["Xvfb", "xdotool", "xwininfo", "xprop", "xrandr", "import", "convert"]:
        if shutil.which(tool) is None:
            print("missing tool: %s (run scripts/install-deps.sh)" % tool)
            return 1

    work = tempfile.mkdtemp(prefix="zibo-e2e-%s-" % options.case)
    case = Case(options, work)
    try:
        CASES[options.case](case)
    except Skip as reason:
        print("skipped %s: %s" % (options.case, reason))
        return 77
    except (Failure, subprocess.SubprocessError) as error:
        print("FAILED %s: %s" % (options.case, error))
        if case.show:
            print("zibo stderr:\n" + case.show.stderr)
        print("work folder kept: " + work)
        return 1
    finally:
        case.close()
    shutil.rmtree(work, ignore_errors=True)
    print("passed " + options.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
