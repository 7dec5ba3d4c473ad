#!/usr/bin/env python3
"""Reads what tests/guest/win32-suite.sh left in a results folder and reports it.

    summarize.py RESULTS

Counts every GoogleTest test case (from the program's XML report) and every installer test, lists
the failures with the end of their output, and ends with "guest-win32: N passed, N failed,
N skipped". A program that crashed, timed out or wrote no report counts as one failure besides its
own failed cases; one that ran no test at all is a failure too. Exit status 0 only when nothing
failed.
"""

import os
import sys
import xml.etree.ElementTree as ET


def tail(path, lines=30):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return "".join(f.readlines()[-lines:])
    except OSError:
        return "(no output)\n"


def read_status(results, name):
    try:
        with open(os.path.join(results, name + ".status")) as f:
            code, seconds = f.read().split()
            return int(code), float(seconds)
    except (OSError, ValueError):
        return None, 0.0


def gtest_cases(xml_path):
    """(passed, failed names, skipped) of one GoogleTest XML report; None if unreadable."""
    try:
        root = ET.parse(xml_path).getroot()
    except (OSError, ET.ParseError):
        return None
    passed, failed, skipped = 0, [], 0
    for case in root.iter("testcase"):
        name = f"{case.get('classname')}.{case.get('name')}"
        if case.find("failure") is not None or case.find("error") is not None:
            failed.append(name)
        elif case.get("result") == "skipped" or case.get("status") == "notrun" or case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def main(results):
    total_passed = total_failed = total_skipped = 0
    problems = []
    with open(os.path.join(results, "plan")) as f:
        plan = [line.split(maxsplit=3) for line in f if line.strip()]
    for entry in plan:
        kind, name = entry[0], entry[1]
        if kind == "skip":
            # "PROGRAM" (the whole program, counted once) or "PROGRAM:FILTER:FILTER..."
            reason = entry[3] if len(entry) > 3 else ""
            print(f"  {name:28} skipped: {reason}")
            total_skipped += max(1, name.count(":"))
            continue
        code, seconds = read_status(results, name)
        log = os.path.join(results, name + ".log")
        if code is None:
            total_failed += 1
            problems.append((f"{name}: never ran (the guest stopped before it)", log))
            print(f"  {name:28} did not run")
            continue
        if kind == "installer":
            test_log = os.path.join(results, name + ".testlog")
            last = tail(test_log, 1).strip()
            if code == 0 and last == "PASS":
                total_passed += 1
                print(f"  {name:28} passed ({seconds:.1f} s)")
            else:
                total_failed += 1
                problems.append((f"{name}: installer exit {code}, its log:\n{tail(test_log)}", log))
                print(f"  {name:28} FAILED ({seconds:.1f} s)")
            continue
        cases = gtest_cases(os.path.join(results, name + ".xml"))
        if cases is None:
            total_failed += 1
            problems.append((f"{name}: exit {code} and no test report (crashed or timed out)", log))
            print(f"  {name:28} no report, exit {code} ({seconds:.1f} s)")
            continue
        passed, failed, skipped = cases
        total_passed += passed
        total_failed += len(failed)
        total_skipped += skipped
        for case in failed:
            problems.append((f"{name}: {case} failed", log))
        if code != 0 and not failed:
            total_failed += 1
            problems.append((f"{name}: exit {code} although no test case failed (crash at exit?)", log))
        if passed + len(failed) + skipped == 0:
            total_failed += 1
            problems.append((f"{name}: ran no test", log))
        print(f"  {name:28} {passed} passed, {len(failed)} failed, {skipped} skipped ({seconds:.1f} s)")

    shown = set()
    for message, log in problems:
        print(f"FAILED {message}")
        if log not in shown:
            shown.add(log)
            print(f"--- end of {log}\n{tail(log)}---")
    print(f"guest-win32: {total_passed} passed, {total_failed} failed, {total_skipped} skipped")
    return 0 if total_failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
