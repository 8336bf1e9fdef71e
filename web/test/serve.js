// A tiny static file server for the built page, on 127.0.0.1 only.
//   node serve.js DIR [PORT]    (PORT 0 or none: any free port)
'use strict';

const http = require('node:http');
const fs = require('node:fs');
const path = require('node:path');

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
};

// Serves the files of `root`; resolves to the listening server.
function serveFolder(root, port = 0) {
  const base = path.resolve(root);
  const server = http.createServer((request, response) => {
    let urlPath;
    try {
      urlPath = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    } catch {
      response.writeHead(400).end();
      return;
    }
    const file = path.join(base, urlPath.endsWith('/') ? `${urlPath}index.html` : urlPath);
    // Nothing outside the folder, however the path is spelled.
    if (file !== base && !file.startsWith(base + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, bytes) => {
      if (error) {
        response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
        return;
      }
      response.writeHead(200, {
        'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store',
      });
      response.end(bytes);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

module.exports = { serveFolder };

if (require.main === module) {
  const [root, port] = process.argv.slice(2);
  if (!root) {
    console.error('usage: node serve.js DIR [PORT]');
    process.exit(2);
  }
  serveFolder(root, Number(port || 0)).then((server) => {
    console.log(`serving ${path.resolve(root)} on http://127.0.0.1:${server.address().port}/`);
  });
}
