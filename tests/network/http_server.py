"""HTTP server for the download tests, on 127.0.0.1.

Usage: http_server.py ROOT
Prints the port it listens on. Routes:
  /files/NAME        the file ROOT/NAME (404 when missing)
  /big/N             N bytes announced and sent
  /stream/N          N bytes sent without a length
  /slow/N            N bytes announced, 64 sent, then nothing
  /silent            the request is read and never answered
  /redirect?to=URL   302 to URL
"""
import os
import signal
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlparse


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def send_bytes(self, data, length=None):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if length is not None:
            self.send_header("Content-Length", str(length))
        self.end_headers()
        self.wfile.write(data)
        self.wfile.flush()

    def do_GET(self):
        url = urlparse(self.path)
        parts = url.path.strip("/").split("/")
        if parts[0] == "files" and len(parts) == 2:
            path = os.path.join(self.server.root, parts[1])
            if not os.path.isfile(path):
                self.send_error(404)
                return
            with open(path, "rb") as f:
                data = f.read()
            self.send_bytes(data, len(data))
        elif parts[0] == "big" and len(parts) == 2:
            n = int(parts[1])
            self.send_bytes(b"x" * n, n)
        elif parts[0] == "stream" and len(parts) == 2:
            self.send_bytes(b"y" * int(parts[1]))
        elif parts[0] == "slow" and len(parts) == 2:
            self.send_bytes(b"z" * 64, int(parts[1]))
            self.server.stop.wait(60)
        elif parts[0] == "silent":
            self.server.stop.wait(60)
        elif parts[0] == "redirect":
            self.send_response(302)
            self.send_header("Location", parse_qs(url.query)["to"][0])
            self.send_header("Content-Length", "0")
            self.end_headers()
        else:
            self.send_error(404)


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.root = sys.argv[1]
    server.stop = threading.Event()

    def terminate(*_):
        server.stop.set()
        threading.Thread(target=server.shutdown).start()

    signal.signal(signal.SIGTERM, terminate)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
