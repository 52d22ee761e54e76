// Serves the site (build-web/site) on localhost, as a school's web server would: static files only,
// under a sub-path, with the right types. For the suite it can also serve the program with a wrong
// type, as a server that was never told of .wasm does.
//
//   node serve.mjs SITE_DIR [PORT] [SUB_PATH]      (defaults: 8000, /)
//
// Exported for the suite: serve({root, port, base, wasmType, seen}) resolves to the server once it
// listens; root may be a function, read at each request (another build hosted in the same place), and
// seen, when given, is called with the path of each request.

import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { pathToFileURL } from 'node:url';

const types = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.wasm': 'application/wasm',
    '.pdf': 'application/pdf',
    '.png': 'image/png',
    '.webmanifest': 'application/manifest+json',
    '.xml': 'application/xml',
    '.xsd': 'application/xml',
    '.txt': 'text/plain; charset=utf-8',
};

export function serve({ root, port = 0, base = '/', wasmType = types['.wasm'], routes = {}, seen = () => {} }) {
    const server = createServer(async (request, response) => {
        const top = resolve(typeof root === 'function' ? root() : root);
        const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
        seen(path);
        if (Object.hasOwn(routes, path)) {
            response.writeHead(200, { 'Content-Type': types[extname(path)] ?? 'text/plain' });
            response.end(routes[path]);
            return;
        }
        if (!path.startsWith(base)) {
            response.writeHead(404).end();
            return;
        }
        let file = normalize(join(top, path.slice(base.length)));
        if (file !== top && !file.startsWith(top + sep)) {
            response.writeHead(403).end();
            return;
        }
        if (path.endsWith('/')) {
            file = join(file, 'index.html');
        }
        try {
            const body = await readFile(file);
            const type = extname(file) === '.wasm' ? wasmType : types[extname(file)] ?? 'application/octet-stream';
            response.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-store' });
            response.end(body);
        } catch {
            response.writeHead(404).end();
        }
    });
    return new Promise((done) => server.listen(port, '127.0.0.1', () => done(server)));
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
    const [root, port = '8000', base = '/'] = process.argv.slice(2);
    if (!root) {
        console.error('usage: node serve.mjs SITE_DIR [PORT] [SUB_PATH]');
        process.exit(2);
    }
    const server = await serve({ root, port: Number(port), base });
    console.log(`Serving ${root} on http://localhost:${server.address().port}${base} (Ctrl+C ends it)`);
}
