#!/usr/bin/env python3
"""Runs the example installer as a user would, silently, and judges it by files and exit codes.

1. A payload (the example program plus random bytes) served from 127.0.0.1, its SHA-256 on the
   command line: the installer exits 0, the downloaded file is byte-identical, and
   install-report.txt holds the payload's version (read back with GetInfo), the user's SID and
   folders.
2. The same installer pointed at a port where nothing listens: after its own retries it exits 2
   (silent installers do not ask "Try Again") and leaves no payload file behind; and given
   another SHA-256 than the payload's, it exits 2 without a payload file as well.
3. The uninstaller it wrote removes what was installed.
4. With its pages, as a user runs it: Install is clicked, the download fails (retries included),
   the connection-error dialog shows; the server comes up and "Try Again" is clicked; the second
   attempt downloads the payload behind the dialog with its text line and Cancel button, and the
   finished page's Close ends the installer with exit code 0. Screenshots of the error dialog,
   the download dialog and the skinned finished page are kept in --artifacts.
"""
import argparse
import hashlib
import os
import random
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checklist import check, exit_status  # noqa: E402
from wine_desktop import (DialogTool, PayloadServer, free_port, read_report, screenshot,  # noqa: E402
                          windows_path)

SETUP = "Velmar Setup"  # the installer's window; NSIS adds the page's name to its caption
OUR_DIALOGS = "Velmar Installation"  # the connection-error dialog
NEXT_BUTTON = 1  # "Install" on the folder page, "Close" on the finished one
PROGRESS_BAR = 138
TRY_AGAIN = 1002

def run(emulator, exe, *args):
    result = subprocess.run([emulator, exe, *args], timeout=150)
    return result.returncode


def sha256_of(path):
    return hashlib.sha256(open(path, "rb").read()).hexdigest() if os.path.exists(path) else None


def check_installed(install_dir, expected, attempts):
    """The payload arrived intact and the report holds what the installer found out."""
    check(sha256_of(os.path.join(install_dir, "velmar-payload.exe")) == expected,
          "downloaded payload is byte-identical")
    report = read_report(os.path.join(install_dir, "install-report.txt"))
    check(report.get("attempts") == str(attempts),
          "downloaded at attempt %d: %r" % (attempts, report.get("attempts")))
    check(report.get("version") == "1.2.3", "GetInfo read ProductVersion 1.2.3: %r" % report.get("version"))
    check(report.get("company") == "Velmar Example Co.", "GetInfo read CompanyName")
    check(report.get("sid", "").startswith("S-1-5-"), "GetSid gave a SID: %r" % report.get("sid"))
    check(report.get("localappdata", "").endswith("AppData\\Local"), "GetLocalAppData gave a folder")
    check(report.get("expanded", "").endswith("\\Velmar") and "%" not in report.get("expanded", ""),
          "Expand expanded %USERPROFILE%")


def run_silently(args, server, expected):
    """Runs 1-3: a good download, the uninstaller, an unreachable server."""
    install_dir = os.path.join(args.work_dir, "install")
    server.start()
    status = run(args.emulator, args.installer, "/S", "/URL=" + server.url, "/SHA256=" + expected,
                 "/D=" + windows_path(install_dir))
    server.stop()
    check(status == 0, "installer exits 0 after a good download (got %d)" % status)
    check_installed(install_dir, expected, attempts=1)

    downloaded = os.path.join(install_dir, "velmar-payload.exe")
    uninstaller = os.path.join(install_dir, "uninstall.exe")
    check(os.path.exists(uninstaller), "the installer wrote its uninstaller")
    if os.path.exists(uninstaller):
        # _?= runs the uninstaller in place, so the test can wait for it.
        status = run(args.emulator, uninstaller, "/S", "_?=" + windows_path(install_dir))
        check(status == 0, "uninstaller exits 0 (got %d)" % status)
        check(not os.path.exists(downloaded), "uninstaller removed the payload")

    failed_dir = os.path.join(args.work_dir, "install-failed")
    status = run(args.emulator, args.installer, "/S", "/URL=" + server.url,
                 "/D=" + windows_path(failed_dir))
    check(status == 2, "installer exits 2 when the server is unreachable (got %d)" % status)
    check(not os.path.exists(os.path.join(failed_dir, "velmar-payload.exe")),
          "a failed download leaves no payload file")

    mismatch_dir = os.path.join(args.work_dir, "install-mismatch")
    server.start()
    status = run(args.emulator, args.installer, "/S", "/URL=" + server.url, "/SHA256=" + "0" * 64,
                 "/D=" + windows_path(mismatch_dir))
    server.stop()
    check(status == 2, "installer exits 2 when the payload's SHA-256 differs (got %d)" % status)
    check(not os.path.exists(os.path.join(mismatch_dir, "velmar-payload.exe")),
          "a payload with another SHA-256 is not left behind")


def run_with_pages(args, server, expected):
    """Run 4: as a user, with the retry path."""
    dialog = DialogTool(args.emulator, args.dialog_tool)
    install_dir = os.path.join(args.work_dir, "install-interactive")
    process = subprocess.Popen([args.emulator, args.installer, "/URL=" + server.url,
                                "/SHA256=" + expected, "/D=" + windows_path(install_dir)],
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        check(dialog(SETUP + ": Installation Folder", NEXT_BUTTON, "click") is not None,
              "the folder page showed and Install was clicked")
        # After the download's own three retries, 1, 2 and 4 s apart.
        rect = dialog(OUR_DIALOGS, TRY_AGAIN, "wait", timeout_ms=60000)
        check(rect is not None, "the connection-error dialog showed after the failed attempt")
        if rect is not None:
            time.sleep(0.5)
            screenshot(rect, os.path.join(args.artifacts, "example-error-dialog.png"))
        # About two seconds of body, for a look at the download dialog mid-way.
        server.start(rate=1500 * 1000)
        check(dialog(OUR_DIALOGS, TRY_AGAIN, "click") is not None, "Try Again was clicked")
        # Download's dialog takes the installer window's title.
        rect = dialog(SETUP + ": Installing", PROGRESS_BAR, "wait")
        check(rect is not None, "the download dialog showed for the second attempt")
        if rect is not None:
            time.sleep(0.8)
            screenshot(rect, os.path.join(args.artifacts, "example-download-dialog.png"))
        rect = dialog(SETUP + ": Completed", NEXT_BUTTON, "wait", timeout_ms=90000)
        check(rect is not None, "the installer reached its finished page")
        if rect is not None:
            time.sleep(0.5)
            screenshot(rect, os.path.join(args.artifacts, "example-finished-page.png"))
            dialog(SETUP + ": Completed", NEXT_BUTTON, "click")
        status = process.wait(timeout=60)
        check(status == 0, "the installer with pages exits 0 after Try Again (got %d)" % status)
    finally:
        if process.poll() is None:
            process.kill()
        server.stop()
    check_installed(install_dir, expected, attempts=2)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--installer", required=True)
    parser.add_argument("--payload-program", required=True)
    parser.add_argument("--dialog-tool", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("FAIL: run through tests/harness/run-tests.sh (DISPLAY is needed)")
        return 1

    shutil.rmtree(args.work_dir, ignore_errors=True)
    os.makedirs(args.work_dir)
    os.makedirs(args.artifacts, exist_ok=True)
    payload = open(args.payload_program, "rb").read() + random.Random(7).randbytes(3 * 1024 * 1024 + 17)
    expected = hashlib.sha256(payload).hexdigest()
    # Down at first in each run that needs it to be: nothing listens on the port until start().
    server = PayloadServer(free_port(), payload, name="velmar-payload.exe")

    run_silently(args, server, expected)
    run_with_pages(args, server, expected)
    print("screenshots:", ", ".join(os.path.join(args.artifacts, "example-%s.png" % name)
                                    for name in ("error-dialog", "download-dialog", "finished-page")))
    return exit_status()


if __name__ == "__main__":
    sys.exit(main())
