// The game's side of the browser build, in a worker: the game's loop, its
// Asyncify unwinding at every frame and the drawing onto the canvas (handed
// over as an OffscreenCanvas) all stay off the page's main thread, which only
// takes input and lays out the page (velmora-page.js). The game
// (velmora.js, velmora.wasm) calls VelmoraPage here.
"use strict";

// How long a wait for the next animation frame may last: a hidden page gets
// none, and the game must still see that it was hidden.
const FRAME_WAIT_LIMIT_MS = 100;

let canvas = null;
let context = null;
let image = null;
const events = [];
let wakeOnEvent = null;

// A worker's own animation frames where the browser has them; elsewhere a
// timer at the usual 60 Hz.
const nextFrame = self.requestAnimationFrame ? (call) => requestAnimationFrame(call) :
  (call) => setTimeout(call, 1000 / 60);
const cancelFrame = self.cancelAnimationFrame ? (id) => cancelAnimationFrame(id) :
  (id) => clearTimeout(id);

function tell(message) {
  postMessage(message);
}

var VelmoraPage = {
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
      // Whichever comes first; the other is called off, so no idle timer
      // wakes the worker later for nothing.
      const frame = nextFrame(() => {
        clearTimeout(timer);
        resolve();
      });
      const timer = setTimeout(() => {
        cancelFrame(frame);
        resolve();
      }, FRAME_WAIT_LIMIT_MS);
    });
  },

  // Rows top to bottom of the frame's RGBA bytes at `address` are new;
  // only the changed rectangle goes onto the canvas.
  draw(heap, address, width, height, left, top, right, bottom) {
    if (image === null || image.width !== width || image.height !== height) {
      image = new ImageData(width, height);
    }
    const start = address + top * width * 4;
    image.data.set(heap.subarray(start, address + bottom * width * 4), top * width * 4);
    context.putImageData(image, 0, 0, left, top, right - left, bottom - top);
  },

  presented() {
    tell({ presented: true });
  },

  display(taken, width, height) {
    if (taken && (canvas.width !== width || canvas.height !== height)) {
      canvas.width = width;
      canvas.height = height;
      image = null;
    }
    tell({ display: [taken, width, height] });
  },

  showCursor(visible) {
    tell({ cursor: visible });
  },

  messageBox(caption, text) {
    tell({ messageBox: [caption, text] });
  },

  ended(exitStatus) {
    tell({ ended: exitStatus });
  },
};

// What the canvas holds, for whoever asks (the tests): the page's own
// canvas element cannot be read once its drawing is handed here.
function snapshot(id) {
  canvas.convertToBlob({ type: "image/png" }).then((blob) => tell({ snapshot: blob, id: id }));
}

// The session's recording as the game has written it so far (the game
// writes it into its memory file system, backend/web/web.h's kRecordingFile).
function recording(id) {
  let text = null;
  try {
    text = FS.readFile("/velmora-recording.txt", { encoding: "utf8" });
  } catch (error) {
    tell({ log: "velmora: no recording to save: " + error });
  }
  tell({ recording: text, id: id });
}

self.onmessage = (message) => {
  const data = message.data;
  if (data.canvas) {
    canvas = data.canvas;
    context = canvas.getContext("2d", { alpha: false });
    self.Module = {
      // Standard error carries the debug output (OutputDebugStringA) and the
      // lines that say what went wrong: the page puts them on its console.
      print: (text) => tell({ log: text }),
      printErr: (text) => tell({ log: text }),
      onRuntimeInitialized: () => tell({ started: true }),
      onAbort: (what) => tell({ failed: String(what) }),
    };
    importScripts("velmora.js");
  } else if (data.event) {
    events.push(data.event);
    if (wakeOnEvent) {
      const wake = wakeOnEvent;
      wakeOnEvent = null;
      wake();
    }
  } else if (data.snapshot !== undefined) {
    snapshot(data.snapshot);
  } else if (data.recording !== undefined) {
    recording(data.recording);
  }
};
