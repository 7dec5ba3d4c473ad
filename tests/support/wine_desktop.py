"""What the end-to-end drivers need to play a user at a Windows program under wine: paths as the
program sees them, a payload server that can be started late on a chosen port, the dialog helper
(tests/ui/nsis/DialogButton.cpp) to find and click dialogs, and screenshots of the X display.

Drivers run inside tests/harness/run-tests.sh, which provides DISPLAY and WINEPREFIX; they import
this file by adding its folder to sys.path.
"""
import http.server
import os
import socket
import subprocess
import sys
import threading
import time


def add_installer_arguments(parser):
    """The arguments of a driver that builds its own test installer with makensis."""
    for name in ("--makensis", "--script", "--nsis-dir", "--dll", "--target", "--work", "--artifacts"):
        parser.add_argument(name, required=True)


def build_installer(args, name):
    """Checks that the driver runs under the wine runner, makes its folders and builds the test
    installer ARGS.script as WORK/NAME.exe for ARGS.target; answers its path."""
    if not os.environ.get("DISPLAY") or not os.environ.get("WINEPREFIX"):
        print("FAIL: run through tests/harness/run-tests.sh (DISPLAY and WINEPREFIX are needed)")
        sys.exit(1)
    os.makedirs(args.work, exist_ok=True)
    os.makedirs(args.artifacts, exist_ok=True)
    installer = os.path.join(args.work, name + ".exe")
    subprocess.run([args.makensis, "-V2", "-INPUTCHARSET", "UTF8", f"-DMSK_TARGET={args.target}",
                    f"-DMSK_DLL_SOURCE={args.dll}", f"-DMSK_OUT={installer}",
                    f"-DMSK_NSIS_DIR={args.nsis_dir}", args.script], check=True)
    return installer


def windows_path(path):
    """The path as a program under wine sees it (drive Z: is the Linux root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def free_port():
    """A loopback port where nothing listens now (and, until something is started on it, later)."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class PayloadServer:
    """Serves one payload at /NAME on a fixed loopback port at a given rate (bytes per second, 0
    for as fast as possible). Can be stopped and started again on the same port."""

    def __init__(self, port, payload, name="payload.bin"):
        self.port = port
        self.payload = payload
        self.path = "/" + name
        self.httpd = None

    @property
    def url(self):
        return f"http://127.0.0.1:{self.port}{self.path}"

    def start(self, rate=0):
        payload, path = self.payload, self.path

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                if self.path != path:
                    self.send_error(404)
                    return
                self.send_response(200)
                self.send_header("Content-Length", str(len(payload)))
                self.end_headers()
                started = time.monotonic()
                piece = 64 * 1024
                for offset in range(0, len(payload), piece):
                    self.wfile.write(payload[offset:offset + piece])
                    if rate:
                        ahead = (offset + piece) / rate - (time.monotonic() - started)
                        if ahead > 0:
                            time.sleep(ahead)

        http.server.ThreadingHTTPServer.allow_reuse_address = True
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", self.port), Handler)
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def stop(self):
        if self.httpd:
            self.httpd.shutdown()
            self.httpd.server_close()
            self.httpd = None


class DialogTool:
    """The dialog helper, run with the given wine command."""

    def __init__(self, wine, tool):
        self.wine = wine
        self.tool = tool
        # The owner of the dialog last found: (window handle, 0 for none; whether it was enabled).
        self.owner = None

    def __call__(self, caption, control, action, timeout_ms=30000):
        """Waits for a visible dialog titled CAPTION with control CONTROL, then does ACTION ("wait",
        "click" or "close"). Answers the dialog's screen rectangle, or None when none showed up."""
        self.owner = None
        done = subprocess.run([self.wine, self.tool, caption, str(control), action, str(timeout_ms)],
                              capture_output=True, text=True, stdin=subprocess.DEVNULL,
                              timeout=timeout_ms / 1000 + 30)
        if done.returncode != 0:
            return None
        fields = done.stdout.split()
        if len(fields) >= 6:
            self.owner = (int(fields[4]), fields[5] == "1")
        return tuple(int(v) for v in fields[:4]) if len(fields) >= 4 else None


def screenshot(rect, path):
    """Saves the screen rectangle (left, top, right, bottom) of the X display as an image file."""
    left, top, right, bottom = rect
    xwd = subprocess.run(["xwd", "-root", "-silent", "-display", os.environ["DISPLAY"]],
                         check=True, capture_output=True).stdout
    subprocess.run(["convert", "xwd:-", "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                    "+repage", path], input=xwd, check=True)


def read_report(path):
    """An installer's "key=value" report lines; a line without "=" is a key with an empty value."""
    if not os.path.exists(path):
        return {}
    text = open(path, "rb").read().decode("utf-8", errors="replace")
    return dict(line.split("=", 1) if "=" in line else (line, "") for line in text.splitlines()
                if line.strip())


def wait_for(predicate, seconds, process):
    """Polls PREDICATE until it holds, SECONDS pass, or PROCESS ends (then one last look)."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        if predicate():
            return True
        if process.poll() is not None:
            return predicate()
        time.sleep(0.1)
    return False
