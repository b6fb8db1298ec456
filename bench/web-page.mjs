// The browser build's figures for bench/README.md: what a viewer downloads (gzip, as a server
// would send it), the time from opening the page to its first frame, and the time per frame of a
// few scenes in headless Chromium (SwiftShader) against the Linux capture on llvmpipe, both through
// the capture tool's drawing and read-back at the same size and rate, with the WebGL calls the page
// makes per frame (every method of WebGL2RenderingContext counted, a frame ending at its read-back).
//
//   node --experimental-websocket bench/web-page.mjs BUILD-WEB CAPTURE-PAGE NATIVE-CAPTURE
// (scripts/build-web.sh makes the first two, in build-web/ and build-web-obj/capture-page/; the
// native capture tool needs an X display, LP_NUM_THREADS=2 as in the other bench figures.)
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { Browser, serve } from '../tests/web/browser.mjs';

const [webOut, capturePage, nativeCapture] = process.argv.slice(2);
if (!nativeCapture) {
  console.error('usage: web-page.mjs BUILD-WEB CAPTURE-PAGE NATIVE-CAPTURE');
  process.exit(2);
}

console.log('## Download (gzip -9)\n\n| file | bytes | gzip |\n|---|---:|---:|');
let total = 0, totalGzip = 0;
for (const name of ['index.html', 'orvalune.js', 'orvalune.wasm', 'data.pak']) {
  const bytes = readFileSync(join(webOut, name));
  const packed = gzipSync(bytes, { level: 9 }).length;
  total += bytes.length;
  totalGzip += packed;
  console.log(`| ${name} | ${bytes.length} | ${packed} |`);
}
console.log(`| all | ${total} | ${totalGzip} |\n`);

// Wraps every method of the WebGL 2 context's prototype before the page's own scripts run, and
// counts calls between read-backs: window.orvWebGlCalls.frames holds one count per frame read
// back (the calls from the end of the one before), byName the calls of all frames by method.
const countCalls = `(() => {
  const proto = WebGL2RenderingContext.prototype;
  const counts = { current: 0, currentByName: {}, frames: [], byName: {} };
  window.orvWebGlCalls = counts;
  for (const name of Object.getOwnPropertyNames(proto)) {
    const descriptor = Object.getOwnPropertyDescriptor(proto, name);
    if (typeof descriptor.value !== 'function' || name === 'constructor') continue;
    const original = descriptor.value;
    proto[name] = function (...args) {
      counts.current++;
      counts.currentByName[name] = (counts.currentByName[name] || 0) + 1;
      if (name === 'readPixels') {
        counts.frames.push(counts.current);
        // The first read-back ends start-up, not a frame: its calls are not a frame's.
        if (counts.frames.length > 1)
          for (const [n, c] of Object.entries(counts.currentByName)) counts.byName[n] = (counts.byName[n] || 0) + c;
        counts.current = 0;
        counts.currentByName = {};
      }
      return original.apply(this, args);
    };
  }
})();`;

const page = await serve(webOut);
const captures = await serve(capturePage);
const browser = await Browser.launch({ width: 1280, height: 720 });
try {
  await browser.send('Page.addScriptToEvaluateOnNewDocument', { source: countCalls });
  // From navigation to the first frame drawn, by the page's own clock, with data.pak from loopback.
  const starts = [];
  for (let run = 0; run < 3; ++run) {
    await browser.open(`${page.url}index.html?autoplay=1&start=40000`);
    starts.push(await browser.waitFor(`window.Module && Module.orvFrames >= 1 && performance.now()`, 60, 'the first frame'));
  }
  starts.sort((a, b) => a - b);
  console.log(`## Start-up\n\nOpening the page to its first frame (1280x720 window, loopback): median ${Math.round(starts[1])} ms of 3 (${starts.map(Math.round).join(', ')}).\n`);

  // Frame times: a range of each scene, drawn and read back, in the page and natively.
  const ranges = [[2000, 4000, 'opening (`fairyt`): smoke over the water'], [69000, 71000, 'forest (`metsae`)'],
    [119000, 121000, 'jellyfish (`meduusa`), all thirteen'], [154000, 156000, 'fish (`fisut`), shadow map'],
    [213000, 215000, 'spray (`suihke`) at its fullest'], [240000, 242000, 'ropes (`koysi`)']];
  const drawn = (text) => {
    const m = /([\d.]+) s drawing, ([\d.]+) s finishing and reading back/.exec(text);
    return m ? Number(m[1]) + Number(m[2]) : NaN;
  };
  console.log('## Frame times (640x360, 30 fps, drawing and read-back per frame)\n\n| range | scene | WebGL calls per frame | browser ms | native ms | ratio |\n|---|---|---:|---:|---:|---:|');
  const callsByScene = [];
  const folder = mkdtempSync(join(tmpdir(), 'orv-web-bench-'));
  for (const [from, to, scene] of ranges) {
    const args = ['--from', String(from), '--to', String(to), '--fps', '30', '--size', '640x360'];
    await browser.open(`${captures.url}index.html?args=${encodeURIComponent(args.join(','))}`);
    // Only the count and the log come back: a range's pictures are more than the debugging
    // connection carries in one message.
    const result = await browser.waitFor('window.captureResult && { log: captureResult.log, frames: Object.keys(captureResult.files).length, calls: orvWebGlCalls }', 600, 'the capture');
    // Every read-back but the first closes a frame: their mean.
    const perFrame = result.calls.frames.slice(1);
    const calls = perFrame.reduce((a, b) => a + b, 0) / Math.max(perFrame.length, 1);
    const top = Object.entries(result.calls.byName).sort((a, b) => b[1] - a[1]).slice(0, 8)
      .map(([name, count]) => `${name} ${(count / Math.max(perFrame.length, 1)).toFixed(1)}`);
    callsByScene.push(`${scene}: ${top.join(', ')}`);
    const frames = result.frames;
    const web = drawn(result.log.join('\n')) * 1000 / frames;
    const run = spawnSync(nativeCapture, [...args, '--out', join(folder, String(from))], { encoding: 'utf8' });
    const native = drawn(run.stderr || '') * 1000 / frames;
    console.log(`| ${from}-${to} | ${scene} | ${calls.toFixed(0)} | ${web.toFixed(1)} | ${native.toFixed(1)} | ${(web / native).toFixed(2)} |`);
  }
  console.log('\n## WebGL calls per frame by method (the eight most frequent)\n');
  for (const line of callsByScene) console.log(`- ${line}`);
  rmSync(folder, { recursive: true, force: true });
} finally {
  await browser.close();
  await page.close();
  await captures.close();
}
