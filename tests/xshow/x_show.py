#!/usr/bin/env python3
"""The real show on a private X server (Xvfb; Xorg's dummy driver for real display modes; openbox), driven and
watched as a user would, through ONE long-lived Xlib connection so that polling never makes the server come and
go; every wait is bounded by the state awaited. Usage: x_show.py ZIBO MEDIA CASE [ZIBO-PREVIEW ZIBO-CAPTURE]"""
import array, ctypes as C, os, shutil, signal, socket, subprocess, sys, tempfile, threading, time

X, XT, XR = (C.CDLL(n) for n in ("libX11.so.6", "libXtst.so.6", "libXrandr.so.2"))
P, UL, I = C.c_void_p, C.c_ulong, C.c_int
for lib, name, res in [(X, "XOpenDisplay", P), (X, "XInternAtom", UL), (X, "XGetAtomName", C.c_char_p),
                       (X, "XDefaultRootWindow", UL), (X, "XStringToKeysym", UL),
                       (X, "XKeysymToKeycode", C.c_ubyte), (X, "XGetImage", P),
                       (XR, "XRRGetScreenResourcesCurrent", P), (XR, "XRRGetCrtcInfo", P)]:
    getattr(lib, name).restype = res
ON_X_ERROR = C.CFUNCTYPE(I, P, P)(lambda d, e: 0)  # windows may vanish while looked at
X.XSetErrorHandler(ON_X_ERROR)


class Image(C.Structure):
    _fields_ = [(f, I) for f in ("w", "h", "xoff", "fmt")] + [("data", C.POINTER(C.c_ubyte))] + [
        (f, I) for f in ("order", "unit", "bitorder", "pad", "depth", "stride", "bpp")]


class ClientMessage(C.Structure):
    _fields_ = [("type", I), ("serial", UL), ("send", I), ("display", P), ("window", UL),
                ("message_type", UL), ("format", I), ("data", C.c_long * 5), ("pad", C.c_long * 14)]


class Failure(Exception): pass


class SkipCase(Exception): pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, predicate, timeout=60, state=lambda: ""):
    deadline = time.monotonic() + timeout
    while not predicate():
        check(time.monotonic() < deadline, "waited %d s in vain for %s%s" % (timeout, what, state()))
        time.sleep(0.05)


class Server:
    """A private X server (-noreset: it never resets between clients) and our one connection to it."""

    def __init__(self, work, screen="1024x768x24", xorg=False, wm=False):
        read, write = os.pipe()
        if xorg:
            conf = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../support/xorg-dummy.conf")
            if os.geteuid() != 0 or not shutil.which("Xorg"):
                raise SkipCase("Xorg with the dummy driver needs root")
            os.mkdir(work + "/conf.d")
            cmd = ["Xorg", "-config", conf, "-configdir", work + "/conf.d", "-logfile", work + "/xorg.log"]
        else:
            cmd = ["Xvfb", "-screen", "0", screen]
        self.procs = [subprocess.Popen(cmd + ["-noreset", "-nolisten", "tcp", "-displayfd", str(write)],
                                       pass_fds=[write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]
        os.close(write)
        with os.fdopen(read) as f:
            self.display = ":" + f.readline().strip()
        check(self.display != ":", "the X server did not start")
        os.environ["DISPLAY"] = self.display
        self.dpy = P(X.XOpenDisplay(self.display.encode()))
        check(self.dpy, "no connection to " + self.display)
        self.root = X.XDefaultRootWindow(self.dpy)
        if wm:
            self.procs.append(subprocess.Popen(["openbox", "--sm-disable"], stderr=subprocess.DEVNULL))
            wait_for("openbox", lambda: self.prop(self.root, "_NET_SUPPORTING_WM_CHECK"))

    def atom(self, name): return X.XInternAtom(self.dpy, name.encode(), 0)

    def prop(self, window, name):
        """A property as a list of numbers (names for atoms)."""
        kind, fmt, n, left, data = UL(), I(), UL(), UL(), C.POINTER(C.c_ubyte)()
        X.XGetWindowProperty(self.dpy, UL(window), UL(self.atom(name)), C.c_long(0), C.c_long(64), 0, UL(0),
                             C.byref(kind), C.byref(fmt), C.byref(n), C.byref(left), C.byref(data))
        if not data: return []
        values = list(C.cast(data, C.POINTER(C.c_long if fmt.value == 32 else C.c_ubyte))[:n.value])
        if kind.value == 4:  # XA_ATOM
            values = [X.XGetAtomName(self.dpy, UL(v)).decode() for v in values]
        X.XFree(data)
        return values

    def title(self, window):
        return bytes(self.prop(window, "_NET_WM_NAME") or self.prop(window, "WM_NAME")).decode("latin-1")

    def find(self, name, show=None, timeout=60):
        """The viewable window whose title starts with `name`, polled for while the show runs."""
        found = []

        def search(window):
            if self.title(window).startswith(name) and self.geometry(window)["viewable"]:
                found.append(window)
            for kid in self.tree(window)[1]:
                search(kid)
        wait_for('a window "%s"' % name, lambda: search(self.root) or found or (show and show.ended()),
                 timeout)
        check(found, 'the show ended before a window "%s" appeared' % name)
        return found[0]

    def geometry(self, window):
        a, x, y, child = (I * 40)(), I(), I(), UL()  # XWindowAttributes: width [2], height [3], map_state [23]
        if not X.XGetWindowAttributes(self.dpy, UL(window), a):
            return {"viewable": False}
        X.XTranslateCoordinates(self.dpy, UL(window), UL(self.root), 0, 0, C.byref(x), C.byref(y),
                                C.byref(child))
        return {"x": x.value, "y": y.value, "w": a[2], "h": a[3], "viewable": a[23] == 2}

    def tree(self, window):
        root, parent, kids, n = UL(), UL(), C.POINTER(UL)(), C.c_uint()
        X.XQueryTree(self.dpy, UL(window), C.byref(root), C.byref(parent), C.byref(kids), C.byref(n))
        return parent.value, (kids[:n.value] if kids else [])

    def frame(self, window):
        """The window manager's frame around a window: its top-level ancestor."""
        while self.tree(window)[0] != self.root:
            window = self.tree(window)[0]
        return window

    def key(self, name, window=None, down=(True, False)):
        if window:
            X.XSetInputFocus(self.dpy, UL(window), 2, UL(0))
        code = X.XKeysymToKeycode(self.dpy, UL(X.XStringToKeysym(name.encode())))
        for press in down:
            XT.XTestFakeKeyEvent(self.dpy, code, press, UL(0))
        X.XSync(self.dpy, False)

    def answer(self, box, key, show):
        """Presses `key` in a message box until it is gone (a new box may not take keys yet)."""
        def gone():
            if not self.geometry(box)["viewable"]:
                return True
            self.key(key, box)
            time.sleep(0.2)
        wait_for("the box to take " + key, lambda: show.ended() or gone())

    def click(self, x, y):
        XT.XTestFakeMotionEvent(self.dpy, -1, x, y, UL(0))
        for press in (True, False):
            XT.XTestFakeButtonEvent(self.dpy, 1, press, UL(0))
        X.XSync(self.dpy, False)

    def request_close(self, window):
        """What a window manager's close button sends."""
        event = ClientMessage(type=33, window=window, message_type=self.atom("WM_PROTOCOLS"), format=32)
        event.data[0] = self.atom("WM_DELETE_WINDOW")
        X.XSendEvent(self.dpy, UL(window), 0, C.c_long(0), C.byref(event))
        X.XSync(self.dpy, False)

    def grab(self, window, x, y, w, h):
        """w x h pixels of a window from (x, y): blue, green, red, 0."""
        image = C.cast(X.XGetImage(self.dpy, UL(window), x, y, w, h, UL(~0), 2), C.POINTER(Image))
        check(image and image[0].bpp == 32 and image[0].stride == w * 4, "no 32-bit screen grab")
        bgr0 = bytearray(C.string_at(image[0].data, w * h * 4))
        X.XFree(image[0].data), X.XFree(image)
        bgr0[3::4] = bytes(w * h)
        return bgr0

    def bar_step(self, window):
        """The loading bar's fill step, 0 to 16, from its white pixels on screen (675 px make 16 steps)."""
        g = self.geometry(window)
        row = self.grab(self.root, g["x"] + 65, g["y"] + 300, 670, 1)
        return round((sum(1 for i in range(0, len(row), 4) if min(row[i:i + 3]) > 127) + 2.5) / 42.1875)

    def mode(self):
        res = C.cast(XR.XRRGetScreenResourcesCurrent(self.dpy, UL(self.root)), C.POINTER(UL * 4))
        crtcs = C.cast(res[0][3], C.POINTER(UL))
        for i in range(res[0][2] & 0xffffffff):
            info = C.cast(XR.XRRGetCrtcInfo(self.dpy, res, UL(crtcs[i])), C.POINTER(I * 6))
            if info[0][4]:
                return "%dx%d" % (info[0][4], info[0][5])

    def describe(self):
        """The server's and window manager's state and every titled window, for a failure's report."""
        titled = []

        def walk(window):
            title, mapped = self.title(window), self.geometry(window)["viewable"]
            titled.append("%r%s" % (title, "" if mapped else " (unmapped)")) if title else None
            [walk(kid) for kid in self.tree(window)[1]]
        walk(self.root) if self.procs[0].poll() is None else None  # Xlib exits on a lost server
        return "%s; windows: %s" % (", ".join("%s %s" % (p.args[0], "running" if p.poll() is None else
                                                          "ended %d" % p.returncode) for p in self.procs),
                                    ", ".join(titled) or "none")

    def close(self):
        for proc in reversed(self.procs):
            proc.terminate(), proc.wait(10)


class Show:
    """One run of zibo in `folder`, its stderr kept in a file."""

    def __init__(self, case, folder, audio="disk", args=()):
        """`audio`: SDL's audio driver, or None for the library's own choice (a sound server first)."""
        self.folder, self.audio = folder, folder + ".raw"
        # Media from `folder` only, even where zibo is installed.
        environ = dict(os.environ, SDL_AUDIODRIVER=audio or "", SDL_DISKAUDIOFILE=self.audio,
                       XDG_DATA_HOME="/nonexistent", XDG_DATA_DIRS="/nonexistent")
        environ.pop("SDL_AUDIODRIVER") if audio is None else None
        self.err = open(folder + ".err", "w+")
        self.proc = subprocess.Popen([case.zibo, *args], cwd=folder, env=environ, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=self.err)
        case.shows.append(self)

    def ended(self): return self.proc.poll() is not None

    def stderr(self): return open(self.err.name).read()

    def end(self, expected, how=None, timeout=60):
        """Waits for the exit status `expected` (sending `how` first); a 0 must come with no failure reported."""
        self.proc.send_signal(how) if how else None
        wait_for("the show to end", self.ended, timeout)
        check(self.proc.returncode == expected, "exit status %d, not %d" % (self.proc.returncode, expected))
        check(expected or not any(w in self.stderr() for w in ("Error", "Damn")), "reported something")

    def sound(self):
        """The disk audio output as 16-bit samples (both channels)."""
        data = open(self.audio, "rb").read() if os.path.exists(self.audio) else b""
        return array.array("h", data[:len(data) // 2 * 2])


class Case:
    def __init__(self, zibo, media, work):
        self.zibo, self.media, self.work, self.shows, self.x, self.sound = zibo, media, work, [], None, None

    def sound_server(self):
        """A private PulseAudio with a null sink, named by PULSE_SERVER for the shows started after it."""
        socket = os.path.join(self.work, "native")
        self.sound = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket, "--load=module-null-sink"],
            env=dict(os.environ, HOME=self.work, XDG_RUNTIME_DIR=self.work),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.environ["PULSE_SERVER"] = "unix:" + socket
        wait_for("the sound server", lambda: subprocess.run(["pactl", "info"], stdout=subprocess.DEVNULL,
                                                            stderr=subprocess.DEVNULL).returncode == 0)
        return self.sound

    def server(self, **how):
        self.x = Server(self.work, **how)
        return self.x

    def folder(self, name, without=(), song=None, effect=None):
        """A fresh folder with the build's media; `song`/`effect`: sox arguments that replace disco.mp3/s.ogg."""
        path = os.path.join(self.work, name)
        os.mkdir(path)
        for f in os.listdir(self.media):
            if f not in without:
                shutil.copy(os.path.join(self.media, f), path)
        for made, args in (("disco.mp3", song), ("s.ogg", effect)):
            if args:
                subprocess.run(["sox", "-D", "-n", "-r", "44100", "-c", "2", "-b", "16", path + "/made.wav"]
                               + args.split(), check=True)
                os.replace(path + "/made.wav", os.path.join(path, made))
        return path

    def start(self, folder, answer, audio="disk"):
        """Starts the show and answers the question: yes (Return), no (click), cancel (Escape)."""
        show = Show(self, folder, audio)
        box = self.x.find("Do you like...", show)
        if answer == "no":  # Yes, No, Cancel along the bottom of the box
            g = self.x.geometry(box)
            self.x.click(g["x"] + g["w"] // 2, g["y"] + g["h"] * 72 // 100)
        else:
            self.x.answer(box, "Return" if answer == "yes" else "Escape", show)
        return show


def check_pace(x, window):
    """One bar step per 1071.4 ms of wall time, give or take a sampled step and a grab's time."""
    wait_for("the loading bar", lambda: x.bar_step(window) >= 1)
    t0, first, t1 = time.monotonic(), x.bar_step(window), time.monotonic()
    time.sleep(5)  # a measured interval, not a wait for something
    t2, last, t3 = time.monotonic(), x.bar_step(window), time.monotonic()
    fewest, most = int((t2 - t1) / 1.0714) - 1, int((t3 - t0) / 1.0714) + 2
    check(last < 16 and fewest <= last - first <= most,
          "bar %d -> %d in %.2f..%.2f s: not real time" % (first, last, t2 - t1, t3 - t0))


def case_windowed_wm(c):
    """No under openbox: 800x600, topmost, frame corner at (112, 84), title bar and thin border, moving as
    the one action; Escape ends it with 0."""
    x = c.server(wm=True)
    show = c.start(c.folder("run"), "no", audio="dummy")
    w = x.find("zibo", show)
    g, frame = x.geometry(w), x.geometry(x.frame(w))
    check((g["w"], g["h"], frame["x"], frame["y"]) == (800, 600, 112, 84), "placed at %r, frame %r" % (g, frame))
    check(x.prop(w, "_MOTIF_WM_HINTS")[:3] == [3, 4, 10], "hints %r" % x.prop(w, "_MOTIF_WM_HINTS"))
    left, right, top, bottom = x.prop(w, "_NET_FRAME_EXTENTS")
    check(top > 10 and max(left, right, bottom) <= 4, "frame %r" % [left, right, top, bottom])
    actions = x.prop(w, "_NET_WM_ALLOWED_ACTIONS")
    check("_NET_WM_ACTION_MOVE" in actions and not {"_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ"}
          & set(actions), "actions %r" % actions)
    check(x.prop(w, "_NET_WM_STATE") == ["_NET_WM_STATE_ABOVE"], "state %r" % x.prop(w, "_NET_WM_STATE"))
    x.key("Escape", w)
    show.end(0)


def case_small_screen(c):
    """Cancel (Escape) ends at once with 0: no window, no audio, no files. No on a screen smaller than the
    window: the centring offset goes negative; SIGTERM ends with 0."""
    x = c.server(screen="798x598x24")
    folder = c.folder("cancel")
    show = c.start(folder, "cancel")
    show.end(0)
    check(not os.path.exists(show.audio) and sorted(os.listdir(folder)) == sorted(os.listdir(c.media)),
          "audio or files were touched")
    show = c.start(c.folder("run"), "no", audio="dummy")
    g = x.geometry(x.find("zibo", show))
    check((g["x"], g["y"]) == (-1, -1), "window at %r" % g)
    show.end(0, signal.SIGTERM)


def case_fullscreen(c):
    """Yes on an 800x600 screen: the whole display, the clock in real time with
    a sound card, without one and past the end of a 0.5 s song; without an
    800x600 mode "Damn: ChangeDisplay", status 1, audio never opened, mode untouched."""
    x = c.server(screen="800x600x24")
    for name, audio, song in [("card", "dummy", None), ("no_card", "no-such-driver", None),
                              ("short", "disk", "synth 0.5 sine 440")]:
        show = c.start(c.folder(name, song=song), "yes", audio=audio)
        w = x.find("zibo", show)
        check(x.geometry(w) == dict(x=0, y=0, w=800, h=600, viewable=True), "window %r" % x.geometry(w))
        check_pace(x, w)
        x.key("Escape", w)
        show.end(0)
        check(audio != "disk" or any(show.sound()), "the song was never heard")
    x.close()
    x = c.server()
    show = c.start(c.folder("no_mode"), "yes")
    x.answer(x.find("Damn", show), "Return", show)
    show.end(1)
    check("Damn: ChangeDisplay" in show.stderr() and not os.path.exists(show.audio), "no ChangeDisplay")
    check(x.mode() == "1024x768", "mode is %s" % x.mode())


def case_mode_switch(c):
    """Xorg's dummy driver under openbox: Yes switches to 800x600 (fullscreen, undecorated) and every ending
    puts 1024x768 back, a failure after the switch once its box is dismissed."""
    x = c.server(xorg=True, wm=True)
    check(x.mode() == "1024x768", "desktop in %s" % x.mode())
    for ending in ["Escape", "close", signal.SIGTERM, signal.SIGINT, "no song"]:
        show = c.start(c.folder(str(ending), without=["disco.mp3"] if ending == "no song" else ()), "yes")
        if ending == "no song":
            x.answer(x.find("vel Error!", show), "Return", show)
            show.end(1)
            check("vel Error!: Unable to load song.: 2" in show.stderr(), "no song error")
        else:
            w = x.find("zibo", show)
            wait_for("the music", lambda: any(show.sound()))
            check(x.mode() == "800x600" and x.geometry(w)["w"] == 800, "mode %s" % x.mode())
            check(x.prop(w, "_NET_WM_STATE") == ["_NET_WM_STATE_FULLSCREEN"], "not fullscreen")
            check(x.prop(w, "_NET_FRAME_EXTENTS") in ([0, 0, 0, 0], []), "decorated")
            x.key("Escape", w) if ending == "Escape" else x.request_close(w) if ending == "close" else None
            show.end(0, None if isinstance(ending, str) else ending)
        check(x.mode() == "1024x768", "after %s the mode is %s" % (ending, x.mode()))


def case_space(c):
    """Holding Space plays s.ogg over a silent song, restarting it while held;
    a missing, empty or non-audio s.ogg is no error and stays silent."""
    x = c.server(screen="800x600x24")
    for spoil in [None, "missing", "empty", "random"]:
        folder = c.folder(str(spoil), song="trim 0 30", effect="synth 0.5 sine 440 vol 0.5")
        if spoil:
            os.remove(folder + "/s.ogg")
            if spoil != "missing":
                open(folder + "/s.ogg", "wb").write(b"" if spoil == "empty" else os.urandom(65536))
        show = c.start(folder, "yes")
        w = x.find("zibo", show)
        wait_for("the song", lambda: len(show.sound()) > 44100)
        # Waits are counted in sound written, not wall time: on a busy machine
        # the show's frames, and so its key events, come late.
        def heard():  # for each 50 ms written so far, whether it was loud
            sound = show.sound()
            return [max(map(abs, sound[i:i + 4410])) > 1000 for i in range(0, len(sound) - 4409, 4410)]
        span = lambda w: len(w) - 1 - w[::-1].index(True) - w.index(True) if any(w) else 0
        quiet_after = lambda w: len(w) - 1 - w[::-1].index(True) if any(w) else 0
        pressed = len(show.sound())
        x.key("space", w, down=[True])
        # Held until heard for longer than one 0.5 s play (restarted while
        # held), or for 1.5 s of sound when s.ogg is spoilt.
        wait_for("the effect heard while Space is held", lambda: span(heard()) >= 16 if not spoil
                 else len(show.sound()) > pressed + 3 * 44100)
        x.key("space", w, down=[False])
        if spoil:
            released = len(show.sound())
            wait_for("more sound", lambda: len(show.sound()) > released + 44100)
            check(not any(heard()), "%s s.ogg: Space made a sound" % spoil)
        else:
            wait_for("silence after Space was let go", lambda: quiet_after(heard()) > 5)
        show.end(0, signal.SIGTERM)


def case_natural_end(c):
    """Left alone, the show ends by itself with 0 at 128.57 s of music, also when its sound server is killed
    5 s in: it says so once and plays on silently, on the wall clock from where the music was."""
    x, server, began = c.server(), c.sound_server(), []
    monitor = subprocess.Popen(["parec", "-d", "@DEFAULT_MONITOR@", "--raw", "--channels=1", "--latency-msec=20"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)

    def listen():  # the first sound on the sink is the music's beginning
        for data in iter(lambda: monitor.stdout.read1(4096), b""):
            began.append(time.monotonic()) if any(data) and not began else None
    threading.Thread(target=listen, daemon=True).start()
    show = c.start(c.folder("run"), "no", audio=None)
    x.find("zibo", show)
    wait_for("the music on the sound server", lambda: began)
    time.sleep(5)  # a measured interval, not a wait for something
    server.kill()
    show.end(0, timeout=200)
    music = time.monotonic() - began[0]
    check(abs(music - 128.571) < 1, "ended %.2f s after the music began, not at 128.57 s" % music)
    check(show.stderr().count("sound output lost") == 1, "the loss not said once")


def case_dropped_connection(c):
    """A display that drops the first connection after reading it (as a server resetting does): the show retries."""
    x, relay, number = c.server(), socket.socket(socket.AF_UNIX), 2000 + os.getpid() % 30000
    relay.bind("\0/tmp/.X11-unix/X%d" % number), relay.listen(16)
    pipe = lambda s, d: [d.sendall(m) for m in iter(lambda: s.recv(65536), b"")]

    def serve():
        relay.accept()[0].recv(4096)  # read, then dropped by the garbage collector
        while True:
            a, b = relay.accept()[0], socket.socket(socket.AF_UNIX)
            b.connect("\0/tmp/.X11-unix/X" + x.display[1:])
            [threading.Thread(target=pipe, args=ends, daemon=True).start() for ends in ((a, b), (b, a))]
    threading.Thread(target=serve, daemon=True).start()
    os.environ["DISPLAY"] = ":%d" % number
    c.start(c.folder("run"), "cancel").end(0)


def wait_title(x, w, what, predicate):
    wait_for("a title " + what, lambda: predicate(x.title(w)), state=lambda: "; it reads %r" % x.title(w))


def go_to_beat(x, window, beat, scene):  # from the start: PageDown is 32 beats, Shift+Right 4, Right 1
    for key in ["Home"] + ["Next"] * (beat // 32) + ["bar"] * (beat % 32 // 4) + ["Right"] * (beat % 4):
        x.key("Shift_L", window, down=[True]) if key == "bar" else None
        x.key("Right" if key == "bar" else key, window)
        x.key("Shift_L", window, down=[False]) if key == "bar" else None
    title = "zibo-preview  %d ms  beat %d  %s  paused" % ((beat * 60000 + 139) // 140, beat, scene)
    wait_title(x, window, title, lambda t: t == title)
    return (beat * 60000 + 139) // 140

def case_preview(c):
    """zibo-preview in 1000x600 (the picture between bars at x 100) by keys: paused frames are capture's,
    slides reload, the loop wraps."""
    x, (c.zibo, capture), folder = c.server(), sys.argv[4:6], c.folder("preview")
    show = Show(c, folder, args=["--size", "1000x600"])
    w, seen = x.find("zibo-preview ", show), {}
    wait_title(x, w, "that says playing", lambda t: t.endswith(" playing"))
    x.key("p", w)
    for beat, scene in [(20, "loading bar"), (45, "bar emptying"), (60, "slide s1"), (80, "slide s2"),
                        (150, "upright dancer"), (200, "hanging dancer"), (240, "spectrum noise"),
                        (280, "strobe s7")]:
        ms, seen[beat] = go_to_beat(x, w, beat, scene), x.grab(w, 100, 0, 800, 600)
        subprocess.run([capture, "--media", folder, "--at", str(ms), "--out", folder + ".png"], check=True)
        rgb = subprocess.run(["convert", folder + ".png", "rgb:-"], stdout=subprocess.PIPE, check=True).stdout
        check(all(rgb[i::3] == seen[beat][2 - i::4] for i in range(3)), "beat %d is not capture's frame" % beat)
    go_to_beat(x, w, 60, "slide s1")
    shutil.copy(c.media + "/s2.tga", folder + "/s1.tga")
    wait_for("the replaced slide s1 to show s2", lambda: x.grab(w, 100, 0, 800, 600) == seen[80], timeout=10)
    os.truncate(folder + "/s1.tga", 17)
    wait_title(x, w, "naming the broken s1.tga", lambda t: "  s1.tga: " in t)
    check("s1.tga" in show.stderr(), "the broken slide is not reported on stderr")
    check(x.grab(w, 100, 0, 800, 600) == seen[80], "the broken slide replaced the picture")
    for key in ["Home", "bracketleft"] + ["Right"] * 4 + ["bracketright", "l", "p"]:  # loop beats 0 to 4, play
        x.key(key, w)
    wait_title(x, w, "late in the loop", lambda t: "loop 0-1715 ms" in t and 1300 <= int(t.split()[1]) < 1700)
    wait_title(x, w, "wrapped to its start", lambda t: "  looping" in t and int(t.split()[1]) < 400)
    x.key("Escape", w)
    show.end(0, timeout=30)


def main():
    zibo, media, case_name = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"):
        os.environ.pop(name, None)
    work = tempfile.mkdtemp(prefix="zibo-x-")
    case = Case(zibo, media, work)
    try:
        globals()["case_" + case_name](case)
    except SkipCase as why:
        print("skipped:", why)
        return 77
    except Exception as failure:  # a failed check, or the harness could not go on
        print("FAILED %s: %s" % (case_name, failure if isinstance(failure, Failure) else repr(failure)))
        for show in case.shows[-1:]:
            status = show.proc.poll()
            print("{0} exit status: {1}\n{0} stderr:\n{2}".format(os.path.basename(show.proc.args[0]),
                  "none yet (still running)" if status is None else status, show.stderr()))
            if status is None and shutil.which("gdb"):  # where it waits
                print(subprocess.run(["gdb", "-p", str(show.proc.pid), "-batch", "-ex", "thread apply all bt 12"],
                                     capture_output=True, text=True, timeout=60).stdout[-8000:])
        sys.stdout.flush()
        print("X:", case.x.describe()) if case.x else None
        return 1
    finally:
        for show in case.shows:
            show.proc.kill(), show.proc.wait()
        case.x.close() if case.x else None
        (case.sound.kill(), case.sound.wait()) if case.sound else None
        shutil.rmtree(work, ignore_errors=True)
    print("passed", case_name)
    return 0


if __name__ == "__main__":
    sys.exit(main())
