// The page's side of the browser build. The game (velmora.js, velmora.wasm)
// calls VelmoraPage to draw, to take keys and to say what it has to say; the
// page keeps its own state in window.velmora for whoever looks (the tests).
"use strict";

var VelmoraPage = (function () {
  const canvas = document.getElementById("screen");
  const context = canvas.getContext("2d", { alpha: false });
  const statusPanel = document.getElementById("status");
  const statusText = document.getElementById("status-text");
  const restartButton = document.getElementById("restart");
  const messagePanel = document.getElementById("message");

  const KEY_DOWN = 1, KEY_UP = 2, HIDDEN = 3, SHOWN = 4;
  // How long a wait for the next animation frame may last: a hidden page gets
  // none, and the game must still see that it was hidden.
  const FRAME_WAIT_LIMIT_MS = 100;

  const state = { state: "loading", frames: 0, firstFrameMs: null, exitStatus: null,
                  messages: [] };
  window.velmora = state;

  const events = [];
  let wakeOnEvent = null;
  const held = new Set();
  let image = null;

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
    events.push((kind << 16) | key);
    if (wakeOnEvent) {
      const wake = wakeOnEvent;
      wakeOnEvent = null;
      wake();
    }
  }

  function onKey(event, down) {
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
    if (down && !event.repeat) {
      held.add(key);
      push(KEY_DOWN, key);
    } else if (!down && held.delete(key)) {
      push(KEY_UP, key);
    }
  }

  // A page that goes out of sight or loses the keyboard gets no key-up for
  // the keys still held: they go up as it leaves, and the game is minimised.
  function leave() {
    for (const key of held) {
      push(KEY_UP, key);
    }
    held.clear();
    push(HIDDEN, 0);
  }

  function comeBack() {
    if (!document.hidden && document.hasFocus()) {
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
    held.clear();
    document.body.classList.add("ended");
    showStatus(text, true);
  }

  return {
    nextEvent() {
      return events.length > 0 ? events.shift() : 0;
    },

    waitForEvent(ms) {
      if (events.length > 0) {
        return Promise.resolve();
      }
      return new Promise((resolve) => {
        const timer = setTimeout(() => {
          wakeOnEvent = null;
          resolve();
        }, ms);
        wakeOnEvent = () => {
          clearTimeout(timer);
          resolve();
        };
      });
    },

    waitForFrame() {
      return new Promise((resolve) => {
        let done = false;
        const finish = () => {
          if (!done) {
            done = true;
            resolve();
          }
        };
        requestAnimationFrame(finish);
        setTimeout(finish, FRAME_WAIT_LIMIT_MS);
      });
    },

    // Rows top to bottom of the frame's RGBA bytes at `address` are new;
    // only the changed rectangle goes onto the canvas.
    draw(heap, address, width, height, left, top, right, bottom) {
      if (image === null || image.width !== width || image.height !== height) {
        image = context.createImageData(width, height);
      }
      const start = address + top * width * 4;
      image.data.set(heap.subarray(start, address + bottom * width * 4), top * width * 4);
      context.putImageData(image, 0, 0, left, top, right - left, bottom - top);
    },

    presented() {
      state.frames += 1;
      if (state.firstFrameMs === null) {
        state.firstFrameMs = performance.now();
        statusPanel.hidden = true;
        canvas.focus();
      }
    },

    display(taken, width, height) {
      if (taken && (canvas.width !== width || canvas.height !== height)) {
        canvas.width = width;
        canvas.height = height;
        image = null;
      }
    },

    showCursor(visible) {
      canvas.style.cursor = visible ? "default" : "none";
    },

    messageBox(caption, text) {
      state.messages.push({ caption: caption, text: text });
      document.getElementById("message-caption").textContent = caption;
      document.getElementById("message-text").textContent = text;
      messagePanel.hidden = false;
    },

    ended(exitStatus) {
      stop(exitStatus === 0 ? "The game has ended." :
        "The game could not start (status " + exitStatus + ").", exitStatus);
    },

    started() {
      state.state = "running";
      statusText.textContent = "Starting...";
      if (document.hidden) {
        push(HIDDEN, 0);
      }
    },

    failed(what) {
      stop("The game stopped: " + what, null);
    },
  };
})();

var Module = {
  // Standard error carries the debug output (OutputDebugStringA) and the
  // lines that say what went wrong: all of it for the console.
  print: (text) => console.log(text),
  printErr: (text) => console.log(text),
  onRuntimeInitialized: () => VelmoraPage.started(),
  onAbort: (what) => VelmoraPage.failed(String(what)),
};
