"""SMTP server for the publishing tests, on 127.0.0.1.

Usage: smtp_server.py OUTDIR
Prints the port it listens on, then stores each message it accepts as
OUTDIR/N.env (HELO name, sender, recipients, one per line) and OUTDIR/N.msg
(the content bytes as received). Runs until it is terminated.
"""
import os
import signal
import socket
import sys
import threading

from aiosmtpd.controller import Controller


class Store:
    def __init__(self, outdir):
        self.outdir = outdir
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.outdir, str(self.count))
        with open(base + ".msg.tmp", "wb") as f:
            f.write(envelope.original_content)
        with open(base + ".env.tmp", "w", encoding="utf-8", newline="\n") as f:
            f.write("%s\n%s\n%s\n" % (session.host_name, envelope.mail_from,
                                      "\n".join(envelope.rcpt_tos)))
        os.replace(base + ".msg.tmp", base + ".msg")
        os.replace(base + ".env.tmp", base + ".env")
        return "250 OK"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    port = free_port()
    controller = Controller(Store(sys.argv[1]), hostname="127.0.0.1", port=port)
    controller.start()
    print(port, flush=True)
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    stop.wait()
    controller.stop()


if __name__ == "__main__":
    main()
