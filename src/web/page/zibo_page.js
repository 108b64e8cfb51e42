// The browser as the show's platform: it asks the question, fetches the
// media, plays the music through Web Audio and, once per animation frame,
// has the show (zibo.wasm) draw the picture for the music's position.
//
// Links: ?at=MS starts at music time MS; &paused holds that frame (no
// sound, no question); &answer=no skips the question, and the sound then
// starts on the first click or key press unless the browser lets it start
// at once. document.body.dataset.state tells where the page is (loading,
// question, waiting, playing, paused, cancelled, ended, error) and
// dataset.frameMs the music time of the last picture drawn.
'use strict';

(function () {
  const kPictureCount = 9;
  const $ = (id) => document.getElementById(id);
  const body = document.body;
  const params = new URLSearchParams(location.search);
  const startAt = Math.max(0, Math.trunc(Number(params.get('at')) || 0));
  const paused = params.has('paused');
  const answer = params.get('answer');

  let show = null;            // the wasm module's exports
  let audio = null;           // AudioContext
  let song = null, effect = null;  // decoded AudioBuffers
  let songSource = null, effectSource = null;
  let songStart = 0;          // context time at which songOffset plays
  let songOffset = 0;         // ms
  let lastMs = 0;
  let running = false;
  let wasFullscreen = false;
  const held = new Set();

  function setState(state) { body.dataset.state = state; }

  function say(title, text, offerAgain) {
    $('message-title').textContent = title;
    $('message-text').textContent = text;
    $('again-row').hidden = !offerAgain;
    $('message').hidden = false;
  }

  function fail(why) {
    running = false;
    console.error('zibo: ' + why);
    setState('error');
    say('zibo', 'The show cannot play: ' + why);
  }

  async function fetchBytes(name) {
    const response = await fetch(name);
    if (!response.ok) throw new Error(name + ': ' + response.status + ' ' + response.statusText);
    return new Uint8Array(await response.arrayBuffer());
  }

  // Copies bytes into the module's heap; the caller (or the show) frees them.
  function toHeap(module, bytes) {
    const pointer = module._malloc(bytes.length);
    module.HEAPU8.set(bytes, pointer);
    return pointer;
  }

  async function loadShow() {
    const module = await createZibo();
    const name = (i) => module.UTF8ToString(module._zibo_web_picture_name(i));
    const canvas = module._malloc(16);
    module.HEAPU8.set(new TextEncoder().encode('#screen\0'), canvas);
    const started = module._zibo_web_start(canvas);
    module._free(canvas);
    if (!started) throw new Error('this browser gives no WebGL');
    const names = Array.from({length: kPictureCount}, (_, i) => name(i));
    const [table, ...pictures] = await Promise.all(
        ['noise_spectrum.bin', ...names].map(fetchBytes));
    pictures.forEach((bytes, i) => module._zibo_web_put_picture(i, toHeap(module, bytes), bytes.length));
    const tablePointer = toHeap(module, table);
    const error = module.UTF8ToString(module._zibo_web_load(tablePointer, table.length));
    module._free(tablePointer);
    if (error) throw new Error(error);
    return module;
  }

  async function loadSound() {
    audio = new AudioContext();
    const decode = async (name) => audio.decodeAudioData((await fetchBytes(name)).buffer);
    // A missing or undecodable effect is no error: Space then does nothing.
    const noEffect = (e) => { console.warn('zibo: no effect sound: ' + e.message); return null; };
    [song, effect] = await Promise.all([decode('disco.mp3'), decode('s.ogg').catch(noEffect)]);
  }

  // The context time of the sample being heard now: the output timestamp
  // (which counts the output latency) carried forward to this moment.
  function heardTime() {
    if (audio.getOutputTimestamp) {
      const stamp = audio.getOutputTimestamp();
      if (stamp.contextTime > 0 && stamp.performanceTime > 0) {
        return stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000;
      }
    }
    return audio.currentTime - (audio.outputLatency || audio.baseLatency || 0);
  }

  // The music position in whole ms, truncated, never going back.
  function musicMs() {
    if (!songSource) return lastMs;
    const elapsed = heardTime() - songStart;
    const ms = songOffset + Math.max(0, Math.floor(elapsed * 1000));
    lastMs = Math.max(lastMs, ms);
    return lastMs;
  }

  function startSong(fromMs) {
    songSource = audio.createBufferSource();
    songSource.buffer = song;
    songSource.connect(audio.destination);
    songStart = audio.currentTime;
    songOffset = fromMs;
    lastMs = fromMs;
    songSource.start(songStart, fromMs / 1000);
  }

  function stopSound() {
    for (const source of [songSource, effectSource]) {
      if (source) try { source.stop(); } catch (e) { /* never started */ }
    }
    songSource = effectSource = null;
  }

  // Holding Space restarts the effect from its beginning every frame.
  function honk() {
    if (effectSource) try { effectSource.stop(); } catch (e) { /* ended */ }
    effectSource = audio.createBufferSource();
    effectSource.buffer = effect;
    effectSource.connect(audio.destination);
    effectSource.start();
  }

  function draw(ms) {
    show._zibo_web_draw(ms, held.has('h') ? 1 : 0);
    body.dataset.frameMs = String(ms);
  }

  function frame() {
    if (!running) return;
    const ms = musicMs();
    if (songSource && effect && held.has(' ')) honk();
    if (show._zibo_web_past_end(ms)) return end();  // that frame is not shown
    draw(ms);
    requestAnimationFrame(frame);
  }

  function end() {
    running = false;
    wasFullscreen = false;
    stopSound();
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    setState('ended');
    say('zibo', 'The show is over.', true);
  }

  // Starts the music (once the browser allows sound) and the frames.
  function play(fromMs) {
    $('message').hidden = true;
    running = true;
    lastMs = fromMs;
    const begin = () => {
      if (!running || songSource) return;
      $('note').hidden = true;
      startSong(fromMs);
      setState('playing');
    };
    if (audio.state === 'running') {
      begin();
    } else {
      setState('waiting');
      $('note').textContent = 'Click or press a key to start the sound.';
      $('note').hidden = false;
      const resume = () => {
        removeEventListener('pointerdown', resume);
        removeEventListener('keydown', resume);
        audio.resume().then(begin, (e) => console.warn('zibo: no sound yet: ' + e));
      };
      addEventListener('pointerdown', resume);
      addEventListener('keydown', resume);
      // Browsers that allow sound without a gesture start it now.
      audio.resume().then(() => { if (audio.state === 'running') begin(); }, () => {});
    }
    requestAnimationFrame(frame);
  }

  function ask() {
    return new Promise((resolve) => {
      setState('question');
      $('question').hidden = false;
      $('yes').focus();
      const choose = (choice) => {
        $('question').hidden = true;
        // The answer is a gesture that lets the sound start, even before loading ends.
        if (choice !== 'cancel') audio.resume().catch(() => {});
        resolve(choice);
      };
      $('yes').onclick = () => {
        // The click is the user gesture that fullscreen needs.
        $('stage').requestFullscreen().catch((e) => console.warn('zibo: no fullscreen: ' + e));
        choose('yes');
      };
      $('no').onclick = () => choose('no');
      $('cancel').onclick = () => choose('cancel');
      $('question').onkeydown = (e) => { if (e.key === 'Escape') choose('cancel'); };
    });
  }

  addEventListener('keydown', (e) => {
    const key = e.key.toLowerCase();
    if (key === ' ' || key === 'h') {
      held.add(key);
      if (running) e.preventDefault();
    }
    if (e.key === 'Escape' && running) end();
  });
  addEventListener('keyup', (e) => held.delete(e.key.toLowerCase()));
  // In fullscreen the browser takes Escape to leave it and the page never
  // sees the key: leaving fullscreen ends the show the same way.
  document.addEventListener('fullscreenchange', () => {
    if (document.fullscreenElement) wasFullscreen = true;
    else if (wasFullscreen && running) end();
  });
  addEventListener('blur', () => held.clear());
  $('again').onclick = () => play(0);

  async function main() {
    const loading = Promise.all([loadShow(), paused ? null : loadSound()]);
    loading.catch(() => {});  // reported below, once awaited
    const choice = paused || answer === 'no' ? 'no' : await ask();
    if (choice === 'cancel') {
      setState('cancelled');
      say('zibo', 'You chose Cancel, so the show does not play. Reload the page to be asked again.');
      return;
    }
    $('note').textContent = 'Loading the show...';
    $('note').hidden = false;
    try {
      [show] = await loading;
    } catch (e) {
      return fail(e.message);
    } finally {
      $('note').hidden = true;
    }
    if (paused) {
      draw(startAt);
      setState('paused');
      return;
    }
    play(startAt);
  }

  // For benchmarks and the console: one frame at music time ms, drawn and
  // waited for.
  window.zibo = {
    drawFrame(ms) { draw(ms); show._zibo_web_finish(); },
  };

  main();
})();
