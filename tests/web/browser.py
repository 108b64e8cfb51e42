# browser.py - headless Chromium driven over the DevTools protocol on a
# pipe (--remote-debugging-pipe: JSON messages ending in NUL on fds 3/4),
# and a static file server on 127.0.0.1, for the page's tests and benchmark.
# Needs nothing beyond Python's standard library and Debian's chromium.
import base64, functools, signal, http.server, json, os, queue, subprocess, tempfile, threading, time

FLAGS = ['--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--no-first-run', '--disable-quic', '--autoplay-policy=no-user-gesture-required',
         '--window-size=800,600', '--enable-logging=stderr', '--remote-debugging-pipe']


def serve(folder):
    """Serves `folder` on 127.0.0.1; returns the base URL."""
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

        def fds():
            os.dup2(to_child, 3)
            os.dup2(from_child, 4)
        self.proc = subprocess.Popen([chromium, *FLAGS, '--user-data-dir=' + self.profile.name, 'about:blank'],
                                     stdout=self.log, stderr=self.log, preexec_fn=fds, pass_fds=(3, 4),
                                     start_new_session=True)
        os.close(to_child)
        os.close(from_child)
        self.next_id, self.replies, self.console = 0, {}, []
        self.cond = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()
        target = self.call('Target.createTarget', url='about:blank')['targetId']
        self.session = self.call('Target.attachToTarget', targetId=target, flatten=True)['sessionId']
        for method in ('Page.enable', 'Runtime.enable'):
            self.call(method, session=True)
        self.call('Emulation.setDeviceMetricsOverride', session=True, width=800, height=600,
                  deviceScaleFactor=1, mobile=False)

    def _read(self):
        data = b''
        while True:
            chunk = os.read(self.inp, 1 << 16)
            if not chunk:
                break
            data += chunk
            *messages, data = data.split(b'\0')
            for raw in messages:
                message = json.loads(raw)
                with self.cond:
                    if 'id' in message:
                        self.replies[message['id']] = message
                    elif message.get('method') == 'Runtime.consoleAPICalled':
                        self.console.append(' '.join(str(a.get('value', a.get('description')))
                                                     for a in message['params']['args']))
                    elif message.get('method') == 'Runtime.exceptionThrown':
                        self.console.append(json.dumps(message['params']['exceptionDetails']))
                    self.cond.notify_all()

    def call(self, method, session=False, timeout=120, **params):
        with self.cond:
            self.next_id += 1
            key = self.next_id
        message = {'id': key, 'method': method, 'params': params}
        if session:
            message['sessionId'] = self.session
        os.write(self.out, json.dumps(message).encode() + b'\0')
        with self.cond:
            if not self.cond.wait_for(lambda: key in self.replies, timeout):
                raise RuntimeError('%s: no answer in %d s%s' % (method, timeout, self.describe()))
            reply = self.replies.pop(key)
        if 'error' in reply:
            raise RuntimeError('%s: %s' % (method, reply['error']))
        return reply['result']

    def eval(self, expression):
        result = self.call('Runtime.evaluate', session=True, expression=expression,
                           awaitPromise=True, returnByValue=True)
        if 'exceptionDetails' in result:
            raise RuntimeError('%s: %s' % (expression, result['exceptionDetails']))
        return result['result'].get('value')

    def open(self, url):
        self.call('Page.navigate', session=True, url=url)

    def wait_for(self, expression, timeout=120):
        """Polls until `expression` is truthy; returns its value."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            value = self.eval(expression)
            if value:
                return value
            time.sleep(0.05)
        raise RuntimeError('waited %d s for %s%s' % (timeout, expression, self.describe()))

    def wait_state(self, *states):
        return self.wait_for('(s => [%s].includes(s) && s)(document.body && document.body.dataset.state)'
                             % ','.join(json.dumps(s) for s in states))

    def screenshot_png(self):
        return base64.b64decode(self.call('Page.captureScreenshot', session=True, format='png')['data'])

    def click(self, element_id):
        """A real mouse click at the middle of the element."""
        x, y = self.eval('(r => [r.x + r.width / 2, r.y + r.height / 2])'
                         '(document.getElementById(%s).getBoundingClientRect())' % json.dumps(element_id))
        for kind in ('mousePressed', 'mouseReleased'):
            self.call('Input.dispatchMouseEvent', session=True, type=kind, x=x, y=y, button='left', clickCount=1)

    def key(self, key, code, key_code, kind='both'):
        for t in (['keyDown', 'keyUp'] if kind == 'both' else [kind]):
            self.call('Input.dispatchKeyEvent', session=True, type=t, key=key, code=code,
                      windowsVirtualKeyCode=key_code)

    def describe(self):
        self.log.flush()
        self.log.seek(0)
        return ('\n--- page console:\n' + '\n'.join(self.console[-20:]) +
                '\n--- chromium (%s) stderr, last lines:\n' % ('running' if self.proc.poll() is None else
                                                               'exit %s' % self.proc.returncode) +
                ''.join(self.log.readlines()[-20:]))

    def close(self):
        os.killpg(self.proc.pid, signal.SIGKILL)  # chromium and its helpers
        self.proc.wait()
        self.profile.cleanup()
