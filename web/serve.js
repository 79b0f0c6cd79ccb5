// Serves the built page (dist/) on this machine only, for trying it and for
// the tests: http://127.0.0.1:8000/ is a secure context, as Web Serial wants.
//
//   node serve.js [PORT]
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { dirname } from 'node:path';
import { fileURLToPath } from 'node:url';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml',
  '.webmanifest': 'application/manifest+json',
};

// A server of `root` on 127.0.0.1:`port` (0: any free port); resolves with
// it once it listens.
export function Serve(root, port = 0) {
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).replace(/^(\.\.[/\\])+/, '');
    const file = join(root, path.endsWith('/') ? join(path, 'index.html') : path);
    try {
      const body = await readFile(file);
      response.writeHead(200, { 'Content-Type': kTypes[extname(file)] ?? 'application/octet-stream' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve(server)));
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const port = Number(process.argv[2] ?? 8000);
  Serve(join(dirname(fileURLToPath(import.meta.url)), 'dist'), port).then(() =>
    console.log(`Programator KTQ-51 v prohlížeči: http://127.0.0.1:${port}/ (Ctrl+C skončí)`),
  );
}
