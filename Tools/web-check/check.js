// The browser version in Debian's chromium, headless, with touch emulation:
//   node check.js BUILD_WEB OUT_DIR
// Plays through the page at devicePixelRatio 1 and 2 and fails on the first step that does not
// hold. Screenshots of every step go to OUT_DIR; timings are printed at the end.
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const zlib = require("zlib");
const puppeteer = require("puppeteer-core");
const { serve } = require("./serve.js");

const [buildDir = "build-web", outDir = "build-web-check"] = process.argv.slice(2);
const port = Number(process.env.BONZELAR_WEB_PORT || 8113);
const chromium = process.env.CHROMIUM || "/usr/bin/chromium";
const benchSeconds = Number(process.env.BONZELAR_WEB_BENCH_SECONDS || 5);
const base = `http://127.0.0.1:${port}/`;
const results = [];
const consoleLines = []; // the page's console, shown when a step fails

function check(condition, what, detail) {
  if (!condition) throw new Error(`${what}${detail === undefined ? "" : ": " + JSON.stringify(detail)}`);
  console.log(`  ok  ${what}`);
}

// Just enough PNG for chromium's screenshots: 8-bit RGB or RGBA, not interlaced.
function decodePNG(buffer) {
  let offset = 8, width = 0, height = 0, type = 0;
  const idat = [];
  while (offset < buffer.length) {
    const length = buffer.readUInt32BE(offset);
    const name = buffer.toString("ascii", offset + 4, offset + 8);
    const data = buffer.subarray(offset + 8, offset + 8 + length);
    if (name === "IHDR") {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      type = data[9];
      if (data[8] !== 8 || (type !== 2 && type !== 6) || data[12] !== 0) throw new Error("unexpected PNG format");
    } else if (name === "IDAT") {
      idat.push(data);
    }
    offset += 12 + length;
  }
  const channels = type === 6 ? 4 : 3;
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const pixels = Buffer.alloc(width * height * 4);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? line[i - channels] : 0, b = previous[i], c = i >= channels ? previous[i - channels] : 0;
      let p = 0;
      if (filter === 1) p = a;
      else if (filter === 2) p = b;
      else if (filter === 3) p = (a + b) >> 1;
      else if (filter === 4) {
        const e = a + b - c, pa = Math.abs(e - a), pb = Math.abs(e - b), pc = Math.abs(e - c);
        p = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      line[i] = (line[i] + p) & 255;
    }
    for (let x = 0; x < width; ++x)
      for (let k = 0; k < 4; ++k)
        pixels[(y * width + x) * 4 + k] = k < channels ? line[x * channels + k] : 255;
    previous = line;
  }
  return { width, height, pixels };
}

// Distinct colours in a box of the screenshot (CSS pixels scaled by dpr).
function colourCount(image, box) {
  const seen = new Set();
  for (let y = Math.floor(box.y); y < Math.min(image.height, box.y + box.height); y += 2)
    for (let x = Math.floor(box.x); x < Math.min(image.width, box.x + box.width); x += 2) {
      const i = (y * image.width + x) * 4;
      seen.add((image.pixels[i] << 16) | (image.pixels[i + 1] << 8) | image.pixels[i + 2]);
    }
  return seen.size;
}

function findNode(node, test) {
  if (node && typeof node === "object") {
    if (!Array.isArray(node) && test(node)) return node;
    for (const child of Object.values(node)) {
      const found = findNode(child, test);
      if (found) return found;
    }
  }
  return null;
}

async function run(browser, dpr) {
  console.log(`devicePixelRatio ${dpr}`);
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  const errors = [];
  const fetched = new Set();
  page.on("request", (request) => {
    if (request.url().startsWith(base)) fetched.add(request.url().slice(base.length).split("?")[0] || "index.html");
  });
  page.on("pageerror", (error) => errors.push(error.message));
  page.on("console", (message) => {
    if (message.type() === "error") errors.push(message.text());
    consoleLines.push(`dpr ${dpr}: ${message.text()}`);
  });
  const css = { width: 360, height: 640 };
  await page.emulate({ viewport: { ...css, deviceScaleFactor: dpr, isMobile: true, hasTouch: true },
    userAgent: await browser.userAgent() });
  let shot = 0;
  const screenshot = async (name) => {
    const file = path.join(outDir, `dpr${dpr}-${++shot}-${name}.png`);
    const buffer = await page.screenshot({ path: file });
    return decodePNG(Buffer.from(buffer));
  };
  const dump = () => page.evaluate(() => window.bonzelarTest.dump());
  const waitFor = (fn, arg, what, timeout = 30000) =>
    page.waitForFunction(fn, { timeout, polling: 100 }, arg).catch(() => { throw new Error(`timed out: ${what}`); });
  // View points (origin top left) to page CSS pixels, through the same letterbox as the game.
  const viewToPage = (x, y) => {
    const w = css.width * dpr, h = css.height * dpr;
    const vw = w * 3 > h * 2 ? Math.floor(h * 2 / 3) : w, vh = w * 3 > h * 2 ? h : Math.floor(w * 3 / 2);
    const left = Math.floor((w - vw) / 2), top = h - Math.floor((h - vh) / 2) - vh;
    return { x: (left + x * vw / 320) / dpr, y: (top + y * vh / 480) / dpr, scale: vw / 320 / dpr };
  };
  const tapView = async (x, y) => {
    const p = viewToPage(x, y);
    await page.touchscreen.tap(p.x, p.y);
  };
  const tapItem = async (text) => {
    const node = findNode((await dump()).nodes, (n) => n.tapPoint && n.text === text);
    check(node, `"${text}" is on screen`);
    await tapView(node.tapPoint[0], node.tapPoint[1]);
  };
  const settle = () => new Promise((resolve) => setTimeout(resolve, 1500));
  const waitForScene = (scene) =>
    waitFor((s) => window.bonzelarTest.dump().scene === s, scene, `scene ${scene}`).catch(async (error) => {
      const d = await dump();
      console.log(JSON.stringify({ scene: d.scene, frame: d.frame }));
      await screenshot("failed");
      throw error;
    });

  // Start: the page loads, offers "Tap to play", and the game draws its first frames.
  const started = Date.now();
  await page.goto(base);
  await waitFor(() => document.getElementById("prompt").textContent === "Tap to play", null, "Tap to play");
  const ready = Date.now() - started;
  await screenshot("tap-to-play");
  const tapped = Date.now();
  await page.touchscreen.tap(css.width / 2, css.height / 2);
  await waitFor(() => window.bonzelarTest.running() && window.bonzelarTest.dump().frame >= 2, null, "first frames");
  const firstFrame = Date.now() - tapped;
  // What the first visit transferred, were the host to gzip it.
  const gzipped = (name) => zlib.gzipSync(fs.readFileSync(path.join(buildDir, name)), { level: 9 }).length;
  const firstVisit = [...fetched].map(decodeURIComponent).filter((name) => fs.existsSync(path.join(buildDir, name)));
  const visitBytes = firstVisit.reduce((sum, name) => sum + gzipped(name), 0);
  const programBytes = gzipped("bonzelar.wasm") + gzipped("bonzelar.js");
  check(visitBytes <= 4e6 && programBytes <= 1e6, "the first visit is at most 4 MB gzipped, wasm and js 1 MB",
    [visitBytes, programBytes]);
  const wrongScale = firstVisit.filter((name) => dpr >= 2
    ? !name.includes("@2x.") && name.endsWith(".png")
      && fs.existsSync(path.join(buildDir, name.replace(/\.png$/, "@2x.png")))
    : name.includes("@2x."));
  check(wrongScale.length === 0, "only pictures of the screen's scale are fetched", wrongScale);
  let state = await dump();
  check(state.scene === "GameScene", "the game runs", state.scene);
  const expectedScale = dpr >= 2 ? 2 : 1;
  check(await page.evaluate(() => window.bonzelarTest.scale) === expectedScale, `pictures of scale ${expectedScale}`);
  const game = await screenshot("game");
  const view = viewToPage(0, 0);
  check(colourCount(game, { x: view.x * dpr, y: view.y * dpr, width: 320 * view.scale * dpr,
    height: 480 * view.scale * dpr }) > 50, "the view shows a picture, not a blank");

  // A touch drag on the chest pulls the figure sideways.
  state = await dump();
  const chest = state.game.bodies.chest.position;
  const layer = state.game.layerPosition;
  const from = { x: chest[0] + layer[0] + 18, y: 480 - (chest[1] + layer[1] + 22) };
  const p0 = viewToPage(from.x, from.y);
  await page.touchscreen.touchStart(p0.x, p0.y);
  let holds = null;
  for (let step = 1; step <= 10; ++step) {
    const p = viewToPage(from.x + step * 10, from.y);
    await page.touchscreen.touchMove(p.x, p.y);
    await new Promise((resolve) => setTimeout(resolve, 40));
    if (step === 5) holds = (await dump()).game.mouse.holds;
  }
  await new Promise((resolve) => setTimeout(resolve, 300));
  const during = await dump();
  await screenshot("drag");
  await page.touchscreen.touchEnd();
  check(holds !== null, "the finger holds a part of the figure", holds);
  const moved = during.game.bodies.chest.position[0] - chest[0];
  check(moved > 30, "the drag moved the chest to the right", moved);

  // Device motion: a phone held upright, then turned to the right, turns gravity that way.
  await page.evaluate(() => {
    const sample = (x, y, z) => window.dispatchEvent(
      new DeviceMotionEvent("devicemotion", { accelerationIncludingGravity: { x, y, z } }));
    for (let i = 0; i < 5; ++i) sample(0, 9.81, 0);
    for (let i = 0; i < 40; ++i) sample(-6.94, 6.94, 0);
  });
  const gravity = (await dump()).game.gravity;
  check(gravity[0] > 0.4 * Math.abs(gravity[1]), "a tilt to the right turns gravity to the right", gravity);

  // A double tap opens the options; Physics Options changes gravity for the next game.
  // On a loaded machine the two taps can reach the page further apart than a double tap may be;
  // a player would tap again, and so does the test, a few times at most.
  const openOptions = async () => {
    let opened = false;
    for (let attempt = 0; attempt < 4 && !opened; ++attempt) {
      await tapView(40, 60);
      await tapView(40, 60);
      opened = await page.waitForFunction(() => window.bonzelarTest.dump().scene !== "GameScene",
        { timeout: 4000, polling: 100 }).then(() => true, () => false);
    }
    await waitForScene("GeneralOptionsScene");
    await settle(); // let the flip finish
  };
  await openOptions();
  await screenshot("general-options");

  // A desktop browser's keys reach the menus: an arrow highlights an item, in a frame two
  // points wide (drawn as triangles, since WebGL draws lines one pixel wide).
  await page.keyboard.press("ArrowDown");
  await waitFor(() => JSON.stringify(window.bonzelarTest.dump().nodes).includes('"highlighted"'), null,
    "a highlighted menu item");
  const framed = await screenshot("keyboard-highlight");
  const runs = [];
  for (let x = 0; x < framed.width; ++x) {
    let run = 0;
    for (let y = 0; y <= framed.height; ++y) {
      const i = (y * framed.width + x) * 4;
      const yellow = y < framed.height && Math.abs(framed.pixels[i] - 255) < 16
        && Math.abs(framed.pixels[i + 1] - 210) < 16 && Math.abs(framed.pixels[i + 2] - 60) < 16;
      if (yellow) ++run;
      else if (run) { runs.push(run); run = 0; }
    }
  }
  runs.sort((a, b) => a - b);
  const thickness = runs.length ? runs[Math.floor(runs.length / 2)] : 0;
  const lineWidth = 2 * Math.max(1, view.scale * dpr);
  check(thickness >= Math.floor(lineWidth * 0.75), "the highlight frame is two points wide", [thickness, lineWidth]);
  await tapItem("Physics Options");
  await waitForScene("PhysicsOptionsScene");
  await new Promise((resolve) => setTimeout(resolve, 1500));
  const slider = findNode((await dump()).nodes, (n) => n.class === "Slider" && n.maximumValue === 800);
  check(slider, "the gravity slider is on screen");
  const [sx, sy, sw, sh] = slider.frame;
  const thumb = sx + 12 + (slider.value - slider.minimumValue) / (slider.maximumValue - slider.minimumValue) * (sw - 24);
  const t0 = viewToPage(thumb, sy + sh / 2);
  await page.touchscreen.touchStart(t0.x, t0.y);
  for (let step = 1; step <= 8; ++step) {
    const p = viewToPage(thumb + (sx + sw * 0.75 - thumb) * step / 8, sy + sh / 2);
    await page.touchscreen.touchMove(p.x, p.y);
  }
  await page.touchscreen.touchEnd();
  const setting = (await dump()).settings.gravity;
  check(Math.abs(setting - slider.value) > 50, "the slider changed the gravity setting", [slider.value, setting]);
  await screenshot("physics-options");
  await tapItem("Return to Game");
  await waitForScene("GameScene");
  await new Promise((resolve) => setTimeout(resolve, 1500));
  const next = (await dump()).game.gravity;
  check(Math.abs(Math.hypot(next[0], next[1]) - setting) < 1, "the next game has that gravity", [next, setting]);
  await screenshot("next-game");

  // A reload keeps the settings.
  await page.reload();
  await waitFor(() => document.getElementById("prompt").textContent === "Tap to play", null, "Tap to play again");
  await page.touchscreen.tap(css.width / 2, css.height / 2);
  await waitFor(() => window.bonzelarTest.running() && window.bonzelarTest.dump().frame >= 2, null, "frames after reload");
  const reloaded = await dump();
  check(Math.abs(reloaded.settings.gravity - setting) < 1e-3, "a reload keeps the setting", reloaded.settings.gravity);
  check(Math.abs(Math.hypot(...reloaded.game.gravity) - setting) < 1, "and the game after it uses it");
  await screenshot("after-reload");

  // The phone's own photo chooser answers "Set Custom Face": a file that is not a picture gets
  // the desktop's alert, a closed chooser leaves the page as it was, and a photo goes through
  // "Crop Face" into the game.
  await openOptions();
  await tapItem("Display Options");
  await waitForScene("GraphicsOptionsScene");
  await settle();
  await tapItem("Change Face");
  await waitForScene("FaceSelectorScene");
  await settle();
  const choose = async () => {
    const [chooser] = await Promise.all([page.waitForFileChooser({ timeout: 10000 }), tapItem("Set Custom Face")]);
    check(!chooser.isMultiple(), "the phone's own photo chooser opens, for one file");
    return chooser;
  };
  const findAlert = (d) => findNode(d.nodes, (n) => n.class === "AlertView");
  await (await choose()).accept([notPicture]);
  await waitFor(() => JSON.stringify(window.bonzelarTest.dump().nodes).includes('"Picture Not Usable"'), null,
    "the not-a-picture alert");
  const alert = findAlert(await dump());
  check(alert && /notes\.txt: not a PNG or JPEG picture/.test(alert.message), "a text file is refused, by name",
    alert && alert.message);
  await screenshot("not-a-picture");
  const ok = alert.buttons.find((b) => b.title === "OK");
  await tapView(ok.tapPoint[0], ok.tapPoint[1]);
  await waitFor(() => !JSON.stringify(window.bonzelarTest.dump().nodes).includes('"Picture Not Usable"'), null,
    "the alert closes");
  check((await dump()).settings.customFaceImage === undefined, "and no face is stored");

  await (await choose()).cancel();
  await new Promise((resolve) => setTimeout(resolve, 500));
  const afterCancel = await dump();
  check(afterCancel.scene === "FaceSelectorScene" && !findAlert(afterCancel), "a closed chooser leaves the page");
  await screenshot("chooser-closed");

  await (await choose()).accept([photo]);
  await waitForScene("FaceCropperScene");
  await settle();
  await screenshot("crop-face");
  await tapItem("Accept Face");
  await waitForScene("FaceSelectorScene");
  const stored = (await dump()).settings.customFaceImage;
  check(stored && stored.bytes > 1000, "the cropped face is stored", stored);
  await settle();
  await screenshot("face-chosen");
  await tapItem("Return to Game");
  await waitForScene("GameScene");
  await settle();
  await screenshot("custom-face");

  check(errors.length === 0, "no errors on the page", errors);
  await context.close();
  return { dpr, readyMs: ready, firstFrameMs: firstFrame, firstVisitGzipBytes: visitBytes,
    wasmJsGzipBytes: programBytes };
}

const percentile = (values, p) => {
  const sorted = values.slice().sort((a, b) => a - b);
  return +sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * p))].toFixed(2);
};

// The play of Tools/bench/play-60s.script, as the headless runner plays it, for benchSeconds
// (60 frames a second) in a fresh page: the intervals between the page's animation frames, and
// the program's own time in each frame.
async function bench(browser, dpr) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.emulate({ viewport: { width: 360, height: 640, deviceScaleFactor: dpr, isMobile: true, hasTouch: true },
    userAgent: await browser.userAgent() });
  await page.goto(base);
  await page.waitForFunction(() => document.getElementById("prompt").textContent === "Tap to play", { timeout: 30000 });
  await page.touchscreen.tap(180, 320);
  await page.waitForFunction(() => window.bonzelarTest.running() && window.bonzelarTest.dump().frame >= 2,
    { timeout: 30000 });
  const script = fs.readFileSync(path.join(__dirname, "..", "bench", "play-60s.script"), "utf8");
  const { intervals, work } = await page.evaluate((text, frames) => new Promise((resolve) => {
    const steps = [];
    let at = 0;
    for (const line of text.split("\n")) {
      const words = line.replace(/#.*/, "").trim().split(/\s+/);
      if (!words[0]) continue;
      if (words[0] === "at") at = Number(words[1]);
      else steps.push({ at, words });
    }
    const test = window.bonzelarTest;
    const phases = { down: 0, move: 1, up: 2 };
    test.frameWork(); // from here on
    const intervals = [];
    let frame = 0, next = 0, last = null;
    const tick = (now) => {
      if (last !== null) intervals.push(now - last);
      last = now;
      for (; next < steps.length && steps[next].at <= frame; ++next) {
        const w = steps[next].words;
        // Browsers report g in m/s², pointing the other way.
        if (w[0] === "touch") test.pointer(phases[w[1]], Number(w[2]), Number(w[3]), Number(w[4]));
        else if (w[0] === "accel") test.motion(-9.81 * w[1], -9.81 * w[2], -9.81 * w[3]);
      }
      if (++frame <= frames) requestAnimationFrame(tick);
      else resolve({ intervals, work: test.frameWork() });
    };
    requestAnimationFrame(tick);
  }), script, Math.round(benchSeconds * 60));
  await context.close();
  return { frames: intervals.length, medianFrameMs: percentile(intervals, 0.5), p99FrameMs: percentile(intervals, 0.99),
    medianWorkMs: percentile(work, 0.5), p99WorkMs: percentile(work, 0.99) };
}

// After one visit the service worker holds everything: with the server stopped, a reload still
// plays. Stops the server, so it comes last.
async function offline(browser, server) {
  console.log("offline");
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.emulate({ viewport: { width: 360, height: 640, deviceScaleFactor: 1, isMobile: true, hasTouch: true },
    userAgent: await browser.userAgent() });
  const play = async (what) => {
    await page.waitForFunction(() => document.getElementById("prompt").textContent === "Tap to play",
      { timeout: 30000 }).catch(() => { throw new Error(`timed out: Tap to play ${what}`); });
    await page.touchscreen.tap(180, 320);
    await page.waitForFunction(() => window.bonzelarTest.running() && window.bonzelarTest.dump().frame >= 2,
      { timeout: 30000 }).catch(() => { throw new Error(`timed out: frames ${what}`); });
  };
  await page.goto(base);
  await play("online");
  // The pictures and sounds of this scale, the page and the program, all in the worker's cache.
  await page.waitForFunction(async () => {
    const names = (await caches.keys()).filter((name) => name.startsWith("bonzelar-"));
    if (names.length !== 1 || !navigator.serviceWorker.controller) return false;
    const cache = await caches.open(names[0]);
    const listing = await (await cache.match("resources.json")).json();
    const wanted = listing.common.concat(window.bonzelarTest.scale >= 2 ? listing.x2 : listing.x1);
    const kept = await Promise.all(["bonzelar.wasm", "bonzelar.js", "index.html"].concat(
      wanted.map((name) => "Resources/" + name)).map((url) => cache.match(url)));
    return kept.every(Boolean);
  }, { timeout: 30000, polling: 250 }).catch(() => { throw new Error("timed out: the service worker's cache"); });
  check(true, "the service worker keeps the game's files");
  server.closeAllConnections();
  await new Promise((resolve) => server.close(resolve));
  const refused = await fetch(base).then(() => false, () => true);
  check(refused, "the server is stopped");
  await page.reload();
  await play("offline");
  check((await page.evaluate(() => window.bonzelarTest.dump())).scene === "GameScene", "a reload plays offline");
  await page.screenshot({ path: path.join(outDir, "offline.png") });
  await context.close();
}

// A photo of a face, encoded as JPEG by the browser itself, and a file that is not a picture.
let photo = "", notPicture = "";
async function makePictures(browser, dir) {
  const page = await browser.newPage();
  const data = await page.evaluate(() => {
    const canvas = document.createElement("canvas");
    canvas.width = 600;
    canvas.height = 800;
    const g = canvas.getContext("2d");
    const sky = g.createLinearGradient(0, 0, 0, 800);
    sky.addColorStop(0, "#3a6ea5");
    sky.addColorStop(1, "#9cc3e6");
    g.fillStyle = sky;
    g.fillRect(0, 0, 600, 800);
    g.fillStyle = "#e8b48a";
    g.beginPath(); g.ellipse(300, 400, 170, 220, 0, 0, 2 * Math.PI); g.fill();
    g.fillStyle = "#5a3a1a";
    g.beginPath(); g.ellipse(300, 230, 180, 90, 0, Math.PI, 2 * Math.PI); g.fill();
    g.fillStyle = "#fff";
    for (const x of [230, 370]) { g.beginPath(); g.ellipse(x, 370, 34, 22, 0, 0, 2 * Math.PI); g.fill(); }
    g.fillStyle = "#2a5a2a";
    for (const x of [230, 370]) { g.beginPath(); g.arc(x, 370, 14, 0, 2 * Math.PI); g.fill(); }
    g.strokeStyle = "#a03030";
    g.lineWidth = 12;
    g.beginPath(); g.arc(300, 470, 80, 0.15 * Math.PI, 0.85 * Math.PI); g.stroke();
    return canvas.toDataURL("image/jpeg", 0.9).split(",")[1];
  });
  await page.close();
  photo = path.join(dir, "face.jpg");
  fs.writeFileSync(photo, Buffer.from(data, "base64"));
  notPicture = path.join(dir, "notes.txt");
  fs.writeFileSync(notPicture, "Not a picture at all, whatever the chooser was asked for.\n");
}

(async () => {
  fs.mkdirSync(outDir, { recursive: true });
  const server = await serve(buildDir, port);
  const userData = fs.mkdtempSync(path.join(os.tmpdir(), "bonzelar-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync", "--enable-unsafe-swiftshader",
      `--user-data-dir=${userData}`],
  });
  let failed = false;
  try {
    await makePictures(browser, userData);
    for (const dpr of [1, 2]) results.push(await run(browser, dpr));
    for (const r of results) Object.assign(r, await bench(browser, r.dpr));
    await offline(browser, server);
  } catch (error) {
    console.error(consoleLines.slice(-20).join("\n"));
    console.error(`FAILED: ${error.message}`);
    failed = true;
  } finally {
    await browser.close();
    if (server.listening) server.close();
    fs.rmSync(userData, { recursive: true, force: true });
  }
  for (const r of results) console.log(JSON.stringify(r));
  console.log(failed ? "0 passed, 1 failed" : `${results.length} passed, 0 failed`);
  process.exit(failed ? 1 : 0);
})();
