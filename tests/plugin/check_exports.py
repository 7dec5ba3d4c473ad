#!/usr/bin/env python3
"""Checks a built MarlowSetupKit.dll against the export table in MarlowSetupKit.def.

Every export of the .def file must be present under its exact, undecorated name and its ordinal,
nothing else may be exported, and the DLL must not import any runtime DLL that would have to ship
beside it (libstdc++, libgcc, winpthread, libcurl are linked in statically).
"""
import argparse
import re
import subprocess
import sys

RUNTIME_DLLS = re.compile(r"^(libstdc\+\+|libgcc|libwinpthread|libcurl|zlib|libssl|libcrypto)",
                          re.IGNORECASE)


def read_def(path):
    exports = {}
    for line in open(path, encoding="utf-8"):
        m = re.match(r"^\s+(\w+)\s+@(\d+)\s*$", line)
        if m:
            exports[m.group(1)] = int(m.group(2))
    return exports


def read_dll(objdump, dll):
    text = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    base = int(re.search(r"^Ordinal Base\s+(\d+)", text, re.M).group(1))
    table = text.split("[Ordinal/Name Pointer] Table", 1)[1]
    exports = {}
    for m in re.finditer(r"^\s+\[\s*(\d+)\]\s+(\S+)\s*$", table, re.M):
        # objdump prints the name table indexed by ordinal minus the ordinal base.
        exports[m.group(2)] = int(m.group(1)) + base
    imports = re.findall(r"^\s+DLL Name:\s+(\S+)", text, re.M)
    dll_name = re.search(r"^Name\s+\S+\s+(\S+)", text, re.M).group(1)
    return dll_name, exports, imports


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--def", dest="def_file", required=True)
    parser.add_argument("dll")
    args = parser.parse_args()

    expected = read_def(args.def_file)
    dll_name, actual, imports = read_dll(args.objdump, args.dll)
    problems = []
    if dll_name != "MarlowSetupKit.dll":
        problems.append(f"export directory names the DLL {dll_name!r}")
    if not expected:
        problems.append("the .def file lists no exports")
    for name, ordinal in sorted(expected.items(), key=lambda item: item[1]):
        if name not in actual:
            problems.append(f"{name} @{ordinal} is not exported")
        elif actual[name] != ordinal:
            problems.append(f"{name} has ordinal {actual[name]}, expected {ordinal}")
    for name in sorted(set(actual) - set(expected)):
        problems.append(f"unexpected export {name} @{actual[name]}")
    for name in actual:
        if re.search(r"[@?]|^_", name):
            problems.append(f"decorated export name {name}")
    for name in imports:
        if RUNTIME_DLLS.match(name):
            problems.append(f"imports runtime DLL {name}: link it statically")

    for p in problems:
        print("FAIL:", p)
    print(f"{len(expected)} exports checked in {args.dll}; imports: {', '.join(imports)}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
