"""The checks of an end-to-end driver: each printed as it is made ("ok   ..." or "FAIL ..."), then
the count of failed ones and the exit status they add up to.

    from checklist import check, exit_status
    check(size == 1000, "the payload arrived whole")
    sys.exit(exit_status())

One list per driver process.
"""

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def exit_status():
    """Prints how many checks failed; answers 1 if any did, else 0."""
    print(f"{len(failures)} checks failed")
    return 1 if failures else 0
