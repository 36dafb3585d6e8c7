// Keeps the game's files for offline play: the page, the program and what the page fetched.
"use strict";
const CACHE = "bonzelar-@VERSION@";
const CORE = ["./", "index.html", "bonzelar-page.js", "bonzelar.js", "bonzelar.wasm", "manifest.webmanifest",
  "resources.json"];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(CORE)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(
    names.filter((name) => name.startsWith("bonzelar-") && name !== CACHE).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener("message", (event) => {
  if (event.data && Array.isArray(event.data.keep))
    event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(event.data.keep)));
});

self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(caches.match(event.request).then((hit) => hit || fetch(event.request)));
});
