#!/usr/bin/env python3
"""Drives the download benchmark inside a prepared wine prefix and X display (bench/download/run.sh):
serves one payload on loopback, runs the benchmark installer once per round, checks the three
downloads of each round and prints the medians of their speeds, the ratios to HTTPDownload, and
HTTPDownload's time from the moment its file holds the last byte to its return (each round's and
their median), then the same figures as rows of the README's benchmark table.

    download_bench.py --installer DownloadBench.exe --curl curl.exe --work DIR [--size BYTES]
                      [--rounds N] [--machine TEXT]
"""
import argparse
import datetime
import hashlib
import http.server
import os
import statistics
import subprocess
import sys
import threading
import time

FILETIME_UNIX_OFFSET = 11644473600  # seconds from 1601-01-01 to 1970-01-01


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def filetime_to_unix(value):
    return int(value) / 1e7 - FILETIME_UNIX_OFFSET


def serve(payload):
    """A loopback server for /payload.bin."""
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
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


LABELS = {"ours": "HTTPDownload (MarlowSetupKit)", "urlmon": "URLDownloadToFileW (urlmon)",
          "curl": "curl.exe (same libcurl)"}


def run_round(args, url, digest, env):
    """One run of the installer: (MB/s by method, HTTPDownload's last-byte-to-return in ms or
    None, problems)."""
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

    rows = {}
    for line in open(os.path.join(args.work, "report.txt"), encoding="utf-8", errors="replace"):
        fields = line.split()
        if len(fields) == 4:
            rows[fields[0]] = (fields[1], filetime_to_unix(fields[2]), filetime_to_unix(fields[3]))

    megabytes = args.size / 1e6
    speeds = {}
    problems = []
    for method, expected in (("ours", "1"), ("urlmon", "0"), ("curl", "0")):
        if method not in rows:
            problems.append(f"{method}: no result")
            continue
        answer, start, end = rows[method]
        path = os.path.join(args.work, method + ".bin")
        intact = (os.path.exists(path) and os.path.getsize(path) == args.size
                  and hashlib.sha256(open(path, "rb").read()).hexdigest() == digest)
        if os.path.exists(path):
            os.remove(path)  # 256 MiB each: a round leaves nothing behind
        if answer != expected or not intact:
            problems.append(f"{method}: answered {answer}, file intact: {intact}")
            continue
        speeds[method] = megabytes / (end - start)
    latency = None
    if "ours" in speeds and "at" in full:
        latency = (rows["ours"][2] - full["at"]) * 1000
    return speeds, latency, problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("--curl", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--size", type=int, default=256 * 1024 * 1024)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--machine", default="this machine")
    args = parser.parse_args()

    block = os.urandom(1 << 20)
    payload = (block * (args.size // len(block) + 1))[:args.size]
    digest = hashlib.sha256(payload).hexdigest()
    server = serve(payload)
    url = f"http://127.0.0.1:{server.server_address[1]}/payload.bin"

    env = dict(os.environ, MSK_BENCH_URL=url, MSK_BENCH_DIR=windows_path(args.work),
               MSK_BENCH_CURL=windows_path(args.curl))
    speeds = {method: [] for method in LABELS}
    latencies = []
    problems = []
    try:
        for number in range(1, args.rounds + 1):
            round_speeds, latency, round_problems = run_round(args, url, digest, env)
            for method, speed in round_speeds.items():
                speeds[method].append(speed)
            if latency is not None:
                latencies.append(latency)
            problems += [f"round {number}: {problem}" for problem in round_problems]
    finally:
        server.shutdown()

    print(f"payload: {args.size} bytes ({args.size / 2**20:.0f} MiB) from {url}, "
          f"{args.rounds} rounds, medians")
    medians = {method: statistics.median(values) for method, values in speeds.items() if values}
    readme = []
    date = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d")

    def row(figure, value):
        readme.append(f"| bench/download: {figure} | {value} | {args.machine} | {date} |")

    for method, speed in medians.items():
        ratio = f"{speed / medians['ours']:.2f} x ours" if "ours" in medians else ""
        print(f"  {LABELS[method]:<32} {speed:8.1f} MB/s   {ratio}")
        row(LABELS[method], f"{speed:.0f} MB/s")
    if "ours" in medians:
        for method, goal in (("urlmon", 2.0), ("curl", 1.0)):
            if method in medians:
                ratio = medians["ours"] / medians[method]
                print(f"  HTTPDownload / {LABELS[method]:<32} {ratio:5.2f}   (goal: at least {goal:g})")
                row(f"HTTPDownload / {LABELS[method]}", f"{ratio:.2f}")
    if latencies:
        median = statistics.median(latencies)
        each = ", ".join(f"{value:.0f}" for value in latencies)
        print(f"  HTTPDownload: last byte in the file to return: median {median:.0f} ms "
              f"of {len(latencies)} ({each})   (goal: at most 50 ms)")
        row(f"HTTPDownload, last byte to return (median of {len(latencies)})", f"{median:.0f} ms")
    print("\nREADME rows:")
    for line in readme:
        print(line)
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
