// The browser build in headless Chromium (SwiftShader's WebGL 2), served from loopback: the page
// starts from its address and plays, its clock follows the music WebAudio plays, it reaches the
// show's end, Escape ends it, a missing data.pak is an error on the page; and frames at chosen
// music times, read back from the page's frame buffer, match the Linux capture's.
//
// Run by ctest (tests/CMakeLists.txt) with ORV_WEB_OUT (build-web/), ORV_CAPTURE_PAGE (the capture
// tool's page) and ORV_NATIVE_CAPTURE (the Linux orvalune-capture, on an X display).
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { Browser, serve } from './browser.mjs';
import { comparePictures, decodePng } from './pictures.mjs';

const webOut = process.env.ORV_WEB_OUT;
const capturePage = process.env.ORV_CAPTURE_PAGE;
const nativeCapture = process.env.ORV_NATIVE_CAPTURE;
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

let browser, page, captures;
before(async () => {
  assert.ok(webOut && capturePage && nativeCapture, 'ORV_WEB_OUT, ORV_CAPTURE_PAGE and ORV_NATIVE_CAPTURE must be set');
  page = await serve(webOut, {
    missing: ['/missing/data.pak', '/nojs/orvalune.js'],
    alias: { '/missing/': '/', '/stall/': '/', '/unsized/': '/', '/nojs/': '/', '/foreign/': '/' },
    // A sound zip that holds none of the show's files.
    files: { '/foreign/data.pak': new URL('../../fuzz/corpus/archive/good.zip', import.meta.url).pathname },
    stallOnce: ['/stall/data.pak'],
    trickle: ['/unsized/data.pak'],
    slow: ['/nojs/data.pak'],
  });
  captures = await serve(capturePage);
  browser = await Browser.launch({ width: 960, height: 540 });
});
after(async () => {
  await browser?.close();
  await page?.close();
  await captures?.close();
});

// The page playing from `startMs`, started from its address alone.
async function play(startMs) {
  await browser.open(`${page.url}index.html?autoplay=1&start=${startMs}`);
  await browser.waitFor(`document.title.startsWith('Orvalune — playing')`, 60, 'the page to play');
}

const position = () => browser.evaluate('Module._orvPositionMs()');
const heard = () => browser.evaluate('Module.orvAudio.context.currentTime * 1000');

test('the page plays from ?start= and its clock follows what WebAudio has played', async () => {
  await play(100000);
  assert.match(await browser.title(), /^Orvalune — playing 1:4\d$/);
  assert.equal(await browser.evaluate('Module.orvAudio.context.state'), 'running');
  const [p0, h0, f0] = [await position(), await heard(), await browser.evaluate('Module.orvFrames')];
  await sleep(3000);
  const [p1, h1, f1] = [await position(), await heard(), await browser.evaluate('Module.orvFrames')];
  console.log(`the page drew ${((f1 - f0) / 3).toFixed(1)} frames a second`);
  assert.ok(p0 >= 100000, `the show starts at the music time asked for, not at ${p0} ms`);
  // The clock runs with the audio hardware's, not beside it: both advance alike.
  assert.ok(h1 - h0 > 2000, `WebAudio played ${h1 - h0} ms in 3 s`);
  assert.ok(Math.abs((p1 - p0) - (h1 - h0)) < 250, `the show advanced ${p1 - p0} ms while WebAudio played ${h1 - h0} ms`);
  assert.ok(f1 > f0, 'frames were drawn');
  // With the sound held, nothing more is heard: the show's clock stops too (a wall clock would run
  // on), within the one buffer it counts as playing; and it goes on once the sound does.
  await browser.evaluate('Module.orvAudio.context.suspend()');
  const held = await position();
  await sleep(2000);
  const stillHeld = await position();
  assert.ok(stillHeld - held < 200, `the clock ran ${stillHeld - held} ms while no sound was played`);
  await browser.evaluate('Module.orvAudio.context.resume()');
  await sleep(1000);
  assert.ok(await position() - stillHeld > 500, 'the clock goes on with the sound');
  // Every program of the show built from its translation, with an empty log (WebGL's compiler
  // and linker speak only of problems).
  assert.equal(browser.console.filter((line) => /Shader ".*" loaded/.test(line)).length, 31);
  const problems = browser.console.filter((line) => /ERROR|WARNING|GL error|stand-in/i.test(line));
  assert.deepEqual(problems, []);
});

// A browser that lets no sound start before a gesture: started from its address, the show waits
// with its sound, and the first click starts both.
test('without the autoplay permission the show waits for a click, then plays with its sound', async () => {
  const strict = await Browser.launch({ width: 640, height: 360, autoplay: false });
  try {
    await strict.open(`${page.url}index.html?autoplay=1&start=40000`);
    await strict.waitFor(`document.title.startsWith('Orvalune — playing')`, 60, 'the page to start');
    const waiting = await strict.evaluate('Module._orvPositionMs()');
    await sleep(1500);
    assert.ok(await strict.evaluate('Module._orvPositionMs()') - waiting < 200, 'the clock ran with no sound allowed');
    for (const type of ['mousePressed', 'mouseReleased'])
      await strict.send('Input.dispatchMouseEvent', { type, x: 100, y: 100, button: 'left', clickCount: 1 });
    await strict.waitFor(`Module.orvAudio.context.state === 'running' && Module._orvPositionMs() > ${waiting + 1000}`, 20,
      'the sound and the clock to start after the click');
  } finally {
    await strict.close();
  }
});

// A frozen (or busy) page runs no frame and feeds no sound while its thread is held: five 8-second
// holds are not taken for a lost device (no new AudioContext, no wall clock), and the music goes on
// in step. (Chromium's lifecycle freeze via DevTools replays the missed sound callbacks and so
// hides the fault; a held thread does not.)
test('a page frozen five times goes on with its music, in step', async () => {
  await play(60000);
  await browser.evaluate('window.firstAudio = Module.orvAudio');
  for (let i = 0; i < 5; ++i) {
    await browser.evaluate('(() => { const until = performance.now() + 8000; while (performance.now() < until); })()');
    await sleep(1500);
  }
  assert.deepEqual(browser.console.filter((line) => /sound device|sound is back/.test(line)), []);
  assert.ok(await browser.evaluate('Module.orvAudio === window.firstAudio'), 'the same sound device throughout');
  // Both read at once; the show's position moves a frame at a time, and frames are slow here.
  const reading = () => browser.evaluate('[Module._orvPositionMs(), Module.orvAudio.context.currentTime * 1000]');
  const [p0, h0] = await reading();
  await sleep(3000);
  const [p1, h1] = await reading();
  assert.ok(h1 - h0 > 2500, `WebAudio played ${h1 - h0} ms in 3 s after the freezes`);
  assert.ok(Math.abs((p1 - p0) - (h1 - h0)) < 300, `the show advanced ${p1 - p0} ms while WebAudio played ${h1 - h0} ms`);
});

// A lost WebGL context pauses the show with a word in the title and a line in the log (not one a
// frame); once the context is back the show goes on from where it paused.
test('a lost and restored WebGL context pauses the show, then it goes on from there', async () => {
  await play(150000);
  await browser.evaluate(`window.lose = document.getElementById('canvas').getContext('webgl2').getExtension('WEBGL_lose_context')`);
  const linesBefore = browser.console.length;
  await browser.evaluate('window.lose.loseContext()');
  await browser.waitFor(`document.title === 'Orvalune — paused: the graphics context was lost'`, 15, 'the pause');
  const pausedAt = await position();
  await sleep(2000);
  assert.ok(await position() - pausedAt < 200, 'the show stays where it paused');
  const lines = browser.console.slice(linesBefore);
  assert.ok(lines.length <= 2, `${lines.length} lines logged for the loss:\n${lines.slice(-5).join('\n')}`);
  await browser.evaluate('window.lose.restoreContext()');
  await browser.waitFor(`document.title.startsWith('Orvalune — playing')`, 60, 'the show to go on');
  const resumed = await position();
  assert.ok(resumed >= pausedAt - 100 && resumed < pausedAt + 10000, `went on at ${resumed} ms after pausing at ${pausedAt} ms`);
});

test('the show ends by itself after its last frame', async () => {
  await play(360500);
  await browser.waitFor(`document.title === 'Orvalune — ended'`, 30, 'the end of the show');
  assert.ok(await browser.evaluate(`!document.getElementById('ended').classList.contains('hidden')`), 'the page says it has ended');
});

test('Escape fades the show out and ends it', async () => {
  await play(150000);
  const framesBefore = await browser.evaluate('Module.orvFrames');
  await browser.key(27, 'Escape');
  await sleep(200);
  await browser.key(27, 'Escape', true);
  await browser.waitFor(`document.title === 'Orvalune — ended'`, 15, 'the show to end after Escape');
  // The fade takes 1.15 s of the show's own time, over several frames: not a cut.
  const fadeFrames = await browser.evaluate('Module.orvFrames') - framesBefore;
  assert.ok(fadeFrames >= 2, `the show ended ${fadeFrames} frame after Escape, without its fade`);
});

test('a page without its data.pak says so in its title and on the page', async () => {
  await browser.open(`${page.url}missing/index.html?autoplay=1`);
  await browser.waitFor(`document.title.startsWith('Orvalune — error:')`, 30, 'the error');
  assert.match(await browser.title(), /data\.pak/);
});

test('a data.pak without the show\'s files is refused, naming what is missing', async () => {
  await browser.open(`${page.url}foreign/index.html?autoplay=1`);
  await browser.waitFor(`document.title.startsWith('Orvalune — error:')`, 60, 'the error');
  assert.match(await browser.evaluate(`document.getElementById('error').textContent`), /lacks \d+ files \(.*fisu\.t3d/);
});

// Each address value the program would refuse, or that would leave the tab unresponsive, is
// refused by the page before anything starts, naming it; the page never says it plays.
test('a bad address value is an error naming it, and the page never plays', async () => {
  for (const value of ['start=99999999', 'start=1e5', 'size=0x0', 'size=63x63', 'size=100000x100000', 'size=16384x16384', 'aspect=foo']) {
    await browser.open(`${page.url}index.html?autoplay=1&${value}`);
    await browser.waitFor(`document.title.startsWith('Orvalune — error:')`, 30, `the error for ${value}`);
    const title = await browser.title();
    assert.ok(title.includes(value), `the title names ${value}: ${title}`);
    assert.ok(await browser.evaluate(`!document.getElementById('failure').classList.contains('hidden')`), 'the error is on the page');
  }
});

// The program itself refusing its arguments (here an aspect the start screen never offers): its
// own words and exit code, never "playing".
test('a program that exits at once is reported with its message and exit code', async () => {
  await browser.open(`${page.url}index.html`);
  await browser.waitFor(`document.title === 'Orvalune — click to start'`, 60, 'the start screen');
  await browser.evaluate(`start('640x360', '5:4', false)`);
  await sleep(1000);
  const title = await browser.title();
  assert.match(title, /^Orvalune — error: orvalune: .*--aspect/);
  assert.match(await browser.evaluate(`document.getElementById('error').textContent`), /exit code 2/);
});

test('a stalled download of data.pak ends with a message naming it, and Try again loads it', async () => {
  await browser.open(`${page.url}stall/index.html?autoplay=1&start=20000`);
  await browser.waitFor(`document.title.startsWith('Orvalune — error:')`, 60, 'the stall to be noticed');
  assert.match(await browser.title(), /data\.pak/);
  await browser.evaluate(`document.getElementById('retry').click()`);
  await browser.waitFor(`document.title.startsWith('Orvalune — playing')`, 60, 'the page to play after Try again');
});

test('without a Content-Length the download shows the bytes received', async () => {
  await browser.open(`${page.url}unsized/index.html`);
  await browser.waitFor(`/^Orvalune — loading [0-9.]+ MB$/.test(document.title) && parseFloat(document.title.split('loading ')[1]) > 0`,
    30, 'the bytes so far in the title');
  await browser.waitFor(`document.title === 'Orvalune — click to start'`, 60, 'the end of the download');
});

test('a program script that fails while data.pak loads leaves the error in the title', async () => {
  await browser.open(`${page.url}nojs/index.html?autoplay=1`);
  await browser.waitFor(`document.title.startsWith('Orvalune — error:')`, 30, 'the error');
  await sleep(3500); // data.pak would go on arriving for about three seconds
  assert.equal(await browser.title(), 'Orvalune — error: orvalune.js could not be loaded');
});

test('the canvas follows the window and the pixel ratio, keeping the picture\'s proportions', async () => {
  await browser.open(`${page.url}index.html?autoplay=1&size=640x360&start=30000`);
  await browser.waitFor(`document.title.startsWith('Orvalune — playing')`, 60, 'the page to play');
  try {
    for (const [width, height, deviceScaleFactor] of [[500, 600, 1], [1200, 700, 2], [960, 300, 1]]) {
      await browser.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor, mobile: false });
      await sleep(300);
      const box = await browser.evaluate(`(() => { const r = document.getElementById('canvas').getBoundingClientRect(); return [r.width, r.height]; })()`);
      assert.ok(Math.abs(box[0] / box[1] - 640 / 360) < 0.02, `shown at ${box[0]}x${box[1]} in ${width}x${height}`);
      assert.ok(Math.abs(box[0] - width) <= 1 || Math.abs(box[1] - height) <= 1, `${box[0]}x${box[1]} fills ${width}x${height} one way`);
    }
  } finally {
    await browser.send('Emulation.clearDeviceMetricsOverride');
  }
});

// Music times across the show, each in a different scene (the water of the opening, the forest's
// lines, the fish in their shadow map, the jellyfish, the ropes), captured as a viewer sees them
// (played from the start of the scenes live then) at 10 frames a second, in the page and on Linux.
const frameTimes = [1000, 74500, 95200, 133800, 254500];

// SwiftShader and llvmpipe rasterise alike but not to the bit (edge rules, texture filtering and
// blending rounding), and smooth lines and points are our quads in the browser where Mesa has its
// own: measured over 22 times of the show, a right frame differs by at most 2.0 levels on average,
// with at most 8 % of its pixels more than 8 levels off and 1.7 % more than 32 (thin bright lines a
// pixel aside). A scene drawn wrong moves these far more: the opening without its water surface
// (a dim layer over a third of the picture) was 3.1 levels off with 17 % of its pixels past 8.
const tolerance = { meanDifference: 2.5, nearShare: 0.12, farShare: 0.025 };

test('frames in the page match the Linux capture within the stated tolerance', async () => {
  const folder = mkdtempSync(join(tmpdir(), 'orv-web-frames-'));
  try {
    for (const at of frameTimes) {
      const args = ['--at', String(at), '--size', '320x240', '--fps', '10'];
      await browser.open(`${captures.url}index.html?args=${encodeURIComponent(args.join(','))}`);
      const result = await browser.waitFor('window.captureResult', 300, `the page's capture at ${at} ms`);
      assert.equal(result.exitCode, 0, `the page's capture at ${at} ms failed: ${result.log.slice(-5).join('\n')}`);
      const name = `at_${String(at).padStart(6, '0')}.png`;
      const web = decodePng(Buffer.from(result.files[name], 'base64'));
      execFileSync(nativeCapture, [...args, '--out', join(folder, String(at))], { stdio: 'ignore' });
      const native = decodePng(readFileSync(join(folder, String(at), name)));
      const d = comparePictures(web, native);
      assert.ok(d.meanDifference < tolerance.meanDifference && d.nearShare < tolerance.nearShare && d.farShare < tolerance.farShare,
        `the frame at ${at} ms differs from Linux's: ${JSON.stringify(d)}`);
    }
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
});

// Wraps WebGL 2's state setters before the page's scripts run and counts the calls that set what
// the context already holds (window.orvRedundant, by method), following what WebGL itself changes:
// a deleted texture or buffer is unbound, a program's uniforms are its own.
const findRedundantCalls = `(() => {
  const proto = WebGL2RenderingContext.prototype;
  const held = new Map(), uniforms = new Map(), redundant = {};
  let unit = 0, program = null;
  window.orvRedundant = redundant;
  const wrap = (name, keyOf) => {
    const original = proto[name];
    proto[name] = function (...args) {
      const [key, value] = keyOf(args);
      const text = value.map((v) => (typeof v === 'object' && v !== null ? v : String(v)));
      const before = held.get(key);
      if (before && before.length === text.length && before.every((v, i) => v === text[i]))
        redundant[name] = (redundant[name] || 0) + 1;
      held.set(key, text);
      return original.apply(this, args);
    };
  };
  wrap('enable', ([cap]) => ['cap' + cap, [true]]);
  wrap('disable', ([cap]) => ['cap' + cap, [false]]);
  for (const name of ['blendFunc', 'depthFunc', 'depthMask', 'colorMask', 'cullFace', 'polygonOffset', 'viewport', 'scissor', 'clearColor', 'bindVertexArray'])
    wrap(name, (args) => [name, args]);
  wrap('activeTexture', ([u]) => { unit = u; return ['activeTexture', [u]]; });
  wrap('bindTexture', ([target, texture]) => ['texture' + unit + ':' + target, [texture]]);
  wrap('useProgram', ([p]) => { program = p; return ['useProgram', [p]]; });
  wrap('bindBuffer', ([target, buffer]) => ['buffer' + target, [buffer]]);
  const forget = (name, matches) => {
    const original = proto[name];
    proto[name] = function (object) {
      for (const [key, value] of held) if (matches(key) && value[0] === object) held.delete(key);
      return original.call(this, object);
    };
  };
  forget('deleteTexture', (key) => key.startsWith('texture'));
  forget('deleteBuffer', (key) => key.startsWith('buffer'));
  forget('deleteProgram', (key) => key === 'useProgram');
  for (const name of Object.getOwnPropertyNames(proto).filter((n) => /^uniform(\\d|Matrix)/.test(n))) {
    const original = proto[name];
    proto[name] = function (location, ...args) {
      if (location) {
        // WebGL 2's array forms take a view of the whole heap with an offset and a length.
        const at = args.findIndex((a) => ArrayBuffer.isView(a));
        const sent = at < 0 ? args : args.slice(0, at).concat([Array.from(args[at].subarray(args[at + 1] || 0,
          args[at + 2] === undefined ? args[at].length : (args[at + 1] || 0) + args[at + 2]))]);
        const text = JSON.stringify(sent);
        if (!uniforms.has(program)) uniforms.set(program, new Map());
        const values = uniforms.get(program);
        if (values.get(location) === text) redundant[name] = (redundant[name] || 0) + 1;
        values.set(location, text);
      } else {
        redundant[name + ' at no location'] = (redundant[name + ' at no location'] || 0) + 1;
      }
      return original.call(this, location, ...args);
    };
  }
  const link = proto.linkProgram;
  proto.linkProgram = function (p) { uniforms.delete(p); return link.call(this, p); };
})();`;

test('the page sends WebGL no call that sets what it already holds', async () => {
  const { identifier } = await browser.send('Page.addScriptToEvaluateOnNewDocument', { source: findRedundantCalls });
  try {
    // The jellyfish (the show's programs, wide smooth lines, attribute stacks) and the forest (quads).
    for (const [from, to] of [[119000, 119400], [69000, 69400]]) {
      const args = ['--from', String(from), '--to', String(to), '--fps', '10', '--size', '320x240'];
      await browser.open(`${captures.url}index.html?args=${encodeURIComponent(args.join(','))}`);
      const result = await browser.waitFor('window.captureResult && { exitCode: captureResult.exitCode, redundant: orvRedundant }', 300, `the page's capture from ${from} ms`);
      assert.equal(result.exitCode, 0);
      assert.deepEqual(result.redundant, {}, `calls from ${from} ms that changed nothing, by method`);
    }
  } finally {
    await browser.send('Page.removeScriptToEvaluateOnNewDocument', { identifier });
  }
});
