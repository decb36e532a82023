#!/usr/bin/env python3
"""Keeps reelwright-cli's usage text and its manual page from drifting apart: every
option word that `reelwright-cli --help` prints must be documented in the manual
page's OPTIONS section, and every option documented there must be in the usage.

    check_man_options.py REELWRIGHT_CLI MAN_PAGE
"""

import re
import subprocess
import sys

# A dash or two and a letter, not inside a word: catches -o and --output but not the
# dash of "reelwright-cli" or "run-length".
OPTION_WORD = re.compile(r"(?<![\w-])--?[A-Za-z][A-Za-z0-9-]*")


def usage_options(cli):
    usage = subprocess.run([cli, "--help"], capture_output=True, text=True, check=True).stdout
    return set(OPTION_WORD.findall(usage))


def man_page_options(path):
    """The options named in the tags (the line after .TP) of the OPTIONS section."""
    with open(path, encoding="utf-8") as page:
        lines = page.read().splitlines()
    options, in_section, tag_follows = set(), False, False
    for line in lines:
        if line.startswith(".SH"):
            in_section = line.split(None, 1)[1:] == ["OPTIONS"]
            continue
        if not in_section:
            continue
        if line.startswith(".TP"):
            tag_follows = True
            continue
        if tag_follows:
            text = re.sub(r"\\f[BIRP]", "", line.replace("\\-", "-"))
            options.update(OPTION_WORD.findall(text))
            tag_follows = False
    return options


def main():
    cli, man_page = sys.argv[1:3]
    in_usage = usage_options(cli)
    in_man = man_page_options(man_page)
    failures = ["'%s' is in the usage text but not in %s" % (o, man_page)
                for o in sorted(in_usage - in_man)]
    failures += ["'%s' is documented in %s but not in the usage text" % (o, man_page)
                 for o in sorted(in_man - in_usage)]
    for failure in failures:
        print("FAIL: " + failure)
    print("usage: %s\nmanual page: %s" % (" ".join(sorted(in_usage)), " ".join(sorted(in_man))))
    return 1 if failures or not in_usage else 0


if __name__ == "__main__":
    sys.exit(main())
