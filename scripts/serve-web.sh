#!/bin/sh
# Builds the browser version when needed and serves it on this machine only:
#   ./scripts/serve-web.sh [PORT]      (default 8080), then open the address it prints.
# Only the page's own files are served (never the rest of the build folder),
# compressed where the browser takes gzip.
set -eu
cd "$(dirname "$0")/.."
port=${1:-8080}
case "$port" in
    ''|*[!0-9]*) echo "usage: $0 [PORT]" >&2; exit 2 ;;
esac
scripts/setup.sh web
cmake --preset web >/dev/null
cmake --build --preset web
echo "Velmora is served at http://127.0.0.1:$port/ (Ctrl+C stops it)"
cd build/web
exec python3 - "$port" <<'PY'
import http.server
import os
import sys

PAGE = {"velmora.html": "text/html; charset=utf-8", "velmora-page.js": "text/javascript",
        "velmora.js": "text/javascript", "velmora.wasm": "application/wasm",
        "velmora.webmanifest": "application/manifest+json", "velmora-sw.js": "text/javascript",
        "velmora-icon-192.png": "image/png", "velmora-icon-512.png": "image/png"}


class PageOnly(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        name = self.path.split("?", 1)[0].lstrip("/") or "velmora.html"
        if name not in PAGE or not os.path.exists(name):
            self.send_error(404)
            return
        gzip = "gzip" in self.headers.get("Accept-Encoding", "") and os.path.exists(name + ".gz")
        with open(name + ".gz" if gzip else name, "rb") as source:
            body = source.read()
        self.send_response(200)
        self.send_header("Content-Type", PAGE[name])
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-cache")
        if gzip:
            self.send_header("Content-Encoding", "gzip")
        self.end_headers()
        self.wfile.write(body)


http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), PageOnly).serve_forever()
PY
