"""Serves the browser build's page on 127.0.0.1, and nothing else of the
build folder (no CMakeCache.txt, no listing): a file's .gz is sent as it is
to a browser that takes gzip.

  python3 scripts/serve_web.py BUILD_DIR PORT      (PORT 0: any free one)

Prints the address to open once it listens."""

import functools
import http.server
import os
import sys

PAGE = {"velmora.html": "text/html; charset=utf-8", "velmora-page.js": "text/javascript",
        "velmora-game.js": "text/javascript", "velmora-sw.js": "text/javascript",
        "velmora.js": "text/javascript", "velmora.wasm": "application/wasm",
        "velmora.webmanifest": "application/manifest+json",
        "velmora-256.png": "image/png"}


class PageOnly(http.server.BaseHTTPRequestHandler):
    def __init__(self, *args, folder, **kwargs):
        self.folder = folder
        super().__init__(*args, **kwargs)

    def do_GET(self):
        name = self.path.split("?", 1)[0].lstrip("/") or "velmora.html"
        path = os.path.join(self.folder, name)
        if name not in PAGE or not os.path.exists(path):
            self.send_error(404)
            return
        gzip = "gzip" in self.headers.get("Accept-Encoding", "") and os.path.exists(path + ".gz")
        with open(path + ".gz" if gzip else path, "rb") as source:
            body = source.read()
        self.send_response(200)
        self.send_header("Content-Type", PAGE[name])
        self.send_header("Content-Length", str(len(body)))
        # Always asked again, so a new build is seen at the next load.
        self.send_header("Cache-Control", "no-cache")
        if gzip:
            self.send_header("Content-Encoding", "gzip")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main(folder, port):
    handler = functools.partial(PageOnly, folder=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", int(port)), handler)
    print("Velmora is served at http://127.0.0.1:%d/ (Ctrl+C stops it)" %
          server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main(*sys.argv[1:3])
