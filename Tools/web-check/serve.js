// A small static server for build-web/: node serve.js DIR PORT [HOST]. Loopback only by default.
"use strict";
const http = require("http");
const fs = require("fs");
const path = require("path");

const types = {
  ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".wasm": "application/wasm",
  ".json": "application/json", ".webmanifest": "application/manifest+json", ".png": "image/png",
  ".wav": "audio/wav", ".css": "text/css",
};

function serve(root, port, host) {
  root = path.resolve(root);
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
    if (name.endsWith("/")) name += "index.html";
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(root + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream",
        "Cache-Control": "no-cache" });
      response.end(data);
    });
  });
  return new Promise((resolve, reject) => {
    server.once("error", reject);
    server.listen(port, host || "127.0.0.1", () => resolve(server));
  });
}

module.exports = { serve };

if (require.main === module) {
  const [dir, port, host] = process.argv.slice(2);
  serve(dir || "build-web", Number(port || 8113), host).then(
    () => console.log(`Serving ${dir || "build-web"} on http://${host || "127.0.0.1"}:${port || 8113}/`),
    (error) => { console.error(error.message); process.exit(1); });
}
