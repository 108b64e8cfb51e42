#!/usr/bin/python3
"""Checks av_sync.py's reference against the raw arrival of the monitor's sound.

Per setting, a private sound server with a null sink plays 30 s of noise through the audio library
(bench_clock_log, which logs the library's clock on the wall clock every 2 ms) while three recorders take
the monitor: ffmpeg's pulse input, parec asking for 2 ms reads, each read stamped here as it arrives, and
bench_monitor_log. All are found in the noise. Printed, in ms, the library clock less each reference:
ffmpeg's stamps; the line through the earliest arrival of a parec read's last sample per second (when the
monitor delivered it at the latest); bench_monitor_log's line, as av_sync.py uses it (the same arrivals
plus the sink's latency asked at delivery); and its record stream's own latency (as ffmpeg stamps,
unsmoothed).

Usage: reference_check.py CLOCK_LOG_TOOL [SETTING...] [--runs N]
  settings as av_sync.py's (default: pulseaudio pipewire pipewire-2048 pipewire-8192)"""
import os, signal, subprocess, sys, tempfile, threading, time, wave

import numpy as np

import av_sync as A  # noqa: E402  the servers and settings of the benchmark
from av_sync import RATE, SINK

SECONDS = 30


def noise(path):
    song = (np.random.default_rng(1).standard_normal(RATE * SECONDS) * 3000).clip(-32000, 32000)
    with wave.open(path, "wb") as w:
        w.setnchannels(2), w.setsampwidth(2), w.setframerate(RATE)
        w.writeframes(np.repeat(song.astype(np.int16), 2).tobytes())
    return song.astype(np.float32) / 32768


def record_arrivals(env, into):
    """parec on the monitor; `into` gets (arrival wall time, samples so far) per read, and the sound."""
    proc = subprocess.Popen(["parec", "-d", SINK + ".monitor", "--rate=%d" % RATE, "--channels=1",
                             "--format=float32le", "--latency-msec=2", "--raw"],
                            stdout=subprocess.PIPE, env=env, bufsize=0)

    def read():
        count, pending = 0, b""
        for data in iter(lambda: os.read(proc.stdout.fileno(), 65536), b""):
            at, pending = time.time(), pending + data
            whole = len(pending) // 4 * 4
            into["sound"].append(pending[:whole]), into["reads"].append((at, count + whole // 4))
            count, pending = count + whole // 4, pending[whole:]
    threading.Thread(target=read, daemon=True).start()
    return proc


def song_less_recording(song, rec):
    """Where recorded sample 0 falls in the song, in samples (found every 2 s; the median)."""
    n, found = 1 << int(np.ceil(np.log2(len(song) + RATE))), []
    spectrum = np.fft.rfft(song, n)
    for i in range(RATE, len(rec) - RATE, 2 * RATE):
        corr = np.fft.irfft(spectrum * np.conj(np.fft.rfft(rec[i:i + RATE // 2], n)), n)[:len(song) - RATE // 2]
        found.append(int(np.argmax(corr)) - i)
    return float(np.median(found))


def check(tool, kind, quantum, work):
    song = noise(os.path.join(work, "noise.wav"))
    server = A.SoundServer(kind, work, quantum)
    out, arrivals = os.path.join(work, "rec"), {"sound": [], "reads": []}
    try:
        player = subprocess.Popen([tool, os.path.join(work, "noise.wav"), out + ".clock", str(SECONDS - 4)],
                                  env=server.env)
        time.sleep(3)
        ff = subprocess.Popen(["ffmpeg", "-hide_banner", "-nostats", "-y", "-copyts", "-f", "pulse",
                               "-sample_rate", str(RATE), "-channels", "2", "-i", SINK + ".monitor",
                               "-af", "ashowinfo", "-ac", "1", "-f", "f32le", out + ".f32"],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=open(out + ".log", "w"), env=server.env)
        parec = record_arrivals(server.env, arrivals)
        monitor = A.record_monitor(os.path.join(os.path.dirname(tool), "bench_monitor_log"), server.env, out)
        latencies = []
        for _ in range(30):
            time.sleep(0.5), latencies.append(server.sink_latency())
        ff.send_signal(signal.SIGINT), ff.wait(30), parec.terminate(), parec.wait()
        monitor.send_signal(signal.SIGINT), monitor.wait(30)
        A.x_show.check(player.wait(60) == 0, "bench_clock_log failed")
    finally:
        server.close()
    time.sleep(0.3)
    ff_sound = np.fromfile(out + ".f32", dtype=np.float32) / 2
    raw_sound = np.frombuffer(b"".join(arrivals["sound"]), dtype=np.float32)
    reads = np.array(arrivals["reads"])
    # Per reference, when each recorded frame was heard, and the song's frame less the recording's.
    lines, monitor_offset = A.monitor_lines(out), song_less_recording(song, A.monitor_sound(out))
    references = {"ffmpeg": (A.ffmpeg_recording(out)[1], song_less_recording(song, ff_sound)),
                  "arrival": (A.Line(*A.lower_envelope(reads[:, 1], reads[:, 0])), song_less_recording(song, raw_sound)),
                  "monitor": (lines["heard"], monitor_offset), "stream": (lines["stream"], monitor_offset)}
    clock = np.loadtxt(out + ".clock")
    clock = clock[clock[:, 1] > 1]
    result = {}
    for name, (line, offset) in references.items():
        heard = (line.frame(clock[:, 0]) + offset) / RATE
        result[name] = np.percentile((clock[:, 1] - heard) * 1000, [10, 50, 90])
    return result, float(np.median(latencies)) * 1000


def main():
    args, runs = sys.argv[1:], 1
    if "--runs" in args:
        i = args.index("--runs")
        runs = int(args[i + 1])
        del args[i:i + 2]
    if not args:
        sys.exit(__doc__)
    tool, names = os.path.abspath(args[0]), args[1:] or ["pulseaudio", "pipewire", "pipewire-2048", "pipewire-8192"]
    print("%-16s %3s %34s %22s %34s %13s %13s" % ("setting", "run", "clock - ffmpeg's stamps p10/50/90",
                                             "clock - arrivals p50", "clock - monitor log p10/50/90",
                                             "(stream)", "sink latency"))
    for name in names:
        kind, quantum, _ = A.SETTINGS[name]
        for run in range(runs):
            with tempfile.TemporaryDirectory(prefix="zibo-ref-") as work:
                r, latency = check(tool, kind, quantum, work)
            print("%-16s %3d %13.1f %6.1f %6.1f ms %19.1f ms %20.1f %6.1f %6.1f ms %10.1f ms %10.1f ms" % (
                name, run + 1, *r["ffmpeg"], r["arrival"][1], *r["monitor"], r["stream"][1], latency))


if __name__ == "__main__":
    main()
