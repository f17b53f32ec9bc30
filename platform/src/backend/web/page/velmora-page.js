// The page's side of the browser build: input, layout, full screen and what
// the game says. The game itself runs in a worker (velmora-game.js) and draws
// on the canvas there; the two talk by messages. The page keeps its state in
// window.velmora for whoever looks (the tests).
"use strict";

(function () {
  const canvas = document.getElementById("screen");
  const statusPanel = document.getElementById("status");
  const statusText = document.getElementById("status-text");
  const restartButton = document.getElementById("restart");
  const messagePanel = document.getElementById("message");
  const stage = document.getElementById("stage");
  const hint = document.getElementById("hint");
  const turn = document.getElementById("turn");
  let touchShown = false;  // the touch controls are shown: a phone or tablet

  const KEY_DOWN = 1, KEY_UP = 2, HIDDEN = 3, SHOWN = 4;
  // The game's picture size, as the game set its display mode.
  const picture = { width: canvas.width, height: canvas.height };

  const state = { state: "loading", frames: 0, firstFrameMs: null, exitStatus: null,
                  messages: [] };
  window.velmora = state;

  const game = new Worker("velmora-game.js");
  // How many sources hold each key (the keyboard, touches, a gamepad): the
  // game sees it go down with the first and up with the last.
  const holders = new Map();
  const keyboardHeld = new Set();

  // Windows virtual-key codes of the keys a player may press.
  const NAMED_KEYS = {
    Space: 0x20, Enter: 0x0d, NumpadEnter: 0x0d, Escape: 0x1b, Tab: 0x09, Backspace: 0x08,
    ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
    ShiftLeft: 0x10, ShiftRight: 0x10, ControlLeft: 0x11, ControlRight: 0x11,
    AltLeft: 0x12, AltRight: 0x12,
  };
  // The keys the game plays with: the browser's own use of them (scrolling,
  // the developer tools) would get in the way while it runs.
  const GAME_KEYS = new Set([0x20, 0x25, 0x26, 0x27, 0x28, 0x1b, 0x53, 0x7b]);

  function virtualKey(event) {
    // Letters as the keyboard's layout names them, as Windows maps them.
    if (/^[a-z]$/i.test(event.key)) {
      return event.key.toUpperCase().charCodeAt(0);
    }
    if (event.code in NAMED_KEYS) {
      return NAMED_KEYS[event.code];
    }
    let match = /^Digit([0-9])$/.exec(event.code);
    if (match) {
      return match[1].charCodeAt(0);
    }
    match = /^F([0-9]{1,2})$/.exec(event.code);
    if (match && Number(match[1]) >= 1 && Number(match[1]) <= 12) {
      return 0x6f + Number(match[1]);
    }
    return 0;
  }

  function push(kind, key) {
    game.postMessage({ event: (kind << 16) | key });
  }

  function hold(key) {
    const count = holders.get(key) || 0;
    holders.set(key, count + 1);
    if (count === 0 && state.state === "running") {
      push(KEY_DOWN, key);
    }
  }

  function letGo(key) {
    const count = holders.get(key) || 0;
    if (count === 0) {
      return;
    }
    if (count === 1) {
      holders.delete(key);
      if (state.state === "running") {
        push(KEY_UP, key);
      }
    } else {
      holders.set(key, count - 1);
    }
  }

  function onKey(event, down) {
    // Full screen is the page's, as the window's is the native player's:
    // the game never sees these.
    if (event.code === "F11" || (event.altKey && /Enter$/.test(event.code))) {
      event.preventDefault();
      if (down && !event.repeat) {
        toggleFullscreen();
      }
      return;
    }
    if (state.state !== "running") {
      return;
    }
    const key = virtualKey(event);
    if (key === 0) {
      return;
    }
    if (GAME_KEYS.has(key)) {
      event.preventDefault();
    }
    if (down && !event.repeat && !keyboardHeld.has(key)) {
      keyboardHeld.add(key);
      hold(key);
    } else if (!down && keyboardHeld.delete(key)) {
      letGo(key);
    }
  }

  // A page that goes out of sight or loses the keyboard gets no key-up for
  // the keys still held: they go up as it leaves, and the game is minimised.
  function leave() {
    for (const key of holders.keys()) {
      push(KEY_UP, key);
    }
    holders.clear();
    keyboardHeld.clear();
    // A pad button still held when the page comes back presses anew.
    padHeld = new Set();
    for (const button of document.querySelectorAll("#touch .down")) {
      button.classList.remove("down");
    }
    touching.clear();
    push(HIDDEN, 0);
    hint.hidden = state.state !== "running";
  }

  function comeBack() {
    if (!document.hidden && document.hasFocus()) {
      hint.hidden = true;
      push(SHOWN, 0);
    }
  }

  window.addEventListener("keydown", (event) => onKey(event, true));
  window.addEventListener("keyup", (event) => onKey(event, false));
  window.addEventListener("blur", leave);
  window.addEventListener("focus", comeBack);
  document.addEventListener("visibilitychange", () => (document.hidden ? leave() : comeBack()));
  // Keys go to the focused element; a click on the picture gives it the focus.
  canvas.addEventListener("pointerdown", () => canvas.focus());
  restartButton.addEventListener("click", () => location.reload());
  document.getElementById("message-ok").addEventListener("click", () => {
    messagePanel.hidden = true;
  });

  // ---- the picture's size: whole multiples of 640 x 480 unless filling ----

  const FILL_SETTING = "velmora.fill";
  const fillBox = document.getElementById("fill");
  fillBox.checked = localStorage.getItem(FILL_SETTING) === "1";
  fillBox.addEventListener("change", () => {
    localStorage.setItem(FILL_SETTING, fillBox.checked ? "1" : "0");
    layout();
    // The keys go back to the game, not to the box (Space would tick it).
    canvas.focus();
  });

  function layout() {
    const ratio = window.devicePixelRatio || 1;
    // Device pixels: a whole multiple there is what makes each source pixel
    // the same number of screen pixels wide.
    const width = Math.floor(stage.clientWidth * ratio);
    const height = Math.floor(stage.clientHeight * ratio);
    const whole = Math.floor(Math.min(width / picture.width, height / picture.height));
    const scale = !fillBox.checked && whole >= 1 ? whole :
      Math.min(width / picture.width, height / picture.height);
    const shownWidth = Math.floor(picture.width * scale);
    const shownHeight = Math.floor(picture.height * scale);
    canvas.style.width = shownWidth / ratio + "px";
    canvas.style.height = shownHeight / ratio + "px";
    canvas.style.left = Math.floor((width - shownWidth) / 2) / ratio + "px";
    canvas.style.top = Math.floor((height - shownHeight) / 2) / ratio + "px";
    state.scale = scale;
    // The ball is 8 of the picture's pixels: upright on a phone, smaller
    // than 8 CSS pixels, it is hard to follow, and on its side it is larger.
    const ball = 8 * shownWidth / ratio / picture.width;
    turn.hidden = !(touchShown && window.innerHeight > window.innerWidth && ball < 8);
  }
  new ResizeObserver(layout).observe(stage);

  // ---- full screen ----

  const fullscreenButton = document.getElementById("fullscreen");

  // The browser refuses full screen without a person's key or click behind
  // the call; the page then simply stays as it is.
  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen({ navigationUI: "hide" }).catch(() => {});
    }
  }
  fullscreenButton.addEventListener("click", () => {
    toggleFullscreen();
    canvas.focus();
  });
  document.addEventListener("fullscreenchange", () => {
    const full = document.fullscreenElement !== null;
    document.body.classList.toggle("fullscreen", full);
    fullscreenButton.textContent = full ? "Leave full screen" : "Full screen";
    layout();
  });

  // ---- touch: each touch holds its control's key until it lifts ----

  const touchPanel = document.getElementById("touch");
  const touching = new Map();  // pointer id -> the control it pressed

  function showTouch() {
    if (touchPanel.hidden) {
      touchShown = true;
      document.body.classList.add("touch");
      touchPanel.hidden = false;
      document.getElementById("keys-touch").hidden = false;
      document.getElementById("keys-keyboard").hidden = true;
      layout();
    }
  }
  if (navigator.maxTouchPoints > 0 || matchMedia("(pointer: coarse)").matches) {
    showTouch();
  }
  window.addEventListener("touchstart", showTouch, { passive: true });

  function release(pointerId) {
    const button = touching.get(pointerId);
    if (button) {
      touching.delete(pointerId);
      if (![...touching.values()].includes(button)) {
        button.classList.remove("down");
      }
      letGo(Number(button.dataset.key));
    }
  }
  for (const button of touchPanel.querySelectorAll("button")) {
    button.addEventListener("pointerdown", (event) => {
      event.preventDefault();
      release(event.pointerId);
      touching.set(event.pointerId, button);
      button.classList.add("down");
      hold(Number(button.dataset.key));
    });
    button.addEventListener("pointerup", (event) => release(event.pointerId));
    button.addEventListener("pointercancel", (event) => release(event.pointerId));
    button.addEventListener("contextmenu", (event) => event.preventDefault());
  }

  // ---- gamepads: read at each animation frame, mapped as natively ----

  // Standard-mapping buttons and their keys: the d-pad the arrows, A and
  // Start Space, B and Back S, Guide Escape.
  const PAD_BUTTONS = [[12, 0x26], [13, 0x28], [14, 0x25], [15, 0x27], [0, 0x20], [9, 0x20],
                       [1, 0x53], [8, 0x53], [16, 0x1b]];
  // How far the left stick must lean to press an arrow, and how far back to
  // let it go: the native build's thresholds, so a stick resting near one
  // does not flicker the key.
  const STICK_PRESS = 1 / 3, STICK_RELEASE = 1 / 4;
  let padHeld = new Set();

  function lean(now, value, low, high) {
    if (value < -(padHeld.has(low) ? STICK_RELEASE : STICK_PRESS)) now.add(low);
    if (value > (padHeld.has(high) ? STICK_RELEASE : STICK_PRESS)) now.add(high);
  }

  function readPads() {
    const pads = navigator.getGamepads ? navigator.getGamepads() : [];
    const now = new Set();
    for (const pad of pads) {
      if (!pad || !pad.connected) {
        continue;
      }
      for (const [index, key] of PAD_BUTTONS) {
        if (pad.buttons[index] && pad.buttons[index].pressed) {
          now.add(key);
        }
      }
      lean(now, pad.axes[0] || 0, 0x25, 0x27);
      lean(now, pad.axes[1] || 0, 0x26, 0x28);
    }
    for (const key of now) {
      if (!padHeld.has(key)) hold(key);
    }
    for (const key of padHeld) {
      if (!now.has(key)) letGo(key);
    }
    padHeld = now;
  }
  let padsSeen = false;
  function padFrame() {
    readPads();
    requestAnimationFrame(padFrame);
  }
  window.addEventListener("gamepadconnected", () => {
    document.getElementById("keys-pad").hidden = false;
    if (!padsSeen) {
      padsSeen = true;
      requestAnimationFrame(padFrame);
    }
  });

  function showStatus(text, offerRestart) {
    statusText.textContent = text;
    restartButton.hidden = !offerRestart;
    statusPanel.hidden = false;
    if (offerRestart) {
      restartButton.focus();
    }
  }

  function stop(text, exitStatus) {
    if (state.state === "ended") {
      return;
    }
    state.state = "ended";
    state.exitStatus = exitStatus;
    holders.clear();
    keyboardHeld.clear();
    hint.hidden = true;
    document.body.classList.add("ended");
    showStatus(text, true);
  }

  // What the canvas holds, as a PNG data URL: the worker draws it, so only
  // the worker can read it.
  const snapshots = new Map();
  let nextSnapshot = 1;
  window.velmoraCanvas = () => new Promise((resolve) => {
    snapshots.set(nextSnapshot, resolve);
    game.postMessage({ snapshot: nextSnapshot++ });
  });

  // The session's recording, as the worker's game has written it: a script
  // the native build replays (VELMORA_SCRIPT, --replay), frame for frame.
  const recordings = new Map();
  let nextRecording = 1;
  window.velmoraRecording = () => new Promise((resolve) => {
    recordings.set(nextRecording, resolve);
    game.postMessage({ recording: nextRecording++ });
  });

  function recordingName() {
    const now = new Date();
    const two = (n) => String(n).padStart(2, "0");
    return "velmora-" + now.getFullYear() + two(now.getMonth() + 1) + two(now.getDate()) + "-" +
      two(now.getHours()) + two(now.getMinutes()) + two(now.getSeconds()) + ".txt";
  }

  document.getElementById("save-recording").addEventListener("click", async () => {
    const text = await window.velmoraRecording();
    if (text === null) {
      return;
    }
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([text], { type: "text/plain" }));
    link.download = recordingName();
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    canvas.focus();
  });

  function presented() {
    state.frames += 1;
    if (state.firstFrameMs === null) {
      state.firstFrameMs = performance.now();
      statusPanel.hidden = true;
      canvas.focus();
      // Kept for playing offline; registered only once the game shows, so
      // the first load is not slowed.
      if ("serviceWorker" in navigator) {
        navigator.serviceWorker.register("velmora-sw.js").catch(
          (error) => console.log("velmora: no offline copy: " + error));
      }
    }
  }

  function started() {
    state.state = "running";
    statusText.textContent = "Starting...";
    // A page opened behind another window never gets a blur to say so.
    hint.hidden = document.hasFocus();
    if (document.hidden) {
      push(HIDDEN, 0);
    }
  }

  function messageBox(caption, text) {
    state.messages.push({ caption: caption, text: text });
    document.getElementById("message-caption").textContent = caption;
    document.getElementById("message-text").textContent = text;
    messagePanel.hidden = false;
  }

  game.onmessage = (message) => {
    const data = message.data;
    if (data.presented) {
      presented();
    } else if (data.log !== undefined) {
      // The game's debug output and its lines about what went wrong.
      console.log(data.log);
    } else if (data.display) {
      const [taken, width, height] = data.display;
      if (taken && (picture.width !== width || picture.height !== height)) {
        picture.width = width;
        picture.height = height;
        layout();
      }
    } else if (data.cursor !== undefined) {
      canvas.style.cursor = data.cursor ? "default" : "none";
    } else if (data.messageBox) {
      messageBox(...data.messageBox);
    } else if (data.ended !== undefined) {
      stop(data.ended === 0 ? "The game has ended." :
        "The game could not start (status " + data.ended + ").", data.ended);
    } else if (data.started) {
      started();
    } else if (data.failed !== undefined) {
      stop("The game stopped: " + data.failed, null);
    } else if (data.recording !== undefined) {
      recordings.get(data.id)(data.recording);
      recordings.delete(data.id);
    } else if (data.snapshot) {
      const reader = new FileReader();
      reader.onload = () => {
        snapshots.get(data.id)(reader.result);
        snapshots.delete(data.id);
      };
      reader.readAsDataURL(data.snapshot);
    }
  };
  game.onerror = (error) => stop("The game stopped: " + error.message, null);

  if (canvas.transferControlToOffscreen) {
    const offscreen = canvas.transferControlToOffscreen();
    game.postMessage({ canvas: offscreen }, [offscreen]);
  } else {
    stop("This browser cannot run the game: it cannot hand a canvas to a worker " +
         "(OffscreenCanvas).", null);
  }
})();
