#!/usr/bin/env python3
"""Checks that no shipping code refers to a test hook.

Test hooks are named "...ForTesting" (tools/ForTesting.h, hftp/ForTesting.h, ui/ForTesting.h). They
are compiled into the libraries that the DLL is linked from, but only test programs may call them:
no code of those libraries, bar the hooks themselves, may refer to one. The libraries are built
with a section per function (-ffunction-sections), so every relocation names the function that
makes it: a relocation to a hook from a section that is not a hook's own is a call (or a pointer)
that the DLL could reach. Debugging information and the unwind tables refer to every function and
are not code.
"""
import argparse
import re
import subprocess
import sys

HOOK = "ForTesting"
NOT_CODE = re.compile(r"^\.(debug|eh_frame)")


def references_to_hooks(objdump, archive):
    """(object file, referring section, hook) for each reference to a hook outside a hook."""
    text = subprocess.run([objdump, "-r", archive], check=True, capture_output=True,
                          text=True).stdout
    found = []
    member = section = None
    for line in text.splitlines():
        if m := re.match(r"^(\S+):\s+file format", line):
            member = m.group(1)
        elif m := re.match(r"^RELOCATION RECORDS FOR \[(.*)\]:", line):
            section = m.group(1)
        elif section and HOOK not in section and not NOT_CODE.match(section):
            fields = line.split()
            if len(fields) >= 3 and HOOK in fields[-1]:
                found.append((member, section, fields[-1]))
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("archives", nargs="+", help="the static libraries the DLL is linked from")
    args = parser.parse_args()
    hooks_seen = False
    failures = []
    for archive in args.archives:
        symbols = subprocess.run([args.objdump, "-t", archive], check=True, capture_output=True,
                                 text=True).stdout
        hooks_seen |= HOOK in symbols
        failures += [(archive, *found) for found in references_to_hooks(args.objdump, archive)]
    if not hooks_seen:
        # The libraries do define hooks; finding none means this check reads them wrongly.
        print("no test hook found in the libraries: nothing was checked")
        return 1
    for archive, member, section, hook in failures:
        print(f"{archive}({member}): {section} refers to the test hook {hook}")
    if failures:
        return 1
    print(f"no shipping code refers to a test hook ({len(args.archives)} libraries)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
