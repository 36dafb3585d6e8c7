// The page around the game: canvas size, the "Tap to play" screen, the download of the pictures
// and sounds of this screen's scale, and the browser events the game hears.
"use strict";
(function () {
  const canvas = document.getElementById("canvas");
  const start = document.getElementById("start");
  const prompt = document.getElementById("prompt");
  const notice = document.getElementById("notice");
  let running = false;

  function say(text) {
    notice.textContent = text;
    notice.hidden = false;
    clearTimeout(say.timer);
    say.timer = setTimeout(() => { notice.hidden = true; }, 8000);
  }

  function stop(text) {
    start.hidden = false;
    start.style.cursor = "default";
    prompt.textContent = text;
  }

  const probe = document.createElement("canvas");
  let webgl = null;
  try { webgl = probe.getContext("webgl"); } catch (e) { webgl = null; }
  if (!webgl) {
    stop("Bonzelar needs WebGL, which this browser has switched off or does not offer. " +
         "Try another browser, or turn on hardware acceleration.");
    return;
  }

  // The canvas covers the page in device pixels; the game letterboxes its 2:3 view inside.
  function layout() {
    const dpr = window.devicePixelRatio || 1;
    const w = window.innerWidth, h = window.innerHeight;
    canvas.style.width = w + "px";
    canvas.style.height = h + "px";
    canvas.width = Math.round(w * dpr);
    canvas.height = Math.round(h * dpr);
    if (running) Module._bz_resize(canvas.width, canvas.height);
  }
  layout();
  const viewWidth = Math.min(canvas.width, canvas.height * 2 / 3);
  const scale = viewWidth / 320 >= 2 ? 2 : 1;

  // --- Sounds --------------------------------------------------------------------------------
  const sounds = {
    context: null,
    entries: new Map(),
    next: 0,
    // Browsers let a page make sound only after a tap on it.
    unlock() {
      const AudioContextClass = window.AudioContext || window.webkitAudioContext;
      if (!AudioContextClass) return;
      if (!this.context) this.context = new AudioContextClass();
      this.context.resume();
      const silence = this.context.createBufferSource();
      silence.buffer = this.context.createBuffer(1, 1, 22050);
      silence.connect(this.context.destination);
      silence.start(0);
    },
    create(path) {
      let bytes;
      try { bytes = FS.readFile(path); } catch (e) { return -1; }
      const id = this.next++;
      const entry = { buffer: null, sources: new Set() };
      this.entries.set(id, entry);
      if (this.context) {
        this.context.decodeAudioData(bytes.slice().buffer).then(
          (buffer) => { entry.buffer = buffer; }, () => {});
      }
      return id;
    },
    play(id) {
      const entry = this.entries.get(id);
      if (!entry || !entry.buffer || !this.context) return; // dropped, as with no audio device
      const source = this.context.createBufferSource();
      source.buffer = entry.buffer;
      source.connect(this.context.destination);
      source.onended = () => {
        entry.sources.delete(source);
        if (this.entries.has(id)) Module._bz_sound_ended(id);
      };
      entry.sources.add(source);
      source.start();
    },
    dispose(id) {
      const entry = this.entries.get(id);
      if (!entry) return;
      for (const source of entry.sources) {
        source.onended = null;
        try { source.stop(); } catch (e) { /* already over */ }
      }
      this.entries.delete(id);
    },
  };

  // --- Photos --------------------------------------------------------------------------------
  // The phone's own chooser: its photo library and its camera. Opened by the game from inside a
  // tap's event handler, as browsers require.
  const photoInput = document.createElement("input");
  photoInput.type = "file";
  photoInput.accept = "image/*";
  photoInput.hidden = true;
  document.body.appendChild(photoInput);
  let photoCount = 0;
  photoInput.addEventListener("change", async () => {
    const file = photoInput.files && photoInput.files[0];
    photoInput.value = ""; // choosing the same file again is a change too
    if (!file) { Module._bz_photo_cancelled(); return; }
    const dir = "/tmp/picked/" + ++photoCount;
    const filePath = dir + "/" + (file.name.replace(/[\/\0]/g, "_") || "picture");
    if (file.size <= 64 * 1024 * 1024) {
      try {
        const bytes = new Uint8Array(await file.arrayBuffer());
        FS.mkdir(dir);
        FS.writeFile(filePath, bytes);
      } catch (e) { /* unreadable: the game says the file could not be opened */ }
    }
    Module.ccall("bz_photo_chosen", null, ["string", "number"], [filePath, file.size]);
  });
  photoInput.addEventListener("cancel", () => Module._bz_photo_cancelled());

  // --- The module ----------------------------------------------------------------------------
  let runtimeReady = false;
  let files = null;
  let tapped = false;
  const fetchedUrls = [];

  window.Module = {
    canvas: canvas,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    bzSounds: sounds,
    bzNotice: say,
    bzChoosePhoto: () => photoInput.click(),
    bzFailed: () => stop("Bonzelar could not start in this browser."),
    onRuntimeInitialized: () => { runtimeReady = true; begin(); },
  };

  async function fetchResources() {
    const listing = await (await fetch("resources.json")).json();
    fetchedUrls.push("resources.json");
    const names = listing.common.concat(scale >= 2 ? listing.x2 : listing.x1);
    const loaded = await Promise.all(names.map(async (name) => {
      const url = "Resources/" + name;
      const response = await fetch(url);
      if (!response.ok) throw new Error(url + ": " + response.status);
      fetchedUrls.push(url);
      return [name, new Uint8Array(await response.arrayBuffer())];
    }));
    return loaded;
  }

  fetchResources().then((loaded) => { files = loaded; begin(); },
    (error) => stop("The game's files could not be loaded (" + error.message + "). Reload to try again."));

  const script = document.createElement("script");
  script.src = "bonzelar.js";
  script.onerror = () => stop("The game could not be loaded. Reload to try again.");
  document.body.appendChild(script);

  function begin() {
    if (!runtimeReady || !files || running) return;
    if (!tapped) { prompt.textContent = "Tap to play"; return; }
    FS.mkdir("/Resources");
    for (const [name, bytes] of files) FS.writeFile("/Resources/" + name, bytes);
    files = [];
    running = true;
    start.hidden = true;
    layout();
    listen();
    Module.callMain([]);
    offerOffline();
  }

  async function askForMotion() {
    // iOS asks the player, and only from inside a tap.
    if (typeof DeviceMotionEvent === "undefined" || typeof DeviceMotionEvent.requestPermission !== "function")
      return;
    try {
      const answer = await DeviceMotionEvent.requestPermission();
      if (answer !== "granted")
        say("Tilt is off. To steer gravity by tilting, allow Motion & Orientation Access for this site in " +
            "the browser's settings, then reload.");
    } catch (e) {
      say("Tilt is off: this browser did not let the game read the motion sensor.");
    }
  }

  start.addEventListener("click", () => {
    if (tapped || start.style.cursor === "default") return;
    tapped = true;
    sounds.unlock();
    askForMotion();
    prompt.textContent = "Loading\u2026";
    begin();
  });

  // --- Events --------------------------------------------------------------------------------
  function listen() {
    const phases = { pointerdown: 0, pointermove: 1, pointerup: 2, pointercancel: 3 };
    const down = new Set();
    const onPointer = (event) => {
      const phase = phases[event.type];
      if (phase === 0) {
        down.add(event.pointerId);
        try { canvas.setPointerCapture(event.pointerId); } catch (e) { /* not capturable */ }
      } else if (!down.has(event.pointerId)) {
        return; // a mouse moving with no button held
      }
      if (phase >= 2) down.delete(event.pointerId);
      const rect = canvas.getBoundingClientRect();
      const x = (event.clientX - rect.left) * canvas.width / rect.width;
      const y = (event.clientY - rect.top) * canvas.height / rect.height;
      Module._bz_pointer(phase, event.pointerId, x, y, event.timeStamp);
      event.preventDefault();
    };
    for (const type of Object.keys(phases)) canvas.addEventListener(type, onPointer);
    canvas.addEventListener("contextmenu", (event) => event.preventDefault());

    window.addEventListener("devicemotion", (event) => {
      const a = event.accelerationIncludingGravity;
      if (a && a.x !== null && a.y !== null && a.z !== null) Module._bz_motion(a.x, a.y, a.z);
    });
    const orientation = () => {
      const angle = screen.orientation ? screen.orientation.angle : (window.orientation || 0);
      Module._bz_orientation(angle);
    };
    if (screen.orientation) screen.orientation.addEventListener("change", orientation);
    else window.addEventListener("orientationchange", orientation);

    const keys = { ArrowLeft: 0, ArrowRight: 1, ArrowUp: 2, ArrowDown: 3, " ": 4, Enter: 5, Escape: 6, Backspace: 7 };
    const onKey = (event) => {
      if (!(event.key in keys) || event.ctrlKey || event.altKey || event.metaKey) return;
      Module._bz_key(keys[event.key], event.type === "keydown" ? 1 : 0, event.repeat ? 1 : 0);
      event.preventDefault();
    };
    window.addEventListener("keydown", onKey);
    window.addEventListener("keyup", onKey);

    document.addEventListener("visibilitychange", () => {
      Module._bz_visibility(document.visibilityState === "visible" ? 1 : 0);
    });
    window.addEventListener("pagehide", () => Module._bz_pagehide());
    window.addEventListener("pageshow", (event) => { if (event.persisted) Module._bz_visibility(1); });
    window.addEventListener("resize", layout);
  }

  // A service worker keeps what this visit fetched, so the next one works offline.
  function offerOffline() {
    if (!("serviceWorker" in navigator) || location.protocol === "file:") return;
    navigator.serviceWorker.register("sw.js").then(() => navigator.serviceWorker.ready).then((registration) => {
      if (registration.active)
        registration.active.postMessage({ keep: fetchedUrls });
    }).catch(() => {});
  }

  // For the browser test: the same state the headless runner dumps.
  window.bonzelarTest = {
    running: () => running,
    scale: scale,
    dump: () => JSON.parse(UTF8ToString(Module._bz_dump())),
    frameWork: () => JSON.parse(UTF8ToString(Module._bz_frame_work())),
    // Touches and motion in the page's own terms, as the browser would deliver them.
    pointer: (phase, id, viewX, viewY) => {
      const w = canvas.width, h = canvas.height;
      const vw = w * 3 > h * 2 ? Math.floor(h * 2 / 3) : w, vh = w * 3 > h * 2 ? h : Math.floor(w * 3 / 2);
      const left = Math.floor((w - vw) / 2), top = h - Math.floor((h - vh) / 2) - vh;
      Module._bz_pointer(phase, id, left + viewX * vw / 320, top + viewY * vh / 480, performance.now());
    },
    motion: (x, y, z) => Module._bz_motion(x, y, z),
  };
})();
