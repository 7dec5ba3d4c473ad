#!/usr/bin/env python3
"""The release archive as an NSIS author uses it.

1. scripts/package.sh, run twice, writes MarlowSetupKit-<project version>.zip with the same bytes
   both times; it holds the NSIS folder layout, and its SHA256SUMS lists every other file with
   its digest.
2. Unpacked over a copy of Debian's NSIS folder (NSISDIR), makensis builds both examples for
   x86-unicode and amd64-unicode with no MSK_DLL_SOURCE: the plug-in and the include file come
   from the archive alone.
3. The minimal example (amd64) runs under wine64 against a loopback server: silently it downloads
   the payload byte for byte; with its pages, a download that fails shows the connection-error
   dialog, and "Try Again" (the server up again) downloads it and reaches the finished page.
"""
import argparse
import hashlib
import io
import os
import random
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checklist import check, exit_status  # noqa: E402
from wine_desktop import DialogTool, PayloadServer, free_port, windows_path  # noqa: E402

LAYOUT = [
    "Plugins/x86-unicode/MarlowSetupKit.dll",
    "Plugins/amd64-unicode/MarlowSetupKit.dll",
    "Include/MarlowSetupKit.nsh",
    "Examples/MarlowSetupKit/MinimalDownload.nsi",
    "Examples/MarlowSetupKit/VelmarSetup.nsi",
    "Docs/MarlowSetupKit/README.md",
    "LICENSES/libcurl.txt",
    "LICENSES/ca-certificates.txt",
    "LICENSES/mingw-w64.txt",
    "LICENSES/gcc-runtime.txt",
    "LICENSES/nsis-pluginapi.txt",
    "SHA256SUMS",
]
SETUP = "Minimal Download Setup"  # the installer's window; NSIS adds the page's name
OUR_DIALOGS = "Velmar Installation"  # the download and connection-error dialogs
NEXT_BUTTON = 1  # "Install" on the folder page, "Close" on the finished one
TRY_AGAIN = 1002

def package(args, folder):
    """Runs the packaging script into FOLDER; answers the archive's bytes (None when missing)."""
    subprocess.run([os.path.join(args.repo, "scripts", "package.sh"), "--out", folder], check=True,
                   timeout=1500)
    path = os.path.join(folder, f"MarlowSetupKit-{args.version}.zip")
    check(os.path.isfile(path), f"the archive is named after the project version: {path}")
    return open(path, "rb").read() if os.path.isfile(path) else None


def check_archive(data):
    with zipfile.ZipFile(io.BytesIO(data)) as archive:
        names = archive.namelist()
        missing = [name for name in LAYOUT if name not in names]
        check(not missing, f"the archive has NSIS's layout (missing: {missing})")
        listed = {}
        for line in archive.read("SHA256SUMS").decode().splitlines():
            digest, name = line.split("  ", 1)
            listed[name] = digest
        others = sorted(n for n in names if n != "SHA256SUMS")
        check(sorted(listed) == others, "SHA256SUMS lists every other file")
        wrong = [n for n in others if listed.get(n) != hashlib.sha256(archive.read(n)).hexdigest()]
        check(not wrong, f"SHA256SUMS has every file's digest (wrong: {wrong})")


def build_examples(args, nsis, url, sha256):
    """makensis with the unpacked NSIS folder only; answers the amd64 minimal installer."""
    examples = os.path.join(nsis, "Examples", "MarlowSetupKit")
    out = os.path.join(args.work_dir, "installers")
    os.makedirs(out)
    environment = dict(os.environ, NSISDIR=nsis)
    for target in ("x86-unicode", "amd64-unicode"):
        for script, defines in (("MinimalDownload", [f"-DPAYLOAD_URL={url}", f"-DPAYLOAD_SHA256={sha256}"]),
                                ("VelmarSetup", [])):
            installer = os.path.join(out, f"{script}-{target}.exe")
            built = subprocess.run([args.makensis, "-V2", f"-DMSK_TARGET={target}",
                                    f"-DOUTFILE={installer}", *defines, script + ".nsi"],
                                   cwd=examples, env=environment, timeout=120)
            check(built.returncode == 0 and os.path.isfile(installer),
                  f"makensis built {script} for {target} from the archive alone")
    return os.path.join(out, "MinimalDownload-amd64-unicode.exe")


def run_minimal(args, installer, server, payload):
    silent_dir = os.path.join(args.work_dir, "install-silent")
    server.start()
    status = subprocess.run([args.emulator, installer, "/S", "/D=" + windows_path(silent_dir)],
                            stdin=subprocess.DEVNULL, timeout=150).returncode
    server.stop()
    check(status == 0, f"the silent minimal installer exits 0 (got {status})")
    downloaded = os.path.join(silent_dir, "payload.exe")
    check(os.path.isfile(downloaded) and open(downloaded, "rb").read() == payload,
          "it downloaded the payload byte for byte")

    # With its pages: the server is down for the first attempt and its retries.
    dialog = DialogTool(args.emulator, args.dialog_tool)
    pages_dir = os.path.join(args.work_dir, "install-pages")
    process = subprocess.Popen([args.emulator, installer, "/D=" + windows_path(pages_dir)],
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        check(dialog(SETUP + ": Installation Folder", NEXT_BUTTON, "click") is not None,
              "the folder page showed and Install was clicked")
        check(dialog(OUR_DIALOGS, TRY_AGAIN, "wait", timeout_ms=60000) is not None,
              "the connection-error dialog showed after the failed download")
        server.start()
        check(dialog(OUR_DIALOGS, TRY_AGAIN, "click") is not None, "Try Again was clicked")
        finished = dialog(SETUP + ": Completed", NEXT_BUTTON, "click", timeout_ms=90000)
        check(finished is not None, "the installer reached its finished page and was closed")
        status = process.wait(timeout=60)
        check(status == 0, f"the minimal installer with pages exits 0 after Try Again (got {status})")
    finally:
        if process.poll() is None:
            process.kill()
        server.stop()
    downloaded = os.path.join(pages_dir, "payload.exe")
    check(os.path.isfile(downloaded) and open(downloaded, "rb").read() == payload,
          "the second attempt downloaded the payload byte for byte")


def main():
    parser = argparse.ArgumentParser()
    for name in ("--repo", "--version", "--makensis", "--nsis-dir", "--emulator", "--dialog-tool",
                 "--work-dir"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("FAIL: run through tests/harness/run-tests.sh (DISPLAY is needed)")
        return 1
    shutil.rmtree(args.work_dir, ignore_errors=True)
    os.makedirs(args.work_dir)

    first = package(args, os.path.join(args.work_dir, "first"))
    second = package(args, os.path.join(args.work_dir, "second"))
    if first is None or second is None:
        return 1
    check(first == second, "packing twice gives the same archive bytes")
    check_archive(first)

    nsis = os.path.join(args.work_dir, "nsis")
    shutil.copytree(args.nsis_dir, nsis)
    with zipfile.ZipFile(io.BytesIO(first)) as archive:
        archive.extractall(nsis)

    payload = random.Random(28).randbytes(2 * 1024 * 1024 + 28)
    server = PayloadServer(free_port(), payload, name="payload.exe")
    installer = build_examples(args, nsis, server.url, hashlib.sha256(payload).hexdigest())
    if os.path.isfile(installer):
        run_minimal(args, installer, server, payload)
    return exit_status()


if __name__ == "__main__":
    sys.exit(main())
