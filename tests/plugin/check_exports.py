#!/usr/bin/env python3
"""Checks a built MarlowSetupKit.dll against the export table in MarlowSetupKit.def, and that it is
built to ship.

Every export of the .def file must be present under its exact, undecorated name and its ordinal,
nothing else may be exported, the fifteen exports that installers have always called keep their
names and ordinals 1 to 15 (newer ones, the NSIS plug-in commands, follow them), and the DLL must not import any runtime DLL that would have to ship
beside it (libstdc++, libgcc, winpthread, libcurl are linked in statically). As shipped, the DLL is
a GUI-subsystem image without debug sections, whose symbols sit in a separate file that it names
(.gnu_debuglink), and it carries a version resource with the project's file and product version and
a description.
"""
import argparse
import os
import re
import struct
import subprocess
import sys

RUNTIME_DLLS = re.compile(r"^(libstdc\+\+|libgcc|libwinpthread|libcurl|zlib|libssl|libcrypto)",
                          re.IGNORECASE)


# The exports that scripts call through System::Call by name and ordinal: never renamed, never
# renumbered.
FIXED_EXPORTS = {
    "HTTPDownload": 1, "ShowErrorWindow": 2, "GetForcedSid": 3, "GetSid": 4, "GetLocalAppData": 5,
    "GetUserStartMenu": 6, "GetAppData": 7, "GetDesktop": 8, "GetCommonDesktop": 9, "Expand": 10,
    "GetInfo": 11, "CaptureInstallDialog": 12, "CaptureDialog": 13, "Unload": 14,
    "CaptureUninstallDialog": 15,
}
# The NSIS plug-in commands (MarlowSetupKit::Download ...), after the fixed ones.
PLUGIN_COMMANDS = ("Download", "Sha256", "Signer", "Wait", "Query", "Cancel", "Skin")


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


GUI_SUBSYSTEM = 2
RT_VERSION = 16
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD


def section_names(objdump, path):
    text = subprocess.run([objdump, "-h", path], check=True, capture_output=True, text=True).stdout
    return re.findall(r"^\s*\d+\s+(\S+)\s+[0-9a-f]+", text, re.M)


def debuglink_name(objdump, dll):
    """The file name that the DLL's .gnu_debuglink section names, or None."""
    done = subprocess.run([objdump, "-s", "-j", ".gnu_debuglink", dll], capture_output=True,
                          text=True)
    data = bytearray()
    for m in re.finditer(r"^ [0-9a-f]+ ((?:[0-9a-f]{2,8} ){1,4})", done.stdout, re.M):
        data += bytes.fromhex(m.group(1).replace(" ", ""))
    return data.split(b"\0", 1)[0].decode("ascii", "replace") if data else None


class PeImage:
    """The few parts of a PE image this check reads: subsystem, sections, resources."""

    def __init__(self, path):
        self.data = open(path, "rb").read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        sections, optional_size = struct.unpack_from("<H12xH", self.data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        self.subsystem = struct.unpack_from("<H", self.data, optional + 68)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.resources_rva = struct.unpack_from("<I", self.data, directories + 2 * 8)[0]
        self.sections = []
        for i in range(sections):
            entry = optional + optional_size + 40 * i
            size, rva, raw_size, raw = struct.unpack_from("<IIII", self.data, entry + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def resource(self, type_id):
        """The data of the first resource of TYPE_ID (any name, any language), or None."""
        if not self.resources_rva:
            return None
        base = self.offset(self.resources_rva)

        def entries(directory):
            named, ids = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)

        def first_leaf(target):
            while target & 0x80000000:
                target = next(iter(entries(target & 0x7FFFFFFF)))[1]
            rva, size = struct.unpack_from("<II", self.data, base + target)
            return self.data[self.offset(rva):self.offset(rva) + size]

        for name, target in entries(0):
            if name == type_id:
                return first_leaf(target)
        return None


def version_info(block):
    """Fixed file and product versions and the strings of a VS_VERSIONINFO resource."""
    def parse(offset):
        length, value_length, kind = struct.unpack_from("<HHH", block, offset)
        end = offset + length
        key_end = block.index(b"\0\0", offset + 6)
        while (key_end - offset - 6) % 2:
            key_end = block.index(b"\0\0", key_end + 1)
        key = block[offset + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if kind == 1 else value_length
        value = block[value_at:value_at + value_size]
        children = []
        child = (value_at + value_size + 3) & ~3
        while child < end:
            children.append(parse(child))
            child = (child + struct.unpack_from("<H", block, child)[0] + 3) & ~3
        return key, value, children

    key, fixed, children = parse(0)
    if key != "VS_VERSION_INFO" or len(fixed) < 52:
        return None
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != FIXED_FILE_INFO_SIGNATURE:
        return None
    def split(ms, ls):
        return ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF

    strings = {}
    for child_key, _, tables in children:
        if child_key == "StringFileInfo":
            for _, _, entries in tables:
                for name, value, _ in entries:
                    strings[name] = value.decode("utf-16-le").rstrip("\0")
    return split(file_ms, file_ls), split(product_ms, product_ls), strings


def check_shipping_form(args, problems):
    image = PeImage(args.dll)
    if image.subsystem != GUI_SUBSYSTEM:
        problems.append(f"PE subsystem {image.subsystem}, expected {GUI_SUBSYSTEM} (Windows GUI)")
    debug = [n for n in section_names(args.objdump, args.dll) if re.match(r"\.z?debug", n)]
    if debug:
        problems.append(f"debug sections in the shipped DLL: {', '.join(debug)}")
    if args.symbols:
        if not os.path.isfile(args.symbols):
            problems.append(f"no symbol file {args.symbols}")
        elif ".debug_info" not in section_names(args.objdump, args.symbols):
            problems.append(f"{args.symbols} holds no debug information")
        link = debuglink_name(args.objdump, args.dll)
        if link != os.path.basename(args.symbols):
            problems.append(f".gnu_debuglink names {link!r}, not {os.path.basename(args.symbols)}")

    block = image.resource(RT_VERSION)
    info = version_info(block) if block else None
    if info is None:
        problems.append("no version resource")
        return
    file_version, product_version, strings = info
    if args.version:
        parts = [int(p) for p in args.version.split(".")]
        expected = tuple(parts + [0] * (4 - len(parts)))
        for what, got in (("file", file_version), ("product", product_version)):
            if got != expected:
                problems.append(f"{what} version {got}, expected {expected}")
        for name in ("FileVersion", "ProductVersion"):
            if strings.get(name) != args.version:
                problems.append(f"version string {name} is {strings.get(name)!r}, "
                                f"expected {args.version!r}")
    if not strings.get("FileDescription"):
        problems.append("the version resource has no FileDescription")
    print(f"subsystem {image.subsystem}, version {'.'.join(map(str, file_version))}, "
          f"description {strings.get('FileDescription')!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--def", dest="def_file", required=True)
    parser.add_argument("--version", help="the project version the version resource must carry")
    parser.add_argument("--symbols", help="the separate symbol file the DLL must name")
    parser.add_argument("dll")
    args = parser.parse_args()

    expected = read_def(args.def_file)
    dll_name, actual, imports = read_dll(args.objdump, args.dll)
    problems = []
    if dll_name != "MarlowSetupKit.dll":
        problems.append(f"export directory names the DLL {dll_name!r}")
    if not expected:
        problems.append("the .def file lists no exports")
    for name, ordinal in FIXED_EXPORTS.items():
        if expected.get(name) != ordinal:
            problems.append(f"the .def file gives {name} ordinal {expected.get(name)}, not {ordinal}")
    for name in PLUGIN_COMMANDS:
        if expected.get(name, 0) <= len(FIXED_EXPORTS):
            problems.append(f"the plug-in command {name} is missing or not after the fixed exports")
    if sorted(expected.values()) != list(range(1, len(expected) + 1)):
        problems.append(f"the ordinals are not 1 to {len(expected)}, each once")
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

    check_shipping_form(args, problems)

    for p in problems:
        print("FAIL:", p)
    print(f"{len(expected)} exports checked in {args.dll}; imports: {', '.join(imports)}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
