// The page's end-to-end run in headless Chromium (puppeteer-core): loads the page from the local
// server, clicks through a balloon of two pages, the overlay menu and three scene changes, takes
// a screenshot of each moment once the picture is at rest, compares it with the desktop replay
// harness's frame of the same moment, checks that sound is played after the first click and
// that every sound the page decoded is the desktop's file (same header and length, the same
// loudness over time), and prints what the page transferred and when its first
// picture came.
//   node e2e.js URL REFERENCE_DIR OUT_DIR GAME_DIR
// GAME_DIR is the desktop's demo game folder: data/ as stored, plain/ the same files in clear.
'use strict';
const fs = require('fs');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [url, referenceDir, outDir, gameDir] = process.argv.slice(2);
const kMenuBar = 20;            // the menu bar above the 800x600 picture
const kMaxMeanDiff = 2;         // per channel, 0..255
const kFirstFrameLimitMs = 3000;
const kTransferLimit = 8 * 1000 * 1000;
const kMaxLevelDb = 1;           // a decoded sound's loudness against the desktop's

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Counts what SDL's audio processor hands to the browser: calls, and calls with sound in them.
// Headless Chromium lets any page play sound at once; a desktop browser keeps a page's audio
// suspended until the first click or key, as done here, so the test sees what players see.
function watchAudio() {
  window.audioSeen = { calls: 0, loud: 0 };
  const Real = window.AudioContext;
  window.AudioContext = function (...args) {
    const context = new Real(...args);
    context.suspend();
    return context;
  };
  window.AudioContext.prototype = Real.prototype;
  const make = AudioContext.prototype.createScriptProcessor;
  AudioContext.prototype.createScriptProcessor = function (...args) {
    const node = make.apply(this, args);
    let handler = null;
    Object.defineProperty(node, 'onaudioprocess', {
      get() { return handler; },
      set(f) {
        handler = f;
        node.addEventListener('audioprocess', (e) => {
          if (handler !== f) return;
          f.call(node, e);
          window.audioSeen.calls++;
          const data = e.outputBuffer.getChannelData(0);
          for (let i = 0; i < data.length; i += 16) {
            if (Math.abs(data[i]) > 1e-3) { window.audioSeen.loud++; break; }
          }
        });
      },
    });
    return node;
  };
}

async function main() {
  fs.mkdirSync(outDir, { recursive: true });
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--use-angle=swiftshader', '--ignore-gpu-blocklist',
           '--window-size=900,760'],
  });
  const cmpPage = await browser.newPage();
  const page = await browser.newPage();
  await page.bringToFront();
  await page.setViewport({ width: 900, height: 760, deviceScaleFactor: 1 });
  const logs = [];
  page.on('console', (m) => logs.push(`console.${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => logs.push(`page error: ${e.message}`));
  page.on('dialog', async (d) => { logs.push(`dialog: ${d.message()}`); await d.dismiss(); });
  await page.evaluateOnNewDocument(watchAudio);

  // Bytes on the wire per resource, and which came before the first picture.
  const cdp = await page.target().createCDPSession();
  await cdp.send('Network.enable');
  const urls = new Map();
  const transferred = [];
  cdp.on('Network.requestWillBeSent', (e) => urls.set(e.requestId, e.request.url));
  cdp.on('Network.loadingFinished', (e) => transferred.push({ url: urls.get(e.requestId), bytes: e.encodedDataLength, at: Date.now() }));

  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction('window.firstFrameAt !== undefined || window.gameOver', { timeout: 60000 });
  const firstFrameMs = await page.evaluate('window.firstFrameAt');
  const firstFrameWall = Date.now();
  check(firstFrameMs !== undefined, 'the game started');
  if (firstFrameMs === undefined) throw new Error('the game ended at start-up:\n' + logs.join('\n'));

  const box = await page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return { x: r.left, y: r.top };
  });
  const at = (x, y) => [box.x + x, box.y + kMenuBar + y];
  const away = async () => page.mouse.move(2, 2);  // off the canvas: the game draws no pointer
  const clickCanvas = async (x, y, button = 'left') => {
    await page.mouse.move(...at(x, y));
    await page.mouse.click(...at(x, y), { button });
    await sleep(30);
    await away();
  };
  const state = async () => page.evaluate(() => JSON.parse(Module.UTF8ToString(Module._web_game_state())));
  // Waits until what (a test of the game's state) holds and nothing moves, for a few frames.
  const settle = async (what, label, limitMs = 60000) => {
    const t0 = Date.now();
    let since = -1;
    for (;;) {
      const s = await state();
      const still = what(s) && !s.transition && !s.balloonMoving && !s.menuMoving;
      if (!still) since = -1;
      else if (since < 0) since = s.frames;
      else if (s.frames - since >= 4) return s;
      if (Date.now() - t0 > limitMs) throw new Error(`${label}: the game did not come to rest: ${JSON.stringify(s)}`);
      await sleep(50);
    }
  };
  const shot = async () => page.screenshot({ clip: { x: box.x, y: box.y + kMenuBar, width: 800, height: 600 } });
  const keep = async (name) => {
    const png = await shot();
    fs.writeFileSync(path.join(outDir, name + '.png'), png);
    return png;
  };

  // Pixel comparison in a blank page of the browser (made before the game's page, which must
  // stay in front: a page behind gets no animation frames): mean absolute difference per channel.
  const compare = async (name, png) => {
    const ref = fs.readFileSync(path.join(referenceDir, name + '.png')).toString('base64');
    const d = await cmpPage.evaluate(async (a, b) => {
      const pixels = async (b64) => {
        const img = new Image();
        img.src = 'data:image/png;base64,' + b64;
        await img.decode();
        const c = document.createElement('canvas');
        c.width = 800; c.height = 600;
        const g = c.getContext('2d');
        g.drawImage(img, 0, 0);
        return g.getImageData(0, 0, 800, 600).data;
      };
      const p = await pixels(a), q = await pixels(b);
      const sum = [0, 0, 0];
      for (let i = 0; i < p.length; i += 4) for (let k = 0; k < 3; k++) sum[k] += Math.abs(p[i + k] - q[i + k]);
      return sum.map((s) => s / (800 * 600));
    }, png.toString('base64'), ref);
    check(d.every((v) => v < kMaxMeanDiff),
          `${name}: matches the desktop frame (mean difference per channel R ${d[0].toFixed(2)} G ${d[1].toFixed(2)} B ${d[2].toFixed(2)})`);
  };

  // The cover, before any gesture: browsers that keep sound for after a gesture play nothing yet.
  await away();
  await settle((s) => s.scene === 0, 'cover');
  await compare('start', await keep('start'));
  const before = await page.evaluate('window.audioSeen');
  check(before.loud === 0, `no sound before the first click (${before.calls} audio callbacks)`);

  // The first click, on the page below the picture (the game sees nothing of it): the opening
  // sound starts from its beginning. (A click on the picture would be the game's, and a click
  // on a figure ends the opening sound, on the desktop too.)
  await page.mouse.click(box.x + 400, box.y + kMenuBar + 600 + 20);
  await sleep(1500);
  const after = await page.evaluate('window.audioSeen');
  check(after.calls > before.calls && after.loud > 0,
        `sound plays after the first click (${after.calls - before.calls} audio callbacks, ${after.loud} with sound)`);

  // A balloon: its first page, a click, its second page; two more clicks close it.
  await clickCanvas(450, 445);
  await compare('balloon-1', (await settle((s) => s.balloon && s.page === 0, 'balloon page 1'), await keep('balloon-1')));
  await clickCanvas(450, 445);
  await compare('balloon-2', (await settle((s) => s.balloon && s.page === 1, 'balloon page 2'), await keep('balloon-2')));
  await clickCanvas(450, 445);
  await settle((s) => s.balloon && s.page === 2, 'balloon page 3');
  await clickCanvas(450, 445);
  await settle((s) => !s.balloon, 'balloon closed');

  // The overlay menu: the right button opens it, its cancel label closes it.
  await clickCanvas(400, 300, 'right');
  await settle((s) => s.menu, 'menu open');
  await compare('menu-open', await keep('menu-open'));
  await clickCanvas(198, 300);
  await settle((s) => !s.menu, 'menu closed');

  // Three scene changes through the top-right corner (transitions 10, 1 and 2).
  for (const n of [1, 2, 3]) {
    await clickCanvas(759, 39);
    await settle((s) => s.scene === n, `scene ${n}`);
    await compare(`scene-${n}`, await keep(`scene-${n}`));
  }
  const end = await state();
  const seconds = (Date.now() - firstFrameWall) / 1000;
  console.log(`     ${end.frames} frames in ${seconds.toFixed(1)} s: ${(end.frames / seconds).toFixed(1)} frames a second`);

  // What came over the wire: before the first picture, and in all (the later scenes' data
  // follows in the background).
  const whole = await page.waitForFunction('window.storyLoaded === true', { timeout: 60000 })
    .then(() => true, () => false);
  check(whole, 'the later scenes\' pictures and sounds arrived');
  await sleep(500);

  // The decoded sounds against the desktop's files. The page's file XOR the stored file is its
  // samples XOR the plain samples (the key cancels), which gives the page's samples in clear.
  const sounds = await (await fetch(new URL('sounds.json', url))).json();
  for (const s of sounds) {
    const rel = s.path.replace('/game/data/', '');
    const stored = fs.readFileSync(path.join(gameDir, 'data', rel));
    const plain = fs.readFileSync(path.join(gameDir, 'plain', rel));
    const got = Buffer.from(await page.evaluate((p) => {
      const bytes = Module.FS.analyzePath(p).exists ? Module.FS.readFile(p) : new Uint8Array(0);
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      return btoa(text);
    }, s.path), 'base64');
    const head = Buffer.from(s.head, 'base64').length;
    const frame = got.length === stored.length && got.subarray(0, head).equals(stored.subarray(0, head)) &&
      got.subarray(head + s.length).equals(stored.subarray(head + s.length));
    // Vorbis keeps what is heard, not the waveform (noise comes back as other noise), so each
    // channel's loudness every 20 ms must follow the desktop's within kMaxLevelDb wherever
    // the desktop's is above -40 dB; the waveform's distance is printed besides.
    const channels = s.channels, span = Math.round(s.rate / 50), frames = Math.floor(s.length / (2 * channels));
    const sample = (buf, i) => buf.readInt16LE(head + 2 * i);
    const pageSample = (i) => {
      const k = head + 2 * i;
      return (((got[k] ^ stored[k] ^ plain[k]) | ((got[k + 1] ^ stored[k + 1] ^ plain[k + 1]) << 8)) << 16) >> 16;
    };
    let signal = 0, noise = 0, worst = 0;
    for (let c = 0; frame && c < channels; c++) {
      for (let start = 0; start < frames; start += span) {
        let a2 = 0, b2 = 0;
        const end = Math.min(frames, start + span);
        for (let f = start; f < end; f++) {
          const a = sample(plain, f * channels + c), b = pageSample(f * channels + c);
          a2 += a * a;
          b2 += b * b;
          noise += (a - b) * (a - b);
        }
        signal += a2;
        const db = (e) => 10 * Math.log10(Math.max(e / (end - start), 1) / (32768 * 32768));
        if (db(a2) > -40) worst = Math.max(worst, Math.abs(db(a2) - db(b2)));
      }
    }
    const snr = 10 * Math.log10(signal / Math.max(noise, 1));
    check(frame && worst < kMaxLevelDb,
          `${rel}: the page's file has the desktop's header and length; loudness within ${frame ? worst.toFixed(2) : '-'} dB ` +
          `(waveform ${frame ? snr.toFixed(1) : '-'} dB above the coding error)`);
  }

  const kb = (n) => `${(n / 1024).toFixed(0)} KB`;
  let early = 0, total = 0;
  for (const t of transferred) {
    if (!t.url || t.url.startsWith('data:')) continue;
    total += t.bytes;
    if (t.at <= firstFrameWall) early += t.bytes;
    console.log(`  ${path.basename(new URL(t.url).pathname) || 'index.html'}: ${kb(t.bytes)}`);
  }
  console.log(`transferred before the first picture: ${kb(early)}; in all: ${kb(total)}`);
  const startUpMs = await page.evaluate('window.startUpAt');
  console.log(`first picture ${firstFrameMs.toFixed(0)} ms after navigation (the game's start-up began at ${startUpMs.toFixed(0)} ms)`);
  check(total < kTransferLimit, `the whole story page is ${kb(total)} on the wire (limit ${kb(kTransferLimit)})`);
  // The time depends on the machine's load (the browser compiles the code and starts its threads
  // first), so it is reported against the goal rather than failing the run.
  console.log(firstFrameMs < kFirstFrameLimitMs ? `ok   first picture within ${kFirstFrameLimitMs} ms`
    : `note first picture later than the ${kFirstFrameLimitMs} ms goal on this machine (load ${require('os').loadavg()[0].toFixed(1)})`);
  // Emscripten warns whenever the page's thread waits for a lock a sound thread holds: brief
  // waits by design, not errors.
  const errors = logs.filter((l) => /error|abort|exception/i.test(l) && !/Blocking on the main thread/.test(l));
  check(errors.length === 0, 'no errors in the page' + (errors.length ? ':\n  ' + errors.join('\n  ') : ''));
  await browser.close();
  if (failures) {
    console.log(logs.join('\n'));
    process.exit(1);
  }
}

main().catch((e) => {
  console.error('e2e: ' + (e && e.stack || e));
  process.exit(1);
});
