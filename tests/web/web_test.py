# The page in headless Chromium, served from 127.0.0.1:
#   web_test.py frames WEB_DIR CAPTURE MEDIA_DIR  - paused frames of every kind of
#       scene against zibo-capture --at (mean absolute difference <= 2 levels)
#   web_test.py page WEB_DIR                      - the question, Cancel, No with
#       the natural end and Play again, Escape, Yes with fullscreen
# Exit status 77 (skipped) when scripts/web.sh has not built WEB_DIR.
import base64, os, subprocess, sys, tempfile
import browser

# Music times of each kind of scene, by name.
FRAMES = [(0, 'before the start'), (5000, 'loading bar'), (19000, 'bar emptying'),
          (25318, 'slide s1'), (60000, 'upright dancer'), (85000, 'hanging dancer'),
          (94290, 'spectrum noise, loud'), (100000, 'spectrum noise'),
          (120020, 'strobe inverted'), (120070, 'strobe plain')]


def rgb(png_path):
    return subprocess.run(['convert', png_path, '-alpha', 'off', '-depth', '8', 'rgb:-'],
                          capture_output=True, check=True).stdout


def frames(b, base, capture, media):
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        for at, name in FRAMES:
            b.open(base + 'index.html?at=%d&paused&answer=no' % at)
            b.wait_state('paused')
            page, native = os.path.join(tmp, 'page.png'), os.path.join(tmp, 'native.png')
            with open(page, 'wb') as f:
                f.write(base64.b64decode(b.call('Page.captureScreenshot')['data']))
            run = subprocess.run([os.path.abspath(capture), '--at', str(at), '--out', native], cwd=media,
                                 capture_output=True, text=True)
            if run.returncode != 0:
                sys.exit('zibo-capture --at %d: exit %d\n%s' % (at, run.returncode, run.stderr))
            a, c = rgb(page), rgb(native)
            mad = sum(abs(x - y) for x, y in zip(a, c)) / len(c) if len(a) == len(c) else 999
            print('%6d ms %-28s mean difference %.3f' % (at, name, mad))
            if mad > 2:
                failures.append('%d ms (%s): %.3f levels' % (at, name, mad))
    return failures


def page(b, base, web):
    failures = []

    def expect(what, got, wanted):
        if got != wanted:
            failures.append('%s: got %r, expected %r' % (what, got, wanted))
    code = sum(os.path.getsize(os.path.join(web, f)) for f in ('zibo.js', 'zibo.wasm', 'zibo_page.js', 'index.html'))
    expect('page code under 500 KB', code < 500000, True)
    b.open(base + 'index.html')
    b.wait_state('question')
    expect('the question', b.eval("['question-title', 'question-text', 'yes', 'no', 'cancel']"
                                  ".map(id => document.getElementById(id).textContent)"),
           ['Do you like...', '...cars?', 'Yes', 'No', 'Cancel'])
    b.click('cancel')
    expect('after Cancel', b.wait_state('cancelled', 'playing', 'ended'), 'cancelled')
    expect('the Cancel page', b.eval("document.getElementById('message').hidden"), False)

    # No: plays in the page from 126 s and ends by itself after 300 beats,
    # its frames' music times never going back.
    b.open(base + 'index.html?at=126000')
    b.wait_state('question')
    b.click('no')
    seen, drawn = [], lambda: b.eval('document.body.dataset.frameMs')  # None before the first frame
    while b.wait_state('playing', 'ended') == 'playing':
        seen += [int(drawn())] if drawn() is not None else []
    seen.append(int(drawn() or 0))
    expect('music times drawn', seen == sorted(seen) and 126000 < seen[-1] <= 128571, True)
    # Play again starts over; Escape ends it.
    b.click('again')
    b.wait_for("document.body.dataset.state == 'playing' && document.body.dataset.frameMs < 60000")
    b.key('Escape', 27)
    expect('after Escape', b.wait_state('ended'), 'ended')

    # A link that skips the question (the browser here allows sound at once).
    b.open(base + 'index.html?at=128400&answer=no')
    expect('answer=no', b.wait_state('question', 'ended'), 'ended')

    # Yes: fullscreen; leaving it (the browser's own use of Escape there) ends the show.
    b.open(base + 'index.html')
    b.wait_state('question')
    b.click('yes')
    b.wait_state('playing')
    expect('fullscreen', b.wait_for('document.fullscreenElement && document.fullscreenElement.id'), 'stage')
    b.eval('document.exitFullscreen()')
    # (Without that the show would play on for 128 s, past the wait's 120 s.)
    expect('after leaving fullscreen', b.wait_state('ended') and b.eval('!document.fullscreenElement'), True)
    return failures


def main():
    mode, web = sys.argv[1], sys.argv[2]
    if not os.path.exists(os.path.join(web, 'zibo.wasm')):
        print('%s has no zibo.wasm: run scripts/web.sh first' % web)
        return 77
    base = browser.serve(web)
    b = browser.Browser()
    try:
        failures = frames(b, base, *sys.argv[3:5]) if mode == 'frames' else page(b, base, web)
        if failures:
            print('FAILED:\n  ' + '\n  '.join(failures) + b.describe())
        return 1 if failures else 0
    except Exception as e:
        print('FAILED: %s%s' % (e, b.describe()))
        return 1
    finally:
        b.close()


if __name__ == '__main__':
    sys.exit(main())
