// Headless Chromium driven through its DevTools protocol, and a loopback server for build-web/:
// what the browser build's tests and benchmarks use. Node's own WebSocket (node
// --experimental-websocket) and http modules; Debian's chromium with SwiftShader for WebGL 2.
import { spawn } from 'node:child_process';
import { createReadStream, existsSync, mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.pak': 'application/octet-stream' };

// Serves `folder` on 127.0.0.1 at a free port; resolves to { url, close }. Paths in `missing` answer
// 404; a path starting with a key of `alias` is served as if it started with its value. Paths in
// `stallOnce` send half their bytes the first time and then nothing more (a dropped network that
// never says so); paths in `trickle` come in ten pieces 300 ms apart, without a Content-Length,
// and those in `slow` the same with one. A path that is a key of `files` answers with that file.
export function serve(folder, { missing = [], alias = {}, stallOnce = [], trickle = [], slow = [], files = {} } = {}) {
  const stalled = new Set();
  const server = createServer((request, response) => {
    let path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).replace(/^(\.\.[/\\])+/, '');
    const asked = path;
    const gone = missing.includes(path);
    for (const [from, to] of Object.entries(alias))
      if (path.startsWith(from)) path = to + path.slice(from.length);
    const file = files[asked] || join(folder, path === '/' ? 'index.html' : path);
    if (gone || !(file.startsWith(folder) || files[asked]) || !existsSync(file) || !statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    const type = types[extname(file)] || 'application/octet-stream';
    if (stallOnce.includes(asked) && !stalled.has(asked)) {
      stalled.add(asked);
      const bytes = readFileSync(file);
      response.writeHead(200, { 'Content-Type': type, 'Content-Length': bytes.length });
      response.write(bytes.subarray(0, bytes.length >> 1));
      return;
    }
    if (trickle.includes(asked) || slow.includes(asked)) {
      const bytes = readFileSync(file);
      response.writeHead(200, { 'Content-Type': type, ...(slow.includes(asked) ? { 'Content-Length': bytes.length } : {}) });
      const piece = Math.ceil(bytes.length / 10);
      let sent = 0;
      const next = () => {
        if (response.destroyed) return;
        response.write(bytes.subarray(sent, sent + piece));
        sent += piece;
        if (sent < bytes.length) setTimeout(next, 300);
        else response.end();
      };
      next();
      return;
    }
    response.writeHead(200, { 'Content-Type': type, 'Content-Length': statSync(file).size });
    createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => {
    resolve({
      url: `http://127.0.0.1:${server.address().port}/`,
      // A stalled answer would hold the server open for ever.
      close: () => new Promise((done) => { server.close(done); server.closeAllConnections(); }),
    });
  }));
}

// Every process of a browser started by launch(), gone or not.
function killGroup(child) {
  try { process.kill(-child.pid, 'SIGKILL'); } catch { /* already gone */ }
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

export class Browser {
  // Starts chromium headless with WebGL 2 on SwiftShader and sound allowed without a click.
  static async launch({ width = 1280, height = 720, autoplay = true } = {}) {
    const profile = mkdtempSync(join(tmpdir(), 'orv-chromium-'));
    const args = ['--headless=new', '--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      ...(autoplay ? ['--autoplay-policy=no-user-gesture-required'] : []), '--enable-logging=stderr', '--no-first-run', '--no-default-browser-check', '--disable-extensions',
      '--disable-background-timer-throttling', '--disable-renderer-backgrounding', '--disable-backgrounding-occluded-windows',
      `--window-size=${width},${height}`, '--remote-debugging-port=0', `--user-data-dir=${profile}`, 'about:blank'];
    // Debian's chromium is a script that starts the browser: in a group of its own, so that close()
    // ends every process of it, whatever state the browser is in.
    const process = spawn('chromium', args, { stdio: ['ignore', 'ignore', 'pipe'], detached: true });
    let log = '';
    process.stderr.on('data', (chunk) => { log = (log + chunk).slice(-20000); });
    const portFile = join(profile, 'DevToolsActivePort');
    for (let i = 0; i < 300 && !existsSync(portFile); ++i) await sleep(100);
    if (!existsSync(portFile)) {
      killGroup(process);
      throw new Error('chromium did not start: ' + log);
    }
    let lines = [];
    for (let i = 0; i < 50 && lines.length < 2; ++i) {
      lines = readFileSync(portFile, 'utf8').trim().split('\n');
      if (lines.length < 2) await sleep(100);
    }
    const socket = new WebSocket(`ws://127.0.0.1:${lines[0]}${lines[1]}`);
    await new Promise((resolve, reject) => { socket.onopen = resolve; socket.onerror = reject; });
    const browser = new Browser(process, socket, profile);
    browser.stderr = () => log;
    await browser.attach();
    return browser;
  }

  constructor(process, socket, profile) {
    this.process = process;
    this.socket = socket;
    this.profile = profile;
    this.nextId = 1;
    this.pending = new Map();
    this.console = [];
    this.listeners = [];
    socket.onmessage = (event) => this.receive(JSON.parse(event.data));
  }

  receive(message) {
    if (message.id && this.pending.has(message.id)) {
      const { resolve, reject } = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (message.error) reject(new Error(message.error.message));
      else resolve(message.result);
      return;
    }
    if (message.method === 'Runtime.consoleAPICalled') {
      const text = message.params.args.map((a) => a.value ?? a.description ?? '').join(' ');
      this.console.push(text);
    } else if (message.method === 'Runtime.exceptionThrown') {
      this.console.push('exception: ' + (message.params.exceptionDetails.exception?.description || message.params.exceptionDetails.text));
    }
    for (const listener of this.listeners) listener(message);
  }

  send(method, params = {}, sessionId = this.session) {
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    this.socket.send(JSON.stringify(message));
    return new Promise((resolve, reject) => this.pending.set(id, { resolve, reject }));
  }

  async attach() {
    const { targetInfos } = await this.send('Target.getTargets', {}, null);
    const page = targetInfos.find((t) => t.type === 'page');
    const { sessionId } = await this.send('Target.attachToTarget', { targetId: page.targetId, flatten: true }, null);
    this.session = sessionId;
    await this.send('Runtime.enable');
    await this.send('Page.enable');
  }

  async open(url) {
    this.console = [];
    await this.send('Page.navigate', { url });
  }

  // The value of a JavaScript expression in the page (promises awaited).
  async evaluate(expression) {
    const result = await this.send('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true });
    if (result.exceptionDetails)
      throw new Error(result.exceptionDetails.exception?.description || result.exceptionDetails.text);
    return result.result.value;
  }

  // Polls `expression` until it is truthy; its value, or an error naming `what` after `seconds`.
  async waitFor(expression, seconds, what) {
    const end = Date.now() + seconds * 1000;
    for (;;) {
      let value;
      // A page busy in one long call answers when it is done: not past the time allowed.
      // Its timer is cleared once the page answers, or it would hold the test process open.
      let timer;
      const late = new Promise((resolve) => { timer = setTimeout(resolve, Math.max(end - Date.now(), 0) + 100); });
      try { value = await Promise.race([this.evaluate(expression), late]); } catch { value = undefined; }
      clearTimeout(timer);
      if (value) return value;
      if (Date.now() > end) throw new Error(`timed out after ${seconds} s waiting for ${what}`);
      await sleep(100);
    }
  }

  title() { return this.evaluate('document.title').catch(() => ''); }

  // A key pressed (down, or up with `up`) as the page sees it: `code` is the Windows virtual key.
  key(code, key, up = false) {
    return this.send('Input.dispatchKeyEvent', { type: up ? 'keyUp' : 'rawKeyDown', windowsVirtualKeyCode: code, nativeVirtualKeyCode: code, key, code: key });
  }

  async screenshot() {
    const { data } = await this.send('Page.captureScreenshot', { format: 'png' });
    return Buffer.from(data, 'base64');
  }

  async close() {
    try { await this.send('Browser.close', {}, null); } catch { /* already gone */ }
    await Promise.race([new Promise((resolve) => this.process.once('exit', resolve)), sleep(5000)]);
    killGroup(this.process);
    rmSync(this.profile, { recursive: true, force: true });
  }
}
