// The page's service worker: after one visit the page loads and plays with no
// network. Every request of the page goes to the network first, so a new
// build is seen at once, and what comes back is kept; without a network the
// kept copy answers.
"use strict";

const CACHE = "velmora";
const PAGE = ["velmora.html", "velmora-page.js", "velmora-game.js", "velmora.js", "velmora.wasm",
              "velmora.webmanifest", "velmora-256.png"];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(PAGE))
    .then(() => self.skipWaiting()));
});

// The page that registered this worker is served by it from now on, not only
// after its next load.
self.addEventListener("activate", (event) => event.waitUntil(self.clients.claim()));

self.addEventListener("fetch", (event) => {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== location.origin) {
    return;
  }
  event.respondWith(fetch(request).then((answer) => {
    if (answer.ok) {
      const copy = answer.clone();
      caches.open(CACHE).then((cache) => cache.put(request, copy));
    }
    return answer;
  }).catch(() => caches.match(request, { ignoreSearch: true }).then(
    (kept) => kept || Response.error())));
});
