#!/usr/bin/env python3
"""Drives the download benchmark inside a prepared wine prefix and X display (bench/download/run.sh):
serves one payload on loopback over HTTP and over HTTPS (a test CA, put into the prefix's machine
ROOT store by the trust tool), runs the benchmark installer, checks the five downloads and prints
their speeds, the ratios to HTTPDownload over HTTP, and HTTPDownload's time from the moment its file
holds the last byte to its return.

    download_bench.py --installer DownloadBench.exe --curl curl.exe
                      --trust-tool msk_trust_test_ca.exe --work DIR [--size BYTES]
"""
import argparse
import hashlib
import http.server
import os
import ssl
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "server"))
import msk_test_tls  # noqa: E402 - the test server's PKI

FILETIME_UNIX_OFFSET = 11644473600  # seconds from 1601-01-01 to 1970-01-01


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def filetime_to_unix(value):
    return int(value) / 1e7 - FILETIME_UNIX_OFFSET


def serve(payload, tls=None):
    """A loopback server for /payload.bin; over HTTPS when given an SSL context."""
    view = memoryview(payload)

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def do_GET(self):
            path = self.path.partition("?")[0]
            if path != "/payload.bin":
                self.send_error(404)
                return
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(payload)))
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            piece = 1 << 20
            for offset in range(0, len(payload), piece):
                self.wfile.write(view[offset:offset + piece])
            self.wfile.flush()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    if tls is not None:
        server.socket = tls.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("--curl", required=True)
    parser.add_argument("--trust-tool", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--size", type=int, default=256 * 1024 * 1024)
    args = parser.parse_args()

    block = os.urandom(1 << 20)
    payload = (block * (args.size // len(block) + 1))[:args.size]
    digest = hashlib.sha256(payload).hexdigest()
    server = serve(payload)
    url = f"http://127.0.0.1:{server.server_address[1]}/payload.bin"
    pki = msk_test_tls.make_pki(os.path.join(args.work, "pki"))
    ca = os.path.join(pki, "ca.pem")
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(os.path.join(pki, "good.pem"), os.path.join(pki, "server.key"))
    https_server = serve(payload, tls)
    https_url = f"https://localhost:{https_server.server_address[1]}/payload.bin"
    subprocess.run(["wine", args.trust_tool, windows_path(ca)], check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)

    env = dict(os.environ, MSK_BENCH_URL=url, MSK_BENCH_DIR=windows_path(args.work),
               MSK_BENCH_CURL=windows_path(args.curl), MSK_BENCH_HTTPS_URL=https_url,
               MSK_BENCH_CA=windows_path(ca))
    # The observer writes every block straight through: the file reaches its full size when the
    # last byte has arrived.
    ours = os.path.join(args.work, "ours.bin")
    full = {}

    def watch():
        while "at" not in full and not full.get("stop"):
            if os.path.exists(ours) and os.path.getsize(ours) >= args.size:
                full["at"] = time.time()
            time.sleep(0.001)

    watcher = threading.Thread(target=watch)
    watcher.start()
    try:
        subprocess.run(["wine", args.installer], env=env, check=True, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=900)
    finally:
        full["stop"] = True
        watcher.join()
        server.shutdown()
        https_server.shutdown()

    rows = {}
    for line in open(os.path.join(args.work, "report.txt"), encoding="utf-8", errors="replace"):
        fields = line.split()
        if len(fields) == 4:
            rows[fields[0]] = (fields[1], filetime_to_unix(fields[2]), filetime_to_unix(fields[3]))

    megabytes = args.size / 1e6
    print(f"payload: {args.size} bytes ({args.size / 2**20:.0f} MiB) from {url} and {https_url}")
    speeds = {}
    problems = []
    for method, expected in (("ours", "1"), ("urlmon", "0"), ("curl", "0"), ("ours_https", "1"),
                             ("curl_https", "0")):
        if method not in rows:
            problems.append(f"{method}: no result")
            continue
        answer, start, end = rows[method]
        path = os.path.join(args.work, method + ".bin")
        intact = (os.path.exists(path) and os.path.getsize(path) == args.size
                  and hashlib.sha256(open(path, "rb").read()).hexdigest() == digest)
        if answer != expected or not intact:
            problems.append(f"{method}: answered {answer}, file intact: {intact}")
            continue
        speeds[method] = megabytes / (end - start)
    labels = {"ours": "HTTPDownload (MarlowSetupKit)", "urlmon": "URLDownloadToFileW (urlmon)",
              "curl": "curl.exe (same libcurl)", "ours_https": "HTTPDownload over HTTPS",
              "curl_https": "curl.exe over HTTPS"}
    for method, speed in speeds.items():
        ratio = f"{speed / speeds['ours']:.2f} x ours" if "ours" in speeds else ""
        print(f"  {labels[method]:<32} {speed:8.1f} MB/s   {ratio}")
    if "ours" in speeds and "at" in full:
        latency = (rows["ours"][2] - full["at"]) * 1000
        print(f"  HTTPDownload: last byte in the file to return: {latency:.0f} ms")
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
