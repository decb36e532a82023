// A static file server for one folder, on a free port of the loopback address, in
// the test's own process (so it ends with the test whatever happens). Ruffle's
// WebAssembly module is served as application/wasm, the one type under which
// browsers compile a module while it downloads, as on a well-set web server.
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');

const MIME_TYPES = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.wasm': 'application/wasm',
    '.swf': 'application/x-shockwave-flash',
    '.css': 'text/css; charset=utf-8',
    '.json': 'application/json',
    '.map': 'application/json',
    '.png': 'image/png',
    '.jpg': 'image/jpeg',
    '.txt': 'text/plain; charset=utf-8',
};

function mimeTypeOf(filePath) {
    return MIME_TYPES[path.extname(filePath).toLowerCase()] || 'application/octet-stream';
}

// The file a request path names inside root, or null for a path that is not plain
// ("..", a NUL, a bad escape). Links that the test put into root are followed.
function fileForRequest(root, requestUrl) {
    let pathname;
    try {
        pathname = decodeURIComponent(new URL(requestUrl, 'http://localhost').pathname);
    } catch {
        return null;
    }
    const segments = pathname.split('/').filter((segment) => segment !== '');
    if (segments.some((segment) => segment === '..' || segment === '.' || segment.includes('\0'))) {
        return null;
    }
    if (pathname.endsWith('/')) {
        segments.push('index.html');
    }
    return path.join(root, ...segments);
}

function answer(request, response, root) {
    if (request.method !== 'GET' && request.method !== 'HEAD') {
        response.writeHead(405, {Allow: 'GET, HEAD'}).end();
        return;
    }
    const filePath = fileForRequest(root, request.url);
    if (filePath === null) {
        response.writeHead(400).end();
        return;
    }
    fs.stat(filePath, (statError, stats) => {
        if (statError || !stats.isFile()) {
            response.writeHead(404, {'Content-Type': 'text/plain; charset=utf-8'})
                .end('not found\n');
            return;
        }
        response.writeHead(200, {
            'Content-Type': mimeTypeOf(filePath),
            'Content-Length': stats.size,
            'Cache-Control': 'no-store',
        });
        if (request.method === 'HEAD') {
            response.end();
            return;
        }
        fs.createReadStream(filePath).pipe(response);
    });
}

// Serves root at http://127.0.0.1:PORT/ on a port the system picks. Resolves to
// { url, requests, close }: url ends in "/", requests lists every path asked for with
// its status, close() stops the server and drops open connections.
async function startStaticServer(root) {
    const requests = [];
    const server = http.createServer((request, response) => {
        response.on(
            'finish', () => requests.push({path: request.url, status: response.statusCode}));
        answer(request, response, root);
    });
    await new Promise((resolve, reject) => {
        server.once('error', reject);
        server.listen(0, '127.0.0.1', resolve);
    });
    const {port} = server.address();
    return {
        url: `http://127.0.0.1:${port}/`,
        requests,
        close: () => new Promise((resolve) => {
            server.closeAllConnections();
            server.close(() => resolve());
        }),
    };
}

module.exports = {startStaticServer};
