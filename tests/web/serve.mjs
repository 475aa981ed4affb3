// A plain static file server on 127.0.0.1 for the pages' tests: each folder of roots is served
// under /its name/, /record.js is the tests' page recorder, and each page has it put first in
// its head. The port is the system's choice, or the one given (a server started anew for
// pages that know it).
import { readFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join } from 'node:path';

const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.png': 'image/png', '.webmanifest': 'application/manifest+json' };
const kRecorder = new URL('record.js', import.meta.url);

export function serve(roots, port = 0) {
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    const [, root, rest] = path.match(/^\/([^/]*)\/?(.*)$/);
    const file = root === 'record.js' ? kRecorder.pathname : roots[root] && join(roots[root], rest || 'index.html');
    try {
      let body = await readFile(file);
      const type = kTypes[extname(file)] ?? 'application/octet-stream';
      if (type === 'text/html') body = body.toString().replace('<head>', '<head><script src="/record.js"></script>');
      response.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-cache' }).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve({
    url: `http://127.0.0.1:${server.address().port}`, port: server.address().port,
    close: () => new Promise((done) => server.closeAllConnections() || server.close(done)),
  })));
}
