#!/usr/bin/python3
"""A small web server for the page: 127.0.0.1 only, the cross-origin isolation headers that
SharedArrayBuffer (threads) needs, gzip for clients that take it, no caching.

usage: serve.py PORT FOLDER
"""
import gzip
import http.server
import os
import sys

TYPES = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript",
    ".wasm": "application/wasm",
    ".data": "application/octet-stream",
}


class Handler(http.server.SimpleHTTPRequestHandler):
    compressed = {}  # path -> (mtime, gzip bytes)

    def end_headers(self):
        self.send_header("Cross-Origin-Opener-Policy", "same-origin")
        self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        self.send_header("Cross-Origin-Resource-Policy", "same-origin")
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def do_GET(self):
        path = self.translate_path(self.path.split("?")[0])
        if os.path.isdir(path):
            path = os.path.join(path, "index.html")
        if not os.path.isfile(path):
            self.send_error(404)
            return
        with open(path, "rb") as f:
            body = f.read()
        encoding = None
        if "gzip" in self.headers.get("Accept-Encoding", ""):
            mtime = os.path.getmtime(path)
            cached = self.compressed.get(path)
            if not cached or cached[0] != mtime:
                cached = (mtime, gzip.compress(body, 6))
                self.compressed[path] = cached
            if len(cached[1]) < len(body):
                body, encoding = cached[1], "gzip"
        self.send_response(200)
        self.send_header("Content-Type", TYPES.get(os.path.splitext(path)[1], "application/octet-stream"))
        self.send_header("Content-Length", str(len(body)))
        if encoding:
            self.send_header("Content-Encoding", encoding)
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, fmt, *args):
        if os.environ.get("POROMINA_SERVE_LOG"):
            super().log_message(fmt, *args)


def main():
    port, folder = int(sys.argv[1]), sys.argv[2]
    handler = lambda *a, **k: Handler(*a, directory=folder, **k)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    print(f"serve-web: http://127.0.0.1:{port}/ serves {os.path.abspath(folder)}", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
