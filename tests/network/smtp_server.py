"""SMTP server for the publishing tests, on 127.0.0.1.

Usage: smtp_server.py OUTDIR [--cert PEM --key PEM] [--tls starttls|implicit]
                             [--login USER:PASSWORD] [--drop-during-tls]
Prints the port it listens on, then stores each message it accepts as
OUTDIR/N.env (HELO name, sender, recipients, one per line) and OUTDIR/N.msg
(the content bytes as received). Runs until it is terminated.

--tls starttls: STARTTLS offered and required before any mail command.
--tls implicit: TLS from the first byte.
--login: AUTH PLAIN and LOGIN offered over TLS only, and required.
--drop-during-tls: not aiosmtpd but a bare listener that greets, offers
  STARTTLS (or, with --tls implicit, says nothing), and hangs up as soon as
  the client's TLS hello arrives.
"""
import argparse
import os
import signal
import socket
import ssl
import sys
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


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


class Authenticator:
    def __init__(self, user, password):
        self.user = user.encode()
        self.password = password.encode()

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == self.user
              and auth_data.password == self.password)
        # handled=False: aiosmtpd itself answers 535 to a refused login.
        return AuthResult(success=ok, handled=False)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def drop_during_tls(implicit, stop):
    """Greets (plain mode), then closes each connection at the TLS hello."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(5)
    listener.settimeout(0.2)
    print(listener.getsockname()[1], flush=True)

    def serve(conn):
        with conn:
            f = conn.makefile("rb")
            if not implicit:
                conn.sendall(b"220 drop ready\r\n")
                while True:
                    line = f.readline()
                    if not line:
                        return
                    if line.upper().startswith(b"EHLO"):
                        conn.sendall(b"250-drop\r\n250 STARTTLS\r\n")
                    elif line.upper().startswith(b"STARTTLS"):
                        conn.sendall(b"220 go ahead\r\n")
                        break
                    else:
                        conn.sendall(b"503 bad sequence\r\n")
            conn.recv(1)  # the first byte of the TLS hello
            print("dropped", flush=True)

    while not stop.is_set():
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        threading.Thread(target=serve, args=(conn,), daemon=True).start()
    listener.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("outdir")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--tls", choices=["starttls", "implicit"])
    parser.add_argument("--login")
    parser.add_argument("--drop-during-tls", action="store_true")
    args = parser.parse_args()

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    if args.drop_during_tls:
        drop_during_tls(args.tls == "implicit", stop)
        return

    kwargs = {}
    if args.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
        if args.tls == "implicit":
            kwargs["ssl_context"] = context
        else:
            kwargs["tls_context"] = context
            kwargs["require_starttls"] = args.tls == "starttls"
    if args.login:
        user, password = args.login.split(":", 1)
        kwargs["authenticator"] = Authenticator(user, password)
        kwargs["auth_required"] = True
        # aiosmtpd counts only a STARTTLS link as encrypted; with TLS from the
        # first byte the link is encrypted all the same.
        kwargs["auth_require_tls"] = args.tls != "implicit"
    port = free_port()
    controller = Controller(Store(args.outdir), hostname="127.0.0.1", port=port, **kwargs)
    controller.start()
    print(port, flush=True)
    stop.wait()
    controller.stop()


if __name__ == "__main__":
    main()
