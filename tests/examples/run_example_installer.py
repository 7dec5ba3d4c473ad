#!/usr/bin/env python3
"""Runs the example installer as a user would, silently, and judges it by files and exit codes.

1. A payload (the example program plus random bytes) served from 127.0.0.1: the installer exits 0,
   the downloaded file is byte-identical, and install-report.txt holds the payload's version
   (read back with GetInfo), the user's SID and folders.
2. The same installer pointed at a port where nothing listens: it exits 2 (silent installers do
   not ask "Try Again") and leaves no payload file behind.
3. The uninstaller it wrote removes what was installed.
"""
import argparse
import hashlib
import os
import random
import shutil
import socket
import subprocess
import sys
import threading
import http.server

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def serve(path):
    name = "/" + os.path.basename(path)

    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def do_GET(self):
            if self.path != name:
                self.send_error(404)
                return
            data = open(path, "rb").read()
            self.send_response(200)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, "http://127.0.0.1:%d%s" % (server.server_address[1], name)


def closed_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def run(emulator, exe, *args):
    result = subprocess.run([emulator, exe, *args], timeout=150)
    return result.returncode


def read_report(path):
    report = {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            key, _, value = line.strip().partition("=")
            report[key] = value
    return report


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--installer", required=True)
    parser.add_argument("--payload-program", required=True)
    parser.add_argument("--work-dir", required=True)
    args = parser.parse_args()

    shutil.rmtree(args.work_dir, ignore_errors=True)
    os.makedirs(args.work_dir)
    payload = os.path.join(args.work_dir, "velmar-payload.exe")
    shutil.copyfile(args.payload_program, payload)
    with open(payload, "ab") as f:
        f.write(random.Random(7).randbytes(3 * 1024 * 1024 + 17))
    expected = hashlib.sha256(open(payload, "rb").read()).hexdigest()
    server, url = serve(payload)

    install_dir = os.path.join(args.work_dir, "install")
    status = run(args.emulator, args.installer, "/S", "/URL=" + url, "/D=" + windows_path(install_dir))
    check(status == 0, "installer exits 0 after a good download (got %d)" % status)
    downloaded = os.path.join(install_dir, "velmar-payload.exe")
    got = hashlib.sha256(open(downloaded, "rb").read()).hexdigest() if os.path.exists(downloaded) else None
    check(got == expected, "downloaded payload is byte-identical")
    report_path = os.path.join(install_dir, "install-report.txt")
    report = read_report(report_path) if os.path.exists(report_path) else {}
    check(report.get("version") == "1.2.3", "GetInfo read ProductVersion 1.2.3: %r" % report.get("version"))
    check(report.get("company") == "Velmar Example Co.", "GetInfo read CompanyName")
    check(report.get("sid", "").startswith("S-1-5-"), "GetSid gave a SID: %r" % report.get("sid"))
    check(report.get("localappdata", "").endswith("AppData\\Local"), "GetLocalAppData gave a folder")
    check(report.get("expanded", "").endswith("\\Velmar") and "%" not in report.get("expanded", ""),
          "Expand expanded %USERPROFILE%")

    uninstaller = os.path.join(install_dir, "uninstall.exe")
    check(os.path.exists(uninstaller), "the installer wrote its uninstaller")
    if os.path.exists(uninstaller):
        # _?= runs the uninstaller in place, so the test can wait for it.
        status = run(args.emulator, uninstaller, "/S", "_?=" + windows_path(install_dir))
        check(status == 0, "uninstaller exits 0 (got %d)" % status)
        check(not os.path.exists(downloaded), "uninstaller removed the payload")

    server.shutdown()
    failed_dir = os.path.join(args.work_dir, "install-failed")
    dead_url = "http://127.0.0.1:%d/velmar-payload.exe" % closed_port()
    status = run(args.emulator, args.installer, "/S", "/URL=" + dead_url, "/D=" + windows_path(failed_dir))
    check(status == 2, "installer exits 2 when the server is unreachable (got %d)" % status)
    check(not os.path.exists(os.path.join(failed_dir, "velmar-payload.exe")),
          "a failed download leaves no payload file")

    print("%d checks failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
