#!/usr/bin/env python3
"""End-to-end test of the installer skin: builds SkinnedInstaller.nsi with makensis, runs it under
wine on the test run's X display, takes a screenshot of the skinned instfiles page while it waits,
and checks what the installer reported and what the screen shows.

Run by CTest inside tests/harness/run-tests.sh (which provides WINEPREFIX and DISPLAY). The
screenshot is kept as a test artifact in --artifacts.
"""
import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from wine_desktop import add_installer_arguments, build_installer, read_report  # noqa: E402

UNFILLED = (104, 164, 226)  # the bar's unfilled part
FRAME_OUTER = (36, 62, 106)  # outer line of the bar's frame (res/bitmaps/generate.py)


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def wait_for(path, seconds, process):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if os.path.exists(path):
            return True
        if process.poll() is not None:
            return False
        time.sleep(0.2)
    return False


TITLE = "Velmar Installation"


def installer_window():
    """The X window wine made for the installer's main window (its title starts with TITLE)."""
    tree = subprocess.run(["xwininfo", "-root", "-tree", "-display", os.environ["DISPLAY"]],
                          check=True, capture_output=True, text=True).stdout
    for line in tree.splitlines():
        parts = line.split(None, 1)
        if len(parts) == 2 and parts[1].startswith('"' + TITLE):
            return parts[0]
    return None


def read_ppm(data):
    """Parses a binary PPM (P6, maxval 255) into (width, height, rows of RGB tuples)."""
    fields = []
    index = 0
    while len(fields) < 4:
        while data[index:index + 1].isspace():
            index += 1
        if data[index:index + 1] == b"#":
            index = data.index(b"\n", index) + 1
            continue
        start = index
        while not data[index:index + 1].isspace():
            index += 1
        fields.append(data[start:index])
    index += 1
    assert fields[0] == b"P6" and int(fields[3]) == 255
    width, height = int(fields[1]), int(fields[2])
    pixels = data[index:index + width * height * 3]
    rows = [[tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]
    return width, height, rows


def longest_run(rows, colour):
    best = 0
    for row in rows:
        run = 0
        for pixel in row:
            run = run + 1 if pixel == colour else 0
            best = max(best, run)
    return best


def main():
    parser = argparse.ArgumentParser()
    add_installer_arguments(parser)
    args = parser.parse_args()
    for name in ("report.txt", "ready", "shot-taken"):
        if os.path.exists(os.path.join(args.work, name)):
            os.remove(os.path.join(args.work, name))
    installer = build_installer(args, "SkinnedInstaller")

    env = dict(os.environ, MSK_E2E_DIR="Z:" + args.work.replace("/", "\\"))
    process = subprocess.Popen(["wine", installer], env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        if not wait_for(os.path.join(args.work, "ready"), 90, process):
            fail("the installer never reached its screenshot point")
        time.sleep(1.0)  # let the last paints land
        shot = os.path.join(args.artifacts, "skinned-installer.png")
        window = installer_window()
        if window is None:
            fail("no X window titled " + TITLE)
        xwd = subprocess.run(["xwd", "-id", window, "-silent", "-display", os.environ["DISPLAY"]],
                             check=True, capture_output=True).stdout
        subprocess.run(["convert", "xwd:-", shot], input=xwd, check=True)
        ppm = subprocess.run(["convert", shot, "ppm:-"], check=True, capture_output=True).stdout
        open(os.path.join(args.work, "shot-taken"), "w").close()
        exit_code = process.wait(timeout=90)
    finally:
        if process.poll() is None:
            process.kill()

    report = read_report(os.path.join(args.work, "report.txt"))
    print("report:", report)
    print("screenshot:", shot)
    problems = []
    if exit_code != 0:
        problems.append(f"installer exit code {exit_code}")
    if report.get("CaptureInstallDialog") != "1":
        problems.append("CaptureInstallDialog did not answer 1")
    if report.get("CaptureDialog") != "1":
        problems.append("CaptureDialog did not answer 1")
    status = report.get("Status", "")
    if "..." not in status or not status.endswith("sky-dome-4k.dds"):
        problems.append(f"status text not compacted around its file name: {status!r}")

    width, height, rows = read_ppm(ppm)
    unfilled = longest_run(rows, UNFILLED)
    frame = longest_run(rows, FRAME_OUTER)
    print(f"screen {width}x{height}: unfilled run {unfilled}px, frame run {frame}px")
    if unfilled < 20:
        problems.append("no skinned bar (unfilled colour) on screen")
    if frame < 100:
        problems.append("no bar frame on screen")
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
