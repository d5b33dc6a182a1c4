#!/usr/bin/env python3
"""TLS servers on loopback for the Windows TLS tests.

    servers.py CERT_DIR

CERT_DIR holds the development CA's localhost certificate (localhost.pem/.key) and the test
certificates (self-signed, expired, other-host). Starts, each on a free port:

  backend      the development backend behind the trusted localhost certificate
  self-signed  a server whose certificate no trusted CA issued
  expired      a certificate from the trusted CA whose time has run out
  other-host   a certificate from the trusted CA for another host name
  legacy       the trusted localhost certificate, but TLS 1.0 only
  ledger       plain HTTP: GET /NAME tells what reached server NAME (not the backend)

Prints "NAME ORIGIN" per server, then "ready", and serves until SIGTERM or Ctrl-C.
"""

import os
import signal
import socketserver
import ssl
import sys
import threading
import warnings
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")
sys.path.insert(0, os.path.join(ROOT, "tools", "dev-backend"))
import server as backend  # noqa: E402

TIMEOUT = 15
# Longest wait of the ledger for a server's connections to end.
SETTLE_TIMEOUT = 20
ANSWER = b"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 2\r\n" \
         b"Connection: close\r\n\r\n{}"


class Tripwire(socketserver.ThreadingTCPServer):
    """Counts connections, completed handshakes and HTTP requests; answers any request 200, so a
    client that should have refused the server sees a completed exchange."""

    daemon_threads = True

    def __init__(self, context):
        self.context = context
        self.changed = threading.Condition()
        self.connections = self.handshakes = self.requests = self.open = 0
        super().__init__((backend.LOOPBACK, 0), socketserver.BaseRequestHandler)

    def process_request(self, request, client_address):
        # Counted before the handshake starts, so the client cannot see an answer before that.
        with self.changed:
            self.connections += 1
            self.open += 1
        super().process_request(request, client_address)

    def finish_request(self, request, client_address):
        request.settimeout(TIMEOUT)
        try:
            tls = self.context.wrap_socket(request, server_side=True)
        except (OSError, ssl.SSLError):
            return
        self.count("handshakes")
        with tls:
            data = b""
            try:
                while b"\r\n\r\n" not in data:
                    chunk = tls.recv(4096)
                    if not chunk:
                        break
                    data += chunk
            except (OSError, ssl.SSLError):
                pass
            if data:
                self.count("requests")
                try:
                    tls.sendall(ANSWER)
                except (OSError, ssl.SSLError):
                    pass

    def shutdown_request(self, request):
        super().shutdown_request(request)
        with self.changed:
            self.open -= 1
            self.changed.notify_all()

    def count(self, name):
        with self.changed:
            setattr(self, name, getattr(self, name) + 1)

    def settled_counts(self):
        with self.changed:
            self.changed.wait_for(lambda: self.open == 0, SETTLE_TIMEOUT)
            return "connections=%d handshakes=%d requests=%d open=%d" % (
                self.connections, self.handshakes, self.requests, self.open)


def context(cert_dir, name, legacy=False):
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    if legacy:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", DeprecationWarning)  # deprecated is the point here
            ctx.minimum_version = ctx.maximum_version = ssl.TLSVersion.TLSv1
        ctx.set_ciphers("DEFAULT:@SECLEVEL=0")
    ctx.load_cert_chain(os.path.join(cert_dir, name + ".pem"), os.path.join(cert_dir, name + ".key"))
    return ctx


def ledger_for(tripwires):
    class Ledger(BaseHTTPRequestHandler):
        def do_GET(self):
            wire = tripwires.get(self.path.lstrip("/"))
            body = (wire.settled_counts() if wire else "unknown server").encode("ascii")
            self.send_response(200 if wire else 404)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, format, *args):
            pass

    return Ledger


def serve(server):
    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1},
                     daemon=True).start()
    return server


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 64
    cert_dir = argv[1]
    dev = backend.start_in_thread(log_stream=sys.stderr,
                                  tls=backend.tls_context(os.path.join(cert_dir, "localhost.pem"),
                                                          os.path.join(cert_dir, "localhost.key")))
    tripwires = {
        "self-signed": serve(Tripwire(context(cert_dir, "self-signed"))),
        "expired": serve(Tripwire(context(cert_dir, "expired"))),
        "other-host": serve(Tripwire(context(cert_dir, "other-host"))),
        "legacy": serve(Tripwire(context(cert_dir, "localhost", legacy=True))),
    }
    ledger = serve(ThreadingHTTPServer((backend.LOOPBACK, 0), ledger_for(tripwires)))
    print("backend %s" % dev.origin)
    for name, wire in tripwires.items():
        print("%s https://%s:%d" % (name, backend.TLS_HOST, wire.server_address[1]))
    print("ledger http://%s:%d" % (backend.LOOPBACK, ledger.server_address[1]))
    print("ready", flush=True)
    signal.signal(signal.SIGTERM, lambda _signum, _frame: sys.exit(0))
    try:
        while True:
            signal.pause()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
