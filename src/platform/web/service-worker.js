// The page's service worker: it keeps the page, the program, its data and the icons in a
// cache of this build, so that the show plays without the network once the page has
// loaded, installed on a phone or not. A new build's worker fills a cache of its own and,
// once no page of the old one is open, takes over and drops the old cache.
'use strict';

const kCacheName = '@CACHE_NAME@';
const kFiles = [
  @CACHED_FILES@,
];

// Every file as the server has it now: the browser's HTTP cache may hold the last build's,
// so each is checked with the server first (and not loaded again when unchanged).
self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCacheName).then((cache) => cache.addAll(
    kFiles.map((file) => new Request(file, { cache: 'no-cache' })))));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith('dorminax-') && name !== kCacheName)
    .map((name) => caches.delete(name)))));
});

// The page under any address of its folder (./, index.html, ?at=12.5) and every file it
// needs come from the cache; anything else from the network.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  const folder = new URL(self.registration.scope);
  if (request.method !== 'GET' || url.origin !== folder.origin) return;
  const page = request.mode === 'navigate' &&
      (url.pathname === folder.pathname || url.pathname === `${folder.pathname}index.html`);
  event.respondWith(caches.open(kCacheName)
    .then((cache) => (page ? cache.match('index.html') : cache.match(request)))
    .then((cached) => cached || fetch(request)));
});
