// Keeps this build of the site in a cache named by the build and serves it when the host cannot
// be reached; while the host answers, its own files are shown. A new build is a new worker,
// which caches its files and then drops the caches of the builds before it.
const kPrefix = 'zorvy-plemo-';
const kBuild = '@BUILD@';
const kCache = kPrefix + kBuild;
const kFiles = [@FILES@];

self.addEventListener('install', (event) => event.waitUntil(caches.open(kCache)
  .then((cache) => cache.addAll(kFiles.map((file) => new Request(file, { cache: 'reload' }))))
  .then(() => self.skipWaiting())));

self.addEventListener('activate', (event) => event.waitUntil(caches.keys()
  .then((names) => Promise.all(names.filter((name) => name.startsWith(kPrefix) && name !== kCache)
    .map((name) => caches.delete(name))))
  .then(() => self.clients.claim())));

self.addEventListener('fetch', (event) => event.respondWith(fetch(event.request)
  .catch(() => caches.match(event.request, { ignoreSearch: true, cacheName: kCache })
    .then((cached) => cached || Response.error()))));
