// A plain static file server on 127.0.0.1 for driving the pages: each folder of roots is served
// under /its name/, and each page has the markup head (a script, say) put first in its head.
// The port is the system's choice, or the one given (a server started anew for pages that know
// it). A stalling server takes each request and never answers it.
import { readFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join } from 'node:path';

const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.png': 'image/png', '.webmanifest': 'application/manifest+json' };

export function serve(roots, { head = '', port = 0, stall = false } = {}) {
  const server = createServer(async (request, response) => {
    if (stall) return;
    const [, root, rest] = decodeURIComponent(new URL(request.url, 'http://host').pathname).match(/^\/([^/]*)\/?(.*)$/);
    const file = roots[root] && join(roots[root], rest || 'index.html');
    try {
      let body = await readFile(file);
      const type = kTypes[extname(file)] ?? 'application/octet-stream';
      if (type === 'text/html') body = body.toString().replace('<head>', `<head>${head}`);
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
