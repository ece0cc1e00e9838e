"""HTTP server for the download tests, on 127.0.0.1.

Usage: http_server.py ROOT
Prints the port it listens on. Routes:
  /files/PATH        the file ROOT/PATH, in a folder of ROOT too (404 when missing)
  /big/N             N bytes announced and sent
  /stream/N          N bytes sent without a length
  /slow/N            N bytes announced, 64 sent, then nothing
  /silent            the request is read and never answered
  /redirect?to=URL   302 to URL, with a short page of its own
  /endless           a chunked body that never ends: chunks are sent until the
                     client hangs up (or, as a safety stop, 256 MB were sent);
                     then "endless BYTES" is printed, BYTES the body bytes sent
  /trickle/N         1 KB announced, then one byte every N milliseconds
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
        if parts[0] == "files" and len(parts) >= 2:
            path = os.path.join(self.server.root, *parts[1:])
            if ".." in parts or not os.path.isfile(path):
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
        elif parts[0] == "endless" and len(parts) == 1:
            self.endless()
        elif parts[0] == "trickle" and len(parts) == 2:
            self.trickle(int(parts[1]) / 1000.0)
        elif parts[0] == "silent":
            self.server.stop.wait(60)
        elif parts[0] == "redirect":
            self.send_response(302)
            page = b"<p>moved</p>"
            self.send_header("Location", parse_qs(url.query)["to"][0])
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            self.wfile.write(page)
        else:
            self.send_error(404)

    def endless(self):
        self.close_connection = True
        chunk = b"e" * 65536
        sent = 0
        try:
            self.wfile.write(b"HTTP/1.1 200 OK\r\n"
                             b"Content-Type: application/octet-stream\r\n"
                             b"Transfer-Encoding: chunked\r\n\r\n")
            while sent < ENDLESS_SAFETY_STOP and not self.server.stop.is_set():
                self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk))
                sent += len(chunk)
        except OSError:
            pass
        print("endless", sent, flush=True)

    def trickle(self, period):
        self.close_connection = True
        try:
            self.send_bytes(b"", 1024)
            for _ in range(1024):
                if self.server.stop.wait(period):
                    break
                self.wfile.write(b"t")
                self.wfile.flush()
        except OSError:
            pass


ENDLESS_SAFETY_STOP = 256 * 1024 * 1024


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
