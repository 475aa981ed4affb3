// Keeps this build of the site in a cache named by the build and serves it when the host cannot
// be reached or keeps a page waiting; while the host answers in time, its own files are shown.
// A page's files are cached when it first registers the worker, and then as it is visited: the
// ones that come from the host while it loads, then, once it has loaded, the ones it did not
// fetch itself (its manifest's icons). A new build is a new worker, which caches the files of
// the pages open and then drops the caches of the builds before it.
const kPrefix = 'zorvy-plemo-';
const kBuild = '@BUILD@';
const kCache = kPrefix + kBuild;
// The build's cache, opened once as the worker starts. A worker replaced by a newer build may
// still be storing a file when the newer one drops its cache; it then writes into the dropped
// cache, which goes with it, rather than making the cache anew under its name.
const cache = caches.open(kCache);
// Each page of the build, by its file name: the files it needs.
const kPages = {
  @PAGES@
};
// How long the host has to answer before the cached build does, in milliseconds.
const kPatience = 3000;

const kFolder = new URL('./', location).href;
const kFiles = new Set(Object.values(kPages).flat().map((file) => new URL(file, kFolder).href));
// The files on their way into the cache, by address.
const putting = new Map();
// The pages that the host has kept waiting: they take the rest of their files from the cache at
// once.
const stalled = new Set();

const address = (url) => url.replace(/[?#].*/s, '');

function put(url, response) {
  const done = cache.then((files) => files.put(url, response)).finally(() => putting.delete(url));
  putting.set(url, done);
  return done;
}

// The addresses of the files that the page at url needs; none for a page not of the site.
function pageFiles(url) {
  const name = address(url).startsWith(kFolder) && (address(url).slice(kFolder.length) || 'index.html');
  return (kPages[name] ?? []).map((file) => new URL(file, kFolder).href);
}

// Caches the files that the page at url needs and that are neither cached nor on their way.
const keep = (url) => cache.then((files) => Promise.all(pageFiles(url).map((file) =>
  putting.get(file) ?? files.match(file).then((hit) => hit || files.add(new Request(file, { cache: 'no-cache' }))))));

self.addEventListener('install', (event) => event.waitUntil(self.clients.matchAll({ type: 'window', includeUncontrolled: true })
  .then((pages) => Promise.all(pages.map((page) => keep(page.url))))
  .then(() => self.skipWaiting())));

self.addEventListener('activate', (event) => event.waitUntil(caches.keys()
  .then((names) => Promise.all(names.filter((name) => name.startsWith(kPrefix) && name !== kCache)
    .map((name) => caches.delete(name))))
  .then(() => self.clients.claim())));

self.addEventListener('message', (event) => event.data === 'loaded' && event.source && event.waitUntil(keep(event.source.url)));

// The host's answer; the cached one once the host has kept the page waiting kPatience, or at once
// when it has done so before; the cached one too when the host cannot be reached.
self.addEventListener('fetch', (event) => {
  const url = address(event.request.url);
  const page = event.clientId || event.resultingClientId;
  const network = fetch(event.request);
  // A file of the build that comes from the host is cached on its way (the copy taken before
  // the page reads it).
  if (kFiles.has(url)) event.waitUntil(network.then((response) => response.ok && put(url, response.clone()), () => {}));
  network.then(() => stalled.delete(page), () => {});
  const cached = () => cache.then((files) => files.match(event.request, { ignoreSearch: true }));
  const late = new Promise((resolve) => setTimeout(resolve, stalled.has(page) ? 0 : kPatience)).then(cached)
    .then((hit) => {
      if (!hit) return network;
      stalled.add(page);
      return hit;
    });
  event.respondWith(Promise.race([network, late]).catch(() => cached().then((hit) => hit || Response.error())));
});
