#!/usr/bin/env python3
"""Writes the release archive in NSIS's own folder layout, so that an author installs it by
unpacking it over the NSIS folder (or next to the script, with !addplugindir):

    Plugins/x86-unicode/MarlowSetupKit.dll, Plugins/amd64-unicode/MarlowSetupKit.dll
    Include/MarlowSetupKit.nsh
    Examples/MarlowSetupKit/   the example installers (and the example payload's source)
    Docs/MarlowSetupKit/       the README and its screenshots
    LICENSES/                  this project's licence (when the repository has one) and those of
                               what the DLL carries, from the Debian packages it was built from
    SHA256SUMS                 of every other file

    pack_release.py --x86-dll X --amd64-dll Y --out dist/MarlowSetupKit-0.1.0.zip

The same inputs give the same bytes: entries sorted, one fixed timestamp, fixed permissions, one
compression level. Prints the archive's path, size and SHA-256.
"""
import argparse
import glob
import hashlib
import os
import sys
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The earliest time a zip entry can carry: no build's clock leaks into the archive.
FIXED_TIME = (1980, 1, 1, 0, 0, 0)
FILE_MODE = 0o644

# Licences of what the DLL is made of, from the Debian packages it was built with: the first file
# of each list that exists. libcurl is built from Debian's curl source package (scripts/
# build-mingw-curl.sh), whose copyright file the curl binary packages carry; the root certificates
# are those of ca-certificates (Mozilla's list); the runtime is mingw-w64's (CRT, winpthreads) and
# GCC's (libgcc, libstdc++, under the GCC runtime library exception), linked in statically; and
# NSIS's plug-in API library, linked in as well.
THIRD_PARTY_LICENCES = [
    ("libcurl.txt", "libcurl", ["/usr/share/doc/curl/copyright", "/usr/share/doc/libcurl4/copyright",
                                "/usr/share/doc/libcurl4-openssl-dev/copyright"]),
    ("ca-certificates.txt", "the public root certificates (Mozilla's list)",
     ["/usr/share/doc/ca-certificates/copyright"]),
    ("mingw-w64.txt", "the mingw-w64 runtime (CRT, winpthreads)",
     ["/usr/share/doc/mingw-w64-common/copyright"]),
    ("gcc-runtime.txt", "the GCC runtime (libgcc, libstdc++)",
     ["/usr/share/doc/gcc-mingw-w64-base/copyright",
      "/usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright"]),
    ("nsis-pluginapi.txt", "NSIS's plug-in API library", ["/usr/share/doc/nsis-pluginapi/copyright"]),
]


def read(path):
    with open(path, "rb") as f:
        return f.read()


def first_existing(paths):
    return next((p for p in paths if os.path.isfile(p)), None)


def author_guide(readme):
    """The README as it reads inside Docs/MarlowSetupKit/, its screenshots beside it."""
    return readme.replace(b"](docs/screenshots/", b"](screenshots/")


def licences(warn):
    """LICENSES/: archive path -> bytes, and a README naming what each file covers."""
    files = {}
    index = ["What each file covers:", ""]
    own = first_existing([os.path.join(ROOT, n) for n in ("LICENSE", "LICENSE.txt", "LICENSE.md")])
    if own:
        files["LICENSES/MarlowSetupKit.txt"] = read(own)
        index.append("MarlowSetupKit.txt: MarlowSetupKit itself")
    else:
        warn("the repository has no LICENSE file: the archive carries no licence of MarlowSetupKit")
    for name, what, candidates in THIRD_PARTY_LICENCES:
        source = first_existing(candidates)
        if not source:
            raise SystemExit(f"pack_release: no licence file for {what} (looked at {candidates})")
        files["LICENSES/" + name] = read(source)
        index.append(f"{name}: {what} (Debian's {source})")
    files["LICENSES/README.txt"] = ("\n".join(index) + "\n").encode()
    return files


def contents(args, warn):
    """Archive path -> bytes of every file but SHA256SUMS."""
    files = {
        "Plugins/x86-unicode/MarlowSetupKit.dll": read(args.x86_dll),
        "Plugins/amd64-unicode/MarlowSetupKit.dll": read(args.amd64_dll),
        "Include/MarlowSetupKit.nsh": read(os.path.join(ROOT, "nsis", "MarlowSetupKit.nsh")),
        "Docs/MarlowSetupKit/README.md": author_guide(read(os.path.join(ROOT, "README.md"))),
    }
    for path in glob.glob(os.path.join(ROOT, "docs", "screenshots", "*.png")):
        files["Docs/MarlowSetupKit/screenshots/" + os.path.basename(path)] = read(path)
    for path in glob.glob(os.path.join(ROOT, "examples", "*.nsi")):
        files["Examples/MarlowSetupKit/" + os.path.basename(path)] = read(path)
    for path in glob.glob(os.path.join(ROOT, "examples", "payload", "*")):
        files["Examples/MarlowSetupKit/payload/" + os.path.basename(path)] = read(path)
    files.update(licences(warn))
    return files


def checksums(files):
    lines = [f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in sorted(files.items())]
    return "".join(lines).encode()


def write_zip(out, files):
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with zipfile.ZipFile(out + ".tmp", "w") as archive:
        for name in sorted(files):
            entry = zipfile.ZipInfo(name, date_time=FIXED_TIME)
            entry.external_attr = (0o100000 | FILE_MODE) << 16  # a regular file, rw-r--r--
            entry.create_system = 3  # Unix, so that the permissions above are read as such
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, files[name], compresslevel=9)
    os.replace(out + ".tmp", out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--x86-dll", required=True)
    parser.add_argument("--amd64-dll", required=True)
    parser.add_argument("--out", required=True, help="the archive to write")
    args = parser.parse_args()

    def warn(text):
        print("warning: " + text, file=sys.stderr)

    files = contents(args, warn)
    files["SHA256SUMS"] = checksums(files)
    write_zip(args.out, files)
    data = read(args.out)
    print(f"archive: {os.path.abspath(args.out)}")
    print(f"size: {len(data)} bytes, {len(files)} files")
    print(f"sha256: {hashlib.sha256(data).hexdigest()}")


if __name__ == "__main__":
    main()
