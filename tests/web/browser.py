# browser.py - headless Chromium driven over the DevTools protocol on a
# pipe (--remote-debugging-pipe: JSON messages ending in NUL on fds 3/4),
# and a static file server on 127.0.0.1, for the page's tests and benchmark.
# Needs nothing beyond Python's standard library and Debian's chromium. The
# page's console and errors reach Chromium's stderr, which failures show.
import functools, http.server, json, os, signal, subprocess, tempfile, threading, time

FLAGS = ['--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--no-first-run', '--disable-quic', '--autoplay-policy=no-user-gesture-required',
         '--window-size=800,600', '--enable-logging=stderr', '--remote-debugging-pipe']


# Serves `folder` on 127.0.0.1; returns the base URL.
def serve(folder):
    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args): pass

    class Server(http.server.ThreadingHTTPServer):
        def handle_error(self, request, address): pass  # pages left while loading break pipes
    server = Server(('127.0.0.1', 0), functools.partial(Quiet, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return 'http://127.0.0.1:%d/' % server.server_port


class Browser:
    def __init__(self, chromium='/usr/bin/chromium'):
        self.profile = tempfile.TemporaryDirectory(ignore_cleanup_errors=True)
        self.log = open(os.path.join(self.profile.name, 'stderr.txt'), 'w+')
        to_child, self.out = os.pipe()
        self.inp, from_child = os.pipe()
        self.proc = subprocess.Popen([chromium, *FLAGS, '--user-data-dir=' + self.profile.name],
                                     stdout=self.log, stderr=self.log, pass_fds=(3, 4), start_new_session=True,
                                     preexec_fn=lambda: (os.dup2(to_child, 3), os.dup2(from_child, 4)))
        os.close(to_child)
        os.close(from_child)
        self.next_id, self.replies, self.session = 0, {}, None
        self.cond = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()
        target = self.call('Target.createTarget', url='about:blank')['targetId']
        self.session = self.call('Target.attachToTarget', targetId=target, flatten=True)['sessionId']
        self.call('Emulation.setDeviceMetricsOverride', width=800, height=600, deviceScaleFactor=1,
                  mobile=False)

    def _read(self):
        data = b''
        while chunk := os.read(self.inp, 1 << 16):
            *messages, data = (data + chunk).split(b'\0')
            with self.cond:
                for message in map(json.loads, messages):
                    self.replies[message.get('id')] = message
                self.cond.notify_all()

    # One command, to the page once attached; its result.
    def call(self, method, **params):
        with self.cond:
            self.next_id += 1
            key = self.next_id
        message = {'id': key, 'method': method, 'params': params}
        if self.session:
            message['sessionId'] = self.session
        os.write(self.out, json.dumps(message).encode() + b'\0')
        with self.cond:
            if not self.cond.wait_for(lambda: key in self.replies, 120):
                raise RuntimeError('%s: no answer in 120 s' % method)
            reply = self.replies.pop(key)
        if 'error' in reply:
            raise RuntimeError('%s: %s' % (method, reply['error']))
        return reply['result']

    def eval(self, expression):
        result = self.call('Runtime.evaluate', expression=expression, awaitPromise=True, returnByValue=True)
        if 'exceptionDetails' in result:
            raise RuntimeError('%s: %s' % (expression, result['exceptionDetails']))
        return result['result'].get('value')

    def open(self, url):
        return self.call('Page.navigate', url=url)

    # Polls until `expression` is truthy; returns its value.
    def wait_for(self, expression, timeout=120):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if value := self.eval(expression):
                return value
            time.sleep(0.05)
        raise RuntimeError('waited %d s for %s' % (timeout, expression))

    # Waits for the page's state to be one of `states`; returns it.
    def wait_state(self, *states):
        return self.wait_for('(s => %s.includes(s) && s)(document.body && document.body.dataset.state)'
                             % json.dumps(states))

    # A real mouse click at the middle of the element.
    def click(self, element_id):
        x, y = self.eval('(r => [r.x + r.width / 2, r.y + r.height / 2])'
                         '(document.getElementById(%s).getBoundingClientRect())' % json.dumps(element_id))
        for kind in ('mousePressed', 'mouseReleased'):
            self.call('Input.dispatchMouseEvent', type=kind, x=x, y=y, button='left', clickCount=1)

    def key(self, key, key_code):
        for kind in ('keyDown', 'keyUp'):
            self.call('Input.dispatchKeyEvent', type=kind, key=key, code=key, windowsVirtualKeyCode=key_code)

    # Chromium's state and the last lines of its stderr (the page's console among them).
    def describe(self):
        self.log.flush()
        self.log.seek(0)
        lines = [line for line in self.log if 'dbus' not in line]
        status = 'running' if self.proc.poll() is None else 'exit %s' % self.proc.returncode
        return '\n--- chromium (%s), stderr:\n%s' % (status, ''.join(lines[-25:]))

    def close(self):
        os.killpg(self.proc.pid, signal.SIGKILL)  # chromium and its helpers
        self.proc.wait()
        self.profile.cleanup()
