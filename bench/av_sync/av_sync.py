#!/usr/bin/python3
"""How far the real show's picture is from its sound, measured from outside the process.

For each setting a private sound server with a null sink is started (PulseAudio; PipeWire through
pipewire-pulse, at its default quantum and at forced ones; PipeWire with a latency offset on the sink, which
0.3.65 reports to no client; PulseAudio playing into a tunnel to a second server's null sink, the tunnel
reporting about 100 ms of latency of its own, as a network or Bluetooth speaker does, with the far sink's
monitor recorded too as what is really played), and the show is run on a private Xvfb. ffmpeg records a
32x32 patch of the window at 197 fps (x11grab), stamped on the wall clock; bench_monitor_log records the
sink's monitor, stamping each piece on arrival and asking the sink's latency as pieces arrive. A sample is
heard when the monitor delivers it plus the sink's reported latency: a line through the earliest arrival of
a piece's last sample in each second, plus the median latency. The line's slope is measured, not assumed,
because a sink keeps its own rate (PulseAudio's null sink runs up to 0.4 ms/s fast). Each half second of
recorded sound is found in the song as the show decodes it. The last scene inverts the picture for music
times t % 100 < 50, so each edge of the patch's brightness is a known music time; the music heard at that
moment, less that time, is how late the picture is. Its median and p10-p90 spread are printed per setting.
The end of the show (its window closing at 128.57 s) settles which 100 ms period an edge belongs to.

For comparison ffmpeg also records the monitor (pulse input), and the median is printed again by ffmpeg's
stamps ("now less the record stream's latency", smoothed). At large PipeWire quanta pipewire-pulse
reports a record stream's latency inconsistently and those stamps move by 10 to 40 ms from run to run.

Usage: av_sync.py ZIBO MEDIA DECODED_SONG_TOOL [SETTING...]
  settings: pulseaudio pipewire pipewire-2048 pipewire-8192 pipewire-offset pulseaudio-tunnel (default: all)
       av_sync.py --again MEDIA DECODED_SONG_TOOL FOLDER...   (figures again from runs kept with AV_KEEP=1)
Needs: bench_monitor_log beside DECODED_SONG_TOOL, Xvfb, ffmpeg, pulseaudio, pipewire, pipewire-pulse, wireplumber, dbus, python3-numpy.
Runs about 2.3 minutes per setting; run it on idle cores."""
import os, re, shutil, signal, subprocess, sys, tempfile, time

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../tests/xshow"))
import x_show  # noqa: E402  the harness that runs the real show on Xvfb

RATE = 44100
SINK = "zibo_null"
PATCH = (80, 50)         # inside "THE END": 193 inverted, 62 normal
RECORD_FROM = 112.0      # seconds of show: well inside the last scene
END_MS = 128571          # the show's natural end
OFFSET_MS = 200          # the large latency an output reports of its own
# Not 200: the edges come every 50 ms, and at a whole number of grabs per edge each edge would fall at the
# same place within its grab interval, so the median would be off by up to half a grab. At 197 fps (5.08 ms a
# grab, a little coarser than 5 ms) that place moves by 0.15 of a grab from edge to edge.
GRAB_FPS = 197


def pulseaudio(socket, sink, tunnel_to=None):
    """A PulseAudio server on `socket` whose one sink is `sink`: a null sink, or a tunnel to a far server."""
    module = ("module-tunnel-sink server=unix:%s sink=speaker sink_name=%s" % (tunnel_to, sink) if tunnel_to
              else "module-null-sink sink_name=" + sink)
    return ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
            "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket, "--load=" + module]


class SoundServer:
    """A private server with a null sink as the default sink; PULSE_SERVER names it while it runs."""

    def __init__(self, kind, work, quantum=None, offset_ms=0):
        self.dir = tempfile.mkdtemp(dir=work)
        self.env = dict(os.environ, HOME=self.dir, XDG_RUNTIME_DIR=self.dir)
        self.far = None
        if kind == "pulseaudio-tunnel":
            # The sink is a tunnel to a second server's null sink, whose buffer it reports as a latency of
            # its own (about 100 ms), as a network or Bluetooth speaker does.
            far = os.path.join(self.dir, "far")
            os.mkdir(far)
            self.far = subprocess.Popen(pulseaudio(os.path.join(far, "native"), "speaker"), start_new_session=True,
                                        env=dict(self.env, HOME=far, XDG_RUNTIME_DIR=far),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            x_show.wait_for("the far sound server", lambda: os.path.exists(os.path.join(far, "native")))
            time.sleep(0.5)
        if kind.startswith("pulseaudio"):
            socket = os.path.join(self.dir, "native")
            cmd = pulseaudio(socket, SINK, None if kind == "pulseaudio" else os.path.join(self.dir, "far", "native"))
        else:
            socket = os.path.join(self.dir, "pulse", "native")
            cmd = ["dbus-run-session", "--", "sh", "-c",
                   "pipewire & sleep 0.5; wireplumber & pipewire-pulse & wait"]
        self.proc = subprocess.Popen(cmd, env=self.env, start_new_session=True,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.env["PULSE_SERVER"] = os.environ["PULSE_SERVER"] = "unix:" + socket
        x_show.wait_for("the sound server", lambda: self.run("pactl", "info").returncode == 0)
        if kind == "pipewire":
            self.run("pactl", "load-module", "module-null-sink", "sink_name=" + SINK)
            self.run("pactl", "set-default-sink", SINK)
            if quantum:
                self.run("pw-metadata", "-n", "settings", "0", "clock.force-quantum", str(quantum))
            if offset_ms:
                blocks = re.split(r"\n\s*id ", "\n" + self.run("pw-cli", "ls", "Node").stdout)
                node = [b.split(",")[0] for b in blocks if 'node.name = "%s"' % SINK in b]
                x_show.check(node, "no node for the null sink")
                self.run("pw-cli", "s", node[0], "Props",
                         "{ latencyOffsetNsec: %d }" % (offset_ms * 1000000))
        time.sleep(1)  # settled

    def run(self, *cmd):
        return subprocess.run(cmd, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)

    def sink_latency(self):
        """The sink's reported latency in seconds (0 when not reported)."""
        text = self.run("pactl", "list", "sinks").stdout
        m = re.search(r"Name: %s\b.*?Latency: (\d+) usec" % SINK, text, re.S)
        return int(m.group(1)) / 1e6 if m else 0.0

    def close(self):
        for proc in (self.proc, self.far):
            if proc:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
        os.environ.pop("PULSE_SERVER", None)


def record(x, window, out):
    """ffmpeg grabbing the patch and the monitor until SIGINT (-t would count from the wall clock's 0)."""
    g = x.geometry(window)
    return subprocess.Popen(
        ["ffmpeg", "-hide_banner", "-nostats", "-y", "-copyts",
         "-thread_queue_size", "4096", "-f", "x11grab", "-framerate", str(GRAB_FPS), "-video_size", "32x32", "-draw_mouse", "0",
         "-i", "%s+%d,%d" % (x.display, g["x"] + PATCH[0], g["y"] + PATCH[1]),
         "-thread_queue_size", "4096", "-f", "pulse", "-sample_rate", str(RATE), "-channels", "2", "-i", SINK + ".monitor",
         "-map", "0:v", "-vf", "showinfo", "-f", "null", "-",
         "-map", "1:a", "-af", "ashowinfo", "-ac", "1", "-f", "f32le", out + ".f32"],
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=open(out + ".log", "w"))


def record_monitor(tool, env, out, sink=SINK):
    """bench_monitor_log on the sink's monitor until SIGINT: the sound, and each piece's arrival and latency."""
    return subprocess.Popen([tool, sink, out + ".monitor.f32", out + ".monitor.log"], env=env,
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


class Line:
    """When each recorded frame was heard: wall = at + per_frame * frame. A sink keeps its own rate (the null sink
    runs up to 0.4 ms/s fast of the wall clock), so the rate is measured, not assumed."""

    def __init__(self, frames, walls):
        frames, walls = np.asarray(frames, dtype=float), np.asarray(walls, dtype=float)
        self.per_frame, self.at = np.polyfit(frames, walls, 1)
        # Once more without the points far off the first line (a recorder's first stamps settle).
        off = np.abs(walls - self.wall(frames))
        keep = off <= max(0.001, 3 * np.median(off))
        self.per_frame, self.at = np.polyfit(frames[keep], walls[keep], 1)

    def wall(self, frame):
        return self.at + self.per_frame * frame

    def frame(self, wall):
        return (wall - self.at) / self.per_frame


def lower_envelope(frames, walls, window=1.0):
    """Per `window` seconds, the (frame, wall) that came earliest for its frame: late reads fall away."""
    frames, walls = np.asarray(frames), np.asarray(walls)
    picked, early = [], walls - frames / RATE
    for start in np.arange(walls[0], walls[-1], window):
        k = np.flatnonzero((walls >= start) & (walls < start + window))
        if len(k):
            picked.append(k[np.argmin(early[k])])
    return frames[picked], walls[picked]


def monitor_lines(out, since=float("-inf")):
    """When the monitor's recorded frames were heard, two ways: "heard" by delivery plus the sink's latency (the
    earliest arrival of each piece's last frame per second, a line through those, plus the median of the sink's
    latency as asked at deliveries), and "stream" by the record stream's own latency (each piece's arrival less
    its latency is when its first frame was heard, as ffmpeg stamps)."""
    pieces, sink = [], []
    for line in open(out + ".monitor.log"):
        kind, *values = line.split()
        (pieces if kind == "P" else sink).append([float(v) for v in values])
    p, sink = np.array(pieces), np.array(sink)
    p, sink = p[p[:, 0] >= since], sink[sink[:, 0] >= since]  # the sink's rate and latency can change
    x_show.check(len(p) > 100 and len(sink) > 10, "too little recorded by the monitor: see %s.monitor.log" % out)
    latency = float(np.median(sink[:, 1])) / 1e6
    frames, walls = lower_envelope(p[1:, 1], p[:-1, 0])  # a piece's last frame is the next one's first, less one
    return {"heard": Line(frames, walls + latency), "stream": Line(p[:, 1], p[:, 0] - p[:, 2] / 1e6)}


def monitor_sound(out):
    return np.fromfile(out + ".monitor.f32", dtype=np.float32)


def ffmpeg_recording(out):
    """ffmpeg's recording of the monitor, and when its frames were heard by ffmpeg's stamps."""
    stamps, count = [], 0  # (first sample, wall time) of each recorded audio frame
    for m in re.finditer(r"\[Parsed_ashowinfo.*? pts:(\d+) .*?nb_samples:(\d+)", open(out + ".log").read()):
        stamps.append((count, int(m.group(1)) / RATE))
        count += int(m.group(2))
    return np.fromfile(out + ".f32", dtype=np.float32), Line(*np.array(stamps).T)


def heard_clock(sound, line, song, last, since=float("-inf")):
    """(wall time, wall time minus music time heard) for each located half second of a recording heard as `line`
    says; `last`, the wall time of the show's last frame, says roughly where to look (the music repeats every
    bar)."""
    chunk, found, guess, width = RATE // 2, [], None, RATE // 20
    for first in range(0, len(sound) - chunk, chunk):
        piece = sound[first:first + chunk]
        if line.wall(first) < since:
            continue
        if np.sqrt(np.mean(piece ** 2)) < 0.01:
            continue  # silence: past the end
        if guess is None:
            guess, width = int((END_MS / 1000.0 - (last - line.wall(first))) * RATE), int(0.6 * RATE)
        lo, hi = max(0, guess - width), min(len(song), guess + chunk + width)
        region = song[lo:hi]
        n = 1 << int(np.ceil(np.log2(len(region) + chunk)))
        corr = np.fft.irfft(np.fft.rfft(region, n) * np.conj(np.fft.rfft(piece, n)), n)[:len(region) - chunk]
        at = lo + int(np.argmax(corr))
        guess, width = at + chunk, RATE // 20
        found.append((line.wall(first), line.wall(first) - at / RATE))
    return np.array(found[4:])  # the recording's first half seconds are still settling


def picture_edges(out):
    """(wall time, becomes bright) of each brightness edge of the patch, and the last frame's time."""
    frames = [(int(m.group(1)) / 1e6, float(m.group(2).split()[0])) for m in re.finditer(
        r"\[Parsed_showinfo.*? pts:(\d+) .*?mean:\[([\d. ]+)\]", open(out + ".log").read())]
    bright = [(t, v > 100) for t, v in frames]
    lit = [t for t, v in frames if v > 20]
    half = np.median(np.diff([t for t, _ in frames])) / 2  # an edge lies somewhere in the grab interval before
    edges = [(t - half, b) for (t0, b0), (t, b) in zip(bright, bright[1:]) if b != b0]
    return edges, (lit[-1] if lit else None)


def measure(zibo, media, tool, kind, work, quantum=None, offset_ms=0):
    server = SoundServer(kind, work, quantum, offset_ms)
    case = x_show.Case(zibo, media, work)
    out, monitors = os.path.join(work, "rec"), []
    try:
        # The monitor is recorded from before the show: a recorder that joins makes the sink change its
        # latency (PulseAudio: from 12 to 1 ms) and rate, which the measurement would then take in.
        recorder = os.path.join(os.path.dirname(tool), "bench_monitor_log")
        monitors.append(record_monitor(recorder, server.env, out))
        if server.far:  # what the far speaker plays, as a check of the tunnel's reported latency
            far_env = dict(server.env, PULSE_SERVER="unix:" + os.path.join(server.dir, "far", "native"))
            monitors.append(record_monitor(recorder, far_env, out + ".far", "speaker"))
        time.sleep(1)
        x = case.server()
        show = case.start(case.folder("run-%d" % len(os.listdir(work))), "no", audio=None)
        window = x.find("zibo", show)
        shown = time.monotonic()
        time.sleep(max(0.0, shown + RECORD_FROM - time.monotonic()))
        grab = record(x, window, out)
        latencies = []
        while time.monotonic() < shown + END_MS / 1000.0 + 3:
            latencies.append(server.sink_latency())
            time.sleep(0.5)
        grab.send_signal(signal.SIGINT)
        grab.wait(30)
        for monitor in monitors:
            monitor.send_signal(signal.SIGINT)
            x_show.check(monitor.wait(30) == 0, "bench_monitor_log failed")
        show.end(0, timeout=60)
    finally:
        for monitor in monitors:
            monitor.poll() is None and monitor.kill()
        for s in case.shows:
            s.proc.kill(), s.proc.wait()
        case.x.close() if case.x else None
        server.close()
    latency = float(np.median(latencies))
    open(out + ".latency", "w").write("%f\n" % latency)
    return analyse(out, decoded_song(tool, media), latency)


def decoded_song(tool, media):
    return np.frombuffer(subprocess.run([tool, os.path.join(media, "disco.mp3")], stdout=subprocess.PIPE,
                                        check=True).stdout, dtype=np.float32)


def analyse(out, song, latency):
    """(median, p10-p90 of the picture's lateness, sink latency, p10-p90 of the sound's own clock, the median by
    ffmpeg's stamps instead, and by the far speaker's monitor behind a tunnel, or nan) in ms."""
    edges, last = picture_edges(out)
    x_show.check(len(edges) > 50 and last, "too little recorded: see %s.log" % out)
    since = edges[0][0] - 2  # the monitor is recorded from the start; only this stretch is measured
    heard = lateness(edges, last, heard_clock(monitor_sound(out), monitor_lines(out, since)["heard"], song, last,
                                              since))
    by_ffmpeg = lateness(edges, last, heard_clock(*ffmpeg_recording(out), song, last))
    far = float("nan")
    if os.path.exists(out + ".far.monitor.log"):
        far = lateness(edges, last, heard_clock(monitor_sound(out + ".far"),
                                                monitor_lines(out + ".far", since)["heard"], song, last, since))[0]
    return heard[0], heard[1], latency * 1000, heard[2], by_ffmpeg[0], far


def lateness(edges, last, found):
    """How late the picture is at each edge, against one reference's located half seconds (wall time, wall time
    minus music time heard): (median, p10-p90, 90th percentile of the steps between half seconds) in ms."""
    x_show.check(len(found) > 10, "too little sound recorded")
    lag = found[:, 1]
    # Between two located half seconds the music runs with the wall clock (an underrun shifts it).
    offsets = []  # lateness of each edge, known up to whole 100 ms periods
    for t, becomes_bright in edges:
        heard = (t - np.interp(t, found[:, 0], lag)) * 1000
        phase = 0 if becomes_bright else 50  # inverted (bright) from t % 100 == 0
        offsets.append(heard - phase)
    angles = np.array(offsets) * 2 * np.pi / 100
    centre = np.arctan2(np.mean(np.sin(angles)), np.mean(np.cos(angles))) * 100 / (2 * np.pi)
    offsets = centre + (np.array(offsets) - centre + 50) % 100 - 50
    # The period: the show's last frame is about its end (its window closes a little after).
    coarse = (last - np.interp(last, found[:, 0], lag)) * 1000 - END_MS
    offsets += 100 * round((coarse - np.median(offsets)) / 100)
    spread = np.percentile(offsets, 90) - np.percentile(offsets, 10)
    return np.median(offsets), spread, np.percentile(np.abs(np.diff(lag)) * 1000, 90)


SETTINGS = {"pulseaudio": ("pulseaudio", None, 0), "pipewire": ("pipewire", None, 0),
            "pipewire-2048": ("pipewire", 2048, 0), "pipewire-8192": ("pipewire", 8192, 0),
            "pipewire-offset": ("pipewire", None, OFFSET_MS), "pulseaudio-tunnel": ("pulseaudio-tunnel", None, 0)}


def reanalyse(work, media, tool):
    """The figures again from a run kept with AV_KEEP=1 (its folder)."""
    out = os.path.join(work, "rec")
    return analyse(out, decoded_song(tool, media), float(open(out + ".latency").read()))


def main():
    if sys.argv[1] == "--again":  # av_sync.py --again MEDIA DECODED_SONG_TOOL KEPT_FOLDER...
        for work in sys.argv[4:]:
            print("%s: %.1f ms, spread %.1f ms, sink latency %.1f ms, sound's p90 step %.1f ms, by ffmpeg %.1f ms, "
                  "at the far speaker %.1f ms"
                  % ((work,) + reanalyse(work, sys.argv[2], sys.argv[3])))
        return
    zibo, media, tool = (os.path.abspath(a) for a in sys.argv[1:4])
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_AUDIODRIVER", "PULSE_SERVER"):
        os.environ.pop(name, None)
    print("%-17s %20s %16s %14s %18s %11s %18s" % ("setting", "picture after sound", "p10-p90 spread",
                                                   "sink latency", "sound's p90 step", "by ffmpeg",
                                                   "at far speaker"))
    for name in sys.argv[4:] or list(SETTINGS):
        work = tempfile.mkdtemp(prefix="zibo-av-")
        try:
            figures = measure(zibo, media, tool, *SETTINGS[name][:1], work, *SETTINGS[name][1:])
            print("%-17s %17.1f ms %13.1f ms %11.1f ms %15.1f ms %8.1f ms %15.1f ms" % ((name,) + figures),
                  flush=True)
            os.environ.get("AV_KEEP") or shutil.rmtree(work, ignore_errors=True)
        except Exception as failure:
            print("%-16s failed: %s (kept %s)" % (name, failure, work), flush=True)


if __name__ == "__main__":
    main()
