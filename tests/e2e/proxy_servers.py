#!/usr/bin/env python3
"""A CONNECT proxy on 127.0.0.2 and the development backend on loopback, for proxy_e2e.sh.

    proxy_servers.py CERT_DIR WORK_DIR

CERT_DIR holds backend-test.pem/.key (a certificate for backend.test) and localhost.pem/.key,
both from the development CA. Starts, each on a free port:

  backend-test  the development backend behind the backend.test certificate
  localhost     the development backend behind the localhost certificate
  proxy         an HTTP proxy on 127.0.0.2 that alone resolves NAME.test, to 127.0.0.1:
                CONNECT NAME.test:PORT tunnels to 127.0.0.1:PORT; anything else is refused

Writes into WORK_DIR: backend-test.log and localhost.log (each backend's request log),
proxy.log (one line per request the proxy received: its request line and the status it answered;
then "tunnel HOST:PORT up=N down=M" when a tunnel ends) and proxy.wire (every byte clients sent
the proxy, tunnelled bytes included). Prints "NAME ORIGIN" per server, then "ready", and serves
until SIGTERM.
"""

import os
import select
import signal
import socket
import socketserver
import sys
import threading

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(ROOT, "tools", "dev-backend"))
import server as backend  # noqa: E402

PROXY_HOST = "127.0.0.2"
TIMEOUT = 15
MAX_HEAD = 64 * 1024


class Proxy(socketserver.ThreadingTCPServer):
    daemon_threads = True

    def __init__(self, work_dir):
        self.lock = threading.Lock()
        self.log_file = open(os.path.join(work_dir, "proxy.log"), "a", buffering=1)
        self.wire_file = open(os.path.join(work_dir, "proxy.wire"), "ab", buffering=0)
        super().__init__((PROXY_HOST, 0), ProxyHandler)

    def log(self, line):
        with self.lock:
            self.log_file.write(line + "\n")

    def wire(self, data):
        with self.lock:
            self.wire_file.write(data)


class ProxyHandler(socketserver.BaseRequestHandler):
    def answer(self, line, status, reason):
        body = reason.encode("ascii")
        self.request.sendall(b"HTTP/1.1 %d %s\r\nContent-Length: %d\r\nConnection: close\r\n\r\n%s"
                             % (status, body, len(body), body))
        self.server.log("%s %d" % (line, status))

    def handle(self):
        client = self.request
        client.settimeout(TIMEOUT)
        head = b""
        try:
            while b"\r\n\r\n" not in head:
                chunk = client.recv(4096)
                if not chunk or len(head) > MAX_HEAD:
                    return
                self.server.wire(chunk)
                head += chunk
        except OSError:
            return
        line = head.split(b"\r\n", 1)[0].decode("latin-1")
        early = head.split(b"\r\n\r\n", 1)[1]
        words = line.split()
        if len(words) != 3 or words[0] != "CONNECT":
            self.answer(line, 405, "Method Not Allowed")
            return
        host, _, port = words[1].rpartition(":")
        if not host.endswith(".test") or not port.isdigit():
            self.answer(line, 502, "Bad Gateway")
            return
        try:
            upstream = socket.create_connection((backend.LOOPBACK, int(port)), TIMEOUT)
        except OSError:
            self.answer(line, 502, "Bad Gateway")
            return
        with upstream:
            client.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
            self.server.log("%s 200" % line)
            up, down = self.relay(client, upstream, early)
        self.server.log("tunnel %s up=%d down=%d" % (words[1], up, down))

    def relay(self, client, upstream, early):
        up = down = 0
        try:
            if early:
                upstream.sendall(early)
                up += len(early)
            while True:
                ready, _, _ = select.select([client, upstream], [], [], TIMEOUT)
                if not ready:
                    break
                if client in ready:
                    data = client.recv(65536)
                    if not data:
                        break
                    self.server.wire(data)
                    upstream.sendall(data)
                    up += len(data)
                if upstream in ready:
                    data = upstream.recv(65536)
                    if not data:
                        break
                    client.sendall(data)
                    down += len(data)
        except OSError:
            pass
        return up, down


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 64
    cert_dir, work_dir = argv[1], argv[2]
    servers = {}
    for name in ("backend-test", "localhost"):
        log = open(os.path.join(work_dir, name + ".log"), "a", buffering=1)
        tls = backend.tls_context(os.path.join(cert_dir, name + ".pem"),
                                  os.path.join(cert_dir, name + ".key"))
        servers[name] = backend.start_in_thread(log_stream=log, tls=tls)
    proxy = Proxy(work_dir)
    threading.Thread(target=proxy.serve_forever, kwargs={"poll_interval": 0.1},
                     daemon=True).start()
    print("backend-test https://backend.test:%d" % servers["backend-test"].port)
    print("localhost %s" % servers["localhost"].origin)
    print("proxy %s:%d" % proxy.server_address[:2])
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
