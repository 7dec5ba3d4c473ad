#!/usr/bin/env python3
"""Drives the download benchmark inside a prepared wine prefix and X display (bench/download/run.sh):
serves one payload on loopback over HTTP and over HTTPS (a test CA, put into the prefix's machine
ROOT store by the trust tool), runs the benchmark installer once per way and round (the five ways in
turn, each round starting with another), checks every download and prints the medians of
their speeds, the ratios to HTTPDownload, and HTTPDownload's time from the moment its file holds
the last byte to its return (each round's and their median), then the same figures as rows of the
README's benchmark table.

    download_bench.py --installer DownloadBench.exe --curl curl.exe
                      --trust-tool msk_trust_test_ca.exe --work DIR [--size BYTES]
                      [--rounds N] [--machine TEXT]
"""
import argparse
import datetime
import glob
import hashlib
import http.server
import os
import shutil
import ssl
import statistics
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


# The small download whose first and later costs are compared.
SMALL_SIZE = 1000


def run_first(args, method, env):
    """One installer process's four small downloads in a row: their times in ms, or a problem."""
    report = os.path.join(args.work, "report.txt")
    if os.path.exists(report):
        os.remove(report)
    # MSK_BENCH_TRACE=FILE keeps wine's own output of these runs (with MSK_BENCH_WINEDEBUG, e.g.
    # +timestamp,+loaddll: what the first download loads, and when).
    trace = os.environ.get("MSK_BENCH_TRACE")
    with open(trace, "a") if trace else open(os.devnull, "w") as errors:
        subprocess.run(["wine", args.installer], env=dict(env, MSK_BENCH_METHOD=method),
                       check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=errors, timeout=300)
    times = []
    for line in open(report, encoding="utf-8", errors="replace") if os.path.exists(report) else []:
        fields = line.split()
        if len(fields) != 4 or fields[0] != method:
            continue
        if fields[1] not in ("1", "OK"):  # HTTPDownload's success, the Download command's
            return None, f"{method}: a small download answered {fields[1]}"
        times.append((filetime_to_unix(fields[3]) - filetime_to_unix(fields[2])) * 1000)
    return (times, None) if len(times) == 4 else (None, f"{method}: {len(times)} results")


def serve(payload, tls=None):
    """A loopback server for /payload.bin; over HTTPS when given an SSL context."""
    view = memoryview(payload)

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def do_GET(self):
            path = self.path.partition("?")[0]
            if path not in ("/payload.bin", "/small.bin"):
                self.send_error(404)
                return
            body = view if path == "/payload.bin" else view[:SMALL_SIZE]
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            piece = 1 << 20
            for offset in range(0, len(body), piece):
                self.wfile.write(body[offset:offset + piece])
            self.wfile.flush()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    if tls is not None:
        server.socket = tls.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


LABELS = {"ours": "HTTPDownload (MarlowSetupKit)", "urlmon": "URLDownloadToFileW (urlmon)",
          "curl": "curl.exe (same libcurl)", "ours_https": "HTTPDownload over HTTPS",
          "curl_https": "curl.exe over HTTPS"}
# What each call answers on success.
EXPECTED = {"ours": "1", "urlmon": "0", "curl": "0", "ours_https": "1", "curl_https": "0"}


def run_method(args, method, url, digest, env):
    """One run of the installer for one way of downloading: (MB/s or None, last-byte-to-return
    in ms or None, problem or None)."""
    path = os.path.join(args.work, method + ".bin")
    full = {}

    # The observer writes every block straight through: its file reaches its full size when the
    # last byte has arrived.
    def watch():
        while "at" not in full and not full.get("stop"):
            if os.path.exists(path) and os.path.getsize(path) >= args.size:
                full["at"] = time.time()
            time.sleep(0.001)

    report = os.path.join(args.work, "report.txt")
    if os.path.exists(report):
        os.remove(report)
    # URLDownloadToFileW keeps a copy of what it fetched in its cache and removes the last one the
    # next time: every run starts with an empty cache, as a first download would.
    for cache in glob.glob(os.path.join(os.environ.get("WINEPREFIX", ""), "drive_c", "users", "*",
                                        "AppData", "Local", "Microsoft", "Windows", "INetCache")):
        shutil.rmtree(cache, ignore_errors=True)
    # Every way starts with nothing left to write back from the one before.
    os.sync()
    watcher = threading.Thread(target=watch)
    watcher.start()
    try:
        subprocess.run(["wine", args.installer], env=dict(env, MSK_BENCH_METHOD=method),
                       check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=900)
    finally:
        full["stop"] = True
        watcher.join()

    row = None
    lines = open(report, encoding="utf-8", errors="replace") if os.path.exists(report) else []
    for line in lines:
        fields = line.split()
        if len(fields) == 4 and fields[0] == method:
            row = (fields[1], filetime_to_unix(fields[2]), filetime_to_unix(fields[3]))
    intact = (os.path.exists(path) and os.path.getsize(path) == args.size
              and hashlib.sha256(open(path, "rb").read()).hexdigest() == digest)
    if os.path.exists(path):
        os.remove(path)  # 256 MiB each: nothing is left behind
    if row is None:
        return None, None, f"{method}: no result"
    answer, start, end = row
    if answer != EXPECTED[method] or not intact:
        return None, None, f"{method}: answered {answer}, file intact: {intact}"
    latency = (end - full["at"]) * 1000 if method == "ours" and "at" in full else None
    return args.size / 1e6 / (end - start), latency, None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("--curl", required=True)
    parser.add_argument("--trust-tool", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--size", type=int, default=256 * 1024 * 1024)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--machine", default="this machine")
    parser.add_argument("--first-only", action="store_true",
                        help="measure only the first small download against the later ones")
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
               MSK_BENCH_CA=windows_path(ca),
               MSK_BENCH_SMALL_URL=url.replace("/payload.bin", "/small.bin"),
               MSK_BENCH_SMALL_HTTPS_URL=https_url.replace("/payload.bin", "/small.bin"))
    firsts = {"first": [], "first_https": [], "first_silent": []}  # per method: one list of four times per round
    speeds = {method: [] for method in LABELS}
    latencies = []
    problems = []
    try:
        methods = [] if args.first_only else list(LABELS)
        for number in range(args.rounds):
            for method in firsts:
                times, problem = run_first(args, method, env)
                if times is not None:
                    firsts[method].append(times)
                if problem is not None:
                    problems.append(f"round {number + 1}: {problem}")
            # Each round starts with another way, so that none always goes first.
            first = number % len(methods) if methods else 0
            for method in methods[first:] + methods[:first]:
                speed, latency, problem = run_method(args, method, url, digest, env)
                if speed is not None:
                    speeds[method].append(speed)
                if latency is not None:
                    latencies.append(latency)
                if problem is not None:
                    problems.append(f"round {number + 1}: {problem}")
    finally:
        server.shutdown()
        https_server.shutdown()

    print(f"payload: {args.size} bytes ({args.size / 2**20:.0f} MiB) from {url} and {https_url}, "
          f"{args.rounds} rounds, medians")
    medians = {method: statistics.median(values) for method, values in speeds.items() if values}
    readme = []
    date = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d")

    def row(figure, value):
        readme.append(f"| bench/download: {figure} | {value} | {args.machine} | {date} |")

    for method, speed in medians.items():
        ratio = f"{speed / medians['ours']:.2f} x ours" if "ours" in medians else ""
        each = ", ".join(f"{value:.0f}" for value in speeds[method])
        print(f"  {LABELS[method]:<32} {speed:8.1f} MB/s   {ratio:<12} rounds: {each}")
        row(LABELS[method], f"{speed:.0f} MB/s")
    if "ours" in medians:
        for method, goal in (("urlmon", 2.0), ("curl", 1.0)):
            if method in medians:
                ratio = medians["ours"] / medians[method]
                # Against the other way's best round too: single rounds move a lot.
                strict = medians["ours"] / max(speeds[method])
                print(f"  HTTPDownload / {LABELS[method]:<32} {ratio:5.2f}   (goal: at least {goal:g}; "
                      f"{strict:.2f} against its best round)")
                row(f"HTTPDownload / {LABELS[method]}", f"{ratio:.2f} ({strict:.2f} against its best round)")
    if latencies:
        median = statistics.median(latencies)
        each = ", ".join(f"{value:.0f}" for value in latencies)
        print(f"  HTTPDownload: last byte in the file to return: median {median:.0f} ms "
              f"of {len(latencies)} ({each})   (goal: at most 50 ms)")
        row(f"HTTPDownload, last byte to return (median of {len(latencies)})", f"{median:.0f} ms")
    for method, call in (("first", "HTTPDownload"), ("first_https", "HTTPDownload"),
                         ("first_silent", "a silent Download")):
        if not firsts[method]:
            continue
        label = "HTTPS" if method == "first_https" else "HTTP"
        first = statistics.median(times[0] for times in firsts[method])
        later = statistics.median(t for times in firsts[method] for t in times[1:])
        each = ", ".join(f"{times[0]:.0f}" for times in firsts[method])
        print(f"  {call} of {SMALL_SIZE} bytes over {label}: a process's first {first:.0f} ms "
              f"(rounds: {each}), later ones {later:.0f} ms; first - later {first - later:.0f} ms")
        row(f"{call} of {SMALL_SIZE} bytes over {label}, first / later in a process (medians)",
            f"{first:.0f} ms / {later:.0f} ms")
    print("\nREADME rows:")
    for line in readme:
        print(line)
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
