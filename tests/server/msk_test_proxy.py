"""Loopback forward proxies for the tests of MarlowSetupKit, run inside msk_test_server.py.

A proxy relays an absolute-URI request (`GET http://payload.test/bytes?size=10 HTTP/1.1`) to the
test server: to the port the URI names when its host is `localhost` or `127.0.0.1`, else to the
server's own HTTP port, so invented host names reach the server through the proxy alone. `CONNECT
localhost:PORT` (or 127.0.0.1) opens a tunnel to that loopback port; any other CONNECT is answered
502. Nothing ever leaves the machine. The `basic` variant first asks for Basic credentials (407)
and relays only requests that carry `Proxy-Authorization: Basic base64(proxyuser:proxypass)`.

Every relayed request is logged ("NAME METHOD TARGET") in memory and in the state folder's
proxy.log; the server's route /proxy/log?contains=TEXT answers 200 when a logged request's target
holds TEXT (`proxy=NAME`, `method=CONNECT`: of that proxy, that method), else 404.

Standard library only.
"""

import base64
import select
import socket
import socketserver
import threading

CREDENTIALS = "proxyuser:proxypass"
LOOPBACK_NAMES = ("localhost", "127.0.0.1")


class ProxyLog:
    """The relayed requests of all proxies, shared by their threads."""

    def __init__(self, path=None):
        self._lines = []
        self._lock = threading.Lock()
        self._path = path

    def add(self, line):
        with self._lock:
            self._lines.append(line)
            if self._path:
                with open(self._path, "a") as file:
                    file.write(line + "\n")

    def has(self, text, name=None, method=None):
        """Whether a logged request's target holds `text` (of that proxy and method, if given)."""
        with self._lock:
            for line in self._lines:
                line_name, line_method, target = line.split(" ", 2)
                if text in target and name in (None, line_name) and method in (None, line_method):
                    return True
            return False


LOG = ProxyLog()


class ProxyServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, name, origin_port, ask_credentials):
        self.name = name
        self.origin_port = origin_port
        self.ask_credentials = ask_credentials
        super().__init__(("127.0.0.1", 0), ProxyHandler)

    def handle_error(self, request, client_address):
        pass  # clients hang up mid-relay all the time in tests


def split_host_port(authority, default_port):
    host, _, port = authority.rpartition(":")
    if not host or not port.isdigit():
        return authority, default_port
    return host, int(port)


class ProxyHandler(socketserver.StreamRequestHandler):
    timeout = 60

    def handle(self):
        while True:
            request_line = self.rfile.readline(65537)
            if not request_line:
                return
            headers = []
            while True:
                line = self.rfile.readline(65537)
                if line in (b"\r\n", b"\n", b""):
                    break
                headers.append(line.decode("latin-1").rstrip("\r\n"))
            parts = request_line.decode("latin-1").split()
            if len(parts) != 3:
                return
            method, target, _version = parts
            length = 0
            authorized = not self.server.ask_credentials
            for header in headers:
                name, _, value = header.partition(":")
                if name.strip().lower() == "content-length":
                    length = int(value.strip() or 0)
                if name.strip().lower() == "proxy-authorization":
                    scheme, _, token = value.strip().partition(" ")
                    expected = base64.b64encode(CREDENTIALS.encode()).decode()
                    authorized = authorized or (scheme.lower() == "basic" and token == expected)
            body = self.rfile.read(length) if length else b""
            if not authorized:
                self.wfile.write(b"HTTP/1.1 407 Proxy Authentication Required\r\n"
                                 b"Proxy-Authenticate: Basic realm=\"msk-proxy\"\r\n"
                                 b"Content-Length: 0\r\n\r\n")
                continue
            if method == "CONNECT":
                self.tunnel(target)
            else:
                self.relay(method, target, headers, body)
            return  # the relay or tunnel used up the connection

    def tunnel(self, target):
        host, port = split_host_port(target, 443)
        if host.lower() not in LOOPBACK_NAMES:
            self.wfile.write(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n")
            return
        try:
            origin = socket.create_connection(("127.0.0.1", port), timeout=10)
        except OSError:
            self.wfile.write(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n")
            return
        LOG.add("%s CONNECT %s" % (self.server.name, target))
        self.wfile.write(b"HTTP/1.1 200 Connection established\r\n\r\n")
        self.wfile.flush()
        with origin:
            pipe(self.connection, origin)

    def relay(self, method, target, headers, body):
        scheme, _, rest = target.partition("://")
        if scheme.lower() != "http" or not rest:
            self.wfile.write(b"HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n")
            return
        authority, slash, path = rest.partition("/")
        host, port = split_host_port(authority, 80)
        if host.lower() not in LOOPBACK_NAMES:
            port = self.server.origin_port
        LOG.add("%s %s %s" % (self.server.name, method, target))
        kept = [h for h in headers
                if h.partition(":")[0].strip().lower()
                not in ("proxy-authorization", "proxy-connection", "connection")]
        request = "%s %s HTTP/1.1\r\n%s\r\nConnection: close\r\n\r\n" % (
            method, slash + path, "\r\n".join(kept))
        with socket.create_connection(("127.0.0.1", port), timeout=60) as origin:
            origin.sendall(request.encode("latin-1") + body)
            while True:
                data = origin.recv(1 << 16)
                if not data:
                    break
                self.wfile.write(data)


def pipe(client, origin):
    """Copies bytes both ways until either side closes."""
    sockets = [client, origin]
    while True:
        readable, _, _ = select.select(sockets, [], [], 60)
        if not readable:
            return
        for source in readable:
            data = source.recv(1 << 16)
            if not data:
                return
            (origin if source is client else client).sendall(data)


def start_proxies(origin_port, log_path):
    """Starts the open and the Basic proxy; returns {name: server}."""
    LOG._path = log_path
    proxies = {"proxy": ProxyServer("proxy", origin_port, False),
               "proxy_basic": ProxyServer("proxy_basic", origin_port, True)}
    for proxy in proxies.values():
        threading.Thread(target=proxy.serve_forever, kwargs={"poll_interval": 0.2},
                         daemon=True).start()
    return proxies
