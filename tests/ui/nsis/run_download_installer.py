#!/usr/bin/env python3
"""End-to-end test of the download exports in a real NSIS installer (DownloadRetry.nsi) under wine.

Run 1: the payload server is up; the installer downloads at the first attempt. Run 2: the server
is down; the first attempt fails, the installer shows the connection-error dialog, the server is
brought up and "Try Again" is clicked from another process; the second attempt succeeds. Both runs
must leave the payload byte for byte at the target. Both dialogs, shown from the section, must be
owned by the installer's window, which they disable while they run. Screenshots of the download
dialog (run 1) and of the error dialog (run 2) are kept in --artifacts.

Run by CTest inside tests/harness/run-tests.sh (which provides WINEPREFIX and DISPLAY).
"""
import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from wine_desktop import (DialogTool, PayloadServer, add_installer_arguments,  # noqa: E402
                          build_installer, free_port, read_report, screenshot, wait_for,
                          windows_path)

CAPTION = "Velmar Installation"
PROGRESS_BAR = 138
TRY_AGAIN = 1002


def start_installer(installer, port, target, report):
    for path in (target, report):
        if os.path.exists(path):
            os.remove(path)
    env = dict(os.environ, MSK_E2E_URL=f"http://127.0.0.1:{port}/payload.bin",
               MSK_E2E_TARGET=windows_path(target), MSK_E2E_REPORT=windows_path(report))
    return subprocess.Popen(["wine", installer], env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def check_owner(problems, what, owner, report, enabled_key):
    """A dialog shown from the section (on NSIS's worker thread, which has no active window) must be
    owned by the installer's window ($HWNDPARENT), which is disabled while it runs and enabled again
    when it has ended."""
    installer_window = int(report.get("hwndparent", "0") or "0")
    if owner is None or installer_window == 0:
        problems.append(f"{what}: owner {owner}, installer window {installer_window}: not known")
        return
    handle, enabled = owner
    if handle != installer_window:
        problems.append(f"{what}: owned by window {handle}, "
                        f"not by the installer's {installer_window}")
    if enabled:
        problems.append(f"{what}: the installer's window stayed enabled while the dialog ran")
    if report.get(enabled_key) != "1":
        problems.append(f"{what}: the installer's window is not enabled again afterwards")


def finish(process, problems, what):
    try:
        code = process.wait(timeout=90)
    except subprocess.TimeoutExpired:
        process.kill()
        problems.append(f"{what}: the installer did not end")
        return
    if code != 0:
        problems.append(f"{what}: installer exit code {code}")


def main():
    parser = argparse.ArgumentParser()
    add_installer_arguments(parser)
    parser.add_argument("--dialog-tool", required=True)
    args = parser.parse_args()
    installer = build_installer(args, "DownloadRetry")

    dialog_tool = DialogTool("wine", args.dialog_tool)
    payload = os.urandom(3 * 1000 * 1000)
    server = PayloadServer(free_port(), payload)
    problems = []

    # Run 1: the server is up; about two seconds of body give time for the screenshot.
    target = os.path.join(args.work, "first.bin")
    report = os.path.join(args.work, "first.txt")
    server.start(rate=1500 * 1000)
    process = start_installer(installer, server.port, target, report)
    rect = dialog_tool(CAPTION, PROGRESS_BAR, "wait")
    download_owner = dialog_tool.owner
    if rect is None:
        problems.append("run 1: no download dialog appeared")
    else:
        time.sleep(0.8)
        screenshot(rect, os.path.join(args.artifacts, "e2e-download-dialog.png"))
    finish(process, problems, "run 1")
    server.stop()
    first = read_report(report)
    print("run 1 report:", first, "download dialog's owner:", download_owner)
    if first.get("attempt1") != "1" or "done" not in first or "attempt2" in first:
        problems.append("run 1: not a download at the first attempt")
    check_owner(problems, "run 1, download dialog", download_owner, first,
                "enabled_after_download1")
    if not os.path.exists(target) or open(target, "rb").read() != payload:
        problems.append("run 1: the payload did not arrive intact")

    # Run 2: the server is down; bring it up while the error dialog waits, then "Try Again".
    target = os.path.join(args.work, "second.bin")
    report = os.path.join(args.work, "second.txt")
    process = start_installer(installer, server.port, target, report)
    if not wait_for(lambda: read_report(report).get("attempt1") == "0", 60, process):
        problems.append("run 2: the first attempt did not fail")
    rect = dialog_tool(CAPTION, TRY_AGAIN, "wait")
    error_owner = dialog_tool.owner
    if rect is None:
        problems.append("run 2: no connection-error dialog appeared")
    else:
        time.sleep(0.5)
        screenshot(rect, os.path.join(args.artifacts, "e2e-error-dialog.png"))
        server.start(rate=0)
        if dialog_tool(CAPTION, TRY_AGAIN, "click") is None:
            problems.append("run 2: could not click Try Again")
    finish(process, problems, "run 2")
    server.stop()
    second = read_report(report)
    print("run 2 report:", second, "error dialog's owner:", error_owner)
    if (second.get("attempt1") != "0" or second.get("error_window1") != "1"
            or second.get("attempt2") != "1" or "done" not in second):
        problems.append("run 2: not failure, Try Again, then success")
    check_owner(problems, "run 2, error dialog", error_owner, second,
                "enabled_after_error_window1")
    if os.path.exists(target) and open(target, "rb").read() == payload:
        pass
    else:
        problems.append("run 2: the payload did not arrive intact")

    for problem in problems:
        print("FAIL:", problem)
    print("screenshots:", os.path.join(args.artifacts, "e2e-download-dialog.png"),
          os.path.join(args.artifacts, "e2e-error-dialog.png"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
