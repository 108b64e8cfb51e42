#!/usr/bin/env python3
# bench_web.py [WEB_DIR] [FRAMES]: the page's frame time per scene in
# headless Chromium (WebGL on SwiftShader), against the cleared frame of
# the same run. Each frame is the show's drawing for one millisecond of the
# scene, timed until its pixels are done (a one-pixel read-back). WEB_DIR
# is build/web by default (scripts/web.sh).
import os, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tests', 'web'))
import browser  # noqa: E402

SCENES = [(0, 'cleared frame (baseline)'), (5000, 'loading bar'), (19000, 'bar emptying'),
          (25318, 'slide'), (60000, 'upright dancer'), (85000, 'hanging dancer'),
          (100000, 'spectrum noise'), (120000, 'strobe')]

TIMING = '''(() => {
  const times = [];
  for (let i = 0; i < %d; ++i) {
    const start = performance.now();
    zibo.drawFrame(%d + (%d ? i : 0));
    times.push(performance.now() - start);
  }
  times.sort((a, b) => a - b);
  return [times[times.length >> 1], times[Math.floor(times.length * 0.9)]];
})()'''


def main():
    web = sys.argv[1] if len(sys.argv) > 1 else 'build/web'
    frames = int(sys.argv[2]) if len(sys.argv) > 2 else 120
    base = browser.serve(web)
    b = browser.Browser()
    try:
        print('%-26s %10s %10s %12s' % ('scene', 'median ms', 'p90 ms', 'over baseline'))
        baseline = None
        for at, name in SCENES:
            b.open(base + 'index.html?at=%d&paused&answer=no' % at)
            b.wait_state('paused')
            b.eval(TIMING % (10, at, at))  # warm-up
            median, p90 = b.eval(TIMING % (frames, at, at))
            baseline = median if baseline is None else baseline
            print('%-26s %10.2f %10.2f %12.2f' % (name, median, p90, median - baseline))
    finally:
        b.close()


if __name__ == '__main__':
    main()
