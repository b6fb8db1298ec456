// The browser build's figures for bench/README.md: what a viewer downloads (gzip, as a server
// would send it), the time from opening the page to its first frame, and the time per frame of a
// few scenes in headless Chromium (SwiftShader) against the Linux capture on llvmpipe, both through
// the capture tool's drawing and read-back at the same size and rate.
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

const page = await serve(webOut);
const captures = await serve(capturePage);
const browser = await Browser.launch({ width: 1280, height: 720 });
try {
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
    [213000, 215000, 'spray (`suihke`) at its fullest']];
  const drawn = (text) => {
    const m = /([\d.]+) s drawing, ([\d.]+) s finishing and reading back/.exec(text);
    return m ? Number(m[1]) + Number(m[2]) : NaN;
  };
  console.log('## Frame times (640x360, 30 fps, drawing and read-back per frame)\n\n| range | scene | browser ms | native ms | ratio |\n|---|---|---:|---:|---:|');
  const folder = mkdtempSync(join(tmpdir(), 'orv-web-bench-'));
  for (const [from, to, scene] of ranges) {
    const args = ['--from', String(from), '--to', String(to), '--fps', '30', '--size', '640x360'];
    await browser.open(`${captures.url}index.html?args=${encodeURIComponent(args.join(','))}`);
    // Only the count and the log come back: a range's pictures are more than the debugging
    // connection carries in one message.
    const result = await browser.waitFor('window.captureResult && { log: captureResult.log, frames: Object.keys(captureResult.files).length }', 600, 'the capture');
    const frames = result.frames;
    const web = drawn(result.log.join('\n')) * 1000 / frames;
    const run = spawnSync(nativeCapture, [...args, '--out', join(folder, String(from))], { encoding: 'utf8' });
    const native = drawn(run.stderr || '') * 1000 / frames;
    console.log(`| ${from}-${to} | ${scene} | ${web.toFixed(1)} | ${native.toFixed(1)} | ${(web / native).toFixed(2)} |`);
  }
  rmSync(folder, { recursive: true, force: true });
} finally {
  await browser.close();
  await page.close();
  await captures.close();
}
